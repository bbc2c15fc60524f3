#include "host/shell/WorkCenter.h"

#include <algorithm>

#include "host/shell/Manager.h"
#include "host/shell/ProgramModule.h"
#include "platform/wire/SessionCredential.h"
#include "platform/ui/Application.h"

namespace host {

using platform::AnsiString;
using platform::Variant;

TWorkCenter::TWorkCenter(IAccountService& accounts, std::vector<AnsiString> moduleFolders)
    : accounts_(accounts), moduleFolders_(std::move(moduleFolders)) {}

TWorkCenter::~TWorkCenter() {
  *self_ = nullptr;
  runs_.clear();
  if (manager_) manager_->Detach();
}

TLoginResult TWorkCenter::LogIn(const AnsiString& user, const AnsiString& company, const AnsiString& password) {
  if (loggedIn_) LogOut();
  TLoginResult result;
  if (platform::Trim(user).IsEmpty() || platform::Trim(company).IsEmpty()) {
    result.Message = "Enter your user code and the company code.";
    return result;
  }
  try {
    result = accounts_.LogIn(platform::Trim(user), platform::Trim(company), password);
  } catch (const std::exception& e) {
    result = TLoginResult();
    result.Message = AnsiString("The application server cannot be reached: ") + e.what();
  }
  if (!result.Ok) {
    if (result.Message.IsEmpty()) result.Message = "The user code or the password is not correct.";
    return result;
  }
  platform::SetSessionCredential(result.Credential);
  loggedIn_ = true;
  identity_ = TOpenIdentity();
  identity_.UserID = platform::Trim(user);
  identity_.CompanyID = platform::Trim(company);
  identity_.Database = result.Database.IsEmpty() ? identity_.CompanyID : result.Database;
  identity_.HostWindow = 0;
  // The module requires an extra parameter when it runs inside the host:
  // the host's name, so that it can tell who started it.
  identity_.Extra = Variant("HaldenWorkCenter");
  try {
    programs_ = accounts_.Programs();
    rightsRead_ = true;
  } catch (const std::exception&) {
    programs_.clear();
    rightsRead_ = false;
  }
  return result;
}

void TWorkCenter::LogOut() {
  CloseAll();
  runs_.clear();
  if (loggedIn_) {
    try {
      accounts_.LogOut();
    } catch (const std::exception&) {
      // The server may be gone already; the credential is dropped anyway.
    }
  }
  platform::SetSessionCredential("");
  loggedIn_ = false;
  programs_.clear();
  identity_ = TOpenIdentity();
}

const TProgramEntry* TWorkCenter::FindProgram(const AnsiString& code) const {
  const AnsiString wanted = platform::UpperCase(code);
  for (const TProgramEntry& entry : programs_)
    if (platform::UpperCase(entry.Code) == wanted) return &entry;
  return nullptr;
}

platform::TGetControllerProc TWorkCenter::EntryOf(const AnsiString& path, AnsiString& error) {
  auto found = entries_.find(path.Bytes());
  if (found != entries_.end()) return found->second;
  platform::TGetControllerProc entry = LoadProgramModule(path, error);
  if (entry) entries_[path.Bytes()] = entry;
  return entry;
}

int TWorkCenter::RunProgram(TRunRequest request, AnsiString& message, Variant& returnValue) {
  const AnsiString name = "[" + request.ProgramCode + "]";
  if (!loggedIn_) {
    message = "Log in before you open a program.";
    return kRunNoRight;
  }
  if (!rightsRead_) {
    try {
      programs_ = accounts_.Programs();
      rightsRead_ = true;
    } catch (const std::exception& e) {
      message = AnsiString("Your program rights could not be read: ") + e.what();
      return kRunRightsError;
    }
  }
  const TProgramEntry* entry = FindProgram(request.ProgramCode);
  if (!entry || entry->Rights == 0) {
    message = "You have no right to run the program " + name + ".";
    return kRunNoRight;
  }
  request.Rights = request.Rights == 0 ? entry->Rights : (request.Rights & entry->Rights);

  AnsiString path = FindProgramModule(request.ProgramCode, moduleFolders_);
  if (path.IsEmpty()) {
    message = "The program file of " + name + " (" + ModuleFileNameOf(request.ProgramCode) +
              ") is not installed in the program folders.";
    return kRunFileMissing;
  }
  AnsiString error;
  platform::TGetControllerProc proc = EntryOf(path, error);
  if (!proc) {
    message = "The program " + name + " could not be loaded. " + error;
    return kRunLoadFailed;
  }

  auto run = std::make_unique<TProgramRun>(proc, platform::UpperCase(request.ProgramCode));
  TProgramRun* raw = run.get();
  raw->OnNotification = [this](TProgramRun& r, int code) { RunNotified(r, code); };
  runs_.push_back(std::move(run));
  int code = raw->Start(Manager(), identity_, request, message, returnValue);
  if (code != kRunOk || request.Modal) {
    // Nothing of this run stays open: its form has gone and the module has
    // returned, so the run can go now. Other closed runs wait for their
    // posted release (one of them may still be inside its notification).
    auto it = std::find_if(runs_.begin(), runs_.end(), [raw](const auto& r) { return r.get() == raw; });
    if (it != runs_.end()) {
      std::unique_ptr<TProgramRun> done = std::move(*it);
      runs_.erase(it);
    }
  }
  return code;
}

void TWorkCenter::RunNotified(TProgramRun& run, int code) {
  if (OnProgramNotify) OnProgramNotify(run.ProgramCode(), code);
  if (code == platform::kNotifyDestroying) {
    std::weak_ptr<TWorkCenter*> weak = self_;
    platform::Application().QueueCall([weak] {
      if (auto self = weak.lock(); self && *self) (*self)->ReleaseClosed();
    });
  }
}

void TWorkCenter::ReleaseClosed() {
  // Take the closed runs out first: freeing one may notify again.
  std::vector<std::unique_ptr<TProgramRun>> closed;
  for (auto it = runs_.begin(); it != runs_.end();) {
    if ((*it)->IsClosed()) {
      closed.push_back(std::move(*it));
      it = runs_.erase(it);
    } else {
      ++it;
    }
  }
  closed.clear();
}

int TWorkCenter::OpenCount() const {
  return static_cast<int>(std::count_if(runs_.begin(), runs_.end(), [](const auto& r) { return !r->IsClosed(); }));
}

std::vector<AnsiString> TWorkCenter::OpenPrograms() const {
  std::vector<AnsiString> codes;
  for (const auto& r : runs_)
    if (!r->IsClosed()) codes.push_back(r->ProgramCode());
  return codes;
}

void TWorkCenter::CloseAll() {
  // Close in reverse order of opening; each close may notify and queue.
  for (auto it = runs_.rbegin(); it != runs_.rend(); ++it) {
    try {
      (*it)->Close();
    } catch (const std::exception&) {
      // A form that raises while closing is freed with its run below.
    }
  }
  ReleaseClosed();
}

Variant TWorkCenter::Manager() {
  if (!manager_) manager_ = std::make_shared<THaldenManager>(this);
  return Variant(manager_);
}

}  // namespace host
