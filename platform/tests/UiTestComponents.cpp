#include "UiTestComponents.h"

#include "platform/ui/ClassBuilder.h"
#include "platform/ui/FormResource.h"

namespace platform::uitest {

const TTypeInfo& EnumTypeInfo(TTestAlign) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TTestAlign", {"talNone", "talTop", "talBottom", "talClient"});
  return t;
}

const TTypeInfo& EnumTypeInfo(TTestAnchorKind) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TTestAnchorKind", {"takLeft", "takTop", "takRight", "takBottom"});
  return t;
}

const TTypeInfo& SetTypeInfo(TTestAnchors) {
  static const TTypeInfo t = TTypeInfo::Set("TTestAnchors", EnumTypeInfo(TTestAnchorKind{}));
  return t;
}

// --- TTestSource ---

const TClassInfo& TTestSource::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestSource>("TTestSource", TComponent::StaticClass())
                                     .Boolean("Active", &TTestSource::Active, &TTestSource::SetActive)
                                     .Default(false)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TTestSource);

void TTestSource::SetActive(bool on) {
  if (Loading()) {
    activeRequested_ = on;
    return;
  }
  if (ChangeProperty(active_, on, "Active") && on) ++activations_;
}

void TTestSource::Loaded() {
  TComponent::Loaded();
  ++loadedCalls_;
  if (activeRequested_) SetActive(true);
}

// --- TTestControl ---

const TClassInfo& TTestControl::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TTestControl>("TTestControl", TComponent::StaticClass())
          .Integer("Left", &TTestControl::Left, &TTestControl::SetLeft)
          .Integer("Top", &TTestControl::Top, &TTestControl::SetTop)
          .Integer("Width", &TTestControl::Width, &TTestControl::SetWidth)
          .Default(75)
          .String("Caption", &TTestControl::Caption, &TTestControl::SetCaption)
          .Boolean("Visible", &TTestControl::Visible, &TTestControl::SetVisible)
          .Default(true)
          .Integer("Color", ColorTypeInfo(), &TTestControl::Color, &TTestControl::SetColor)
          .Default(clBtnFace)
          .Integer("Cursor", CursorTypeInfo(), &TTestControl::Cursor, &TTestControl::SetCursor)
          .Enumeration("Align", &TTestControl::Align, &TTestControl::SetAlign)
          .Set("Anchors", &TTestControl::Anchors, &TTestControl::SetAnchors)
          .Char("PasswordChar", &TTestControl::PasswordChar, &TTestControl::SetPasswordChar)
          .Float("Ratio", &TTestControl::Ratio, &TTestControl::SetRatio)
          .Object("Font", &TTestControl::Font, &TTestControl::SetFont)
          .Reference("Source", &TTestControl::Source, &TTestControl::SetSource)
          .Integer("Handle", &TTestControl::Handle, nullptr)
          .Event("OnClick", &TTestControl::OnClick)
          .Event("OnKeyDown", &TTestControl::OnKeyDown)
          .Event("OnKeyPress", &TTestControl::OnKeyPress)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TTestControl);

TTestControl::TTestControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
  font_->SetOwnerProperty(this, "Font");
}

TTestControl::~TTestControl() { SetSource(nullptr); }

void TTestControl::SetSource(TTestSource* source) {
  if (source == source_) return;
  if (source_) source_->RemoveFreeNotification(this);
  source_ = source;
  if (source_) source_->FreeNotification(this);
  MarkChanged("Source");
}

void TTestControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == source_) source_ = nullptr;
}

void TTestControl::Loaded() {
  TComponent::Loaded();
  ++loadedCalls_;
}

// --- memo, combo, list view ---

const TClassInfo& TTestMemo::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestMemo>("TTestMemo", TTestControl::StaticClass())
                                     .Strings("Lines", &TTestMemo::Lines)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TTestMemo);

const TClassInfo& TTestCombo::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestCombo>("TTestCombo", TTestControl::StaticClass())
                                     .Strings("Items", &TTestCombo::Items)
                                     .Integer("ItemIndex", &TTestCombo::ItemIndex, &TTestCombo::SetItemIndex)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TTestCombo);

