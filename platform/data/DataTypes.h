// The enumerations the data layer shares: field types and kinds, data-set
// states, update kinds and statuses, reconcile actions, and the option sets
// of Locate, filters and indexes.
//
// TFieldType keeps the class library's ordinal values: they are what a data
// packet carries as a field's type (DataPacket.h).
#pragma once

#include <cstdint>

#include "platform/AnsiString.h"
#include "platform/ui/SetOf.h"
#include "platform/ui/TypeInfo.h"

namespace platform {

enum TFieldType : std::int32_t {
  ftUnknown = 0,
  ftString = 1,
  ftSmallint = 2,
  ftInteger = 3,
  ftWord = 4,
  ftBoolean = 5,
  ftFloat = 6,
  ftCurrency = 7,
  ftBCD = 8,
  ftDate = 9,
  ftTime = 10,
  ftDateTime = 11,
  ftBytes = 12,
  ftVarBytes = 13,
  ftAutoInc = 14,
  ftBlob = 15,
  ftMemo = 16,
  ftFixedChar = 23,
  ftWideString = 24,
  ftLargeint = 25,
  ftDataSet = 29,
};

// The class library's name of a field type ("String", "Integer", "DataSet"),
// "Unknown" for values this layer does not know.
AnsiString FieldTypeName(TFieldType type);
// True for the types a data packet may declare (every value above except
// ftUnknown and ftWideString).
bool IsPacketFieldType(TFieldType type);

// Where a field's value comes from: the record (data), OnCalcFields on every
// read (calculated), OnCalcFields but kept with the record so that it can be
// written, indexed and filtered (internally calculated), or another data set
// (lookup; lookup fields read as Null here).
enum class TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

enum class TDataSetState {
  dsInactive,
  dsBrowse,
  dsEdit,
  dsInsert,
  dsSetKey,
  dsCalcFields,  // while OnCalcFields runs
  dsFilter,      // while OnFilterRecord runs
  dsNewValue,
  dsOldValue,
  dsCurValue,
  dsOpening,
};
AnsiString DataSetStateName(TDataSetState state);  // "dsBrowse" ...

// The kind of a changed row, with the class library's values.
enum class TUpdateKind : std::int32_t { ukModify = 0, ukInsert = 1, ukDelete = 2 };
AnsiString UpdateKindName(TUpdateKind kind);  // "ukModify" ...

// The state of a record in the change log.
enum class TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };

// What OnReconcileError decides for a refused row. raSkip (the default)
// leaves the row's change in the change log; raAbort does the same and
// stops reconciling (every later refused row keeps its change too); raCancel
// and raRefresh undo the row's change locally; raMerge and raCorrect take
// the row's current values as applied and drop it from the change log.
enum class TReconcileAction { raSkip, raAbort, raMerge, raCorrect, raCancel, raRefresh };

// What OnPostError, OnEditError and OnDeleteError decide: fail raises the
// error, abort ends the operation silently, retry runs it again.
enum class TDataAction { daFail, daAbort, daRetry };

// Notifications a data set sends its links (DataLink.h).
enum class TDataEvent {
  deFieldChange,      // info: the field
  deRecordChange,     // the current record's values changed as a whole
  deDataSetChange,    // rows or their order changed
  deDataSetScroll,    // the cursor moved; info: the distance
  deLayoutChange,     // the field list changed
  deUpdateRecord,     // links write their pending edits into the fields
  deUpdateState,      // the state changed (opening and closing included)
  deCheckBrowseMode,  // before the record leaves edit or insert
  deFocusControl,     // info: the field whose control should take the focus
};

struct TLocateOptions {
  bool caseInsensitive = false;  // loCaseInsensitive: ASCII letters compare without case
  bool partialKey = false;       // loPartialKey: a text matches a field text it begins
};

struct TFilterOptions {
  bool caseInsensitive = false;  // foCaseInsensitive
  bool noPartialCompare = false;  // foNoPartialCompare: a trailing "*" is a plain character
};

// Index options. ixDescending orders every field of the index descending
// (or only its DescFields when it lists some); ixCaseInsensitive compares
// every text field without regard to ASCII case (or only its
// CaseInsFields). Primary and unique are recorded and not enforced.
enum TIndexOption { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression, ixNonMaintained };
using TIndexOptions = SetOf<TIndexOption>;

// Published types of the enumerations (for property tables).
const TTypeInfo& EnumTypeInfo(TFieldType);
const TTypeInfo& EnumTypeInfo(TFieldKind);
const TTypeInfo& EnumTypeInfo(TIndexOption);
const TTypeInfo& SetTypeInfo(TIndexOptions);

}  // namespace platform
