#include "platform/data/DataLink.h"

#include "platform/data/DataSet.h"

namespace platform {

TDataLink::~TDataLink() {
  if (dataSet_) dataSet_->DetachLink(this);
}

void TDataLink::SetDataSet(TDataSet* dataSet) {
  if (dataSet_ != dataSet) {
    if (dataSet_) dataSet_->DetachLink(this);
    if (dataSet) dataSet->AttachLink(this);
  }
  active_ = Active();
  editing_ = Editing();
  ActiveChanged();
}

bool TDataLink::Active() const { return dataSet_ && dataSet_->Active(); }

bool TDataLink::Editing() const {
  return dataSet_ &&
         (dataSet_->State() == TDataSetState::dsEdit || dataSet_->State() == TDataSetState::dsInsert);
}

void TDataLink::DataEvent(TDataEvent event, TField* field, int distance) {
  switch (event) {
    case TDataEvent::deUpdateState: {
      bool active = Active();
      if (active != active_) {
        active_ = active;
        ActiveChanged();
      }
      bool editing = Editing();
      if (editing != editing_) {
        editing_ = editing;
        EditingChanged();
      }
      StateChanged();
      break;
    }
    case TDataEvent::deDataSetChange: DataSetChanged(); break;
    case TDataEvent::deDataSetScroll: DataSetScrolled(distance); break;
    case TDataEvent::deRecordChange: RecordChanged(nullptr); break;
    case TDataEvent::deFieldChange: RecordChanged(field); break;
    case TDataEvent::deLayoutChange: LayoutChanged(); break;
    case TDataEvent::deUpdateRecord: UpdateData(); break;
    case TDataEvent::deCheckBrowseMode: CheckBrowseMode(); break;
    case TDataEvent::deFocusControl: FocusControl(field); break;
  }
}

}  // namespace platform
