#include "kernel/KentraGeneratorU.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "platform/AlertSink.h"
#include "platform/DateTime.h"
#include "platform/Exceptions.h"
#include "platform/Paths.h"
#include "platform/TestSupport.h"

namespace kv {
namespace {

using platform::AnsiString;
using platform::testing::A;
using platform::testing::TempFolder;

std::string U8Name(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::string Today(const char* pattern) { return platform::FormatDateTime(pattern, platform::Now()).ToUtf8(); }

// The lines of a log file, split at CR LF (the last, empty piece dropped).
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// Strips the "[time stamp] " of a report line.
std::string Body(const std::string& line) {
  std::size_t close = line.find("] ");
  return close == std::string::npos ? line : line.substr(close + 2);
}

class LogFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.WriteRegistry("[Software\\KVT\\Corvane]\nClientPath=" + dir.File("inst/client") + "\n");
  }
  std::string Log(const std::string& name) const { return dir.Read("inst/client/Log/" + name); }
  std::string Report() const { return Log("Alert_KentraGenerator_" + Today("yyyymmdd") + ".log"); }

  TempFolder dir;
};

TEST_F(LogFolder, NamesAlertFilesByNameAndPeriod) {
  struct Case {
    const char* name;
    const char* kind;
    std::string file;
  } cases[] = {
      {"Class knlRadical-311", "D", "Alert_Class knlRadical-311_" + Today("yyyymmdd") + ".log"},
      {"a.txt", "M", "Alert_a.txt_" + Today("yyyymm")},
      {"Radical", "Y", "Alert_Radical_" + Today("yyyy") + ".log"},
      {"knlBase-103", "Q", "Alert_knlBase-103_" + Today("yyyymmdd") + ".log"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteAlert(c.name, "first", c.kind)) << c.name;
    ASSERT_TRUE(WriteAlert(c.name, "second", c.kind)) << c.name;
    std::vector<std::string> lines = Lines(Log(c.file));
    ASSERT_EQ(lines.size(), 2u) << c.file << ": appended, one line each";
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\[\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}:\d{3}\] first)")))
        << lines[0];
    EXPECT_EQ(lines[1].substr(lines[1].size() - 7), " second");
  }
  EXPECT_EQ(Log(cases[0].file).substr(Log(cases[0].file).size() - 2), "\r\n");

  ASSERT_TRUE(WriteAlert(A(u8"保存失败"), A(u8"单身没有资料")));
  EXPECT_EQ(Body(Lines(Log(U8Name(u8"Alert_保存失败_") + Today("yyyymmdd") + ".log"))[0]),
            A(u8"单身没有资料").Bytes())
      << "the file name is UTF-8 on disk, the text stays in the program code page";
}

TEST_F(LogFolder, FallsBackToServerPathExecutableFolderAndTemporaryFolder) {
  dir.WriteRegistry("[Software\\KVT\\Corvane]\nClientPath=\nServerPath=" + dir.File("srv") + "\n");
  ASSERT_TRUE(WriteAlert("srv", "x"));
  EXPECT_FALSE(dir.Read("srv/Log/Alert_srv_" + Today("yyyymmdd") + ".log").empty());

  const char* oldTmp = std::getenv("TMPDIR");
  std::string savedTmp = oldTmp ? oldTmp : "";
  ::setenv("TMPDIR", dir.File("tmp").c_str(), 1);
  dir.WriteRegistry("[Software\\KVT\\Corvane]\nProfileType=0\n");
  ASSERT_TRUE(WriteReportLine("to the temporary folder"));
  EXPECT_NE(dir.Read("tmp/Log/Alert_KentraGenerator_" + Today("yyyymmdd") + ".log").find("to the temporary folder"),
            std::string::npos);
  if (oldTmp) ::setenv("TMPDIR", savedTmp.c_str(), 1);
  else ::unsetenv("TMPDIR");

  // No registry at all: the alert log beside the executable, the report in /tmp.
  ::unlink(dir.File("registry.ini").c_str());
  std::string unique = "unreadable registry " + std::to_string(::getpid());
  std::string alertFile = platform::ExtractFilePath(platform::ExecutablePath()).ToUtf8() + "Log/Alert_kernel_tests_" +
                          Today("yyyymmdd") + ".log";
  ASSERT_TRUE(WriteAlert("kernel_tests", unique.c_str()));
  std::string bytes;
  ASSERT_TRUE(platform::ReadFileBytes(AnsiString::FromUtf8(alertFile), bytes)) << alertFile;
  EXPECT_NE(bytes.find(unique), std::string::npos);
  ::unlink(alertFile.c_str());
  ASSERT_TRUE(WriteReportLine(unique.c_str()));
  std::string report = "/tmp/Log/Alert_KentraGenerator_" + Today("yyyymmdd") + ".log";
  ASSERT_TRUE(platform::ReadFileBytes(AnsiString::FromUtf8(report), bytes)) << report;
  EXPECT_NE(bytes.find(unique), std::string::npos);
}

