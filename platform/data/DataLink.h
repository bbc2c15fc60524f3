// TDataLink: an observer of a data set, the hook through which data
// sources and data-aware controls learn what the data set does.
//
// A link attaches itself with SetDataSet and detaches when it is destroyed
// or pointed elsewhere; the data set forgets its links when it goes (the
// link's DataSet becomes null and DataSetDestroyed runs). The data set
// sends every notification through DataEvent; the default dispatch calls
// the virtual functions below, so a link overrides only what it needs:
//
//   deUpdateState    -> ActiveChanged (when the data set opened or closed),
//                       EditingChanged (when edit or insert began or
//                       ended), then StateChanged
//   deDataSetChange  -> DataSetChanged (rows or order changed)
//   deDataSetScroll  -> DataSetScrolled(distance)
//   deRecordChange   -> RecordChanged(nullptr)
//   deFieldChange    -> RecordChanged(field)
//   deLayoutChange   -> LayoutChanged (the field list changed)
//   deUpdateRecord   -> UpdateData (write pending edits into the fields)
//   deCheckBrowseMode-> CheckBrowseMode
//   deFocusControl   -> FocusControl(field)
//
// While the data set's controls are disabled (DisableControls, nesting)
// links hear nothing. When the outermost EnableControls ends it they hear
// deUpdateState if the state differs from the state at the first
// DisableControls, then deDataSetChange (deLayoutChange instead when the
// field list changed or the data set closed meanwhile) if the data set is
// active and was active then. Pointing a link at a data set (or at none)
// runs ActiveChanged, so re-attaching redraws.
#pragma once

#include "platform/data/DataTypes.h"

namespace platform {

class TDataSet;
class TField;

class TDataLink {
 public:
  TDataLink() = default;
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;
  virtual ~TDataLink();

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);
  // The data set is set and open.
  bool Active() const;
  // The data set is in edit or insert state.
  bool Editing() const;

  // Called by the data set; see the header comment for the dispatch.
  virtual void DataEvent(TDataEvent event, TField* field, int distance);

 protected:
  virtual void ActiveChanged() {}
  virtual void EditingChanged() {}
  virtual void StateChanged() {}
  virtual void DataSetChanged() {}
  virtual void DataSetScrolled(int distance) {}
  virtual void RecordChanged(TField* field) {}
  virtual void LayoutChanged() {}
  virtual void UpdateData() {}
  virtual void CheckBrowseMode() {}
  virtual void FocusControl(TField* field) {}
  virtual void DataSetDestroyed() {}

 private:
  friend class TDataSet;
  TDataSet* dataSet_ = nullptr;
  bool active_ = false;
  bool editing_ = false;
};

}  // namespace platform
