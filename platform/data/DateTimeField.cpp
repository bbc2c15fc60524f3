#include "platform/data/DateTimeField.h"

#include <cmath>

#include "platform/FloatFormat.h"
#include "platform/data/DataSet.h"
#include "platform/data/DatabaseError.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

namespace {

// hours ":" minutes [":" seconds ["." milliseconds]], blanks around.
bool TryStrToTime(const AnsiString& text, TDateTime& value) {
  AnsiString t = Trim(text);
  int parts[4] = {0, 0, 0, 0};
  int count = 0;
  std::size_t start = 1;
  char sep = FormatSettings().TimeSeparator;
  for (std::size_t i = 1; i <= t.Length() + 1; ++i) {
    bool end = i > t.Length();
    char c = end ? '\0' : t[i];
    bool dot = c == '.' && count == 2;
    if (end || c == sep || dot) {
      if (count >= 4 || i == start) return false;
      int v = 0;
      if (!TryStrToInt(t.SubString(start, i - start), v) || v < 0) return false;
      parts[count++] = v;
      start = i + 1;
      if (dot && count != 3) return false;
    } else if (c < '0' || c > '9') {
      return false;
    }
  }
  if (count < 2) return false;
  return TryEncodeTime(parts[0], parts[1], parts[2], parts[3], value);
}

}  // namespace

const TClassInfo& TDateTimeField::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TDateTimeField>("TDateTimeField", TField::StaticClass())
          .String("DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TDateTimeField);

TDateTimeField::TDateTimeField(TComponent* owner) : TField(owner, ftDateTime) {}
TDateTimeField::TDateTimeField(TComponent* owner, TFieldType type) : TField(owner, type) {}

void TDateTimeField::SetDisplayFormat(const AnsiString& format) {
  if (ChangeProperty(displayFormat_, format, "DisplayFormat")) NotifyLayoutChange();
}

Variant TDateTimeField::ConvertValue(const Variant& value) const {
  if (VarIsStr(value)) return ParseText(value.AsString());
  TDateTime d = 0;
  try {
    d = value.AsDateTime();
  } catch (const EVariantTypeCastError&) {
    AccessError("DateTime");
  }
  if (!std::isfinite(d)) DatabaseError("Invalid value for field '" + DisplayName() + "'");
  // A date keeps its day, a time its time of day (as the record stores them).
  if (DataType() == ftDate) d = std::trunc(d);
  if (DataType() == ftTime) d = std::fabs(d - std::trunc(d));
  return Variant::FromDateTime(d);
}

Variant TDateTimeField::ParseText(const AnsiString& text) const {
  AnsiString t = Trim(text);
  if (t.IsEmpty()) return Null();
  TDateTime d = 0;
  bool ok = false;
  switch (DataType()) {
    case ftDate:
      ok = TryStrToDate(t, d);
      if (!ok) throw EConvertError("'" + text + "' is not a valid date");
      break;
    case ftTime:
      ok = TryStrToTime(t, d);
      if (!ok) throw EConvertError("'" + text + "' is not a valid time");
      break;
    default: {
      std::size_t blank = t.Pos(" ");
      TDateTime time = 0;
      if (blank == 0) ok = TryStrToDate(t, d);
      else ok = TryStrToDate(t.SubString(1, blank - 1), d) && TryStrToTime(t.Mid(blank + 1), time);
      if (!ok) throw EConvertError("'" + text + "' is not a valid date and time");
      d = d < 0 ? d - time : d + time;
      break;
    }
  }
  return ConvertValue(Variant::FromDateTime(d));
}

AnsiString TDateTimeField::ValueToString(const Variant& stored) const { return FormatText(stored, false); }

AnsiString TDateTimeField::FormatText(const Variant& stored, bool display) const {
  if (VarIsEmptyOrNull(stored)) return AnsiString();
  TDateTime d = stored.AsDateTime();
  if (display && !displayFormat_.IsEmpty()) return FormatDateTime(displayFormat_, d);
  switch (DataType()) {
    case ftDate: return FormatDateTime(FormatSettings().ShortDateFormat, d);
    case ftTime: return FormatDateTime(FormatSettings().LongTimeFormat, d);
    default: return FormatDateTime("c", d);
  }
}

double TDateTimeField::GetAsFloat(const Variant& stored) const { return stored.AsDateTime(); }
TDateTime TDateTimeField::GetAsDateTime(const Variant& stored) const { return stored.AsDateTime(); }

const TClassInfo& TDateField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TDateField>("TDateField", TDateTimeField::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TDateField);
TDateField::TDateField(TComponent* owner) : TDateTimeField(owner, ftDate) {}

const TClassInfo& TTimeField::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTimeField>("TTimeField", TDateTimeField::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TTimeField);
TTimeField::TTimeField(TComponent* owner) : TDateTimeField(owner, ftTime) {}

}  // namespace platform
