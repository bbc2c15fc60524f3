// The character picker behind Com_F2Window's ShowCharaters: a grid of
// symbols (full-width punctuation and brackets, mathematical signs,
// units, shapes and arrows, circled and Roman numbers, Greek letters) the
// keyboard does not offer, in the module's code page. The module asks
// for set 2; this host has that one set and shows it for every code.
//
// Keys: the arrows, PageUp and PageDown move the current character (also
// while a button has the focus); Enter picks it, Esc cancels; a double
// click picks. The current character is shown enlarged under the grid.
#pragma once

#include <vector>

#include "platform/ui/Form.h"
#include "platform/ui/Grids.h"
#include "platform/ui/StdCtrls.h"

namespace host {

// The characters of the picker, in grid order.
const std::vector<platform::AnsiString>& PickerCharacters();
inline constexpr int kCharacterColumns = 12;

class TCharacterPickerForm : public platform::TForm {
  PLATFORM_CLASS(TCharacterPickerForm)

 public:
  explicit TCharacterPickerForm(platform::TComponent* owner);
  platform::TStringGrid* grdChars = nullptr;
  platform::TLabel* lblCurrent = nullptr;
  platform::TButton* btnOK = nullptr;
  platform::TButton* btnCancel = nullptr;
  // The character at the current cell; empty on a cell past the last one.
  platform::AnsiString CurrentCharacter() const;
  const platform::AnsiString& ResultText() const { return result_; }

 private:
  void btnOKClick(platform::TObject* sender);
  void grdCharsClick(platform::TObject* sender);
  void FormKeyDown(platform::TObject* sender, platform::Word& key, platform::TShiftState shift);
  platform::AnsiString result_;
};

}  // namespace host
