#include "platform/data/BlobField.h"

#include "platform/data/DataSet.h"
#include "platform/data/DatabaseError.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

const TClassInfo& TBlobField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TBlobField>("TBlobField", TField::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TBlobField);

TBlobField::TBlobField(TComponent* owner) : TField(owner, ftBlob) {}
TBlobField::TBlobField(TComponent* owner, TFieldType type) : TField(owner, type) {}

std::string TBlobField::Bytes() const {
  const Variant& v = Stored();
  if (VarIsEmptyOrNull(v)) return std::string();
  if (VarIsArray(v) && (VarType(v) & varTypeMask) == varByte) return std::string(VarArrayBytes(v));
  return v.AsString().Bytes();
}

void TBlobField::SetBytes(std::string_view bytes) { SetAsVariant(VarByteArrayOf(bytes)); }

Variant TBlobField::ConvertValue(const Variant& value) const {
  if (VarIsArray(value) && (VarType(value) & varTypeMask) == varByte) return value;
  if (VarIsStr(value)) return VarByteArrayOf(value.AsString().View());
  AccessError("Blob");
}

Variant TBlobField::ParseText(const AnsiString& text) const {
  if (text.IsEmpty()) return Null();
  return VarByteArrayOf(text.View());
}

AnsiString TBlobField::ValueToString(const Variant& stored) const {
  if (VarIsArray(stored) && (VarType(stored) & varTypeMask) == varByte) return AnsiString::FromBytes(VarArrayBytes(stored));
  return VarToStr(stored);
}

AnsiString TBlobField::FormatText(const Variant& stored, bool) const {
  return VarIsEmptyOrNull(stored) ? AnsiString("(Blob)") : AnsiString("(BLOB)");
}

const TClassInfo& TMemoField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TMemoField>("TMemoField", TBlobField::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TMemoField);

TMemoField::TMemoField(TComponent* owner) : TBlobField(owner, ftMemo) {}

Variant TMemoField::ConvertValue(const Variant& value) const {
  if (VarIsArray(value) && (VarType(value) & varTypeMask) == varByte)
    return Variant(AnsiString::FromBytes(VarArrayBytes(value)));
  try {
    return Variant(value.AsString());
  } catch (const EVariantTypeCastError&) {
    AccessError("Memo");
  }
}

Variant TMemoField::ParseText(const AnsiString& text) const { return Variant(text); }

AnsiString TMemoField::ValueToString(const Variant& stored) const { return stored.AsString(); }

AnsiString TMemoField::FormatText(const Variant& stored, bool display) const {
  if (display) return VarIsEmptyOrNull(stored) ? AnsiString("(Memo)") : AnsiString("(MEMO)");
  return VarIsEmptyOrNull(stored) ? AnsiString() : stored.AsString();
}

}  // namespace platform
