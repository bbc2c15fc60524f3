// TPersistent: the base of every object with published properties.
//
// A persistent object knows its metaclass (ClassType(): class name,
// class-name chain, property and handler tables), can copy another
// object's state (Assign), and reports changes of its published properties
// (MarkChanged) so the renderer learns what to draw again.
//
// Sub-objects that a component owns and publishes (its Font, its
// collections) are attached to it with SetOwnerProperty: their changes are
// reported as a change of the owner's property ("Font", "Columns"). The
// component records the marks (Component.h).
//
// Persistent objects are not copyable; Assign copies state explicitly.
// Every class declares its metaclass with PLATFORM_CLASS in its body and
// defines StaticClass() with TClassBuilder (ClassBuilder.h).
#pragma once

#include <vector>

#include "platform/AnsiString.h"
#include "platform/Object.h"
#include "platform/ui/ClassInfo.h"

namespace platform {

// In a class body: the metaclass of T and its virtual accessors.
#define PLATFORM_CLASS(T)                                                                 \
 public:                                                                                  \
  static const ::platform::TClassInfo& StaticClass();                                     \
  const ::platform::TClassInfo& ClassType() const override { return T::StaticClass(); } \
                                                                                          \
 private:

class TPersistent : public TObject {
 public:
  TPersistent() = default;
  TPersistent(const TPersistent&) = delete;
  TPersistent& operator=(const TPersistent&) = delete;
  ~TPersistent() override = default;

  static const TClassInfo& StaticClass();
  virtual const TClassInfo& ClassType() const { return StaticClass(); }
  const char* ClassName() const final { return ClassType().Name().c_str(); }

  // Exact class test by name (ASCII case ignored).
  bool ClassNameIs(const AnsiString& name) const { return SameText(ClassType().Name(), name); }
  bool InheritsFrom(const TClassInfo& ancestor) const { return ClassType().InheritsFrom(ancestor); }
  bool InheritsFrom(const AnsiString& ancestorName) const { return ClassType().InheritsFrom(ancestorName); }
  // This class's name first, "TObject" last.
  std::vector<AnsiString> ClassNameChain() const { return ClassType().ClassNameChain(); }

  // Copies source's state into this object. The default asks source
  // (AssignTo) and raises EConvertError "Cannot assign a X to a Y" when
  // neither class knows the other.
  virtual void Assign(const TPersistent& source);

  // Reports a change of the published property of that name. The default
  // passes it on to the owner set by SetOwnerProperty as a change of the
  // owner's property; TComponent records it.
  virtual void MarkChanged(const AnsiString& propertyName);

  // The object that publishes this one, and under which property name.
  TPersistent* GetOwner() const { return owner_; }
  const AnsiString& OwnerProperty() const { return ownerProperty_; }
  void SetOwnerProperty(TPersistent* owner, const AnsiString& propertyName) {
    owner_ = owner;
    ownerProperty_ = propertyName;
  }

 protected:
  // Copies this object into dest; the default raises.
  virtual void AssignTo(TPersistent& dest) const;

  // The setter pattern of published properties: stores value and marks the
  // property when it differs; true when it changed.
  //   void TLabel::SetCaption(const AnsiString& v) { ChangeProperty(caption_, v, "Caption"); }
  template <typename V, typename W>
  bool ChangeProperty(V& field, const W& value, const char* propertyName) {
    if (field == value) return false;
    field = value;
    MarkChanged(propertyName);
    return true;
  }

 private:
  TPersistent* owner_ = nullptr;
  AnsiString ownerProperty_;
};

}  // namespace platform
