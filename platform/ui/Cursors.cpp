#include "platform/ui/Cursors.h"

#include <limits>
#include <vector>

namespace platform {

const TTypeInfo& CursorTypeInfo() {
  static const TTypeInfo t = TTypeInfo::Integer(
      "TCursor", std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max(),
      {
          {crDefault, "crDefault"},   {crNone, "crNone"},         {crArrow, "crArrow"},
          {crCross, "crCross"},       {crIBeam, "crIBeam"},       {crSizeNESW, "crSizeNESW"},
          {crSizeNS, "crSizeNS"},     {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"},
          {crUpArrow, "crUpArrow"},   {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
          {crNoDrop, "crNoDrop"},     {crHSplit, "crHSplit"},     {crVSplit, "crVSplit"},
          {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"}, {crNo, "crNo"},
          {crAppStart, "crAppStart"}, {crHelp, "crHelp"},         {crHandPoint, "crHandPoint"},
          {crSizeAll, "crSizeAll"},
      });
  return t;
}

bool CursorToIdent(TCursor cursor, AnsiString& identifier) { return CursorTypeInfo().IntToIdent(cursor, identifier); }

bool IdentToCursor(const AnsiString& identifier, TCursor& cursor) {
  std::int64_t v = 0;
  if (!CursorTypeInfo().IdentToInt(identifier, v)) return false;
  cursor = static_cast<TCursor>(v);
  return true;
}

}  // namespace platform
