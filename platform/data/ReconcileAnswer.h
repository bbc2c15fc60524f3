// ReconcileAnswer: what a provider answers to ApplyUpdates.
//
// Each refused row is named by its path in the delta tree: the position of
// the top-level row in Delta::rows, then for each level below a pair of the
// nested field's ordinal (k of DeltaRow::nested[k]) and the row's position
// in that list. {2} is the third row; {2, 0, 1} is the second row of the
// first nested data set of the third row. So a refused detail row reaches
// the detail data set that holds it.
//
// rolledBack is true when the provider stopped because more rows were
// refused than MaxErrors allowed and undid everything: then no row of the
// delta was applied and the client keeps every change. Otherwise the rows
// that are not named were applied.
//
// Variant layout (array conventions as in DataPacket.h):
// ReconcileError  = [path: Array of Integer, message: String,
//                    context: String, errorCode: Integer,
//                    previousError: Integer]
// ReconcileAnswer = [rolledBack: Boolean, errors: Array of ReconcileError]
#pragma once

#include <cstdint>
#include <iosfwd>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Variant.h"

namespace platform {

struct ReconcileError {
  std::vector<int> path;
  AnsiString message;
  AnsiString context;
  std::int32_t errorCode = 0;
  std::int32_t previousError = 0;

  friend bool operator==(const ReconcileError&, const ReconcileError&) = default;
};

struct ReconcileAnswer {
  bool rolledBack = false;
  std::vector<ReconcileError> errors;

  int ErrorCount() const { return static_cast<int>(errors.size()); }
  friend bool operator==(const ReconcileAnswer&, const ReconcileAnswer&) = default;
};

Variant ToVariant(const ReconcileError& error);
Variant ToVariant(const ReconcileAnswer& answer);
ReconcileError ReconcileErrorFromVariant(const Variant& v);
ReconcileAnswer ReconcileAnswerFromVariant(const Variant& v);

std::ostream& operator<<(std::ostream& os, const ReconcileError& error);
std::ostream& operator<<(std::ostream& os, const ReconcileAnswer& answer);

}  // namespace platform
