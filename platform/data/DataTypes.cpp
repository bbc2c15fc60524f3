#include "platform/data/DataTypes.h"

namespace platform {

AnsiString FieldTypeName(TFieldType type) {
  switch (type) {
    case ftString: return "String";
    case ftSmallint: return "Smallint";
    case ftInteger: return "Integer";
    case ftWord: return "Word";
    case ftBoolean: return "Boolean";
    case ftFloat: return "Float";
    case ftCurrency: return "Currency";
    case ftBCD: return "BCD";
    case ftDate: return "Date";
    case ftTime: return "Time";
    case ftDateTime: return "DateTime";
    case ftBytes: return "Bytes";
    case ftVarBytes: return "VarBytes";
    case ftAutoInc: return "AutoInc";
    case ftBlob: return "Blob";
    case ftMemo: return "Memo";
    case ftFixedChar: return "FixedChar";
    case ftWideString: return "WideString";
    case ftLargeint: return "Largeint";
    case ftDataSet: return "DataSet";
    case ftUnknown: break;
  }
  return "Unknown";
}

bool IsPacketFieldType(TFieldType type) {
  return type != ftUnknown && type != ftWideString && FieldTypeName(type) != "Unknown";
}

AnsiString DataSetStateName(TDataSetState state) {
  switch (state) {
    case TDataSetState::dsInactive: return "dsInactive";
    case TDataSetState::dsBrowse: return "dsBrowse";
    case TDataSetState::dsEdit: return "dsEdit";
    case TDataSetState::dsInsert: return "dsInsert";
    case TDataSetState::dsSetKey: return "dsSetKey";
    case TDataSetState::dsCalcFields: return "dsCalcFields";
    case TDataSetState::dsFilter: return "dsFilter";
    case TDataSetState::dsNewValue: return "dsNewValue";
    case TDataSetState::dsOldValue: return "dsOldValue";
    case TDataSetState::dsCurValue: return "dsCurValue";
    case TDataSetState::dsOpening: return "dsOpening";
  }
  return "dsInactive";
}

AnsiString UpdateKindName(TUpdateKind kind) {
  switch (kind) {
    case TUpdateKind::ukModify: return "ukModify";
    case TUpdateKind::ukInsert: return "ukInsert";
    case TUpdateKind::ukDelete: return "ukDelete";
  }
  return "ukModify";
}

}  // namespace platform

namespace platform {

const TTypeInfo& EnumTypeInfo(TFieldType) {
  // Every ordinal of the class library, those this layer does not
  // implement included, so that identifiers keep their values.
  static const TTypeInfo info = TTypeInfo::Enumeration(
      "TFieldType", {"ftUnknown", "ftString",   "ftSmallint",   "ftInteger",   "ftWord",        "ftBoolean",
                     "ftFloat",   "ftCurrency", "ftBCD",        "ftDate",      "ftTime",        "ftDateTime",
                     "ftBytes",   "ftVarBytes", "ftAutoInc",    "ftBlob",      "ftMemo",        "ftGraphic",
                     "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor",    "ftFixedChar",
                     "ftWideString", "ftLargeint", "ftADT",     "ftArray",     "ftReference",   "ftDataSet"});
  return info;
}

const TTypeInfo& EnumTypeInfo(TFieldKind) {
  static const TTypeInfo info =
      TTypeInfo::Enumeration("TFieldKind", {"fkData", "fkCalculated", "fkLookup", "fkInternalCalc"});
  return info;
}

const TTypeInfo& EnumTypeInfo(TIndexOption) {
  static const TTypeInfo info = TTypeInfo::Enumeration(
      "TIndexOption", {"ixPrimary", "ixUnique", "ixDescending", "ixCaseInsensitive", "ixExpression", "ixNonMaintained"});
  return info;
}

const TTypeInfo& SetTypeInfo(TIndexOptions) {
  static const TTypeInfo info = TTypeInfo::Set("TIndexOptions", EnumTypeInfo(TIndexOption{}));
  return info;
}

}  // namespace platform
