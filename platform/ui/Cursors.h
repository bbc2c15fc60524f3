// TCursor: the mouse cursors of the class library, by number.
//
// Published cursor properties (a control's Cursor, the screen's wait
// cursor) have the type CursorTypeInfo() and accept an identifier
// ("crHourGlass") or the number. The renderer maps them to its own
// cursors.
#pragma once

#include <cstdint>

#include "platform/AnsiString.h"
#include "platform/ui/TypeInfo.h"

namespace platform {

using TCursor = std::int16_t;

constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// The published type "TCursor".
const TTypeInfo& CursorTypeInfo();

bool CursorToIdent(TCursor cursor, AnsiString& identifier);
bool IdentToCursor(const AnsiString& identifier, TCursor& cursor);

}  // namespace platform
