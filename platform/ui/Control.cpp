#include "platform/ui/Control.h"

#include <algorithm>
#include <cassert>

#include "platform/ui/Application.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/Form.h"
#include "platform/ui/Layout.h"
#include "platform/ui/Menus.h"

namespace platform {

const TTypeInfo& EnumTypeInfo(TAnchorKind) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"});
  return t;
}

const TTypeInfo& SetTypeInfo(TAnchors) {
  static const TTypeInfo t = TTypeInfo::Set("TAnchors", EnumTypeInfo(TAnchorKind{}));
  return t;
}

// --- TControl ---

const TClassInfo& TControl::StaticClass() {
  static const TClassInfo info = TClassBuilder<TControl>("TControl", TComponent::StaticClass())
                                     .Integer("Left", &TControl::Left, &TControl::SetLeft)
                                     .Integer("Top", &TControl::Top, &TControl::SetTop)
                                     .Integer("Width", &TControl::Width, &TControl::SetWidth)
                                     .Integer("Height", &TControl::Height, &TControl::SetHeight)
                                     .Boolean("Visible", &TControl::Visible, &TControl::SetVisible)
                                     .Default(true)
                                     .Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled)
                                     .Default(true)
                                     .String("Caption", &TControl::Caption, &TControl::SetCaption)
                                     .String("Hint", &TControl::Hint, &TControl::SetHint)
                                     .Boolean("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
                                     .Default(false)
                                     .Integer("Color", ColorTypeInfo(), &TControl::Color, &TControl::SetColor)
                                     .Default(clBtnFace)
                                     .Object("Font", &TControl::Font, &TControl::SetFont)
                                     .Integer("TabOrder", &TControl::TabOrder, &TControl::SetTabOrder)
                                     .Boolean("TabStop", &TControl::TabStop, &TControl::SetTabStop)
                                     .Set("Anchors", &TControl::Anchors, &TControl::SetAnchors)
                                     .Default(TAnchors{akLeft, akTop})
                                     .Reference("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
                                     .Event("OnClick", &TControl::OnClick)
                                     .Build();
  return info;
}

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
  font_->SetOwnerProperty(this, "Font");
  Application().RegisterControl(this);
}

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
  Application().UnregisterControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  assert(parent != this);
  if (parent) {
    auto* self = dynamic_cast<TWinControl*>(this);
    assert(!self || !self->ContainsControl(parent));
    (void)self;
  }
  if (parent_) parent_->RemoveControl(this);
  parent_ = nullptr;
  if (parent) parent->InsertControl(this);
  MarkChanged("Parent");
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParentComponent(TComponent* parent) {
  auto* windowed = dynamic_cast<TWinControl*>(parent);
  // A control can only be placed inside a windowed control.
  if (parent && !windowed)
    throw EComponentError(AnsiString("Control '") + Name() + "' cannot have " + parent->Name() +
                          " as its parent");
  SetParent(windowed);
}

void TControl::SetWidth(int v) {
  if (ChangeProperty(width_, v, "Width") && !Loading()) Resize();
}

void TControl::SetHeight(int v) {
  if (ChangeProperty(height_, v, "Height") && !Loading()) Resize();
}

void TControl::SetBounds(int left, int top, int width, int height) {
  SetLeft(left);
  SetTop(top);
  bool resized = ChangeProperty(width_, width, "Width");
  resized = ChangeProperty(height_, height, "Height") || resized;
  if (resized && !Loading()) Resize();
}

bool TControl::Showing() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

bool TControl::EnabledChain() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->enabled_) return false;
  return true;
}

TCustomForm* TControl::ParentForm() const {
  const TControl* top = this;
  while (top->parent_) top = top->parent_;
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(top));
}

void TControl::Click() { OnClick(this); }

TPopupMenu* TControl::PopupMenu() const { return popupMenu_.get(); }

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (popupMenu_.get() == menu) return;
  popupMenu_ = menu;
  MarkChanged("PopupMenu");
}

void TControl::SetAnchors(TAnchors v) {
  if (!ChangeProperty(anchors_, v, "Anchors")) return;
  // The anchors keep the place the control has now (once read, for a
  // control read from a resource).
  if (!Loading()) UpdateAnchorBase();
}

void TControl::UpdateAnchorBase() {
  anchorBase_.left = left_;
  anchorBase_.top = top_;
  anchorBase_.width = width_;
  anchorBase_.height = height_;
  anchorBase_.parentWidth = parent_ ? parent_->width_ : 0;
  anchorBase_.parentHeight = parent_ ? parent_->height_ : 0;
}