TEST_F(LogFolder, ReportsExceptionsByTheirClass) {
  platform::EDBEngineError db("engine", {{17, "first"}, {-3, "second"}});
  platform::EWin32Error win("denied", 5);
  platform::EInOutError io("disk full", 112);
  platform::EConvertError convert("'x' is not a valid integer value");
  platform::EOSError os("plain", 2);
  const std::string dashes(34, '-');
  struct Case {
    const char* name;
    const platform::Exception* exception;
    std::vector<std::string> lines;
  } cases[] = {
      {"database engine", &db,
       {dashes + " on ctx " + dashes, A(u8"讯息信息:").Bytes(), "EDBEngineError Error 01: Code: 17, Message: first",
        "EDBEngineError Error 02: Code: -3, Message: second", "ErrorMessage Count: 2", "Programer Message: note"}},
      {"Windows", &win,
       {dashes + " on ctx " + dashes, A(u8"讯息信息:").Bytes(), "EWin32Error Error 01: Code: 5, Message: denied",
        "ErrorMessage Count: 1", "Programer Message: note"}},
      {"I/O", &io,
       {dashes + " on ctx " + dashes, A(u8"讯息信息:").Bytes(), "EInOutError Error 01: Code: 112, Message: disk full",
        "ErrorMessage Count: 1", "Programer Message: note"}},
      {"any other", &convert,
       {dashes + " on ctx " + dashes, A(u8"讯息信息:").Bytes(), "Exception is EConvertError",
        "Message 01: 'x' is not a valid integer value", "ErrorMessage Count: 1", "Programer Message: note"}},
      {"an operating-system error that is not a Windows one", &os,
       {dashes + " on ctx " + dashes, A(u8"讯息信息:").Bytes(), "Exception is EOSError", "Message 01: plain",
        "ErrorMessage Count: 1", "Programer Message: note"}},
      {"no exception", nullptr, {dashes + " on ctx " + dashes, "Programer Message: note"}},
  };
  for (const Case& c : cases) {
    ::unlink(dir.File("inst/client/Log/Alert_KentraGenerator_" + Today("yyyymmdd") + ".log").c_str());
    WriteExceptionReport(c.exception, "ctx", "  note  ");
    std::vector<std::string> bodies;
    for (const std::string& line : Lines(Report())) bodies.push_back(line.rfind('[', 0) == 0 ? Body(line) : line);
    EXPECT_EQ(bodies, c.lines) << c.name;
  }

  ::unlink(dir.File("inst/client/Log/Alert_KentraGenerator_" + Today("yyyymmdd") + ".log").c_str());
  WriteExceptionReport(nullptr, "   ", "   ");
  std::vector<std::string> lines = Lines(Report());
  ASSERT_EQ(lines.size(), 1u) << "a blank message is left out";
  EXPECT_EQ(Body(lines[0]), std::string(68, '-'));
  const platform::TFormatSettings& fs = platform::FormatSettings();
  std::string stamp = lines[0].substr(1, lines[0].find(']') - 1);
  platform::TDateTime now = platform::Now();
  EXPECT_EQ(stamp.size(), platform::FormatDateTime(fs.ShortDateFormat + " " + fs.LongTimeFormat, now).Length())
      << "short date and long time: " << stamp;
}

TEST_F(LogFolder, SwallowsEveryWriteFailure) {
  dir.Write("inst/client/Log", "a file where the folder should be");
  EXPECT_FALSE(WriteAlert("x", "y"));
  EXPECT_FALSE(WriteReportLine("y"));
  platform::EConvertError e("bad");
  EXPECT_NO_THROW(WriteExceptionReport(&e, "ctx", "note"));
  EXPECT_EQ(dir.Read("inst/client/Log"), "a file where the folder should be");
}

TEST_F(LogFolder, ServesAsTheProcessAlertWriter) {
  InstallAlertLog();
  EXPECT_TRUE(platform::ReportAlert("libstrs", "LINE[2735] broken", "D"));
  platform::SetAlertWriter(nullptr);
  EXPECT_NE(Log("Alert_libstrs_" + Today("yyyymmdd") + ".log").find("] LINE[2735] broken"), std::string::npos);
}

}  // namespace
}  // namespace kv
