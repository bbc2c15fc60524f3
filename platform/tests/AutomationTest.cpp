#include "platform/Automation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "platform/AutoExport.h"
#include "platform/ClassRegistry.h"
#include "platform/DispatchTable.h"
#include "platform/DynLib.h"
#include "platform/Exceptions.h"
#include "platform/TestSupport.h"

namespace platform {
namespace {

using testing::TempFolder;

// A server object with members of every shape the table supports.
class FakeServer : public Dispatchable<FakeServer> {
 public:
  static const DispatchTable<FakeServer>& AutomationMembers() {
    static const auto table = DispatchTable<FakeServer>("FakeServer")
                                  .Method("Whatis", &FakeServer::Whatis)
                                  .Method("CheckValue", &FakeServer::CheckValue)
                                  .Method("Add", &FakeServer::Add)
                                  .Method("Fail", &FakeServer::Fail)
                                  .Method("Quit", &FakeServer::Quit)
                                  .Method("CountArgs", &FakeServer::CountArgs)
                                  .Method("GetFormat", &FakeServer::GetFormat)
                                  .Method("Com_Validator", &FakeServer::Child)
                                  .Method("Touch", &FakeServer::Touch)
                                  .Property("BaseLimited", &FakeServer::GetBaseLimited, &FakeServer::SetBaseLimited)
                                  .Property("Name", &FakeServer::Name)
                                  .Property("Item", &FakeServer::GetItem, &FakeServer::SetItem)
                                  .Property("Secret", nullptr, &FakeServer::SetSecret);
    return table;
  }