void TControl::MarkChanged(const AnsiString& propertyName) {
  TComponent::MarkChanged(propertyName);
  if (Destroying() || Loading()) return;
  // Bounds the parent's layout gives are not a new place of the control's
  // own: its anchors still count from where code or the resource put it.
  const bool fromLayout = parent_ && parent_->Aligning();
  if (fromLayout) return;
  if (propertyName == "Width" || propertyName == "Height" || propertyName == "Left" || propertyName == "Top") {
    UpdateAnchorBase();
    // An aligned control that moves takes its new place in the side order.
    if (parent_ && AlignOf(*this) != alNone) parent_->Realign();
  } else if (propertyName == "Parent") {
    UpdateAnchorBase();
    if (parent_ && AlignOf(*this) != alNone) parent_->Realign();
  } else if (propertyName == "Align" || propertyName == "Visible") {
    if (parent_) parent_->Realign();
  } else if (propertyName == "Caption" || propertyName == "Font" || propertyName == "AutoSize" ||
             propertyName == "WordWrap") {
    AdjustAutoSize(*this);
  }
}

void TControl::Loaded() {
  TComponent::Loaded();
  AdjustAutoSize(*this);
  UpdateAnchorBase();
}

// --- TWinControl ---

const TClassInfo& TWinControl::StaticClass() {
  static const TClassInfo info = TClassBuilder<TWinControl>("TWinControl", TControl::StaticClass())
                                     .Event("OnKeyDown", &TWinControl::OnKeyDown)
                                     .Event("OnKeyPress", &TWinControl::OnKeyPress)
                                     .Event("OnKeyUp", &TWinControl::OnKeyUp)
                                     .Event("OnEnter", &TWinControl::OnEnter)
                                     .Event("OnExit", &TWinControl::OnExit)
                                     .Build();
  return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) { SetTabStop(true); }

TWinControl::~TWinControl() {
  for (TControl* child : controls_) child->parent_ = nullptr;
  controls_.clear();
  if (handle_) Application().windows_.erase(handle_);
}

TControl* TWinControl::Controls(int index) const {
  assert(index >= 0 && index < ControlCount());
  return controls_[static_cast<std::size_t>(index)];
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (const TControl* c = control ? control->parent_ : nullptr; c; c = c->parent_)
    if (c == this) return true;
  return false;
}

void TWinControl::InsertControl(TControl* control) {
  if (control->tabOrder_ < 0) {
    int next = 0;
    for (const TControl* sibling : controls_)
      if (dynamic_cast<const TWinControl*>(sibling)) next = std::max(next, sibling->tabOrder_ + 1);
    control->tabOrder_ = next;
  }
  controls_.push_back(control);
  control->parent_ = this;
}

void TWinControl::RemoveControl(TControl* control) {
  std::erase(controls_, control);
  control->parent_ = nullptr;
  // An aligned child that leaves gives its space back.
  Realign();
}

void TWinControl::CollectTabOrder(std::vector<TWinControl*>& list) const {
  std::vector<TWinControl*> children;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) children.push_back(w);
  std::stable_sort(children.begin(), children.end(),
                   [](const TWinControl* a, const TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  for (TWinControl* child : children) {
    list.push_back(child);
    child->CollectTabOrder(list);
  }
}

std::vector<TWinControl*> TWinControl::TabOrderList() const {
  std::vector<TWinControl*> list;
  CollectTabOrder(list);
  return list;
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop) const {
  const std::vector<TWinControl*> list = TabOrderList();
  const int n = static_cast<int>(list.size());
  if (n == 0) return nullptr;
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[static_cast<std::size_t>(i)] == current) start = i;
  if (start < 0) start = goForward ? n - 1 : 0;
  for (int step = 1; step <= n; ++step) {
    const int i = goForward ? (start + step) % n : (start - step + n) % n;
    TWinControl* candidate = list[static_cast<std::size_t>(i)];
    if (candidate == current) break;
    if (candidate->CanFocus() && (!checkTabStop || candidate->TabStop())) return candidate;
  }
  return nullptr;
}

bool TWinControl::CanFocus() const {
  if (Destroying() || !ParentForm()) return false;
  return Showing() && EnabledChain();
}

void TWinControl::SetFocus() {
  TCustomForm* form = ParentForm();
  if (!form || !CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (form != this) form->SetActiveControl(this);
}

bool TWinControl::Focused() const {
  const TCustomForm* form = ParentForm();
  return form && form != this && form->ActiveControl() == this;
}

void TWinControl::Realign() {
  if (Loading() || Destroying() || aligning_ > 0) return;
  struct Guard {
    int& depth;
    explicit Guard(int& d) : depth(d) { ++depth; }
    ~Guard() { --depth; }
  } guard(aligning_);
  AlignControls(*this);
}

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
}

THandle TWinControl::Handle() {
  if (!handle_) handle_ = Application().AllocateHandle(this);
  return handle_;
}

}  // namespace platform
