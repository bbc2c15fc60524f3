// The common-phrase picker behind Com_F2Window's GetPhrase2.
//
// The phrases are kept on the server (the look-up rows of table ADMPH,
// kind "01": the user's own phrases and those for everybody) and read
// through the validator of the host's connection, like the look-up
// window's rows (LookupWindow.h). A filter box narrows the list to the
// phrases containing its text, asking the server again. Keys: Up, Down,
// PageUp, PageDown, Home and End (Home and End with Ctrl in the filter
// box) move in the list also while the filter box has the focus; Enter
// picks, Esc cancels; a double click picks.
#pragma once

#include "platform/Variant.h"
#include "platform/ui/Form.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/StdCtrls.h"

namespace host {

inline constexpr const char* kPhraseTable = "ADMPH";
inline constexpr const char* kPhraseKind = "01";

class TPhrasePickerForm : public platform::TForm {
  PLATFORM_CLASS(TPhrasePickerForm)

 public:
  explicit TPhrasePickerForm(platform::TComponent* owner);
  // Reads the phrases; the current text, when it is a phrase, becomes the
  // current item. False (error in ErrorText) when the server refused.
  bool Open(const platform::Variant& validator, const platform::AnsiString& currentText);
  const platform::AnsiString& ErrorText() const { return error_; }

  platform::TEdit* edFilter = nullptr;
  platform::TListBox* lbPhrases = nullptr;
  platform::TLabel* lblStatus = nullptr;
  platform::TButton* btnOK = nullptr;
  platform::TButton* btnCancel = nullptr;
  // The chosen phrase after OK.
  const platform::AnsiString& ResultText() const { return result_; }

 private:
  bool Reload(const platform::AnsiString& start);
  void edFilterChange(platform::TObject* sender);
  void btnOKClick(platform::TObject* sender);
  void lbPhrasesDblClick(platform::TObject* sender);
  void FormKeyDown(platform::TObject* sender, platform::Word& key, platform::TShiftState shift);
  void FormKeyPress(platform::TObject* sender, char& key);

  platform::Variant validator_;
  platform::AnsiString error_;
  char consumedChar_ = 0;  // the character of a key the form took itself
  platform::AnsiString result_;
};

}  // namespace host