  AnsiString Whatis(const AnsiString& what) { return what == "TODAY" ? "2024/01/02" : "unknown"; }
  bool CheckValue(const AnsiString& table, int code, Variant& database, Variant& keys, Variant& result) {
    database = Variant(table + "_DB");
    result = VarArrayOf({code, keys});
    keys = Variant();
    return code > 0;
  }
  int Add(int a, int b) { return a + b; }
  void Fail(const AnsiString& text) { throw EConvertError(text); }
  void Quit() { Abort(); }
  int CountArgs(std::span<Variant> args) { return static_cast<int>(args.size()); }
  WideString GetFormat(const AnsiString& company, const AnsiString& program) { return (company + program).ToWide(); }
  std::shared_ptr<FakeServer> Child() { return std::make_shared<FakeServer>(); }
  void Touch() { ++touched; }
  bool GetBaseLimited() const { return baseLimited; }
  void SetBaseLimited(bool on) { baseLimited = on; }
  AnsiString Name() const { return "fake"; }
  Variant GetItem(int index) const {
    auto it = items.find(index);
    if (it == items.end()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return it->second;
  }
  void SetItem(int index, const Variant& value) { items[index] = value; }
  void SetSecret(const AnsiString& text) { secret = text; }

  int touched = 0;
  bool baseLimited = false;
  std::map<int, Variant> items;
  AnsiString secret;
};

void ExpectOleError(const std::function<void()>& run, const char* message, const char* source = "FakeServer") {
  try {
    run();
    ADD_FAILURE() << "no error, expected: " << message;
  } catch (const EOleException& e) {
    EXPECT_EQ(e.Message(), AnsiString(message));
    EXPECT_EQ(e.Source(), AnsiString(source));
  }
}

class Automation : public ::testing::Test {
 protected:
  std::shared_ptr<FakeServer> server = std::make_shared<FakeServer>();
  Variant object{server};
};

TEST_F(Automation, MemberNamesIgnoreCase) {
  for (const char* name : {"Whatis", "WhatIs", "WHATIS", "whatis"})
    EXPECT_EQ(OleCall(object, name, {"TODAY"}), Variant("2024/01/02")) << name;
  OleSet(object, "baselimited", true);
  EXPECT_EQ(OleGet(object, "BASELIMITED"), Variant(true));
}

TEST_F(Automation, UnknownMembersAndMisusedMembersRaiseWithTheNameAsCalled) {
  ExpectOleError([&] { OleCall(object, "Whatsit", {"TODAY"}); },
                 "Method 'Whatsit' not supported by automation object");
  ExpectOleError([&] { OleSet(object, "Name", "x"); }, "Property 'Name' is read only");
  ExpectOleError([&] { OleSet(object, "Add", 1); }, "Method 'Add' is not a property");
  ExpectOleError([&] { OleGet(object, "Secret"); }, "Property 'Secret' is write only");
  ExpectOleError([&] { OleCall(object, "Add", {1}); }, "Invalid number of parameters");
  ExpectOleError([&] { OleCall(object, "Whatis"); }, "Invalid number of parameters");
  EXPECT_EQ(server->touched, 0);
}

TEST_F(Automation, ByReferenceArgumentsReceiveWhatTheCalleeWrites) {
  Variant database("DB1");
  Variant keys = VarArrayOf({"K1", "K2"});
  Variant result;
  Variant ok = OleCall(object, "CheckValue", {"TE001", 3, ByRef(database), ByRef(keys), ByRef(result)});
  EXPECT_EQ(ok, Variant(true));
  EXPECT_EQ(database, Variant("TE001_DB"));
  EXPECT_TRUE(VarIsEmpty(keys)) << "the callee cleared it";
  EXPECT_EQ(result, VarArrayOf({3, VarArrayOf({"K1", "K2"})}));

  Variant byValue("DB1");
  Variant k = VarArrayOf({"K"});
  Variant r;
  OleCall(object, "CheckValue", {"T", 0, byValue, ByRef(k), ByRef(r)});
  EXPECT_EQ(byValue, Variant("DB1")) << "an argument passed by value is left alone";

  std::vector<Variant> args{Variant("T"), Variant(1), Variant("D"), Variant(), Variant()};
  OleCall(object, "CheckValue", std::span<Variant>(args));
  EXPECT_EQ(args[2], Variant("T_DB")) << "a Variant& parameter writes into the argument itself";
}

TEST_F(Automation, ArgumentsAndResultsAreConverted) {
  EXPECT_EQ(OleCall(object, "Add", {"2", 3.5}), Variant(6)) << "text parsed, 3.5 rounded to even";
  EXPECT_EQ(OleCall(server, "Add", {1, 2}), Variant(3)) << "called on the object pointer";
  EXPECT_EQ(VarType(OleCall(object, "GetFormat", {"C1", "P1"})), varOleStr);
  EXPECT_EQ(OleCall(object, "GetFormat", {"C1", "P1"}), Variant(u"C1P1"));
  EXPECT_TRUE(VarIsEmpty(OleCall(object, "Touch")));
  EXPECT_EQ(server->touched, 1);
  EXPECT_EQ(OleCall(object, "CountArgs", {1, 2, 3}), Variant(3));
  EXPECT_EQ(OleCall(object, "CountArgs"), Variant(0));
  ExpectOleError([&] { OleCall(object, "Add", {"two", 1}); },
                 "Could not convert variant of type (String) into type (Integer)");
}

TEST_F(Automation, PropertiesReadAssignAndIndex) {
  OleSet(object, "BaseLimited", "True");
  EXPECT_TRUE(server->baseLimited);
  EXPECT_EQ(VarType(OleGet(object, "BaseLimited")), varBoolean);
  EXPECT_EQ(OleCall(object, "BaseLimited"), Variant(true)) << "a property read written as a call";
  EXPECT_EQ(OleGet(object, "Com_Validator").Type(), varDispatch) << "a method read as a property";
  OleSet(object, "Item", {2}, "two");
  EXPECT_EQ(OleGet(object, "Item", {2}), Variant("two"));
  ExpectOleError([&] { OleGet(object, "Item", {5}); }, "List index out of bounds (5)");
  OleSet(object, "Secret", 12);
  EXPECT_EQ(server->secret, AnsiString("12"));
}

TEST_F(Automation, CalleeFailuresReachTheCallerWithTheirText) {
  ExpectOleError([&] { OleCall(object, "Fail", {"UnDefined Error from Counter"}); }, "UnDefined Error from Counter");
  ExpectOleError([&] { OleCall(object, "Quit"); }, "Operation aborted");
}

TEST_F(Automation, CallsNeedAnObject) {
  Variant null = Null();
  for (const Variant& target : {Variant(), Null(), Variant(5), ByRef(null)}) {
    try {
      OleCall(target, "Whatis", {"TODAY"});
      ADD_FAILURE() << target;
    } catch (const EVariantError& e) {
      EXPECT_EQ(e.Message(), AnsiString("Variant does not reference an automation object")) << target;
    }
  }
  EXPECT_EQ(OleCall(ByRef(object), "Whatis", {"TODAY"}), Variant("2024/01/02")) << "a reference to an object";
}

TEST_F(Automation, ObjectsReturnedAreCountedReferences) {
  Variant child = OleCall(object, "Com_Validator");
  ASSERT_TRUE(VarIsDispatch(child));
  EXPECT_EQ(OleCall(child, "Add", {1, 2}), Variant(3));
  std::weak_ptr<AutoObject> watch = child.AsDispatch();
  Variant copy = child;
  child = Unassigned();
  EXPECT_FALSE(watch.expired());
  copy = Unassigned();
  EXPECT_TRUE(watch.expired()) << "released with the last reference";
}

// Creation by class name ---------------------------------------------------

class LocalClass : public Dispatchable<LocalClass> {
 public:
  static const DispatchTable<LocalClass>& AutomationMembers() {
    static const auto table = DispatchTable<LocalClass>("LocalClass").Method("Hello", &LocalClass::Hello);
    return table;
  }
  AnsiString Hello() { return "hello"; }
};

const AutoClassRegistrar localRegistrar("Test.StaticLocal", [] { return std::make_shared<LocalClass>(); });

const char* const kTestLibrary = CORVANE_TEST_AUTO_LIB;

class ClassRegistry : public ::testing::Test {
 protected:
  // Copies the test library into the temporary folder under another name.
  std::string CopyLibrary(const std::string& name) {
    std::filesystem::copy_file(kTestLibrary, dir.File(name));
    return dir.File(name);
  }
  TempFolder dir;
};

TEST_F(ClassRegistry, InProcessRegistrationsComeFirstAndIgnoreCase) {
  dir.WriteRegistry(std::string("[Classes]\nTest.InProcess=") + kTestLibrary + "\n");
  RegisterAutoClass("Test.InProcess", [] { return std::make_shared<FakeServer>(); });
  Variant created = CreateOleObject("test.INPROCESS");
  EXPECT_EQ(created.AsDispatch()->AutoClassName(), AnsiString("FakeServer"));
  EXPECT_EQ(OleCall(CreateOleObject("Test.StaticLocal"), "hello"), Variant("hello"));
  EXPECT_TRUE(UnregisterAutoClass("TEST.inprocess"));
  EXPECT_FALSE(UnregisterAutoClass("Test.InProcess"));

  RegisterAutoClass("Test.Nothing", [] { return AutoObjectPtr(); });
  try {
    CreateOleObject("Test.Nothing");
    ADD_FAILURE();
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.Message(), AnsiString("Class not registered"));
  }
  UnregisterAutoClass("Test.Nothing");
}

TEST_F(ClassRegistry, UnknownClassesAreInvalidClassStrings) {
  dir.WriteRegistry("[Classes]\nOther.Class=/nowhere/Other.so\n");
  for (const char* name : {"MarnoSrv.Class1", "", "Other"}) {
    try {
      CreateOleObject(name);
      ADD_FAILURE() << name;
    } catch (const EOleSysError& e) {
      EXPECT_EQ(e.Message(), AnsiString("Invalid class string")) << name;
    }
  }
}

TEST_F(ClassRegistry, ClassLibrariesNamedInTheRegistryAreLoaded) {
  dir.WriteRegistry(std::string("[Classes]\nTestLib.Echo=") + kTestLibrary + "\nTestLib.Registered=" +
                    kTestLibrary + "\nTestLib.Missing=" + kTestLibrary + "\n");
  Variant echo = CreateOleObject("testlib.echo");
  EXPECT_EQ(OleGet(echo, "Origin"), Variant("TestAutoLib"));
  Variant value = VarArrayOf({1, "two"});
  EXPECT_EQ(OleCall(echo, "ECHO", {value}), value);
  EXPECT_EQ(OleCall(CreateOleObject("TestLib.Registered"), "Answer"), Variant(42))
      << "a class the library registered at start-up";
  try {
    CreateOleObject("TestLib.Missing");
    ADD_FAILURE();
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.Message(), AnsiString("Class not registered"));
  }
}

TEST_F(ClassRegistry, RelativeLibraryNamesAreFoundBesideTheRegistryFile) {
  CopyLibrary("EchoCopy.so");
  dir.WriteRegistry("[Classes]\nTestLib.Echo=EchoCopy.so\nTestLib.Gone=Gone.so\n");
  EXPECT_EQ(OleGet(CreateOleObject("TestLib.Echo"), "Origin"), Variant("TestAutoLib"));
  try {
    CreateOleObject("TestLib.Gone");
    ADD_FAILURE();
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.Message().Pos("Cannot load library 'Gone.so' of class 'TestLib.Gone': "), 1u) << e.Message();
  }
}

