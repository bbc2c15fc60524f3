#include "platform/data/RowWindow.h"

namespace platform {

int TRowWindow::RowCount() const { return dataSet_->WindowRowCount(); }
int TRowWindow::CurrentRow() const { return dataSet_->WindowCurrentRow(); }
void TRowWindow::Read(int row, const std::function<void()>& read) const { dataSet_->ReadWindowRow(row, read); }

AnsiString TRowWindow::DisplayText(int row, const TField& field) const {
  AnsiString text;
  Read(row, [&] { text = field.DisplayText(); });
  return text;
}

AnsiString TRowWindow::Text(int row, const TField& field) const {
  AnsiString text;
  Read(row, [&] { text = field.Text(); });
  return text;
}

Variant TRowWindow::Value(int row, const TField& field) const {
  Variant value;
  Read(row, [&] { value = field.AsVariant(); });
  return value;
}

TBookmark TRowWindow::Bookmark(int row) const { return dataSet_->WindowBookmark(row); }

}  // namespace platform
