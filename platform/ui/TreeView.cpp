#include "platform/ui/TreeView.h"

#include <algorithm>

#include "platform/ui/ClassBuilder.h"
#include "platform/ui/ComponentPtr.h"

namespace platform {

// --- TTreeNode ---

const TClassInfo& TTreeNode::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TTreeNode>("TTreeNode", TPersistent::StaticClass())
          .String("Text", &TTreeNode::Text, &TTreeNode::SetText)
          .Integer("ImageIndex", &TTreeNode::ImageIndex, &TTreeNode::SetImageIndex).Default(-1)
          .Boolean("Expanded", &TTreeNode::Expanded, &TTreeNode::SetExpanded).Default(false)
          .Boolean("Selected", &TTreeNode::Selected, &TTreeNode::SetSelected).Default(false)
          .Integer("Level", &TTreeNode::Level, nullptr)
          .Build();
  return info;
}

TTreeNode::TTreeNode(TTreeNodes* owner, TTreeNode* parent, const AnsiString& text)
    : owner_(owner), parent_(parent), text_(text) {}

TTreeNode::~TTreeNode() {
  // Children go first, each telling the tree it leaves.
  while (!children_.empty()) children_.pop_back();
  if (owner_) owner_->Removing(this);
}

TTreeView* TTreeNode::TreeView() const { return owner_ ? owner_->view_ : nullptr; }

bool TTreeNode::Selected() const {
  const TTreeView* view = TreeView();
  return view && view->selected_ == this;
}

void TTreeNode::SetSelected(bool v) {
  TTreeView* view = TreeView();
  if (!view || v == Selected()) return;
  view->SetSelected(v ? this : nullptr);
}

int TTreeNode::Level() const {
  int level = 0;
  for (const TTreeNode* p = parent_; p; p = p->parent_) ++level;
  return level;
}

TTreeNode* TTreeNode::Item(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return children_[static_cast<std::size_t>(index)].get();
}

int TTreeNode::Index() const {
  const auto& siblings = parent_ ? parent_->children_ : owner_->roots_;
  for (std::size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == this) return static_cast<int>(i);
  return -1;
}

int TTreeNode::AbsoluteIndex() const {
  const std::vector<TTreeNode*> all = owner_->All();
  const auto it = std::find(all.begin(), all.end(), this);
  return it == all.end() ? -1 : static_cast<int>(it - all.begin());
}

TTreeNode* TTreeNode::AddChild(const AnsiString& text) { return owner_->AddChild(this, text); }

void TTreeNode::Delete() {
  auto& siblings = parent_ ? parent_->children_ : owner_->roots_;
  const auto it = std::find_if(siblings.begin(), siblings.end(), [this](const auto& p) { return p.get() == this; });
  if (it == siblings.end()) return;
  std::unique_ptr<TTreeNode> self = std::move(*it);
  siblings.erase(it);
  self.reset();
}

void TTreeNode::DeleteChildren() {
  while (!children_.empty()) children_.back()->Delete();
}

void TTreeNode::MarkChanged(const AnsiString& propertyName) {
  if (TTreeView* view = TreeView()) view->MarkChanged("Items");
}

void TTreeNode::Collect(std::vector<TTreeNode*>& out) const {
  for (const auto& child : children_) {
    out.push_back(child.get());
    child->Collect(out);
  }
}

// --- TTreeNodes ---

const TClassInfo& TTreeNodes::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTreeNodes>("TTreeNodes", TPersistent::StaticClass()).Build();
  return info;
}

TTreeNodes::~TTreeNodes() {
  view_ = nullptr;  // the view is going: nodes no longer report to it
  Clear();
}

std::vector<TTreeNode*> TTreeNodes::All() const {
  std::vector<TTreeNode*> out;
  for (const auto& root : roots_) {
    out.push_back(root.get());
    root->Collect(out);
  }
  return out;
}

int TTreeNodes::Count() const { return static_cast<int>(All().size()); }

