// The state of a grid cell being drawn, shared by the string grid
// (Grids.h) and the data grid: selected, focused, fixed (a title).
#pragma once

#include "platform/ui/SetOf.h"

namespace platform {

enum TGridDrawStateElement { gdSelected, gdFocused, gdFixed };
using TGridDrawState = SetOf<TGridDrawStateElement>;

}  // namespace platform
