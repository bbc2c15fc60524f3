// The errors of the data layer.
//
// EDatabaseError is what the class library raises for a data-set or field
// operation that cannot be carried out ("Field 'X' cannot be modified",
// "cdsMain: Field 'X' not found"). EReconcileError describes one row the
// provider refused while applying updates; it reaches OnReconcileError and
// is never thrown by the data set itself.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Exceptions.h"

namespace platform {

PLATFORM_EXCEPTION_CLASS(EDatabaseError, Exception);

// A data packet, delta or reconcile answer that does not have the layout
// documented in DataPacket.h, Delta.h and ReconcileAnswer.h.
PLATFORM_EXCEPTION_CLASS(EDataPacketError, EDatabaseError);

class EReconcileError : public EDatabaseError {
 public:
  EReconcileError(AnsiString message, AnsiString context, std::int32_t errorCode, std::int32_t previousError)
      : EDatabaseError(std::move(message)),
        context_(std::move(context)),
        errorCode_(errorCode),
        previousError_(previousError) {}
  const char* ClassName() const override { return "EReconcileError"; }
  // What the provider was doing when the row was refused (the statement or
  // the rule that refused it).
  const AnsiString& Context() const { return context_; }
  std::int32_t ErrorCode() const { return errorCode_; }
  // The error number the row had in an earlier apply, 0 when none.
  std::int32_t PreviousError() const { return previousError_; }

 private:
  AnsiString context_;
  std::int32_t errorCode_;
  std::int32_t previousError_;
};

// Raises EDatabaseError with the message, prefixed by "Name: " when a
// component name is given (as the class library names the data set).
[[noreturn]] void DatabaseError(const AnsiString& message, const AnsiString& componentName = AnsiString());

}  // namespace platform
