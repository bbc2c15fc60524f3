// The automation class the wire tests call over both transports, and the
// server configuration that offers it.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/ClassRegistry.h"
#include "platform/DispatchTable.h"
#include "platform/Exceptions.h"
#include "platform/wire/WireServerConfig.h"

namespace platform::wiretest {

inline constexpr const char* kClass = "WireTest.Calculator";
// Registered in the class registry, but not offered by the server.
inline constexpr const char* kHiddenClass = "WireTest.Hidden";
inline constexpr const char* kToken = "session-token-1";

class Calculator : public Dispatchable<Calculator> {
 public:
  static const DispatchTable<Calculator>& AutomationMembers() {
    static const auto table = DispatchTable<Calculator>(kClass)
                                  .Method("Add", &Calculator::Add)
                                  .Method("Swap", &Calculator::Swap)
                                  .Method("Fill", &Calculator::Fill)
                                  .Method("Echo", &Calculator::Echo)
                                  .Method("Fail", &Calculator::Fail)
                                  .Method("Child", &Calculator::Child)
                                  .Method("Self", &Calculator::Self)
                                  .Method("Holds", &Calculator::Holds)
                                  .Method("Bytes", &Calculator::Bytes)
                                  .Method("Wait", &Calculator::Wait)
                                  .Property("Label", &Calculator::GetLabel, &Calculator::SetLabel);
    return table;
  }

  Calculator() { ++Live(); }
  ~Calculator() override { --Live(); }

  // Calculators alive in the process.
  static std::atomic<int>& Live() {
    static std::atomic<int> count{0};
    return count;
  }

  int Add(int a, int b) { return a + b; }
  void Swap(Variant& a, Variant& b) { std::swap(a, b); }
  // A two-row array [0..1, 1..3] of row * 10 + column.
  bool Fill(Variant& result) {
    result = VarArrayCreate({0, 1, 1, 3}, varVariant);
    for (int r = 0; r <= 1; ++r)
      for (int c = 1; c <= 3; ++c) result.PutElement({r, c}, r * 10 + c);
    return true;
  }
  Variant Echo(const Variant& v) { return v; }
  void Fail(const AnsiString& text) { throw EConvertError(text); }
  std::shared_ptr<Calculator> Child() { return std::make_shared<Calculator>(); }
  AutoObjectPtr Self() { return shared_from_this(); }
  bool Holds(AutoObjectPtr other) { return dynamic_cast<Calculator*>(other.get()) != nullptr; }
  Variant Bytes(int n) { return VarByteArrayOf(std::string(static_cast<std::size_t>(n), 'b')); }
  int Wait(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return ms;
  }
  AnsiString GetLabel() const { return label_; }
  void SetLabel(const AnsiString& text) { label_ = text; }

 private:
  AnsiString label_;
};

// Registers both classes while it lives.
class Registration {
 public:
  Registration() {
    RegisterAutoClass(kClass, [] { return std::make_shared<Calculator>(); });
    RegisterAutoClass(kHiddenClass, [] { return std::make_shared<Calculator>(); });
  }
  ~Registration() {
    UnregisterAutoClass(kClass);
    UnregisterAutoClass(kHiddenClass);
  }
};

// A server offering the calculator to sessions that present kToken.
inline std::shared_ptr<WireServerConfig> ServerConfig() {
  auto config = std::make_shared<WireServerConfig>();
  config->classes.push_back(RegisteredWireClass(kClass));
  config->authenticate = [](WireSessionContext& context) { return context.credential == kToken; };
  return config;
}

// Waits up to two seconds for a condition that another thread makes true.
template <class F>
bool Eventually(F condition) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace platform::wiretest
