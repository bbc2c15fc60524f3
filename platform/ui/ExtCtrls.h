// More standard controls of the class library, headless: TMemo,
// TComboBox and TRadioGroup.
//
// Memos: Lines is the text, one string per line. What the user enters
// (EnterText, typed characters) is refused when ReadOnly and cut to
// MaxLength bytes of Text (lines joined by CR LF; 0: no limit) without
// splitting a double-byte character. With WantReturns (the default) Enter
// starts a new line and stays in the memo; without it Enter presses the
// form's Default button. OnChange runs when the user changes the text and
// when SetText / SetLines replace it (not while read from a resource).
// Lines changed directly through Lines() are not reported.
//
// Combo boxes: ItemIndex is the selected item (-1: none). It follows its
// item when Items change: it stays while the same text is at that index,
// otherwise it moves to the first item of the selected text, otherwise
// it is -1. Setting ItemIndex by code sets Text to the item and runs no
// event. Text set by code selects the item of exactly that text (-1 when
// none); in csDropDownList style a text that is no item leaves no
// selection and an empty Text. The user's choice from the list
// (UserSelect) runs OnSelect when assigned, otherwise OnChange; the user's
// typing (UserEnterText, refused in csDropDownList style) runs OnChange.
//
// Radio groups: one button per line of Items; ItemIndex is the checked one
// (-1: none; a value beyond the items reads as the last item). A change of
// ItemIndex, by code or by the user, runs OnClick (not while read from a
// resource).
#pragma once

#include <memory>

#include "platform/StringList.h"
#include "platform/ui/Control.h"
#include "platform/ui/StdCtrls.h"

namespace platform {

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
const TTypeInfo& EnumTypeInfo(TScrollStyle);

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
const TTypeInfo& EnumTypeInfo(TComboBoxStyle);

class TMemo : public TWinControl {
  PLATFORM_CLASS(TMemo)

 public:
  explicit TMemo(TComponent* owner);

  TStringList* Lines() const { return lines_.get(); }
  // Copies lines.
  void SetLines(const TStringList& lines);
  // The lines joined by CR LF (no line break after the last line).
  AnsiString Text() const;
  void SetText(const AnsiString& text);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int v) { ChangeProperty(maxLength_, v < 0 ? 0 : v, "MaxLength"); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { ChangeProperty(readOnly_, v, "ReadOnly"); }
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v) { ChangeProperty(align_, v, "Align"); }
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle v) { ChangeProperty(scrollBars_, v, "ScrollBars"); }
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool v) { ChangeProperty(wantReturns_, v, "WantReturns"); }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool v) { ChangeProperty(wantTabs_, v, "WantTabs"); }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v) { ChangeProperty(wordWrap_, v, "WordWrap"); }
  void Clear() { SetText(""); }

  // The user replaces the text. False when refused (ReadOnly); the text is
  // cut to MaxLength.
  virtual bool EnterText(const AnsiString& text);

  bool WantsKey(Word key, TShiftState shift) const override;
  // Typed characters append to the last line; Enter starts a new line
  // (with WantReturns); Backspace removes the last character or line break.
  void KeyPress(char& key) override;
  void KeyDown(Word& key, TShiftState shift) override;

  TNotifyEvent OnChange;

 private:
  TAlign align_ = alNone;
  // Replaces the text; true when it changed.
  bool StoreText(const AnsiString& text);

  std::unique_ptr<TStringList> lines_ = std::make_unique<TStringList>();
  int maxLength_ = 0;
  bool readOnly_ = false;
  TScrollStyle scrollBars_ = ssNone;
  bool wantReturns_ = true;
  bool wantTabs_ = false;
  bool wordWrap_ = true;
  char pendingLead_ = 0;
};

class TComboBox : public TWinControl {
  PLATFORM_CLASS(TComboBox)

 public:
  explicit TComboBox(TComponent* owner);

  TStringList* Items() const { return items_.get(); }
  void SetItems(const TStringList& items);
  int ItemIndex() const;
  // An index out of range clears the selection (and Text).
  void SetItemIndex(int index);
  AnsiString Text() const;
  void SetText(const AnsiString& text);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v) { ChangeProperty(align_, v, "Align"); }
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle v);
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int v) { ChangeProperty(dropDownCount_, v < 1 ? 1 : v, "DropDownCount"); }

  // The user chooses item index from the list. False when dropped (the
  // control hidden or disabled, the index out of range).
  bool UserSelect(int index);
  // The user types text into the edit part. False when refused
  // (csDropDownList style, the control hidden or disabled).
  virtual bool UserEnterText(const AnsiString& text);

  // Enter and Esc press the form's Default / Cancel button.
  void KeyDown(Word& key, TShiftState shift) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;

 protected:
  // ItemIndex read from a resource selects its item once Items are read.
  void Loaded() override;

 private:
  TAlign align_ = alNone;
  int IndexOfText(const AnsiString& text) const;
  // Selects index (in range or -1) and text, marking what changed.
  void Store(int index, const AnsiString& text);

  std::unique_ptr<TStringList> items_ = std::make_unique<TStringList>();
  mutable int itemIndex_ = -1;
  AnsiString selectedText_;
  int loadedIndex_ = -1;
  TComboBoxStyle style_ = csDropDown;
  int dropDownCount_ = 8;
};

class TRadioGroup : public TWinControl {
  PLATFORM_CLASS(TRadioGroup)

 public:
  explicit TRadioGroup(TComponent* owner);

  TStringList* Items() const { return items_.get(); }
  void SetItems(const TStringList& items);
  int ItemIndex() const;
  // Below -1 is -1; an index beyond the items is kept (a resource may set
  // ItemIndex before Items) and reads as the last item.
  void SetItemIndex(int index);
  // 1 to 16.
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v) { ChangeProperty(align_, v, "Align"); }
  int Columns() const { return columns_; }
  void SetColumns(int v);

  // The user checks button index. False when dropped (the group hidden or
  // disabled, the index out of range).
  bool UserSelect(int index);

 private:
  TAlign align_ = alNone;
  std::unique_ptr<TStringList> items_ = std::make_unique<TStringList>();
  int itemIndex_ = -1;
  int columns_ = 1;
};

}  // namespace platform
