// TDataSource and TFieldDataLink: what data-aware controls stand on.
//
// A data source names a data set (free notification: when the data set
// goes the data source names none) and watches it through its own link:
// a change of state runs OnStateChange, every change of rows, position,
// record or field runs OnDataChange (with the field for a field change),
// and deUpdateRecord (Post writing pending edits) runs OnUpdateData.
// While the data source is disabled, or names no data set, its State is
// dsInactive and its controls show nothing. Pointing it at another data
// set (or at none), or enabling or disabling it, re-points every field
// link, so each linked control redraws.
//
// A field link is the link of one control to one field: it finds the
// field by name when the data set opens and when its field list changes,
// and calls the control back (OnDataChange to redraw, OnActiveChange,
// OnEditingChange, OnUpdateData to write the control's text into the
// field, OnFocusControl when the data set asks for the field's control).
// A control calls Edit before it lets the user change its value: the data
// set enters edit only when the data source's AutoEdit is set; Modified
// marks the control's value as changed, UpdateRecord writes it (only
// then), Reset redraws from the field and drops the change.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/data/DataLink.h"
#include "platform/data/DataSet.h"
#include "platform/ui/Component.h"
#include "platform/ui/Event.h"

namespace platform {

class TDataSource;
class TFieldDataLink;

// (Sender, Field); Field is null unless one field changed.
using TDataChangeEvent = TEvent<"TDataChangeEvent", TObject*, TField*>;

class TDataSource : public TComponent {
  PLATFORM_CLASS(TDataSource)

 public:
  explicit TDataSource(TComponent* owner);
  ~TDataSource() override;

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool AutoEdit() const { return autoEdit_; }
  void SetAutoEdit(bool autoEdit) { ChangeProperty(autoEdit_, autoEdit, "AutoEdit"); }
  // The data set's state; dsInactive while disabled or without data set.
  TDataSetState State() const;
  // Puts a browsing data set into edit when AutoEdit is set.
  void Edit();
  bool IsLinkedTo(const TDataSet* dataSet) const { return dataSet && dataSet_ == dataSet; }

  TNotifyEvent OnStateChange;
  TDataChangeEvent OnDataChange;
  TNotifyEvent OnUpdateData;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TFieldDataLink;
  class SourceLink;

  // The data set the links follow (null while disabled).
  TDataSet* LinkedDataSet() const { return enabled_ ? dataSet_ : nullptr; }
  void Relink();
  void AddFieldLink(TFieldDataLink* link);
  void RemoveFieldLink(TFieldDataLink* link);
  void StateMayHaveChanged();

  TDataSet* dataSet_ = nullptr;
  bool enabled_ = true;
  bool autoEdit_ = true;
  TDataSetState state_ = TDataSetState::dsInactive;
  std::unique_ptr<SourceLink> link_;
  std::vector<TFieldDataLink*> fieldLinks_;
};

class TFieldDataLink : public TDataLink {
 public:
  TFieldDataLink() = default;
  ~TFieldDataLink() override;

  TDataSource* DataSource() const { return dataSource_; }
  void SetDataSource(TDataSource* dataSource);
  const AnsiString& FieldName() const { return fieldName_; }
  void SetFieldName(const AnsiString& name);
  // The field of that name in the open data set, or null.
  TField* Field() const { return field_; }
  // The data set is in edit or insert and the field can be written.
  bool Editing() const;
  // The field exists and can be written now or after Edit.
  bool CanModify() const;
  // Makes the record editable for the control: enters edit when the data
  // set browses and AutoEdit allows it. True when Editing afterwards.
  bool Edit();
  // The control's value changed since it was drawn.
  void Modified() { modified_ = true; }
  bool IsModified() const { return modified_; }
  // Redraws the control from the field, dropping its change.
  void Reset();
  // Writes a changed value through OnUpdateData; an exception leaves the
  // value marked as changed.
  void UpdateRecord();

  std::function<void()> OnDataChange;
  std::function<void()> OnActiveChange;
  std::function<void()> OnEditingChange;
  std::function<void()> OnUpdateData;
  std::function<void()> OnFocusControl;
  // Drops every callback: a control calls it in its destructor, since the
  // link calls back into the control until it detaches.
  void ClearCallbacks() {
    OnDataChange = nullptr;
    OnActiveChange = nullptr;
    OnEditingChange = nullptr;
    OnUpdateData = nullptr;
    OnFocusControl = nullptr;
  }

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void DataSetChanged() override { RecordChanged(nullptr); }
  void DataSetScrolled(int) override { RecordChanged(nullptr); }
  void RecordChanged(TField* field) override;
  void LayoutChanged() override;
  void UpdateData() override { UpdateRecord(); }
  void FocusControl(TField* field) override;
  void DataSetDestroyed() override;

 private:
  friend class TDataSource;
  void FindField();
  void DataSourceGone();
  static void Run(const std::function<void()>& f) {
    if (f) f();
  }

  TDataSource* dataSource_ = nullptr;
  AnsiString fieldName_;
  TField* field_ = nullptr;
  bool modified_ = false;
};

}  // namespace platform
