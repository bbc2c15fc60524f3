#include "host/shell/CharacterPicker.h"

#include <string_view>

#include "host/shell/FormBuilding.h"
#include "platform/ui/ClassBuilder.h"

namespace host {

using detail::Place;
using platform::AnsiString;
using platform::Word;

const platform::TClassInfo& TCharacterPickerForm::StaticClass() {
  static const platform::TClassInfo info =
      platform::TClassBuilder<TCharacterPickerForm>("TCharacterPickerForm", platform::TForm::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TCharacterPickerForm);

namespace {

// UTF-8; each code point is one character of the grid.
constexpr const char8_t kCharacters[] =
    u8"\uFF0C\u3002\u3001\uFF1B\uFF1A\uFF1F\uFF01\u2026\u2014\u00B7\u2018\u2019\u201C\u201D\uFF5E\u3003"
    u8"\u3014\u3015\u3008\u3009\u300A\u300B\u300C\u300D\u300E\u300F\u3016\u3017\u3010\u3011\uFF08\uFF09"
    u8"\uFF3B\uFF3D\uFF5B\uFF5D\u00B1\u00D7\u00F7\u2227\u2228\u2211\u220F\u222A\u2229\u2208\u221A\u22A5"
    u8"\u2225\u2220\u2299\u222B\u222E\u2261\u2248\u221D\u2260\u2264\u2265\u221E\u2235\u2234\u2642\u2640"
    u8"\u00B0\u2032\u2033\u2103\uFF04\u00A4\uFFE0\uFFE1\u2030\u00A7\u2116\u2606\u2605\u25CB\u25CF\u25CE"
    u8"\u25C7\u25C6\u25A1\u25A0\u25B3\u25B2\u203B\u2192\u2190\u2191\u2193\u3013\u2460\u2461\u2462\u2463"
    u8"\u2464\u2465\u2466\u2467\u2468\u2469\u2160\u2161\u2162\u2163\u2164\u2165\u2166\u2167\u2168\u2169"
    u8"\u03B1\u03B2\u03B3\u03B4\u03B5\u03B6\u03B7\u03B8\u03BB\u03BC\u03C0\u03C3\u03C6\u03C9\u03A9\u0394";

}  // namespace

const std::vector<AnsiString>& PickerCharacters() {
  static const std::vector<AnsiString> characters = [] {
    std::vector<AnsiString> out;
    std::string_view all(reinterpret_cast<const char*>(kCharacters), sizeof kCharacters - 1);
    std::size_t i = 0;
    while (i < all.size()) {
      std::size_t n = 1;
      while (i + n < all.size() && (static_cast<unsigned char>(all[i + n]) & 0xC0) == 0x80) ++n;
      out.push_back(AnsiString::FromUtf8(all.substr(i, n)));
      i += n;
    }
    return out;
  }();
  return characters;
}

TCharacterPickerForm::TCharacterPickerForm(platform::TComponent* owner) : TForm(owner) {
  SetName("CharacterPickerForm");
  SetCaption("Characters");
  SetBounds(0, 0, 440, 400);
  SetKeyPreview(true);
  const auto& chars = PickerCharacters();
  const int rows = (static_cast<int>(chars.size()) + kCharacterColumns - 1) / kCharacterColumns;
  grdChars = Place<platform::TStringGrid>(this, this, "grdChars", 16, 16, 408, 280);
  grdChars->SetTabStop(true);
  grdChars->SetDefaultColWidth(32);
  grdChars->SetDefaultRowHeight(28);
  grdChars->SetColCount(kCharacterColumns);
  grdChars->SetRowCount(rows);
  grdChars->SetFixedCols(0);
  grdChars->SetFixedRows(0);
  for (int i = 0; i < static_cast<int>(chars.size()); ++i)
    grdChars->SetCells(i % kCharacterColumns, i / kCharacterColumns, chars[i]);
  grdChars->OnClick = platform::TNotifyEvent::Bind<&TCharacterPickerForm::grdCharsClick>(this);
  grdChars->OnDblClick = platform::TNotifyEvent::Bind<&TCharacterPickerForm::btnOKClick>(this);
  lblCurrent = Place<platform::TLabel>(this, this, "lblCurrent", 16, 308, 200, 40);
  lblCurrent->Font()->SetSize(20);
  btnOK = Place<platform::TButton>(this, this, "btnOK", 248, 352, 84, 28, "OK");
  btnOK->SetDefault(true);
  btnOK->SetTabStop(true);
  btnOK->OnClick = platform::TNotifyEvent::Bind<&TCharacterPickerForm::btnOKClick>(this);
  btnCancel = Place<platform::TButton>(this, this, "btnCancel", 340, 352, 84, 28, "Cancel");
  btnCancel->SetCancel(true);
  btnCancel->SetTabStop(true);
  btnCancel->SetModalResult(platform::mrCancel);
  OnKeyDown = platform::TKeyEvent::Bind<&TCharacterPickerForm::FormKeyDown>(this);
  grdChars->MoveTo(0, 0);
  grdCharsClick(this);
  SetActiveControl(grdChars);
}

AnsiString TCharacterPickerForm::CurrentCharacter() const { return grdChars->Cells(grdChars->Col(), grdChars->Row()); }

void TCharacterPickerForm::grdCharsClick(platform::TObject*) { lblCurrent->SetCaption(CurrentCharacter()); }

void TCharacterPickerForm::btnOKClick(platform::TObject*) {
  AnsiString c = CurrentCharacter();
  if (c.IsEmpty()) {
    lblCurrent->SetCaption("Choose a character.");
    return;
  }
  result_ = c;
  SetModalResult(platform::mrOk);
}

void TCharacterPickerForm::FormKeyDown(platform::TObject*, Word& key, platform::TShiftState shift) {
  using namespace platform;
  switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_PRIOR:
    case VK_NEXT:
      // The grid moves the current cell itself when it has the focus.
      grdChars->KeyDown(key, shift);
      key = 0;
      grdCharsClick(this);
      break;
    case VK_RETURN:
      if (ActiveControl() == btnCancel) break;
      key = 0;
      btnOKClick(this);
      break;
    case VK_ESCAPE:
      key = 0;
      SetModalResult(mrCancel);
      break;
    default: break;
  }
}

}  // namespace host
