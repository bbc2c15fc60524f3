// The entry point by which a shared library hands out automation objects.
//
// A library named for a class in the registry stand-in's "[Classes]"
// section exports, with C linkage, one function:
//
//   CORVANE_AUTO_EXPORT platform::AutoObject* CorvaneCreateObject(const char* className);
//
// It returns a new object of the class (class names compare without regard
// to ASCII case), or null when the library does not have that class. The
// caller takes ownership and deletes the object through AutoObject's
// virtual destructor; this is sound because class libraries are never
// unloaded. The function may raise platform exceptions; they reach the
// caller of CreateOleObject.
//
// A library may instead register its classes with AutoClassRegistrar
// (ClassRegistry.h) at start-up and export no function: after loading it,
// the class is looked up among the in-process registrations again.
#pragma once

#include "Automation.h"

#define CORVANE_AUTO_EXPORT extern "C" __attribute__((visibility("default")))

namespace platform {

using CorvaneCreateObjectFunction = AutoObject* (*)(const char* className);
inline constexpr const char* kCorvaneCreateObjectName = "CorvaneCreateObject";

}  // namespace platform
