#include "controls/FDBGrid.h"

#include <cstdio>
#include <string>

#include "platform/ui/ClassBuilder.h"

namespace kv {

using namespace platform;

namespace {

// A check box of 19 x 14 pixels: a white square with a dark frame, and a
// tick when checked; the bottom-left pixel (transparent) is outside it.
TBitmap MakeCheckPicture(bool checked) {
  constexpr TColor kBack = clFuchsia;
  TBitmap b(19, 14, kBack);
  b.SetTransparentColor(kBack);
  const int left = 3, top = 0, size = 13;
  b.FillRect(left, top, left + size, top + size, 0x808080);
  b.FillRect(left + 1, top + 1, left + size - 1, top + size - 1, clWhite);
  if (checked) {
    // A tick from (left+3, 6) down to (left+5, 9) and up to (left+10, 3).
    for (int i = 0; i < 3; ++i) b.FillRect(left + 3 + i, 6 + i, left + 4 + i, 8 + i, clBlack);
    for (int i = 0; i < 5; ++i) b.FillRect(left + 6 + i, 7 - i, left + 7 + i, 9 - i, clBlack);
  }
  return b;
}

}  // namespace

// --- TFDBGridColors ---

const TClassInfo& TFDBGridColors::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TFDBGridColors>("TFDBGridColors", TPersistent::StaticClass())
          .Integer("OddRecColor", ColorTypeInfo(), &TFDBGridColors::OddRecColor, &TFDBGridColors::SetOddRecColor)
          .Default(15532027)
          .Integer("EvenRecColor", ColorTypeInfo(), &TFDBGridColors::EvenRecColor, &TFDBGridColors::SetEvenRecColor)
          .Default(15202766)
          .Integer("FocusRecColor", ColorTypeInfo(), &TFDBGridColors::FocusRecColor,
                   &TFDBGridColors::SetFocusRecColor)
          .Default(15916215)
          .Build();
  return info;
}

TFDBGridColors::TFDBGridColors(TFDBGrid& grid) : grid_(grid) { SetOwnerProperty(&grid, "GridColors"); }

void TFDBGridColors::Assign(const TPersistent& source) {
  auto* other = dynamic_cast<const TFDBGridColors*>(&source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  SetOddRecColor(other->odd_);
  SetEvenRecColor(other->even_);
  SetFocusRecColor(other->focus_);
}

void TFDBGridColors::MarkChanged(const AnsiString& propertyName) {
  TPersistent::MarkChanged(propertyName);
  grid_.Invalidate();
}

// --- TCurrencyStyle ---

const TClassInfo& TCurrencyStyle::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TCurrencyStyle>("TCurrencyStyle", TPersistent::StaticClass())
          .Boolean("_Enabled", &TCurrencyStyle::Enabled_, &TCurrencyStyle::Enabled_).Default(false)
          .String("CurrencyNames", &TCurrencyStyle::CurrencyNames, &TCurrencyStyle::CurrencyNames)
          .String("Value", &TCurrencyStyle::Value, &TCurrencyStyle::Value)
          .Integer("Color", ColorTypeInfo(), &TCurrencyStyle::Color, &TCurrencyStyle::Color)
          .Integer("DecimalNumber", &TCurrencyStyle::DecimalNumber, &TCurrencyStyle::DecimalNumber).Default(2)
          .Integer("DigitalNumber", &TCurrencyStyle::DigitalNumber, &TCurrencyStyle::DigitalNumber).Default(10)
          .Integer("MaxLength", &TCurrencyStyle::MaxLength, &TCurrencyStyle::MaxLength).Default(18)
          .Integer("GridLineColor", ColorTypeInfo(), &TCurrencyStyle::GridLineColor, &TCurrencyStyle::GridLineColor)
          .Default(12632256)
          .Integer("GridLineWidth", &TCurrencyStyle::GridLineWidth, &TCurrencyStyle::GridLineWidth).Default(1)
          .Integer("KilobitSeparatorColor", ColorTypeInfo(), &TCurrencyStyle::KilobitSeparatorColor,
                   &TCurrencyStyle::KilobitSeparatorColor)
          .Default(32768)
          .Integer("DecimalSeparatorColor", ColorTypeInfo(), &TCurrencyStyle::DecimalSeparatorColor,
                   &TCurrencyStyle::DecimalSeparatorColor)
          .Default(255)
          .Integer("NegativeColor", ColorTypeInfo(), &TCurrencyStyle::NegativeColor, &TCurrencyStyle::NegativeColor)
          .Default(255)
          .Boolean("ShowNegativeColor", &TCurrencyStyle::ShowNegativeColor, &TCurrencyStyle::ShowNegativeColor)
          .Default(false)
          .Boolean("ShowNegativeFont", &TCurrencyStyle::ShowNegativeFont, &TCurrencyStyle::ShowNegativeFont)
          .Default(false)
          .Boolean("ShowNegativeSign", &TCurrencyStyle::ShowNegativeSign, &TCurrencyStyle::ShowNegativeSign)
          .Default(true)
          .String("CurrencySymbol", &TCurrencyStyle::CurrencySymbol, &TCurrencyStyle::CurrencySymbol)
          .Boolean("CurrencySymbolAligned", &TCurrencyStyle::CurrencySymbolAligned,
                   &TCurrencyStyle::CurrencySymbolAligned)
          .Default(false)
          .Object("CurrencyFont", &TCurrencyStyle::CurrencyFont, &TCurrencyStyle::SetCurrencyFont)
          .Object("NegativeFont", &TCurrencyStyle::NegativeFont, &TCurrencyStyle::SetNegativeFont)
          .Boolean("FixColWidth", &TCurrencyStyle::FixColWidth, &TCurrencyStyle::FixColWidth).Default(true)
          .Boolean("ColorUseGridCellColor", &TCurrencyStyle::ColorUseGridCellColor,
                   &TCurrencyStyle::ColorUseGridCellColor)
          .Default(true)
          .Boolean("ZeroEmpty", &TCurrencyStyle::ZeroEmpty, &TCurrencyStyle::ZeroEmpty).Default(false)
          .Event("OnChange", &TCurrencyStyle::OnChange)
          .Build();
  return info;
}

