// The render interface: the one narrow way a renderer sees the headless
// forms and feeds input back.
//
// A renderer (IRenderer) is told when a form is shown, with a snapshot of
// the form and every component in its owner tree; after that it gets
// change sets, at most one per form per round of the message loop (the
// application's idle handler): the properties marked since the previous
// round with their new values, the components created since then (as full
// nodes) and the instance ids of those that went. It is told when a form
// is hidden (a later show brings a new snapshot) and when it is freed.
//
// Components are named by instance id (Component.h), never reused, so a
// renderer that still holds the id of a component that has gone cannot
// reach another one: input for an id the application does not know is
// dropped.
//
// Values: every published property of the class's table, in the table's
// order, converted by kind: texts carry their code page and their UTF-8
// form; colours are resolved to RGB (0x00BBGGRR, system colours through
// the palette; the markers clNone and clDefault stay as they are, their
// text names them); Boolean properties are booleans; other ordinals are
// integers with their identifier text ("talClient", "[fsBold]"); floats
// keep their text too. An owned sub-object (Font) is flattened into its
// own properties ("Font.Name", "Font.Size"); a collection is its count and
// its elements' properties ("Panels.Count", "Panels_0.Text"); a reference to a component is
// its instance id (0 when empty); a string list is its text; events are
// not values and are left out.
//
// TRenderHost is the platform side: it installs the application's idle
// handler, takes snapshots and change sets and applies input through the
// application's input entry points (Application.h), so modality, hidden
// and disabled controls are handled as for any other input.
//
// Used on the UI thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/Event.h"

namespace platform {

class TComponent;
class TControl;
class TCustomForm;

enum class TRenderValueKind { Text, Integer, Boolean, Color, Float, Reference };

// One property value as the renderer sees it.
struct RenderValue {
  TRenderValueKind Kind = TRenderValueKind::Text;
  // The text form (GetPropValue's; the text itself for Text).
  AnsiString Text;
  // Text: the code page of Text's bytes and the same text in UTF-8.
  unsigned CodePage = 0;
  std::string Utf8;
  // Integer, Boolean (0 or 1), Color (resolved RGB), Reference (instance id).
  std::int64_t Integer = 0;

  static RenderValue OfText(const AnsiString& text);
  static RenderValue OfInteger(std::int64_t value, const AnsiString& text);
  static RenderValue OfBoolean(bool value);
  static RenderValue OfColor(std::int32_t rgb, const AnsiString& text);
  static RenderValue OfFloat(const AnsiString& text);
  static RenderValue OfReference(std::uint64_t instanceId);

  friend bool operator==(const RenderValue& a, const RenderValue& b);
};

using RenderProperties = std::map<std::string, RenderValue>;  // property name (as declared) -> value

// One component of a form.
struct RenderNode {
  std::uint64_t InstanceId = 0;
  AnsiString ClassName;
  AnsiString Name;
  // The visual parent (a control's Parent), else 0.
  std::uint64_t ParentId = 0;
  RenderProperties Properties;
};

// A form and every component of its owner tree, the form first, then in
// creation order (each component before the ones it owns).
struct FormSnapshot {
  std::uint64_t FormId = 0;
  std::vector<RenderNode> Nodes;
};

// The changed properties of one component.
struct RenderChange {
  std::uint64_t InstanceId = 0;
  RenderProperties Properties;
};

// What changed on one form since the previous round.
struct ChangeSet {
  std::uint64_t FormId = 0;
  // Components that existed before and have marked properties, in the
  // order of the owner tree.
  std::vector<RenderChange> Changed;
  // Components created since the previous round, as full nodes.
  std::vector<RenderNode> Created;
  // Components that went since the previous round.
  std::vector<std::uint64_t> Destroyed;

  bool Empty() const { return Changed.empty() && Created.empty() && Destroyed.empty(); }
};

enum class TRenderInputKind {
  Key,      // a key pressed, to the form of TargetId (form or one of its controls)
  KeyUp,    // a key released, the same way
  Char,     // a character typed, the same way
  Click,    // a click on the control TargetId
  Text,     // the text of the control TargetId, as the user left it
  Focus,    // the focus moved to the windowed control TargetId
  Close,    // the user asked to close the form TargetId
};

// One piece of input from the renderer.
struct RenderInput {
  TRenderInputKind Kind = TRenderInputKind::Click;
  std::uint64_t TargetId = 0;
  Word Key = 0;
  TShiftState Shift;
  char Char = 0;  // a byte of the process code page
  std::string Utf8Text;
};

// What a renderer implements.
class IRenderer {
 public:
  virtual ~IRenderer() = default;
  virtual void OnFormShown(const FormSnapshot& snapshot) = 0;
  virtual void OnChanges(const ChangeSet& changes) = 0;
  virtual void OnFormHidden(std::uint64_t formId) = 0;
  virtual void OnFormClosed(std::uint64_t formId) = 0;
};

// The values of every published property of component, as described above.
RenderProperties RenderPropertiesOf(const TComponent& component);
// The node of one component.
RenderNode RenderNodeOf(const TComponent& component);
// The snapshot of a form (marks are left as they are).
FormSnapshot SnapshotOf(const TComponent& form);

// Connects one renderer to the application's forms.
class TRenderHost {
 public:
  // Installs the application's idle handler, which runs SendChanges; the
  // destructor removes it. One host at a time.
  explicit TRenderHost(IRenderer& renderer);
  ~TRenderHost();
  TRenderHost(const TRenderHost&) = delete;
  TRenderHost& operator=(const TRenderHost&) = delete;

  // One round: forms freed or hidden since the previous round are reported
  // so; visible forms the renderer has seen get a change set when anything
  // changed; forms visible for the first time get a snapshot (and their
  // marks are cleared). The idle handler calls it.
  void SendChanges();

  // Delivers input through the application's entry points; false when it
  // was dropped (an unknown id, a target of the wrong kind, a control that
  // does not take input now, a form outside the modal one). Input given
  // while the host is sending (from a renderer's callback) is queued to
  // the loop instead, since its handlers may open a modal form whose loop
  // must be able to send; it answers true then.
  bool Apply(const RenderInput& input);

  // True while the renderer shows the form of that id.
  bool Shows(std::uint64_t formId) const;

 private:
  struct Shown {
    TComponentPtr<TCustomForm> Form;
    std::uint64_t FormId = 0;
    std::vector<std::uint64_t> Known;  // the owner tree at the previous round, in order
  };

  void SendChangeSet(Shown& shown);
  TCustomForm* FormOf(std::uint64_t id) const;
  bool ApplyText(TControl* control, const std::string& utf8);
  bool ApplyFocus(TControl* control);
  bool ApplyClose(TCustomForm* form);

  IRenderer& renderer_;
  std::vector<std::unique_ptr<Shown>> shown_;
  bool sending_ = false;
  // Queued input holds it weakly: the host may go before the input runs.
  std::shared_ptr<TRenderHost*> self_ = std::make_shared<TRenderHost*>(this);
};

}  // namespace platform
