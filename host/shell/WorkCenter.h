// TWorkCenter: the host's login state: the login, the user's programs and the
// program windows open now.
//
// One per process, used on the UI thread. RunProgram finds and loads the
// program's module (once per file), checks the user's right to run it and
// drives it through TProgramRun; several programs may be open at once. A
// modeless program that reports kNotifyDestroying is freed from a posted
// call, never from inside the notification. The manager object handed to
// every program is the host's "HaldenWorkCenter.Manager" (Manager.h).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "host/shell/AccountService.h"
#include "host/shell/ProgramRun.h"
#include "platform/AnsiString.h"
#include "platform/Variant.h"

namespace host {

class THaldenManager;

class TWorkCenter {
 public:
  TWorkCenter(IAccountService& accounts, std::vector<platform::AnsiString> moduleFolders);
  ~TWorkCenter();
  TWorkCenter(const TWorkCenter&) = delete;
  TWorkCenter& operator=(const TWorkCenter&) = delete;

  // --- login ---
  // On success sets the session credential and reads the user's programs.
  TLoginResult LogIn(const platform::AnsiString& user, const platform::AnsiString& company,
                     const platform::AnsiString& password);
  // Closes every program, forgets the credential.
  void LogOut();
  bool LoggedIn() const { return loggedIn_; }
  const TOpenIdentity& Identity() const { return identity_; }
  // The programs the user may run (read at login); empty when the rights
  // could not be read.
  const std::vector<TProgramEntry>& Programs() const { return programs_; }
  // The menu entry of a program code (ASCII case ignored); nullptr when the
  // user may not run it.
  const TProgramEntry* FindProgram(const platform::AnsiString& code) const;

  // --- programs ---
  // Runs a program for the logged-in user. request.Rights narrows the
  // user's rights of the program (0: the user's rights as they are).
  // Returns kRunOk or a negative code of ProgramRun.h with a text for the
  // user in message; a modal run's return value lands in returnValue.
  int RunProgram(TRunRequest request, platform::AnsiString& message, platform::Variant& returnValue);
  // The program windows open now.
  int OpenCount() const;
  std::vector<platform::AnsiString> OpenPrograms() const;
  // Closes every open program (each one's close hook runs).
  void CloseAll();
  // Told of every notification of every program.
  std::function<void(const platform::AnsiString& code, int notification)> OnProgramNotify;

  // --- services ---
  IAccountService& Accounts() { return accounts_; }
  // The manager object (a Dispatch Variant).
  platform::Variant Manager();
  const std::vector<platform::AnsiString>& ModuleFolders() const { return moduleFolders_; }

 private:
  void RunNotified(TProgramRun& run, int code);
  void ReleaseClosed();
  platform::TGetControllerProc EntryOf(const platform::AnsiString& path, platform::AnsiString& error);

  IAccountService& accounts_;
  std::vector<platform::AnsiString> moduleFolders_;
  bool loggedIn_ = false;
  bool rightsRead_ = false;
  TOpenIdentity identity_;
  std::vector<TProgramEntry> programs_;
  std::vector<std::unique_ptr<TProgramRun>> runs_;
  std::map<std::string, platform::TGetControllerProc> entries_;  // by module path
  std::shared_ptr<THaldenManager> manager_;
  // Posted calls hold it weakly: the work center may go before they run.
  std::shared_ptr<TWorkCenter*> self_ = std::make_shared<TWorkCenter*>(this);
};

}  // namespace host
