// TClassInfo: the metaclass of a class of the component model.
//
// One TClassInfo exists per class (TPersistent and its descendants),
// reached through T::StaticClass() or obj.ClassType(). It holds:
// - the class name and the parent class, so the class-name chain
//   (ClassNameChain: "TfrmOrder", ..., "TForm", ..., "TObject") and
//   inherits-from tests need no C++ RTTI;
// - the published property table: typed entries declared once per class
//   in declaration order, inherited by descendants (FindProperty looks in
//   the class first, then in its ancestors; Properties lists the
//   ancestors' first);
// - the published handler table: the methods a form resource may wire to
//   events by name (FindHandler, inherited the same way);
// - the virtual constructor of concrete component classes (CreateComponent
//   with an owner: form resources create components by class name) and of
//   collection item classes (CreateItem);
// - the library (TLibModule) whose code defines the class: its form
//   resources and the class names its resources may use are found there.
//
// Class infos are built by TClassBuilder (ClassBuilder.h) into a
// function-local static and live until the process ends. Property and
// class names compare without regard to ASCII case, as in the class
// library.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <typeinfo>
#include <unordered_map>
#include <variant>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/ui/Event.h"
#include "platform/ui/TypeInfo.h"

namespace platform {

class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;
class TLibModule;
class TClassInfo;

// One published property: name, type, getter, setter and default.
//
// The typed accessors must match the kind of the property's type (an
// assertion checks it): GetOrd/SetOrd for integers, characters,
// enumerations and sets (sets as their bit mask), GetFloat/SetFloat,
// GetStr/SetStr, GetObject/SetObject for objects, GetMethod/SetMethod for
// events. Setters of the class mark the property changed (Persistent.h);
// a property whose setter is a data member is marked by the table.
class TPropInfo {
 public:
  const AnsiString& Name() const { return name_; }
  const TTypeInfo& PropType() const { return *type_; }
  TTypeKind Kind() const { return type_->Kind(); }
  bool IsWritable() const;
  // Object properties: true for a reference to a component found by name
  // (DataSource, FocusControl), false for an owned sub-object (Font, Lines,
  // Columns) that the property's setter copies.
  bool IsReference() const { return reference_; }
  const TClassInfo& DeclaringClass() const { return *declaringClass_; }

  std::int64_t GetOrd(const TPersistent& instance) const;
  void SetOrd(TPersistent& instance, std::int64_t value) const;
  double GetFloat(const TPersistent& instance) const;
  void SetFloat(TPersistent& instance, double value) const;
  AnsiString GetStr(const TPersistent& instance) const;
  void SetStr(TPersistent& instance, const AnsiString& value) const;
  TObject* GetObject(const TPersistent& instance) const;
  // False when value is not of the property's class (nothing is set).
  bool SetObject(TPersistent& instance, TObject* value) const;
  TMethod GetMethod(const TPersistent& instance) const;
  // False when the handler's parameters differ from the event's.
  bool SetMethod(TPersistent& instance, const TMethod& value) const;

  // The declared default, when there is one; IsDefault compares the
  // instance's current value with it.
  bool HasDefault() const { return !std::holds_alternative<std::monostate>(default_); }
  bool IsDefault(const TPersistent& instance) const;

  // The type-erased accessors TClassBuilder fills in.
  struct Access {
    std::function<std::int64_t(const TPersistent&)> getOrd;
    std::function<void(TPersistent&, std::int64_t)> setOrd;
    std::function<double(const TPersistent&)> getFloat;
    std::function<void(TPersistent&, double)> setFloat;
    std::function<AnsiString(const TPersistent&)> getStr;
    std::function<void(TPersistent&, const AnsiString&)> setStr;
    std::function<TObject*(const TPersistent&)> getObject;
    std::function<bool(TPersistent&, TObject*)> setObject;
    std::function<TMethod(const TPersistent&)> getMethod;
    std::function<void(TPersistent&, const TMethod&)> setMethod;
  };
  using Default = std::variant<std::monostate, std::int64_t, double, AnsiString>;

