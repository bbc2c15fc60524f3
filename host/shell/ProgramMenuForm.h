// TProgramMenuForm: the program menu: one line per program the user's
// rights allow, with "Open" and, with the add right, "New". A program
// opens beside the menu (several may be open at once); when one closes
// the menu is shown again and its status line says so. A program that
// cannot start is reported in an error dialog; the menu stays.
//
// Menu entries and the action codes they start: Open -> action 0 (the
// program's normal open), New -> kActionAdd. The rights mask handed to the
// program is the user's rights of that program.
#pragma once

#include <map>
#include <string>

#include "host/shell/AccountService.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"

namespace host {

class TWorkCenter;

class TProgramMenuForm : public platform::TForm {
  PLATFORM_CLASS(TProgramMenuForm)

 public:
  explicit TProgramMenuForm(platform::TComponent* owner);
  ~TProgramMenuForm() override;

  // Fills the menu from the work center's programs; call after the login.
  void SetWorkCenter(TWorkCenter* center);

  // Starts a menu entry (what the buttons do); the result code.
  int OpenProgram(const platform::AnsiString& code, int action);

  platform::TLabel* lblStatus = nullptr;
  platform::TLabel* lblOpen = nullptr;

 private:
  void ProgramButtonClick(platform::TObject* sender);
  void ProgramNotified(const platform::AnsiString& code, int notification);
  void ShowOpenPrograms();

  struct Entry {
    platform::AnsiString Code;
    int Action = 0;
  };
  TWorkCenter* center_ = nullptr;
  std::map<const platform::TObject*, Entry> entries_;
};

}  // namespace host
