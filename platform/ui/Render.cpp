#include "platform/ui/Render.h"

#include <algorithm>
#include <unordered_set>

#include "platform/CodePage.h"
#include "platform/StringList.h"
#include "platform/ui/Application.h"
#include "platform/ui/ClassInfo.h"
#include "platform/ui/Collection.h"
#include "platform/ui/Colors.h"
#include "platform/ui/Component.h"
#include "platform/ui/Control.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Form.h"
#include "platform/ui/PropertyAccess.h"
#include "platform/ui/StdCtrls.h"

namespace platform {

RenderValue RenderValue::OfText(const AnsiString& text) {
  RenderValue v;
  v.Kind = TRenderValueKind::Text;
  v.Text = text;
  v.CodePage = ProcessCodePage();
  v.Utf8 = text.ToUtf8();
  return v;
}

RenderValue RenderValue::OfInteger(std::int64_t value, const AnsiString& text) {
  RenderValue v;
  v.Kind = TRenderValueKind::Integer;
  v.Integer = value;
  v.Text = text;
  return v;
}

RenderValue RenderValue::OfBoolean(bool value) {
  RenderValue v;
  v.Kind = TRenderValueKind::Boolean;
  v.Integer = value ? 1 : 0;
  v.Text = value ? "True" : "False";
  return v;
}

RenderValue RenderValue::OfColor(std::int32_t rgb, const AnsiString& text) {
  RenderValue v;
  v.Kind = TRenderValueKind::Color;
  v.Integer = static_cast<std::uint32_t>(rgb);
  v.Text = text;
  return v;
}

RenderValue RenderValue::OfFloat(const AnsiString& text) {
  RenderValue v;
  v.Kind = TRenderValueKind::Float;
  v.Text = text;
  return v;
}

RenderValue RenderValue::OfReference(std::uint64_t instanceId) {
  RenderValue v;
  v.Kind = TRenderValueKind::Reference;
  v.Integer = static_cast<std::int64_t>(instanceId);
  return v;
}

bool operator==(const RenderValue& a, const RenderValue& b) {
  return a.Kind == b.Kind && a.Text == b.Text && a.CodePage == b.CodePage && a.Utf8 == b.Utf8 &&
         a.Integer == b.Integer;
}

namespace {

// Owned sub-objects are flattened this deep ("Font.Name"; a sub-object of
// a sub-object is not followed further).
constexpr int kMaxDepth = 2;

bool IsColorType(const TTypeInfo& type) { return &type == &ColorTypeInfo() || type.Name() == "TColor"; }
bool IsBooleanType(const TTypeInfo& type) { return &type == &BooleanTypeInfo() || type.Name() == "Boolean"; }

void AddProperty(RenderProperties& out, const std::string& prefix, const TPersistent& instance, const TPropInfo& p,
                 int depth) {
  const std::string key = prefix + p.Name().Bytes();
  AnsiString text;
  switch (p.Kind()) {
    case TTypeKind::tkMethod:
      return;
    case TTypeKind::tkClass: {
      TObject* object = p.GetObject(instance);
      if (p.IsReference()) {
        auto* component = dynamic_cast<TComponent*>(object);
        out[key] = RenderValue::OfReference(component ? component->InstanceId() : 0);
        return;
      }
      if (auto* list = dynamic_cast<TStringList*>(object)) {
        out[key] = RenderValue::OfText(list->Text());
        return;
      }
      // A collection (status panels, list-view columns and items, a grid's
      // rows) is its count and each element's properties by index:
      // "Panels.Count", "Panels_0.Text", as property paths name them.
      if (auto* items = dynamic_cast<TIndexedItems*>(object)) {
        const int count = items->ItemCount();
        out[key + ".Count"] = RenderValue::OfInteger(count, AnsiString(std::to_string(count).c_str()));
        if (depth + 1 >= kMaxDepth) return;
        for (int i = 0; i < count; ++i) {
          TPersistent* item = items->ItemAt(i);
          if (!item) continue;
          const std::string itemKey = key + "_" + std::to_string(i) + ".";
          for (const TPropInfo* q : item->ClassType().Properties()) AddProperty(out, itemKey, *item, *q, depth + 1);
        }
        return;
      }
      auto* sub = dynamic_cast<TPersistent*>(object);
      if (!sub || depth + 1 >= kMaxDepth) return;
      for (const TPropInfo* q : sub->ClassType().Properties()) AddProperty(out, key + ".", *sub, *q, depth + 1);
      return;
    }
    case TTypeKind::tkString: {
      AnsiString value = p.GetStr(instance);
      // A password edit's text is sent masked, one mark per byte.
      const auto* edit = depth == 0 && p.Name() == "Text" ? dynamic_cast<const TEdit*>(&instance) : nullptr;
      if (edit && edit->PasswordChar() != 0) {
        const std::string marks(value.Length(), edit->PasswordChar());
        value = AnsiString(marks.data(), marks.size());
      }
      out[key] = RenderValue::OfText(value);
      return;
    }
    case TTypeKind::tkFloat:
      if (GetPropValue(instance, p.Name(), text)) out[key] = RenderValue::OfFloat(text);
      return;
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet: {
      if (!GetPropValue(instance, p.Name(), text)) return;
      const std::int64_t value = p.GetOrd(instance);
      if (p.Kind() == TTypeKind::tkInteger && IsColorType(p.PropType()))
        out[key] = RenderValue::OfColor(ColorToRGB(static_cast<TColor>(value)), text);
      else if (p.Kind() == TTypeKind::tkEnumeration && IsBooleanType(p.PropType()))
        out[key] = RenderValue::OfBoolean(value != 0);
      else
        out[key] = RenderValue::OfInteger(value, text);
      return;
    }
  }
}

// The component and its owner tree: each component before the ones it
// owns, in creation order (the order CollectChanges uses).
void CollectTree(TComponent& component, std::vector<TComponent*>& out) {
  out.push_back(&component);
  for (int i = 0; i < component.ComponentCount(); ++i) CollectTree(*component.Components(i), out);
}

// A control takes input now: it exists, shows and is enabled, and its
// form accepts input (modality).
bool TakesInput(const TControl* control, const TCustomForm* form) {
  TApplication& app = Application();
  return app.IsLive(control) && !control->Destroying() && control->Showing() && control->EnabledChain() && form &&
         app.IsLive(form) && app.AcceptsInput(form);
}

}  // namespace

RenderProperties RenderPropertiesOf(const TComponent& component) {
  RenderProperties out;
  for (const TPropInfo* p : component.ClassType().Properties()) AddProperty(out, "", component, *p, 0);
  return out;
}

RenderNode RenderNodeOf(const TComponent& component) {
  RenderNode node;
  node.InstanceId = component.InstanceId();
  node.ClassName = component.ClassType().Name();
  node.Name = component.Name();
  if (component.HasParent())
    if (TComponent* parent = component.GetParentComponent()) node.ParentId = parent->InstanceId();
  node.Properties = RenderPropertiesOf(component);
  return node;
}

FormSnapshot SnapshotOf(const TComponent& form) {
  FormSnapshot snapshot;
  snapshot.FormId = form.InstanceId();
  std::vector<TComponent*> tree;
  CollectTree(const_cast<TComponent&>(form), tree);
  snapshot.Nodes.reserve(tree.size());
  for (TComponent* c : tree) snapshot.Nodes.push_back(RenderNodeOf(*c));
  return snapshot;
}

// --- TRenderHost ---

TRenderHost::TRenderHost(IRenderer& renderer) : renderer_(renderer) {
  Application().SetIdleHandler([this] { SendChanges(); });
}

TRenderHost::~TRenderHost() { Application().SetIdleHandler(nullptr); }

bool TRenderHost::Shows(std::uint64_t formId) const {
  return std::any_of(shown_.begin(), shown_.end(), [&](const auto& s) { return s->FormId == formId; });
}

void TRenderHost::SendChanges() {
  // A renderer's callback that runs a nested loop reaches the idle
  // handler again; that round is this one.
  if (sending_) return;
  sending_ = true;
  try {
    for (auto it = shown_.begin(); it != shown_.end();) {
      Shown& s = **it;
      if (!s.Form || s.Form->Destroying()) {
        const std::uint64_t id = s.FormId;
        it = shown_.erase(it);
        renderer_.OnFormClosed(id);
      } else if (!s.Form->Visible()) {
        const std::uint64_t id = s.FormId;
        it = shown_.erase(it);
        renderer_.OnFormHidden(id);
      } else {
        SendChangeSet(s);
        ++it;
      }
    }
    TScreen& screen = Screen();
    for (int i = 0; i < screen.FormCount(); ++i) {
      TCustomForm* form = screen.Forms(i);
      if (!form || form->Destroying() || !form->Visible() || Shows(form->InstanceId())) continue;
      auto s = std::make_unique<Shown>();
      s->Form = form;
      s->FormId = form->InstanceId();
      FormSnapshot snapshot = SnapshotOf(*form);
      for (const RenderNode& node : snapshot.Nodes) s->Known.push_back(node.InstanceId);
      CollectChanges(*form);  // the snapshot holds them
      shown_.push_back(std::move(s));
      renderer_.OnFormShown(snapshot);
    }
  } catch (...) {
    sending_ = false;
    throw;
  }
  sending_ = false;
}

void TRenderHost::SendChangeSet(Shown& shown) {
  std::vector<TComponent*> tree;
  CollectTree(*shown.Form, tree);
  const std::unordered_set<std::uint64_t> known(shown.Known.begin(), shown.Known.end());

  ChangeSet changes;
  changes.FormId = shown.FormId;
  std::unordered_set<std::uint64_t> now;
  std::vector<std::uint64_t> order;
  order.reserve(tree.size());
  for (TComponent* c : tree) {
    now.insert(c->InstanceId());
    order.push_back(c->InstanceId());
    if (!known.count(c->InstanceId())) changes.Created.push_back(RenderNodeOf(*c));
  }
  for (TComponentChanges& marked : CollectChanges(*shown.Form)) {
    if (!known.count(marked.Component->InstanceId())) continue;  // sent whole as created
    RenderChange change;
    change.InstanceId = marked.Component->InstanceId();
    const TClassInfo& cls = marked.Component->ClassType();
    for (const AnsiString& name : marked.Properties)
      if (const TPropInfo* p = cls.FindProperty(name)) AddProperty(change.Properties, "", *marked.Component, *p, 0);
    if (!change.Properties.empty()) changes.Changed.push_back(std::move(change));
  }
  for (std::uint64_t id : shown.Known)
    if (!now.count(id)) changes.Destroyed.push_back(id);
  shown.Known = std::move(order);
  if (!changes.Empty()) renderer_.OnChanges(changes);
}

bool TRenderHost::Apply(const RenderInput& input) {
  TApplication& app = Application();
  if (sending_) {
    app.QueueCall([self = std::weak_ptr<TRenderHost*>(self_), input] {
      if (auto host = self.lock()) (*host)->Apply(input);
    });
    return true;
  }
  TControl* target = app.FindControlById(input.TargetId);
  if (!target) return false;
  auto* asForm = dynamic_cast<TCustomForm*>(target);
  TCustomForm* form = asForm ? asForm : target->ParentForm();
  switch (input.Kind) {
    case TRenderInputKind::Key:
      return form && app.DispatchKey(form, input.Key, input.Shift);
    case TRenderInputKind::KeyUp:
      return form && app.DispatchKeyUp(form, input.Key, input.Shift);
    case TRenderInputKind::Char:
      return form && app.DispatchChar(form, input.Char);
    case TRenderInputKind::Click:
      return app.DispatchClick(target);
    case TRenderInputKind::Text:
      return ApplyText(target, input.Utf8Text);
    case TRenderInputKind::Focus:
      return ApplyFocus(target);
    case TRenderInputKind::Close:
      return asForm && ApplyClose(asForm);
  }
  return false;
}

bool TRenderHost::ApplyText(TControl* control, const std::string& utf8) {
  auto* asForm = dynamic_cast<TCustomForm*>(control);
  if (asForm || !TakesInput(control, control->ParentForm())) return false;
  TCustomForm* form = control->ParentForm();
  TFormBusy busy(form);
  try {
    // The text comes back in the next change set as the control holds it
    // (what the code page cannot represent included).
    // Text the user entered goes the way typing goes (read-only and length
    // checks, data-aware controls entering edit); other controls take it
    // as their text.
    const AnsiString text = AnsiString::FromUtf8(utf8);
    if (auto* edit = dynamic_cast<TEdit*>(control)) {
      edit->EnterText(text);
    } else if (auto* memo = dynamic_cast<TMemo*>(control)) {
      memo->EnterText(text);
    } else if (auto* combo = dynamic_cast<TComboBox*>(control)) {
      combo->UserEnterText(text);
    } else {
      control->SetText(text);
    }
  } catch (...) {
    Application().HandleException(control);
  }
  return true;
}

bool TRenderHost::ApplyFocus(TControl* control) {
  auto* win = dynamic_cast<TWinControl*>(control);
  TCustomForm* form = control->ParentForm();
  if (!win || dynamic_cast<TCustomForm*>(control) || !TakesInput(control, form) || !win->CanFocus()) return false;
  TFormBusy busy(form);
  try {
    form->SetActiveControl(win);
  } catch (...) {
    Application().HandleException(control);
  }
  return true;
}

bool TRenderHost::ApplyClose(TCustomForm* form) {
  if (!TakesInput(form, form)) return false;
  // Closing runs the form's handlers, which may open dialogs: the request
  // is handled by the loop like the close message of a window.
  Application().PostMessage(form->Handle(), WM_CLOSE);
  return true;
}

}  // namespace platform
