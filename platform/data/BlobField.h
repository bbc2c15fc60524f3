// TBlobField (ftBlob, ftBytes, ftVarBytes: bytes, kept as a byte array)
// and TMemoField (ftMemo: text of any length, never cut).
//
// DisplayText is "(BLOB)" / "(MEMO)" for a value and "(Blob)" / "(Memo)"
// for null, as the class library shows them in grids; the edit text of a
// memo is its text. AsString gives the bytes or the text.
#pragma once

#include "platform/data/Field.h"

namespace platform {

class TBlobField : public TField {
  PLATFORM_CLASS(TBlobField)

 public:
  explicit TBlobField(TComponent* owner);

  bool IsBlob() const override { return true; }
  // The bytes of the value ("" when null).
  std::string Bytes() const;
  void SetBytes(std::string_view bytes);

  Variant ConvertValue(const Variant& value) const override;
  Variant ParseText(const AnsiString& text) const override;
  AnsiString ValueToString(const Variant& stored) const override;
  AnsiString FormatText(const Variant& stored, bool display) const override;

 protected:
  TBlobField(TComponent* owner, TFieldType type);
  // Blobs of another type than ftBlob (bytes columns of a packet).
  friend TField* CreateFieldOfType(TFieldType type, TComponent* owner);
};

class TMemoField : public TBlobField {
  PLATFORM_CLASS(TMemoField)

 public:
  explicit TMemoField(TComponent* owner);

  Variant ConvertValue(const Variant& value) const override;
  Variant ParseText(const AnsiString& text) const override;
  AnsiString ValueToString(const Variant& stored) const override;
  AnsiString FormatText(const Variant& stored, bool display) const override;
};

}  // namespace platform
