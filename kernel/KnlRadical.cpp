#include "kernel/KnlRadical.h"

#include <cstdlib>

#include "kernel/KentraGeneratorU.h"
#include "platform/Exceptions.h"
#include "platform/FloatFormat.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSetField.h"
#include "platform/data/DataSource.h"
#include "platform/ui/PropertyAccess.h"

namespace kv {

using namespace platform;

namespace {

// Disables the controls for its lifetime.
class ControlsDisabled {
 public:
  explicit ControlsDisabled(TDataSet& dataSet) : dataSet_(dataSet) { dataSet_.DisableControls(); }
  ~ControlsDisabled() { dataSet_.EnableControls(); }
  ControlsDisabled(const ControlsDisabled&) = delete;
  ControlsDisabled& operator=(const ControlsDisabled&) = delete;

 private:
  TDataSet& dataSet_;
};

// Lifts a field's read-only flag for its lifetime: system columns may be
// protected from the user, not from the framework.
class WritableField {
 public:
  explicit WritableField(TField& field) : field_(field), readOnly_(field.ReadOnly()) {
    if (readOnly_) field_.SetReadOnly(false);
  }
  ~WritableField() {
    if (readOnly_) field_.SetReadOnly(true);
  }
  WritableField(const WritableField&) = delete;
  WritableField& operator=(const WritableField&) = delete;

