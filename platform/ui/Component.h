// TComponent: a named object in an owner tree, the base of forms, data
// modules, controls and non-visual parts.
//
// Ownership: a component created with an owner is owned by it: it appears
// in the owner's Components list (in creation order) and is destroyed with
// the owner (the last created first). A component created without an owner
// belongs to whoever created it (hold it in a std::unique_ptr). Deleting an
// owned component is allowed at any time: it leaves its owner's list
// first. Everything else refers to components without owning them and is
// told when they go:
// - Notification(component, opRemove) reaches the component's owner and,
//   through the owner, every other component of the same owner;
// - FreeNotification(observer) adds observers elsewhere (the observed
//   component tells them when it goes, and forgets them when they go);
// - TComponentPtr (ComponentPtr.h) is a pointer that clears itself.
// A descendant that overrides Notification calls the inherited one.
//
// Names: a component's Name is empty or an identifier, unique among its
// owner's components without regard to ASCII case; FindComponent finds an
// owned component by name.
//
// State: csLoading and csReading while the component is read from a form
// resource (FormResource.h), csDestroying from the moment destruction
// starts, csDesigning in designers (no designer runs on this platform, but
// components may test it). A request that must wait until loading ends is
// remembered while csLoading is set and carried out in an override of
// Loaded(), which the resource reader calls for every component it read
// once all of them are read.
//
// Changes: setters of published properties mark them (MarkChanged, see
// Persistent.h); TakeChanges hands the renderer the names marked since the
// previous call, each once, and CollectChanges does so for a whole tree.
// String-list properties are compared with their previous lines instead,
// since lists are edited in place.
//
// Components are used on the UI thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/ui/Persistent.h"
#include "platform/ui/SetOf.h"

namespace platform {

PLATFORM_EXCEPTION_CLASS(EComponentError, Exception);

enum TComponentStateElement {
  csLoading,
  csReading,
  csWriting,
  csDestroying,
  csDesigning,
  csAncestor,
  csUpdating,
  csFixups,
  csFreeNotification,
  csInline,
  csDesignInstance
};
using TComponentState = SetOf<TComponentStateElement>;

enum TOperation { opInsert, opRemove };

class TComponentPtrBase;

class TComponent : public TPersistent {
  PLATFORM_CLASS(TComponent)

 public:
  // Inserts the new component into owner's Components (owner may be null).
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  // --- names and ownership ---
  const AnsiString& Name() const { return name_; }
  // Raises EComponentError for a name that is not an identifier, or that
  // another component of the same owner has.
  void SetName(const AnsiString& name);
  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  // Position in the owner's list; -1 without an owner.
  int ComponentIndex() const;
  // The owned component of that name (ASCII case ignored); nullptr when
  // there is none or the name is empty.
  TComponent* FindComponent(const AnsiString& name) const;
  // Takes ownership of a component that has no owner.
  void InsertComponent(TComponent* component);
  // Gives up ownership; the caller owns the component afterwards.
  void RemoveComponent(TComponent* component);
  // Destroys the owned components, the last created first.
  void DestroyComponents();

  // --- notifications ---
  // Asks this component to tell observer (Notification opRemove) when it
  // goes; the request is mutual, so neither keeps a dangling pointer.
  void FreeNotification(TComponent* observer);
  void RemoveFreeNotification(TComponent* observer);

  // --- state ---
  TComponentState ComponentState() const { return state_; }
  bool Loading() const { return state_.Contains(csLoading); }
  bool Destroying() const { return state_.Contains(csDestroying); }
  bool Designing() const { return state_.Contains(csDesigning); }
  // Enters csDestroying, with every owned component. The destructor does
  // it; a descendant whose destructor does work that observers may see
  // calls it first.
  void BeginDestroy();
  void SetDesigning(bool on, bool withChildren = true);
  // Loading state, set and cleared by the resource reader.
  void SetLoadingState(bool loading, bool reading);

  // --- the parent relation of a resource's nesting ---
  // True for components placed inside another in a form resource
  // (controls inside their parent, menu items inside their menu). The
  // resource reader calls SetParentComponent with the enclosing component.
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* parent) {}

  // --- published ---
  int Tag() const { return tag_; }
  void SetTag(int tag) { ChangeProperty(tag_, tag, "Tag"); }

  // --- changes for the renderer ---
  void MarkChanged(const AnsiString& propertyName) override;
  // The properties marked since the previous call, in the order first
  // marked, each once; the marks are cleared.
  std::vector<AnsiString> TakeChanges();
  bool IsChanged(const AnsiString& propertyName) const;

  // A number that identifies this component for the life of the process
  // and is never given to another.
  std::uint64_t InstanceId() const { return instanceId_; }

 protected:
  // Told when component is inserted into or removed from this component's
  // owner tree, or when a component this one observes goes.
  virtual void Notification(TComponent* component, TOperation operation);
  // Called once after the component and all components read with it have
  // been read from their resources; clears csLoading.
  virtual void Loaded();

 private:
  friend class TComponentPtrBase;
  friend class ResourceReader;

  void Insert(TComponent* component);
  void Remove(TComponent* component);
  void NotifyRemoval(TComponent* component);
  void ClearWatchers();
  void CompareStringLists();

  AnsiString name_;
  TComponent* owner_ = nullptr;
  std::vector<std::unique_ptr<TComponent>> components_;
  std::vector<TComponent*> freeNotifies_;
  std::vector<TComponentPtrBase*> watchers_;
  TComponentState state_;
  int tag_ = 0;
  std::uint64_t instanceId_;
  std::vector<AnsiString> changes_;
  std::map<AnsiString, std::vector<AnsiString>> listLines_;  // string-list property -> lines last taken
};

// The marks of one component, as CollectChanges hands them out.
struct TComponentChanges {
  TComponent* Component;
  std::vector<AnsiString> Properties;
};

// TakeChanges of root and of every component it owns, recursively, root
// first and then in creation order; components without marks are left out.
std::vector<TComponentChanges> CollectChanges(TComponent& root);

}  // namespace platform
