// TStringField: text of at most Size bytes (ftString, and ftFixedChar for
// fixed-length columns).
//
// Size counts bytes in the process code page: a field of size 10 holds ten
// ASCII characters or five Chinese characters of code page 936. A longer
// text is cut to Size bytes when it is written, never in the middle of a
// double-byte character: when byte Size would be the first byte of one,
// the text keeps Size - 1 bytes. A fixed-length field reads without its
// trailing blanks. An empty text is stored as an empty text, not as null.
#pragma once

#include "platform/data/Field.h"

namespace platform {

class TStringField : public TField {
  PLATFORM_CLASS(TStringField)

 public:
  explicit TStringField(TComponent* owner);

  bool FixedChar() const { return DataType() == ftFixedChar; }
  void SetFixedChar(bool fixed);

  Variant ConvertValue(const Variant& value) const override;
  Variant ParseText(const AnsiString& text) const override;
  AnsiString ValueToString(const Variant& stored) const override;
  void DescribeTo(FieldMeta& meta) const override;
  void TakeMeta(const FieldMeta& meta, bool isDefault) override;

 protected:
  int DefaultDisplayWidth() const override { return Size() > 0 ? Size() : 20; }
  int GetAsInteger(const Variant& stored) const override;
  std::int64_t GetAsLargeInt(const Variant& stored) const override;
  double GetAsFloat(const Variant& stored) const override;
  Currency GetAsCurrency(const Variant& stored) const override;
  bool GetAsBoolean(const Variant& stored) const override;
  TDateTime GetAsDateTime(const Variant& stored) const override;
};

}  // namespace platform