 private:
  TField& field_;
  bool readOnly_;
};

bool Editing(const TDataSet& dataSet) {
  return dataSet.State() == TDataSetState::dsEdit || dataSet.State() == TDataSetState::dsInsert;
}

// The FLAG value of the active record; 0 when null or not a number.
int FlagValue(const TField& flag) {
  if (flag.IsNull()) return 0;
  return StrToIntDef(Trim(flag.AsString()), 0);
}

void WriteFlag(TField& flag, int value) {
  WritableField writable(flag);
  flag.SetAsString(IntToStr(value));
}

void NormalizeNested(TDataSet& dataSet) {
  for (TField* field : dataSet.FieldList())
    if (auto* nested = dynamic_cast<TDataSetField*>(field)) NormalizeFlags(nested->NestedDataSet(), true);
}

// Finalises the current record's counter; the caller has silenced the
// events when the record is to be edited and posted.
void FinaliseCurrent(TDataSet& dataSet, TField& flag) {
  const int value = FlagValue(flag);
  if (value >= 0) return;
  dataSet.Edit();
  WriteFlag(flag, FinalFlag(value));
  dataSet.Post();
}

}  // namespace

void SuspendDataSetEvents(TDataSet& dataSet, TDataSetEvents& saved) {
  for (std::size_t i = 0; i < kRecordEventNames.size(); ++i)
    saved.Handlers[i] = GetMethodProp(dataSet, kRecordEventNames[i]);
  for (const char* name : kRecordEventNames) SetMethodProp(dataSet, name, TMethod());
}

void RestoreDataSetEvents(TDataSet& dataSet, const TDataSetEvents& saved) {
  for (std::size_t i = 0; i < kRecordEventNames.size(); ++i)
    SetMethodProp(dataSet, kRecordEventNames[i], saved.Handlers[i]);
}

void SuspendEvents(TDataSet& dataSet, TDataSource* dataSource, TSuspendedEvents& saved) {
  SuspendDataSetEvents(dataSet, saved.DataSet);
  if (!dataSource) return;
  saved.OnDataChange = GetMethodProp(*dataSource, "OnDataChange");
  saved.OnStateChange = GetMethodProp(*dataSource, "OnStateChange");
  SetMethodProp(*dataSource, "OnDataChange", TMethod());
  SetMethodProp(*dataSource, "OnStateChange", TMethod());
}

void RestoreEvents(TDataSet& dataSet, TDataSource* dataSource, const TSuspendedEvents& saved) {
  RestoreDataSetEvents(dataSet, saved.DataSet);
  if (!dataSource) return;
  SetMethodProp(*dataSource, "OnDataChange", saved.OnDataChange);
  SetMethodProp(*dataSource, "OnStateChange", saved.OnStateChange);
}

TEventSuspension::TEventSuspension(TDataSet& dataSet, TDataSource* dataSource)
    : dataSet_(dataSet), dataSource_(dataSource) {
  SuspendEvents(dataSet_, dataSource_, saved_);
}

TEventSuspension::~TEventSuspension() { RestoreEvents(dataSet_, dataSource_, saved_); }

int PendingFlag(int flag) {
  if (flag < 0) return flag;
  const int next = (flag + 1) % 1000;
  // 999 + 1 wraps to 0, which would no longer look pending: a second edit
  // before the apply would stamp and count again.
  return next == 0 ? -1000 : -next;
}

int FinalFlag(int flag) {
  if (flag >= 0) return flag;
  return static_cast<int>(std::llabs(static_cast<long long>(flag)) % 1000);
}

bool NormalizeFlags(TDataSet* dataSet, bool all) {
  if (!dataSet || !dataSet->Active()) return true;
  TField* flag = dataSet->FindField("FLAG");

  if (dataSet->MasterField() && all) {
    // A pending row is posted with its own events before the walk, as any
    // move would post it; the walk itself must not run them.
    dataSet->CheckBrowseMode();
    ControlsDisabled disabled(*dataSet);
    TEventSuspension suspended(*dataSet);
    dataSet->Last();
    while (!dataSet->Bof()) {
      NormalizeNested(*dataSet);
      if (flag) FinaliseCurrent(*dataSet, *flag);
      dataSet->Prior();
    }
    return true;
  }

  NormalizeNested(*dataSet);
  if (!flag) return true;
  const int value = FlagValue(*flag);
  if (value >= 0) return true;
  if (Editing(*dataSet)) {
    // The record is posted by its owner afterwards, with its events.
    WriteFlag(*flag, FinalFlag(value));
    return true;
  }
  ControlsDisabled disabled(*dataSet);
  TEventSuspension suspended(*dataSet);
  FinaliseCurrent(*dataSet, *flag);
  return true;
}

bool ApplyDataSet(TBrokers* /*brokers*/, TClientDataSet* dataSet) {
  if (!dataSet) return false;
  NormalizeFlags(dataSet, true);
  if (Editing(*dataSet)) dataSet->Post();
  int errors = 0;
  try {
    errors = dataSet->ApplyUpdates(0);
  } catch (const Exception& e) {
    WriteAlert("Class knlRadical-311", e.Message(), "D");
    throw;
  } catch (const std::exception& e) {
    WriteAlert("Class knlRadical-311", AnsiString(e.what()), "D");
    throw;
  }
  return errors == 0;
}

void FillNullDefaults(TDataSet* dataSet) {
  if (!dataSet || !Editing(*dataSet)) return;
  for (TField* field : dataSet->FieldList()) {
    if (field->FieldKind() != TFieldKind::fkData || !field->IsNull()) continue;
    const char* neutral = nullptr;
    switch (field->DataType()) {
      case ftString:
      case ftFixedChar:
      case ftWideString: neutral = ""; break;
      case ftSmallint:
      case ftInteger:
      case ftFloat: neutral = "0"; break;
      default: break;
    }
    if (!neutral) continue;
    struct Handlers {
      TField& field;
      TFieldNotifyEvent validate, change;
      explicit Handlers(TField& f) : field(f), validate(f.OnValidate), change(f.OnChange) {
        field.OnValidate = TFieldNotifyEvent();
        field.OnChange = TFieldNotifyEvent();
      }
      ~Handlers() {
        field.OnValidate = validate;
        field.OnChange = change;
      }
    } handlers(*field);
    WritableField writable(*field);
    field->SetAsString(neutral);
  }
}

}  // namespace kv
