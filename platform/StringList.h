// TStringList: ordered lines with optional attached objects.
//
// Text joins the lines with CR LF and splits at CR LF, LF or CR. Names and
// values: a line "name=value" splits at its first "="; name lookups ignore
// ASCII case unless CaseSensitive is set. A sorted list keeps its lines in
// order (CompareText, or CompareStr when case-sensitive) and finds them by
// binary search. With OwnsObjects the list deletes the attached objects.
#pragma once

#include <memory>
#include <vector>

#include "AnsiString.h"
#include "Object.h"

namespace platform {

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TObject {
 public:
  TStringList() = default;
  explicit TStringList(bool ownsObjects) : ownsObjects_(ownsObjects) {}
  TStringList(const TStringList& other);
  TStringList& operator=(const TStringList& other);
  ~TStringList() override;
  const char* ClassName() const override { return "TStringList"; }

  int Count() const { return static_cast<int>(items_.size()); }
  const AnsiString& operator[](int i) const;
  const AnsiString& Strings(int i) const { return (*this)[i]; }
  void SetString(int i, const AnsiString& s);
  TObject* Objects(int i) const;
  void SetObject(int i, TObject* object);

  int Add(const AnsiString& s);
  int AddObject(const AnsiString& s, TObject* object);
  void Insert(int i, const AnsiString& s);
  void Delete(int i);
  void Clear();
  void Exchange(int i, int j);
  int IndexOf(const AnsiString& s) const;
  // Binary search of a sorted list: index where s is or would be.
  bool Find(const AnsiString& s, int& index) const;

  AnsiString Text() const;
  void SetText(const AnsiString& text);
  AnsiString CommaText() const;
  AnsiString DelimitedText(char delimiter) const;

  AnsiString Names(int i) const;
  AnsiString ValueFromIndex(int i) const;
  AnsiString Values(const AnsiString& name) const;
  // Sets the value of name; an empty value deletes the line.
  void SetValue(const AnsiString& name, const AnsiString& value);
  int IndexOfName(const AnsiString& name) const;

  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  void Sort();
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool on);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }
  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool on) { ownsObjects_ = on; }

 private:
  struct Item {
    AnsiString text;
    TObject* object = nullptr;
  };
  int Compare(const AnsiString& a, const AnsiString& b) const;
  void CheckIndex(int i) const;
  void ReleaseObject(TObject* object);

  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  bool ownsObjects_ = false;
  TDuplicates duplicates_ = TDuplicates::dupIgnore;
};

}  // namespace platform