TEST_F(ClassRegistry, LibrariesLoadByNameOrBesideABaseAndStayLoaded) {
  CopyLibrary("DynCopy.so");
  EXPECT_EQ(LoadLibrary("DynCopy.so"), nullptr) << "a bare name is not searched in the current folder";
  EXPECT_FALSE(LastLibraryError().IsEmpty());
  HMODULE byBase = LoadLibrary("DynCopy.so", AnsiString::FromUtf8(dir.File("registry.ini")));
  ASSERT_NE(byBase, nullptr) << LastLibraryError();
  HMODULE byPath = LoadLibrary(dir.Dir() + "dyncopy.SO");
  EXPECT_EQ(byPath, byBase) << "a path is resolved without regard to case";
  HMODULE backslashes = LoadLibrary(StringReplaceAll(dir.Dir(), "/", "\\") + "DynCopy.so");
  EXPECT_EQ(backslashes, byBase);
  EXPECT_EQ(GetProcAddress(byBase, "NoSuchFunction"), nullptr);
  auto entry = reinterpret_cast<CorvaneCreateObjectFunction>(GetProcAddress(byBase, kCorvaneCreateObjectName));
  ASSERT_NE(entry, nullptr);
  EXPECT_TRUE(FreeLibrary(byBase));
  EXPECT_TRUE(FreeLibrary(byPath));
  EXPECT_TRUE(FreeLibrary(backslashes));
  AutoObjectPtr object(entry("TestLib.Echo"));
  ASSERT_NE(object, nullptr) << "the library is never unmapped";
  EXPECT_EQ(OleGet(Variant(object), "Origin"), Variant("TestAutoLib"));
  EXPECT_EQ(LoadLibrary(dir.Dir() + "Missing.so", dir.Dir()), nullptr);
}

}  // namespace
}  // namespace platform
