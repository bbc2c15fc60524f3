// TFDBGrid: the framework's data grid, the grid of every program form and
// dialog. It gives the platform grid (platform/ui/DBGrids.h) one look:
//
// - Data cells: the brush is GridColors.OddRecColor for a record of odd
//   record number (the row's position in the cursor order, from 1) and
//   EvenRecColor for an even one, remembered as the last row colour; the
//   current record's row takes FocusRecColor instead; a record of
//   SelectedRows that is not the current one takes the highlight colours.
//   The font colour is the grid's font colour. Then OnCalcCellColors runs
//   and may change both.
// - Empty rows: with GrawGridInBlank (on by default) the rows that fit
//   below the last record are drawn as empty rows, alternating between
//   OddRecColor and EvenRecColor and beginning with the colour other than
//   the last row colour (OddRecColor below an empty data set).
// - Check-box cells show the pictures CHECKED and UNCHECKED (19 x 14) at
//   left (cell width - 19) div 2 + 2, top (row height - 14) div 2 + 1 of
//   the cell; the cell's picture entry is "<content hash in hex>@<left>,<top>".
// - A click below the last row, within the columns: when the data set is
//   inserting a record nothing was entered into, a record appended at the
//   end only has the clicked column selected, one inserted elsewhere is
//   cancelled; then, when the grid may insert (CanInsert: editing and
//   inserting allowed, not read-only, the data set can be modified), the
//   cell editor closes, a record is appended and the clicked column
//   selected. OnBlankAreaClick runs after that.
//
// CHNCurrencyFields holds the settings of a money-column style that no
// grid of the system switches on; the grid keeps them and draws nothing
// of its own for them. Selected lists the selected records (their
// bookmark numbers, in selection order).
#pragma once

#include <memory>

#include "platform/StringList.h"
#include "platform/ui/DBGrids.h"

namespace kv {

class TFDBGrid;

class TFDBGridColors : public platform::TPersistent {
  PLATFORM_CLASS(TFDBGridColors)

 public:
  explicit TFDBGridColors(TFDBGrid& grid);

  platform::TColor OddRecColor() const { return odd_; }
  void SetOddRecColor(platform::TColor c) { ChangeProperty(odd_, c, "OddRecColor"); }
  platform::TColor EvenRecColor() const { return even_; }
  void SetEvenRecColor(platform::TColor c) { ChangeProperty(even_, c, "EvenRecColor"); }
  platform::TColor FocusRecColor() const { return focus_; }
  void SetFocusRecColor(platform::TColor c) { ChangeProperty(focus_, c, "FocusRecColor"); }
  void Assign(const platform::TPersistent& source) override;
  // Marks the grid's "GridColors" and draws the grid again.
  void MarkChanged(const platform::AnsiString& propertyName) override;

 private:
  TFDBGrid& grid_;
  platform::TColor odd_ = 15532027;
  platform::TColor even_ = 15202766;
  platform::TColor focus_ = 15916215;
};

class TCurrencyStyle : public platform::TPersistent {
  PLATFORM_CLASS(TCurrencyStyle)

 public:
  TCurrencyStyle();

  bool Enabled_ = false;
  platform::AnsiString CurrencyNames = ";;";
  platform::AnsiString Value;
  platform::TColor Color = platform::clWindow;
  int DecimalNumber = 2;
  int DigitalNumber = 10;
  int MaxLength = 18;
  platform::TColor GridLineColor = 12632256;
  int GridLineWidth = 1;
  platform::TColor KilobitSeparatorColor = 32768;
  platform::TColor DecimalSeparatorColor = 255;
  platform::TColor NegativeColor = 255;
  bool ShowNegativeColor = false;
  bool ShowNegativeFont = false;
  bool ShowNegativeSign = true;
  platform::AnsiString CurrencySymbol;
  bool CurrencySymbolAligned = false;
  bool FixColWidth = true;
  bool ColorUseGridCellColor = true;
  bool ZeroEmpty = false;
  platform::TFont* CurrencyFont() const { return currencyFont_.get(); }
  void SetCurrencyFont(platform::TFont* font) { currencyFont_->Assign(*font); }
  platform::TFont* NegativeFont() const { return negativeFont_.get(); }
  void SetNegativeFont(platform::TFont* font) { negativeFont_->Assign(*font); }
  platform::TNotifyEvent OnChange;
  void MarkChanged(const platform::AnsiString& propertyName) override;

 private:
  std::unique_ptr<platform::TFont> currencyFont_;
  std::unique_ptr<platform::TFont> negativeFont_;
};

class TFDBGrid : public platform::TDBGrid {
  PLATFORM_CLASS(TFDBGrid)

 public:
  explicit TFDBGrid(platform::TComponent* owner);
  ~TFDBGrid() override;

  TFDBGridColors* GridColors() const { return colors_.get(); }
  void SetGridColors(TFDBGridColors* colors) { colors_->Assign(*colors); }
  bool GrawGridInBlank() const { return grawGridInBlank_; }
  void SetGrawGridInBlank(bool on);
  TCurrencyStyle* CHNCurrencyFields() const { return currency_.get(); }
  // The selected records, one bookmark number a line.
  platform::TStringList* Selected() const;

  static const platform::TBitmap& CheckedPicture();
  static const platform::TBitmap& UncheckedPicture();

 protected:
  void CalcCellColors(const CellInfo& cell, platform::TFont& font, platform::TColor& brush) override;
  platform::AnsiString CheckPicture(const CellInfo& cell, bool checked, int cellWidth) const override;
  std::vector<platform::TColor> BlankRowColorList(int count, int drawnRows) const override;
  void BlankAreaClick(platform::TColumn* column) override;

 private:
  std::unique_ptr<TFDBGridColors> colors_;
  std::unique_ptr<TCurrencyStyle> currency_;
  bool grawGridInBlank_ = true;
  platform::TColor lastRowColor_;
  mutable platform::TStringList selected_;
};

}  // namespace kv
