// The alert log and the exception report: plain-text diagnostic logs in
// the installation's "Log" folder.
//
// The alert log is one file per caller name and period, which every layer
// uses to record exceptions it then re-raises; the exception report formats
// database, operating-system and I/O exceptions in detail. The log folder
// is the registry's ClientPath (else ServerPath) followed by "Log", created
// with its parents when missing. Without an installation path the alert log
// goes to the "Log" folder beside the running executable and the exception
// report to the "Log" folder of the user's temporary folder ("/tmp/" when
// that is unknown or the registry cannot be read).
//
// Every line is appended to its file, which is opened and closed for that
// line alone; lines end with CR LF. Logging never interrupts the caller: an
// I/O failure makes the writer return false and nothing is raised.
#pragma once

#include "platform/AnsiString.h"
#include "platform/Exceptions.h"

namespace kv {

// Appends "[YYYY/MM/DD hh:nn:ss:zzz] " + text to "Alert_" + name + "_" +
// period, where kind "M" names the month (YYYYMM), "Y" the year (YYYY) and
// any other kind the day (YYYYMMDD); ".log" is added unless name contains
// a ".". False when the line could not be written.
bool WriteAlert(const platform::AnsiString& name, const platform::AnsiString& text,
                const platform::AnsiString& kind = "D");

// Appends "[" + date and time in the short date and long time format + "] "
// + text to "Alert_KentraGenerator_" + YYYYMMDD + ".log". False when the
// line could not be written.
bool WriteReportLine(const platform::AnsiString& text);

// Writes a report of an exception (may be null), under a header naming the
// context, followed by the programmer's message when it is not blank.
void WriteExceptionReport(const platform::Exception* exception, const platform::AnsiString& context,
                          const platform::AnsiString& message);

// Makes WriteAlert the process's alert writer, through which the layers
// below the kernel record their alerts (platform/AlertSink.h).
void InstallAlertLog();

}  // namespace kv
