#include "platform/ui/Component.h"

#include <algorithm>
#include <atomic>
#include <cassert>

#include "platform/FloatFormat.h"
#include "platform/StringList.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/ComponentPtr.h"

namespace platform {

namespace {

std::atomic<std::uint64_t> lastInstanceId{0};

bool IsValidIdent(const AnsiString& name) {
  if (name.IsEmpty()) return false;
  for (std::size_t i = 1; i <= name.Length(); ++i) {
    const unsigned char c = name.ByteAt(i);
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !(digit && i > 1)) return false;
  }
  return true;
}

void Erase(std::vector<TComponent*>& list, TComponent* c) {
  list.erase(std::remove(list.begin(), list.end(), c), list.end());
}

}  // namespace

const TClassInfo& TComponent::StaticClass() {
  static const TClassInfo info = TClassBuilder<TComponent>("TComponent", TPersistent::StaticClass())
                                     .String("Name", &TComponent::Name, &TComponent::SetName)
                                     .Integer("Tag", &TComponent::Tag, &TComponent::SetTag)
                                     .Default(0)
                                     .Build();
  return info;
}

TComponent::TComponent(TComponent* owner) : instanceId_(++lastInstanceId) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  BeginDestroy();
  ClearWatchers();
  // Observers elsewhere learn that this component goes; each forgets it.
  while (!freeNotifies_.empty()) {
    TComponent* observer = freeNotifies_.back();
    freeNotifies_.pop_back();
    observer->Notification(this, opRemove);
    Erase(observer->freeNotifies_, this);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::SetName(const AnsiString& name) {
  if (name == name_) return;
  if (!name.IsEmpty() && !IsValidIdent(name))
    throw EComponentError("'" + name + "' is not a valid component name");
  if (owner_ && !name.IsEmpty()) {
    TComponent* other = owner_->FindComponent(name);
    if (other && other != this) throw EComponentError("A component named " + name + " already exists");
  }
  name_ = name;
  MarkChanged("Name");
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  return components_[static_cast<std::size_t>(index)].get();
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  for (std::size_t i = 0; i < owner_->components_.size(); ++i)
    if (owner_->components_[i].get() == this) return static_cast<int>(i);
  return -1;
}

TComponent* TComponent::FindComponent(const AnsiString& name) const {
  if (name.IsEmpty()) return nullptr;
  for (const auto& c : components_)
    if (SameText(c->name_, name)) return c.get();
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  assert(component && component != this);
  if (component->owner_ == this) return;
  if (!component->name_.IsEmpty() && FindComponent(component->name_))
    throw EComponentError("A component named " + component->name_ + " already exists");
  if (component->owner_) component->owner_->RemoveComponent(component);
  Insert(component);
  if (Designing()) component->SetDesigning(true);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  assert(component && component->owner_ == this);
  Notification(component, opRemove);
  Remove(component);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back().get();
    // Only components that asked for notifications are announced; the
    // others simply go with their owner.
    if (c->state_.Contains(csFreeNotification)) RemoveComponent(c);
    else Remove(c);
    delete c;
  }
}

void TComponent::FreeNotification(TComponent* observer) {
  assert(observer);
  if (observer == this) return;
  if (!owner_ || observer->owner_ != owner_) {
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), observer) == freeNotifies_.end()) {
      freeNotifies_.push_back(observer);
      observer->FreeNotification(this);
    }
  }
  state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* observer) {
  if (!observer) return;
  Erase(freeNotifies_, observer);
  Erase(observer->freeNotifies_, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // Owned components hear about their siblings; the list may shrink while
  // they react, so it is walked by index from the end.
  for (std::size_t i = components_.size(); i > 0; --i) {
    if (i > components_.size()) continue;
    components_[i - 1]->Notification(component, operation);
  }
}

void TComponent::BeginDestroy() {
  if (Destroying()) return;
  state_.Include(csDestroying);
  for (const auto& c : components_) c->BeginDestroy();
}

void TComponent::SetDesigning(bool on, bool withChildren) {
  if (on) state_.Include(csDesigning);
  else state_.Exclude(csDesigning);
  if (withChildren)
    for (const auto& c : components_) c->SetDesigning(on, true);
}

void TComponent::SetLoadingState(bool loading, bool reading) {
  if (loading) state_.Include(csLoading);
  else state_.Exclude(csLoading);
  if (reading) state_.Include(csReading);
  else state_.Exclude(csReading);
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::MarkChanged(const AnsiString& propertyName) {
  if (Destroying() || propertyName.IsEmpty()) return;
  if (std::find(changes_.begin(), changes_.end(), propertyName) == changes_.end()) changes_.push_back(propertyName);
}

std::vector<AnsiString> TComponent::TakeChanges() {
  CompareStringLists();
  std::vector<AnsiString> taken;
  taken.swap(changes_);
  return taken;
}

bool TComponent::IsChanged(const AnsiString& propertyName) const {
  return std::find(changes_.begin(), changes_.end(), propertyName) != changes_.end();
}

void TComponent::CompareStringLists() {
  for (const TPropInfo* p : ClassType().Properties()) {
    if (!p->PropType().IsStringList() || p->IsReference()) continue;
    const auto* list = dynamic_cast<const TStringList*>(p->GetObject(*this));
    if (!list) continue;
    std::vector<AnsiString> lines;
    lines.reserve(static_cast<std::size_t>(list->Count()));
    for (int i = 0; i < list->Count(); ++i) lines.push_back((*list)[i]);
    // A list never taken before is compared with an empty one: lists start
    // empty when their component is made.
    std::vector<AnsiString>& last = listLines_[p->Name()];
    if (last != lines) {
      last = std::move(lines);
      MarkChanged(p->Name());
    }
  }
}

void TComponent::Insert(TComponent* component) {
  components_.emplace_back();
  components_.back().reset(component);
  component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
  auto it = std::find_if(components_.begin(), components_.end(),
                         [component](const auto& p) { return p.get() == component; });
  assert(it != components_.end());
  it->release();
  components_.erase(it);
  component->owner_ = nullptr;
}

void TComponent::ClearWatchers() {
  for (TComponentPtrBase* w : watchers_) w->component_ = nullptr;
  watchers_.clear();
}

void TComponentPtrBase::Watch(TComponent* component) {
  if (component == component_) return;
  if (component_) {
    auto& list = component_->watchers_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  component_ = component;
  if (component_) component_->watchers_.push_back(this);
}

std::vector<TComponentChanges> CollectChanges(TComponent& root) {
  std::vector<TComponentChanges> all;
  std::vector<AnsiString> own = root.TakeChanges();
  if (!own.empty()) all.push_back({&root, std::move(own)});
  for (int i = 0; i < root.ComponentCount(); ++i) {
    std::vector<TComponentChanges> below = CollectChanges(*root.Components(i));
    all.insert(all.end(), std::make_move_iterator(below.begin()), std::make_move_iterator(below.end()));
  }
  return all;
}

}  // namespace platform