const TClassInfo& TTestColumn::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestColumn>("TTestColumn", TCollectionItem::StaticClass())
                                     .String("Caption", &TTestColumn::Caption, &TTestColumn::SetCaption)
                                     .Integer("Width", &TTestColumn::Width, &TTestColumn::SetWidth)
                                     .Build();
  return info;
}

void TTestColumn::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TTestColumn*>(&source);
  if (!other) {
    TCollectionItem::Assign(source);
    return;
  }
  SetCaption(other->caption_);
  SetWidth(other->width_);
}

const TClassInfo& TTestListView::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestListView>("TTestListView", TTestControl::StaticClass())
                                     .Object("Columns", &TTestListView::Columns)
                                     .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TTestListView);

TTestListView::TTestListView(TComponent* owner) : TTestControl(owner) { columns_->SetOwnerProperty(this, "Columns"); }

// --- forms ---

const TClassInfo& TTestForm::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestForm>("TTestForm", TComponent::StaticClass())
                                     .String("Caption", &TTestForm::Caption, &TTestForm::SetCaption)
                                     .Integer("Color", ColorTypeInfo(), &TTestForm::Color, &TTestForm::SetColor)
                                     .Object("Font", &TTestForm::Font, &TTestForm::SetFont)
                                     .Event("OnShow", &TTestForm::OnShow)
                                     .Event("OnClose", &TTestForm::OnClose)
                                     .Event("OnCloseQuery", &TTestForm::OnCloseQuery)
                                     .Event("OnKeyDown", &TTestForm::OnKeyDown)
                                     .PUBLISHED_HANDLER(TTestForm, FormShow)
                                     .PUBLISHED_HANDLER(TTestForm, FormClose)
                                     .PUBLISHED_HANDLER(TTestForm, btnOKClick)
                                     .PUBLISHED_HANDLER(TTestForm, btnCancelClick)
                                     .PUBLISHED_HANDLER(TTestForm, edNameKeyDown)
                                     .Build();
  return info;
}

TTestForm::TTestForm(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
  font_->SetOwnerProperty(this, "Font");
}

TTestForm::~TTestForm() {
  // The controls go before the members they might use.
  BeginDestroy();
  DestroyComponents();
}

void TTestForm::Record(const char* handler, TObject* sender) {
  const auto* component = dynamic_cast<const TComponent*>(sender);
  Calls.push_back(std::string(handler) + "(" + (component ? component->Name().Bytes() : std::string("?")) + ")");
}

void TTestForm::FormShow(TObject* sender) { Record("FormShow", sender); }
void TTestForm::FormClose(TObject* sender, TCloseAction& action) {
  Record("FormClose", sender);
  action = caFree;
}
void TTestForm::btnOKClick(TObject* sender) { Record("btnOKClick", sender); }
void TTestForm::btnCancelClick(TObject* sender) { Record("btnCancelClick", sender); }
void TTestForm::edNameKeyDown(TObject* sender, Word& key, TShiftState shift) {
  Record("edNameKeyDown", sender);
  if (key == 13 && shift.Empty()) key = 0;  // consumes a plain Enter
}

void TTestForm::Loaded() {
  TComponent::Loaded();
  ++loadedCalls_;
}

const TClassInfo& TTestBaseForm::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestBaseForm>("TTestBaseForm", TTestForm::StaticClass()).Build();
  return info;
}
PLATFORM_FORM_RESOURCE(TTestBaseForm);

const TClassInfo& TTestDerivedForm::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestDerivedForm>("TTestDerivedForm", TTestBaseForm::StaticClass())
                                     .PUBLISHED_HANDLER(TTestDerivedForm, btnHelpClick)
                                     .Build();
  return info;
}
PLATFORM_FORM_RESOURCE(TTestDerivedForm);

void TTestDerivedForm::btnHelpClick(TObject* sender) { Record("btnHelpClick", sender); }

const TClassInfo& TTestPlainForm::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestPlainForm>("TTestPlainForm", TTestForm::StaticClass()).Build();
  return info;
}

}  // namespace platform::uitest
