#include "platform/ui/LibModule.h"

#include <cassert>

#include "platform/ui/ClassInfo.h"
#include "platform/ui/FormResource.h"

namespace platform {

namespace {

std::string Key(std::string_view name) { return UpperCase(AnsiString::FromBytes(name)).Bytes(); }

}  // namespace

void TLibModule::RegisterClass(const TClassInfo& classInfo) {
  auto [it, added] = classes_.emplace(Key(classInfo.Name().View()), &classInfo);
  assert((added || it->second == &classInfo) && "two classes of one name in one library");
  (void)it;
  (void)added;
}

const TClassInfo* TLibModule::FindClass(std::string_view name) const {
  auto it = classes_.find(Key(name));
  return it == classes_.end() ? nullptr : it->second;
}

void TLibModule::RegisterResource(const TFormResource& resource) {
  auto [it, added] = resources_.emplace(Key(resource.Name), &resource);
  assert((added || it->second == &resource) && "two form resources of one name in one library");
  (void)it;
  (void)added;
}

const TFormResource* TLibModule::FindResource(std::string_view name) const {
  auto it = resources_.find(Key(name));
  return it == resources_.end() ? nullptr : it->second;
}

std::vector<const TFormResource*> TLibModule::Resources() const {
  std::vector<const TFormResource*> all;
  for (const auto& [key, resource] : resources_) all.push_back(resource);
  return all;
}

TLibModule& PlatformModule() { return ThisModule(); }

const TClassInfo* FindClass(std::string_view name, const TLibModule& first) {
  if (const TClassInfo* c = first.FindClass(name)) return c;
  return PlatformModule().FindClass(name);
}

}  // namespace platform