TTreeNode* TTreeNodes::Item(int index) const {
  const std::vector<TTreeNode*> all = All();
  if (index < 0 || index >= static_cast<int>(all.size())) return nullptr;
  return all[static_cast<std::size_t>(index)];
}

TTreeNode* TTreeNodes::Root(int index) const {
  if (index < 0 || index >= RootCount()) return nullptr;
  return roots_[static_cast<std::size_t>(index)].get();
}

TTreeNode* TTreeNodes::Add(const AnsiString& text) { return AddChild(nullptr, text); }

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const AnsiString& text) {
  auto& list = parent ? parent->children_ : roots_;
  list.push_back(std::unique_ptr<TTreeNode>(new TTreeNode(this, parent, text)));
  if (view_) view_->MarkChanged("Items");
  return list.back().get();
}

void TTreeNodes::Clear() {
  while (!roots_.empty()) roots_.back()->Delete();
}

void TTreeNodes::Removing(TTreeNode* node) {
  if (!view_) return;
  view_->MarkChanged("Items");
  if (view_->selected_ == node) {
    view_->selected_ = nullptr;
    view_->MarkChanged("SelectedIndex");
    if (!view_->Destroying()) view_->OnChange(view_, nullptr);
  }
}

// --- TTreeView ---

const TClassInfo& TTreeView::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TTreeView>("TTreeView", TWinControl::StaticClass())
          .Enumeration("Align", &TTreeView::Align, &TTreeView::SetAlign).Default(alNone)
          .Object("Items", &TTreeView::Items)
          .Boolean("ReadOnly", &TTreeView::ReadOnly, &TTreeView::SetReadOnly).Default(false)
          .Integer("SelectedIndex", &TTreeView::SelectedIndex, nullptr)
          .Boolean("ShowLines", &TTreeView::ShowLines, &TTreeView::SetShowLines).Default(true)
          .Boolean("ShowRoot", &TTreeView::ShowRoot, &TTreeView::SetShowRoot).Default(true)
          .Event("OnChange", &TTreeView::OnChange)
          .Event("OnChanging", &TTreeView::OnChanging)
          .Event("OnCollapsed", &TTreeView::OnCollapsed)
          .Event("OnCollapsing", &TTreeView::OnCollapsing)
          .Event("OnDblClick", &TTreeView::OnDblClick)
          .Event("OnExpanded", &TTreeView::OnExpanded)
          .Event("OnExpanding", &TTreeView::OnExpanding)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TTreeView);

TTreeView::TTreeView(TComponent* owner) : TWinControl(owner), items_(std::make_unique<TTreeNodes>(this)) {
  SetBounds(0, 0, 121, 97);
  SetColor(clWindow);
}

TTreeView::~TTreeView() {
  BeginDestroy();
  selected_ = nullptr;
  items_.reset();
}

bool TTreeView::SetSelected(TTreeNode* node) {
  if (node && node->TreeView() != this) return false;
  if (node == selected_) return true;
  bool allow = true;
  TComponentPtr<TTreeView> self(this);
  OnChanging(this, node, allow);
  if (!allow || !self) return false;
  for (TTreeNode* p = node ? node->parent_ : nullptr; p; p = p->parent_) p->SetExpanded(true);
  selected_ = node;
  MarkChanged("SelectedIndex");
  MarkChanged("Items");
  OnChange(this, node);
  return true;
}

bool TTreeView::TakesUserInput(int index) const {
  return Showing() && EnabledChain() && index >= 0 && index < items_->Count();
}

bool TTreeView::UserSelectNode(int index) {
  if (!TakesUserInput(index)) return false;
  return SetSelected(items_->Item(index));
}

bool TTreeView::UserSetExpanded(int index, bool expanded) {
  if (!TakesUserInput(index)) return false;
  TTreeNode* node = items_->Item(index);
  if (node->Expanded() == expanded || !node->HasChildren()) return false;
  bool allow = true;
  (expanded ? OnExpanding : OnCollapsing)(this, node, allow);
  if (!allow) return false;
  node->SetExpanded(expanded);
  (expanded ? OnExpanded : OnCollapsed)(this, node);
  return true;
}

}  // namespace platform
