// The exception classes of the platform.
//
// Exception is the one root of every operational failure the platform and
// the module raise. Each class names itself (ClassName), since the logs
// print the class name and the exception report formats some classes in
// detail. EAbort is the silent abort: every event dispatcher and top-level
// loop swallows it without a message.
#pragma once

#include <cstdint>
#include <exception>
#include <vector>

#include "AnsiString.h"

namespace platform {

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : message_(std::move(message)) {}
  explicit Exception(const std::string& message) : message_(AnsiString(message.c_str(), message.size())) {}
  explicit Exception(const char* message) : message_(message) {}
  ~Exception() override = default;

  const AnsiString& Message() const { return message_; }
  void SetMessage(AnsiString message) { message_ = std::move(message); }
  virtual const char* ClassName() const { return "Exception"; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  AnsiString message_;
};

#define PLATFORM_EXCEPTION_CLASS(Name, Base)                  \
  class Name : public Base {                                  \
   public:                                                    \
    using Base::Base;                                         \
    const char* ClassName() const override { return #Name; } \
  }

// The silent abort: ends an operation without a message.
PLATFORM_EXCEPTION_CLASS(EAbort, Exception);
PLATFORM_EXCEPTION_CLASS(EConvertError, Exception);
PLATFORM_EXCEPTION_CLASS(EListError, Exception);
PLATFORM_EXCEPTION_CLASS(EStringListError, Exception);
PLATFORM_EXCEPTION_CLASS(EVariantError, Exception);
PLATFORM_EXCEPTION_CLASS(EVariantTypeCastError, EVariantError);
PLATFORM_EXCEPTION_CLASS(EVariantBadIndexError, EVariantError);
PLATFORM_EXCEPTION_CLASS(EVariantInvalidArgError, EVariantError);
PLATFORM_EXCEPTION_CLASS(EVariantOverflowError, EVariantError);
PLATFORM_EXCEPTION_CLASS(EIniFileException, Exception);
PLATFORM_EXCEPTION_CLASS(ERegistryException, Exception);
PLATFORM_EXCEPTION_CLASS(EXmlError, Exception);
PLATFORM_EXCEPTION_CLASS(EDllLoadError, Exception);

// A failure reported by an automation object: the callee's text, and the
// class or object it came from.
class EOleException : public Exception {
 public:
  EOleException(AnsiString message, AnsiString source, std::int32_t errorCode = -1)
      : Exception(std::move(message)), source_(std::move(source)), errorCode_(errorCode) {}
  const char* ClassName() const override { return "EOleException"; }
  const AnsiString& Source() const { return source_; }
  std::int32_t ErrorCode() const { return errorCode_; }

 private:
  AnsiString source_;
  std::int32_t errorCode_;
};

// "Invalid class string" and the other failures of creation by class name.
PLATFORM_EXCEPTION_CLASS(EOleSysError, Exception);

// An operating-system call failed; Code is the system's error number.
class EOSError : public Exception {
 public:
  EOSError(AnsiString message, std::int32_t code) : Exception(std::move(message)), code_(code) {}
  const char* ClassName() const override { return "EOSError"; }
  std::int32_t ErrorCode() const { return code_; }

 private:
  std::int32_t code_;
};

// The error class the exception report names "Windows error"; on this
// platform operating-system failures are EOSError.
class EWin32Error : public EOSError {
 public:
  using EOSError::EOSError;
  const char* ClassName() const override { return "EWin32Error"; }
};

// A file operation failed.
class EInOutError : public Exception {
 public:
  EInOutError(AnsiString message, std::int32_t code) : Exception(std::move(message)), code_(code) {}
  const char* ClassName() const override { return "EInOutError"; }
  std::int32_t ErrorCode() const { return code_; }

 private:
  std::int32_t code_;
};

// A database-engine failure carrying the engine's list of errors.
class EDBEngineError : public Exception {
 public:
  struct Error {
    std::int32_t code;
    AnsiString message;
  };
  EDBEngineError(AnsiString message, std::vector<Error> errors)
      : Exception(std::move(message)), errors_(std::move(errors)) {}
  const char* ClassName() const override { return "EDBEngineError"; }
  const std::vector<Error>& Errors() const { return errors_; }

 private:
  std::vector<Error> errors_;
};

// Raises the silent abort.
[[noreturn]] void Abort();

}  // namespace platform
