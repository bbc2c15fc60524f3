#include "host/web/WebRenderer.h"

#include <cstdio>

#include "platform/ui/Application.h"
#include "platform/ui/ClassInfo.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/Form.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Menus.h"
#include "platform/ui/ToolBar.h"

namespace hostweb {

using namespace platform;

namespace {

void CollectTree(TComponent& c, std::map<std::uint64_t, TComponent*>& out) {
  out[c.InstanceId()] = &c;
  for (int i = 0; i < c.ComponentCount(); ++i) CollectTree(*c.Components(i), out);
}

TCustomForm* FormById(std::uint64_t id) {
  return dynamic_cast<TCustomForm*>(Application().FindControlById(id));
}

// The pictures a component shows, added to the store.
std::map<std::string, PictureRef> PicturesOf(TComponent& c, PictureStore& store) {
  std::map<std::string, PictureRef> out;
  if (auto* list = dynamic_cast<TImageList*>(&c)) {
    if (list->Count() == 0) return out;
    const int w = list->Width(), h = list->Height();
    TBitmap strip(w * list->Count(), h);
    const TBitmap first = list->Image(0);
    strip.SetTransparentColor(first.TransparentColor());
    for (int i = 0; i < list->Count(); ++i) strip.Draw(i * w, 0, list->Image(i));
    out["Images"] = PictureRef{store.Add(strip), w, h, list->Count()};
  } else if (auto* button = dynamic_cast<TSpeedButton*>(&c)) {
    const TBitmap& glyph = button->Glyph();
    if (glyph.Empty()) return out;
    const int n = button->NumGlyphs();
    out["Glyph"] = PictureRef{store.Add(glyph), glyph.Width() / n, glyph.Height(), n};
  }
  return out;
}

std::string CursorName(TCursor cursor) {
  AnsiString name;
  if (CursorToIdent(cursor, name)) return name.ToUtf8();
  return std::to_string(cursor);
}

}  // namespace

WebRenderer::WebRenderer(PictureStore& pictures, SendFunction send)
    : pictures_(pictures), send_(std::move(send)), host_(std::make_unique<TRenderHost>(*this)) {
  Application().SetIdleHandler([this] { Round(); });
  Application().SetBeepHandler([this] { send_(SimpleMessage("beep")); });
}

WebRenderer::~WebRenderer() {
  Application().SetBeepHandler(nullptr);
  host_.reset();  // removes the idle handler
}

void WebRenderer::Restart() {
  send_(SimpleMessage("reset"));
  lastScreen_.clear();
  sentPictures_.clear();
  // The forms the render host already shows get a fresh snapshot now; later
  // change sets stay relative to what it sent before, which the snapshot
  // already holds. Forms not shown yet come with the next round.
  TScreen& screen = Screen();
  for (int i = 0; i < screen.FormCount(); ++i) {
    TCustomForm* form = screen.Forms(i);
    if (form && !form->Destroying() && host_->Shows(form->InstanceId())) OnFormShown(SnapshotOf(*form));
  }
  SendScreen();
}

void WebRenderer::Round() {
  host_->SendChanges();
  SendPictureChanges();
  SendScreen();
}

PictureRefs WebRenderer::PicturesOf(std::uint64_t formId, const std::vector<std::uint64_t>& ids) {
  PictureRefs refs;
  TCustomForm* form = FormById(formId);
  if (!form) return refs;
  std::map<std::uint64_t, TComponent*> tree;
  CollectTree(*form, tree);
  for (std::uint64_t id : ids) {
    auto it = tree.find(id);
    if (it == tree.end()) continue;
    auto pics = hostweb::PicturesOf(*it->second, pictures_);
    if (dynamic_cast<TImageList*>(it->second) || dynamic_cast<TSpeedButton*>(it->second)) {
      auto& sent = sentPictures_[id];
      sent.first = formId;
      sent.second.clear();
      for (const auto& [name, ref] : pics) sent.second[name] = ref.Hash;
    }
    if (!pics.empty()) refs[id] = std::move(pics);
  }
  return refs;
}

namespace {

// Owners and class chains of the form's components.
void AddTreeExtras(std::uint64_t formId, NodeExtras& extras) {
  TCustomForm* form = FormById(formId);
  if (!form) return;
  std::map<std::uint64_t, TComponent*> tree;
  CollectTree(*form, tree);
  for (const auto& [id, c] : tree) {
    if (c->Owner()) extras.Owners[id] = c->Owner()->InstanceId();
    auto& chain = extras.Classes[id];
    for (const TClassInfo* cls = &c->ClassType(); cls; cls = cls->Parent()) {
      chain.push_back(cls->Name().ToUtf8());
      if (cls->Name() == "TComponent") break;
    }
  }
}

}  // namespace

void WebRenderer::OnFormShown(const FormSnapshot& snapshot) {
  std::vector<std::uint64_t> ids;
  for (const RenderNode& node : snapshot.Nodes) ids.push_back(node.InstanceId);
  NodeExtras extras;
  AddTreeExtras(snapshot.FormId, extras);
  extras.Pictures = PicturesOf(snapshot.FormId, ids);
  send_(SnapshotMessage(snapshot, extras));
}

void WebRenderer::OnChanges(const ChangeSet& changes) {
  NodeExtras extras;
  if (!changes.Created.empty()) {
    std::vector<std::uint64_t> ids;
    for (const RenderNode& node : changes.Created) ids.push_back(node.InstanceId);
    AddTreeExtras(changes.FormId, extras);
    extras.Pictures = PicturesOf(changes.FormId, ids);
  }
  for (std::uint64_t id : changes.Destroyed) sentPictures_.erase(id);
  send_(ChangesMessage(changes, extras));
}

void WebRenderer::OnFormHidden(std::uint64_t formId) { send_(FormMessage("hidden", formId)); }

void WebRenderer::OnFormClosed(std::uint64_t formId) {
  for (auto it = sentPictures_.begin(); it != sentPictures_.end();)
    it = it->second.first == formId ? sentPictures_.erase(it) : std::next(it);
  send_(FormMessage("closed", formId));
}

void WebRenderer::SendPictureChanges() {
  // Pictures are not published properties, so their changes are found here.
  std::map<std::uint64_t, std::map<std::uint64_t, TComponent*>> trees;
  std::map<std::uint64_t, ChangeSet> sets;
  NodeExtras extras;
  for (auto& [id, sent] : sentPictures_) {
    auto [treeIt, fresh] = trees.try_emplace(sent.first);
    if (fresh)
      if (TCustomForm* form = FormById(sent.first)) CollectTree(*form, treeIt->second);
    auto c = treeIt->second.find(id);
    if (c == treeIt->second.end()) continue;
    auto pics = hostweb::PicturesOf(*c->second, pictures_);
    std::map<std::string, std::uint64_t> hashes;
    for (const auto& [name, ref] : pics) hashes[name] = ref.Hash;
    if (hashes == sent.second) continue;
    sent.second = hashes;
    ChangeSet& set = sets[sent.first];
    set.FormId = sent.first;
    set.Changed.push_back(RenderChange{id, {}});
    extras.Pictures[id] = std::move(pics);
  }
  for (const auto& [formId, set] : sets) send_(ChangesMessage(set, extras));
}

void WebRenderer::SendScreen() {
  TApplication& app = Application();
  TCustomForm* modal = app.ModalForm();
  TCustomForm* active = Screen().ActiveForm();
  std::string message = ScreenMessage(modal ? modal->InstanceId() : 0, active ? active->InstanceId() : 0,
                                      CursorName(Screen().Cursor()));
  if (message == lastScreen_) return;
  lastScreen_ = message;
  send_(std::move(message));
}

bool WebRenderer::ApplyMessage(const std::string& message) {
  std::string error;
  auto input = ParseBrowserInput(message, error);
  if (!input) {
    std::fprintf(stderr, "Browser message dropped: %s\n", error.c_str());
    return false;
  }
  return Apply(*input);
}

namespace {

// Keys and characters go to the form that has the focus when they are
// dispatched, not to the one the browser showed as active when it sent
// them: a key typed ahead while a handler opens a dialog reaches the
// dialog.
std::uint64_t KeyTarget(std::uint64_t sentTo) {
  if (TCustomForm* modal = Application().ModalForm()) return modal->InstanceId();
  if (TCustomForm* active = Screen().ActiveForm())
    if (active->Visible() && !active->Destroying()) return active->InstanceId();
  return sentTo;
}

}  // namespace

bool WebRenderer::Apply(const BrowserInput& in) {
  RenderInput r;
  r.TargetId = in.Target;
  if (in.Shift) r.Shift.Include(ssShift);
  if (in.Ctrl) r.Shift.Include(ssCtrl);
  if (in.Alt) r.Shift.Include(ssAlt);
  switch (in.Kind) {
    case BrowserInputKind::Hello:
      Screen().SetSize(in.Width, in.Height);
      return true;
    case BrowserInputKind::Key:
    case BrowserInputKind::KeyUp:
      r.Kind = in.Kind == BrowserInputKind::Key ? TRenderInputKind::Key : TRenderInputKind::KeyUp;
      r.TargetId = KeyTarget(in.Target);
      r.Key = static_cast<Word>(in.Key);
      return host_->Apply(r);
    case BrowserInputKind::Char:
      return ApplyChars(KeyTarget(in.Target), in.Text);
    case BrowserInputKind::Click:
      r.Kind = TRenderInputKind::Click;
      return host_->Apply(r);
    case BrowserInputKind::Focus:
      r.Kind = TRenderInputKind::Focus;
      return host_->Apply(r);
    case BrowserInputKind::Close:
      r.Kind = TRenderInputKind::Close;
      return host_->Apply(r);
    case BrowserInputKind::Text:
      r.Kind = TRenderInputKind::Text;
      r.Utf8Text = in.Text;
      return host_->Apply(r);
    case BrowserInputKind::Page:
      return ApplyPage(in.Target, in.Index);
    case BrowserInputKind::Menu:
      return ApplyMenu(in.Target);
    case BrowserInputKind::GridClick:
      return DispatchGridMouseDown(in.Target, in.X, in.Y, r.Shift);
    case BrowserInputKind::Scroll:
      return DispatchGridScroll(in.Target, in.Index);
    case BrowserInputKind::Select:
      return ApplySelect(in.Target, in.Index, r.Shift);
  }
  return false;
}

bool WebRenderer::ApplyChars(std::uint64_t formId, const std::string& utf8) {
  // Text arrives as UTF-8 and reaches the controls as bytes of the process
  // code page, a double-byte character as its two bytes in order.
  const AnsiString bytes = AnsiString::FromUtf8(utf8);
  bool delivered = false;
  for (char ch : bytes.Bytes()) {
    RenderInput r;
    r.Kind = TRenderInputKind::Char;
    r.TargetId = formId;
    r.Char = ch;
    delivered = host_->Apply(r) || delivered;
  }
  return delivered;
}

bool WebRenderer::ApplyPage(std::uint64_t id, int index) {
  TApplication& app = Application();
  auto* pages = dynamic_cast<TPageControl*>(app.FindControlById(id));
  if (!pages) return false;
  TCustomForm* form = pages->ParentForm();
  if (!form || !app.AcceptsInput(form)) return false;
  TFormBusy busy(form);
  try {
    return pages->UserSelectPage(index);
  } catch (...) {
    app.HandleException(pages);
  }
  return true;
}

bool WebRenderer::ApplySelect(std::uint64_t id, int index, TShiftState shift) {
  TApplication& app = Application();
  TControl* control = app.FindControlById(id);
  TCustomForm* form = control ? control->ParentForm() : nullptr;
  if (!form || !app.AcceptsInput(form)) return false;
  TFormBusy busy(form);
  try {
    // Each control's own user path refuses what the user could not choose
    // (hidden, disabled, out of range).
    if (auto* combo = dynamic_cast<TComboBox*>(control)) return combo->UserSelect(index);
    if (auto* list = dynamic_cast<TListBox*>(control)) return list->UserSelect(index, shift);
    if (auto* group = dynamic_cast<TRadioGroup*>(control)) return group->UserSelect(index);
  } catch (...) {
    app.HandleException(control);
    return true;
  }
  return false;
}

bool WebRenderer::ApplyMenu(std::uint64_t id) {
  TApplication& app = Application();
  TScreen& screen = Screen();
  for (int i = 0; i < screen.FormCount(); ++i) {
    TCustomForm* form = screen.Forms(i);
    if (!form || form->Destroying() || !host_->Shows(form->InstanceId())) continue;
    std::map<std::uint64_t, TComponent*> tree;
    CollectTree(*form, tree);
    auto it = tree.find(id);
    if (it == tree.end()) continue;
    auto* item = dynamic_cast<TMenuItem*>(it->second);
    // Input for an unknown id, an unavailable item or a form outside the
    // modal one is dropped, as for controls.
    if (!item || !item->Available() || !form->Visible() || !app.AcceptsInput(form)) return false;
    TFormBusy busy(form);
    try {
      item->Click();
    } catch (...) {
      app.HandleException(item);
    }
    return true;
  }
  return false;
}

}  // namespace hostweb