TCurrencyStyle::TCurrencyStyle()
    : currencyFont_(std::make_unique<TFont>()), negativeFont_(std::make_unique<TFont>()) {
  currencyFont_->SetOwnerProperty(this, "CurrencyFont");
  negativeFont_->SetOwnerProperty(this, "NegativeFont");
}

void TCurrencyStyle::MarkChanged(const AnsiString& propertyName) {
  TPersistent::MarkChanged(propertyName);
  OnChange(this);
}

// --- TFDBGrid ---

const TClassInfo& TFDBGrid::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TFDBGrid>("TFDBGrid", TDBGrid::StaticClass())
          .Object("GridColors", &TFDBGrid::GridColors, &TFDBGrid::SetGridColors)
          .Boolean("GrawGridInBlank", &TFDBGrid::GrawGridInBlank, &TFDBGrid::SetGrawGridInBlank).Default(true)
          .Object("CHNCurrencyFields", &TFDBGrid::CHNCurrencyFields)
          .Strings("Selected", &TFDBGrid::Selected)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TFDBGrid);

TFDBGrid::TFDBGrid(TComponent* owner)
    : TDBGrid(owner),
      colors_(std::make_unique<TFDBGridColors>(*this)),
      currency_(std::make_unique<TCurrencyStyle>()),
      lastRowColor_(colors_->EvenRecColor()) {
  currency_->SetOwnerProperty(this, "CHNCurrencyFields");
  // The check pictures exist before the first drawing.
  CheckedPicture();
  UncheckedPicture();
  Invalidate();
}

TFDBGrid::~TFDBGrid() = default;

void TFDBGrid::SetGrawGridInBlank(bool on) {
  if (ChangeProperty(grawGridInBlank_, on, "GrawGridInBlank")) Invalidate();
}

TStringList* TFDBGrid::Selected() const {
  selected_.Clear();
  for (const TBookmark& b : SelectedRows().List()) selected_.Add(AnsiString::FromBytes(std::to_string(b.id)));
  return &selected_;
}

const TBitmap& TFDBGrid::CheckedPicture() {
  static const TBitmap picture = MakeCheckPicture(true);
  return picture;
}

const TBitmap& TFDBGrid::UncheckedPicture() {
  static const TBitmap picture = MakeCheckPicture(false);
  return picture;
}

void TFDBGrid::CalcCellColors(const CellInfo& cell, TFont& font, TColor& brush) {
  brush = cell.RecNo % 2 != 0 ? colors_->OddRecColor() : colors_->EvenRecColor();
  lastRowColor_ = brush;
  const bool highlight = cell.Selected && !cell.Current;
  if (cell.Current) brush = colors_->FocusRecColor();
  font.SetColor(Font()->Color());
  if (highlight) {
    brush = clHighlight;
    font.SetColor(clHighlightText);
  }
  OnCalcCellColors(this, cell.Field, cell.State, highlight, &font, brush);
}

AnsiString TFDBGrid::CheckPicture(const CellInfo&, bool checked, int cellWidth) const {
  const TBitmap& picture = checked ? CheckedPicture() : UncheckedPicture();
  // Pascal's div truncates toward zero, as C++ division does.
  const int left = (cellWidth - picture.Width()) / 2 + 2;
  const int top = (DefaultRowHeight() - picture.Height()) / 2 + 1;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%016llx@%d,%d", static_cast<unsigned long long>(picture.ContentHash()), left,
                top);
  return AnsiString(buf);
}

std::vector<TColor> TFDBGrid::BlankRowColorList(int count, int drawnRows) const {
  std::vector<TColor> colors;
  if (!grawGridInBlank_) return colors;
  const TColor last = drawnRows > 0 ? lastRowColor_ : colors_->EvenRecColor();
  bool odd = last != colors_->OddRecColor();
  for (int i = 0; i < count; ++i, odd = !odd) colors.push_back(odd ? colors_->OddRecColor() : colors_->EvenRecColor());
  return colors;
}

void TFDBGrid::BlankAreaClick(TColumn* column) {
  TDataSet* ds = DataSet();
  const auto& shown = VisibleColumns();
  auto selectClicked = [&] {
    for (std::size_t i = 0; i < shown.size(); ++i)
      if (shown[i] == column) SetSelectedIndex(static_cast<int>(i));
  };
  if (ds) {
    bool stop = false;
    if (ds->State() == TDataSetState::dsInsert && !ds->Modified()) {
      if (ds->Eof()) {
        selectClicked();
        stop = true;
      } else {
        ds->Cancel();
      }
    }
    if (!stop && CanInsert()) {
      HideEditor();
      ds->Append();
      selectClicked();
    }
  }
  TDBGrid::BlankAreaClick(column);
}

}  // namespace kv
