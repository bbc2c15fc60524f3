// TRowWindow: read access to the rows of a data set other than the
// current one, without moving the cursor and without any record event.
//
// Grids and look-up lists draw many rows; they read them through a row
// window. Rows are numbered from 0 in the cursor's order (filter and index
// applied); while a record is inserted it is one of them, at the place it
// was inserted (the end for Append), read from the insert buffer. Within
// Read(row, ...) every field of the data set reads that row: values, Text
// and DisplayText (OnGetText included), calculated fields (OnCalcFields
// runs for the row first) and the data set's Bookmark. Writes raise while
// another row than the current one is read. The window holds no rows of
// its own: it always reflects the data set as it is.
#pragma once

#include <functional>

#include "platform/AnsiString.h"
#include "platform/Variant.h"
#include "platform/data/DataSet.h"

namespace platform {

class TRowWindow {
 public:
  explicit TRowWindow(TDataSet& dataSet) : dataSet_(&dataSet) {}

  TDataSet& DataSet() const { return *dataSet_; }
  // Rows, the record being inserted included; 0 when inactive.
  int RowCount() const;
  // The row of the current record (the inserted one while inserting); -1
  // when there is none.
  int CurrentRow() const;
  // Runs read with the data set's fields reading the row; raises
  // EDatabaseError "Row N is out of range" for a row that does not exist.
  void Read(int row, const std::function<void()>& read) const;
  AnsiString DisplayText(int row, const TField& field) const;
  AnsiString Text(int row, const TField& field) const;
  Variant Value(int row, const TField& field) const;
  // The bookmark of the row (empty for the record being inserted).
  TBookmark Bookmark(int row) const;

 private:
  TDataSet* dataSet_;
};

}  // namespace platform
