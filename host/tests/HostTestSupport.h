// Shared by the host shell's tests: an account service double, a work
// center on the test program folder, and ways to reach the forms.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/shell/AccountService.h"
#include "host/shell/Manager.h"
#include "host/shell/WorkCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

namespace hosttest {

using platform::AnsiString;
using platform::Variant;

class TFakeAccounts : public host::IAccountService {
 public:
  host::TLoginResult LogIn(const AnsiString& user, const AnsiString& company, const AnsiString& password) override {
    host::TLoginResult r;
    if (user == "KV" && (company == "DEMO" || company == "NOSTART") && password == "secret") {
      r.Ok = true;
      r.Credential = "S1 token";
      r.Database = "demo_db";
    } else {
      r.Message = "The user code or the password is not correct.";
    }
    return r;
  }
  void LogOut() override { ++logOuts; }
  std::vector<host::TProgramEntry> Programs() override {
    if (rightsFail) throw std::runtime_error("rights table missing");
    return programs;
  }
  AnsiString MessageText(const AnsiString& type, const AnsiString& code) override {
    auto found = messages.find(type.Bytes() + "/" + code.Bytes());
    return found == messages.end() ? AnsiString() : AnsiString(found->second.c_str());
  }
  Variant ServiceObject(const AnsiString& name) override { return Variant(); }

  std::vector<host::TProgramEntry> programs = {
      {"TESTPRG", "Test program", 0x1F}, {"TESTTWO", "Second test", 0x04}, {"FAILCTL", "Fails", 0xFF},
      {"NOENTRY", "No entry", 0xFF},     {"MISSING", "Not installed", 0xFF}};
  std::map<std::string, std::string> messages = {{"E/000032", "Start failed: %s"}};
  bool rightsFail = false;
  int logOuts = 0;
};

// A logged-in work center on the test program folder, with the manager
// registered by class name.
class HostFixture : public ::testing::Test {
 protected:
  HostFixture() : center(accounts, {AnsiString(HOST_TEST_PROGRAMS)}) {
    host::RegisterManagerClass(&center);
    EXPECT_TRUE(center.LogIn("KV", "DEMO", "secret").Ok);
  }
  ~HostFixture() override {
    center.LogOut();
    platform::Application().ProcessMessages();
    host::RegisterManagerClass(nullptr);
  }

  // The visible form of that name; nullptr when none.
  static platform::TCustomForm* VisibleForm(const char* name) {
    for (int i = 0; i < platform::Screen().FormCount(); ++i) {
      platform::TCustomForm* f = platform::Screen().Forms(i);
      if (f->Name() == name && f->Visible()) return f;
    }
    return nullptr;
  }
  static AnsiString Caption(platform::TCustomForm* form, const char* control) {
    auto* c = dynamic_cast<platform::TControl*>(form->FindComponent(control));
    return c ? c->Caption() : AnsiString("<none>");
  }

  TFakeAccounts accounts;
  host::TWorkCenter center;
};

}  // namespace hosttest
