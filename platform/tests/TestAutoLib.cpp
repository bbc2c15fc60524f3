// A class library for the automation tests, loaded by name through the
// registry stand-in. It hands out "TestLib.Echo" through its exported entry
// function, and registers "TestLib.Registered" at start-up without the
// entry function knowing it.
#include <memory>

#include "platform/AutoExport.h"
#include "platform/ClassRegistry.h"
#include "platform/DispatchTable.h"

namespace {

using platform::AnsiString;
using platform::DispatchTable;
using platform::Variant;

class Echo : public platform::Dispatchable<Echo> {
 public:
  static const DispatchTable<Echo>& AutomationMembers() {
    static const auto table = DispatchTable<Echo>("TestLib.Echo")
                                  .Method("Echo", &Echo::EchoValue)
                                  .Property("Origin", &Echo::Origin);
    return table;
  }
  Variant EchoValue(const Variant& value) { return value; }
  AnsiString Origin() const { return "TestAutoLib"; }
};

class Registered : public platform::Dispatchable<Registered> {
 public:
  static const DispatchTable<Registered>& AutomationMembers() {
    static const auto table = DispatchTable<Registered>("TestLib.Registered").Method("Answer", &Registered::Answer);
    return table;
  }
  int Answer() { return 42; }
};

const platform::AutoClassRegistrar registrar("TestLib.Registered", [] { return std::make_shared<Registered>(); });

}  // namespace

CORVANE_AUTO_EXPORT platform::AutoObject* CorvaneCreateObject(const char* className) {
  if (platform::SameMemberName(className, "TestLib.Echo")) return new Echo;
  return nullptr;
}
