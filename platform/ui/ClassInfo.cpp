#include "platform/ui/ClassInfo.h"

#include <cassert>

#include "platform/ui/LibModule.h"
#include "platform/ui/Persistent.h"

namespace platform {

namespace {

std::string Key(const AnsiString& name) { return UpperCase(name).Bytes(); }

}  // namespace

bool TPropInfo::IsWritable() const {
  switch (Kind()) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet:
      return static_cast<bool>(access_.setOrd);
    case TTypeKind::tkFloat:
      return static_cast<bool>(access_.setFloat);
    case TTypeKind::tkString:
      return static_cast<bool>(access_.setStr);
    case TTypeKind::tkClass:
      return static_cast<bool>(access_.setObject);
    case TTypeKind::tkMethod:
      return static_cast<bool>(access_.setMethod);
  }
  return false;
}

std::int64_t TPropInfo::GetOrd(const TPersistent& instance) const {
  assert(access_.getOrd);
  return access_.getOrd(instance);
}

void TPropInfo::SetOrd(TPersistent& instance, std::int64_t value) const {
  assert(access_.setOrd);
  access_.setOrd(instance, value);
}

double TPropInfo::GetFloat(const TPersistent& instance) const {
  assert(access_.getFloat);
  return access_.getFloat(instance);
}

void TPropInfo::SetFloat(TPersistent& instance, double value) const {
  assert(access_.setFloat);
  access_.setFloat(instance, value);
}

AnsiString TPropInfo::GetStr(const TPersistent& instance) const {
  assert(access_.getStr);
  return access_.getStr(instance);
}

void TPropInfo::SetStr(TPersistent& instance, const AnsiString& value) const {
  assert(access_.setStr);
  access_.setStr(instance, value);
}

TObject* TPropInfo::GetObject(const TPersistent& instance) const {
  assert(access_.getObject);
  return access_.getObject(instance);
}

bool TPropInfo::SetObject(TPersistent& instance, TObject* value) const {
  assert(access_.setObject);
  return access_.setObject(instance, value);
}

TMethod TPropInfo::GetMethod(const TPersistent& instance) const {
  assert(access_.getMethod);
  return access_.getMethod(instance);
}

bool TPropInfo::SetMethod(TPersistent& instance, const TMethod& value) const {
  assert(access_.setMethod);
  if (!value.Fits(*type_->Signature())) return false;
  access_.setMethod(instance, value);
  return true;
}

bool TPropInfo::IsDefault(const TPersistent& instance) const {
  if (const auto* ord = std::get_if<std::int64_t>(&default_)) return type_->IsOrdinal() && GetOrd(instance) == *ord;
  if (const auto* f = std::get_if<double>(&default_)) return Kind() == TTypeKind::tkFloat && GetFloat(instance) == *f;
  if (const auto* s = std::get_if<AnsiString>(&default_)) return Kind() == TTypeKind::tkString && GetStr(instance) == *s;
  return false;
}

TClassInfo::TClassInfo(Data data) : data_(std::move(data)) {
  for (std::size_t i = 0; i < data_.properties.size(); ++i) {
    data_.properties[i].declaringClass_ = this;
    const bool added = propertyIndex_.emplace(Key(data_.properties[i].Name()), i).second;
    assert(added && "a property is declared twice in one class");
    (void)added;
  }
  for (std::size_t i = 0; i < data_.handlers.size(); ++i) {
    const bool added = handlerIndex_.emplace(Key(data_.handlers[i].Name), i).second;
    assert(added && "a handler is published twice in one class");
    (void)added;
  }
  if (data_.module) data_.module->RegisterClass(*this);
}

bool TClassInfo::InheritsFrom(const TClassInfo& ancestor) const {
  for (const TClassInfo* c = this; c; c = c->Parent())
    if (c == &ancestor) return true;
  return false;
}

bool TClassInfo::InheritsFrom(const AnsiString& ancestorName) const {
  for (const TClassInfo* c = this; c; c = c->Parent())
    if (SameText(c->Name(), ancestorName)) return true;
  return false;
}

std::vector<AnsiString> TClassInfo::ClassNameChain() const {
  std::vector<AnsiString> chain;
  for (const TClassInfo* c = this; c; c = c->Parent()) chain.push_back(c->Name());
  return chain;
}

const TPropInfo* TClassInfo::FindProperty(const AnsiString& name) const {
  const std::string key = Key(name);
  for (const TClassInfo* c = this; c; c = c->Parent()) {
    auto it = c->propertyIndex_.find(key);
    if (it != c->propertyIndex_.end()) return &c->data_.properties[it->second];
  }
  return nullptr;
}

const std::vector<const TPropInfo*>& TClassInfo::Properties() const {
  std::call_once(allPropertiesOnce_, [this] {
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c; c = c->Parent()) chain.push_back(c);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
      for (const TPropInfo& p : (*it)->data_.properties) {
        // A descendant may declare an ancestor's property again (a default
        // or a setter of its own): the most derived declaration stands, in
        // the ancestor's place.
        bool replaced = false;
        for (const TPropInfo*& seen : allProperties_)
          if (SameText(seen->Name(), p.Name())) {
            seen = &p;
            replaced = true;
          }
        if (!replaced) allProperties_.push_back(&p);
      }
  });
  return allProperties_;
}

const THandlerInfo* TClassInfo::FindHandler(const AnsiString& name) const {
  const std::string key = Key(name);
  for (const TClassInfo* c = this; c; c = c->Parent()) {
    auto it = c->handlerIndex_.find(key);
    if (it != c->handlerIndex_.end()) return &c->data_.handlers[it->second];
  }
  return nullptr;
}

AnsiString TClassInfo::HandlerName(const TMethod& method) const {
  if (!method.Assigned()) return AnsiString();
  for (const TClassInfo* c = this; c; c = c->Parent())
    for (const THandlerInfo& h : c->data_.handlers)
      if (h.Code == method.Code) return h.Name;
  return AnsiString();
}

TComponent* TClassInfo::CreateComponent(TComponent* owner) const {
  assert(CanCreateComponent());
  return data_.componentFactory(owner);
}

TCollectionItem* TClassInfo::CreateItem(TCollection* collection) const {
  assert(CanCreateItem());
  return data_.itemFactory(collection);
}

const TClassInfo& ObjectClassInfo() {
  static const TClassInfo info([] {
    TClassInfo::Data d;
    d.name = "TObject";
    return d;
  }());
  return info;
}

}  // namespace platform