  TPropInfo(AnsiString name, const TTypeInfo& type, Access access, bool reference)
      : name_(std::move(name)), type_(&type), access_(std::move(access)), reference_(reference) {}
  void SetDefault(Default value) { default_ = std::move(value); }

 private:
  friend class TClassInfo;
  AnsiString name_;
  const TTypeInfo* type_;
  Access access_;
  bool reference_ = false;
  Default default_;
  const TClassInfo* declaringClass_ = nullptr;
};

// One published handler: a method a resource wires to an event by name.
struct THandlerInfo {
  AnsiString Name;
  TMethod::TCode Code = nullptr;
  const std::type_info* Signature = nullptr;
  // The object the method runs on, given an instance of the class.
  void* (*DataOf)(TPersistent& instance) = nullptr;

  // The handler value of this method on instance.
  TMethod Bind(TPersistent& instance) const { return TMethod{Code, DataOf(instance), Signature}; }
};

class TClassInfo {
 public:
  using ComponentFactory = TComponent* (*)(TComponent* owner);
  using ItemFactory = TCollectionItem* (*)(TCollection* collection);

  // Everything a class info is made of (TClassBuilder fills it).
  struct Data {
    AnsiString name;
    const TClassInfo* parent = nullptr;
    TLibModule* module = nullptr;
    std::vector<TPropInfo> properties;
    std::vector<THandlerInfo> handlers;
    ComponentFactory componentFactory = nullptr;
    ItemFactory itemFactory = nullptr;
  };
  // Builds the class info and registers the class with its library.
  explicit TClassInfo(Data data);
  TClassInfo(const TClassInfo&) = delete;
  TClassInfo& operator=(const TClassInfo&) = delete;

  const AnsiString& Name() const { return data_.name; }
  const TClassInfo* Parent() const { return data_.parent; }
  // The library that defines the class (nullptr for TObject).
  TLibModule* Module() const { return data_.module; }

  // True for this class and its descendants.
  bool InheritsFrom(const TClassInfo& ancestor) const;
  // The same by class name (ASCII case ignored): for classes of another
  // library.
  bool InheritsFrom(const AnsiString& ancestorName) const;
  // The class names from this class up to "TObject".
  std::vector<AnsiString> ClassNameChain() const;

  // The property of that name in this class or an ancestor; nullptr when
  // there is none.
  const TPropInfo* FindProperty(const AnsiString& name) const;
  // All properties, the ancestors' first, each class in declaration order
  // (a property a descendant declares again keeps the ancestor's place).
  const std::vector<const TPropInfo*>& Properties() const;
  const std::vector<TPropInfo>& OwnProperties() const { return data_.properties; }

  // The published handler of that name in this class or an ancestor.
  const THandlerInfo* FindHandler(const AnsiString& name) const;
  // The name of the published handler a value's code names; empty when
  // it is none of this class's (or its ancestors') handlers.
  AnsiString HandlerName(const TMethod& method) const;

  // Virtual construction. A class that cannot be created (abstract, or no
  // constructor of that form) answers false and must not be asked.
  bool CanCreateComponent() const { return data_.componentFactory != nullptr; }
  TComponent* CreateComponent(TComponent* owner) const;
  bool CanCreateItem() const { return data_.itemFactory != nullptr; }
  TCollectionItem* CreateItem(TCollection* collection) const;

 private:
  Data data_;
  std::unordered_map<std::string, std::size_t> propertyIndex_;  // upper-cased name -> own property
  std::unordered_map<std::string, std::size_t> handlerIndex_;
  mutable std::once_flag allPropertiesOnce_;
  mutable std::vector<const TPropInfo*> allProperties_;
};

// The metaclass of a component class, and of any persistent class.
using TComponentClass = const TClassInfo*;
using TPersistentClass = const TClassInfo*;

// The root of every chain.
const TClassInfo& ObjectClassInfo();

}  // namespace platform
