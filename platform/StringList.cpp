#include "StringList.h"

#include <algorithm>

#include "Exceptions.h"

namespace platform {

TStringList::TStringList(const TStringList& other)
    : TObject(other),
      sorted_(other.sorted_),
      caseSensitive_(other.caseSensitive_),
      ownsObjects_(false),
      duplicates_(other.duplicates_) {
  // A copy shares no ownership: it carries the lines and observes the objects.
  items_ = other.items_;
}

TStringList& TStringList::operator=(const TStringList& other) {
  if (this == &other) return *this;
  Clear();
  items_ = other.items_;
  sorted_ = other.sorted_;
  caseSensitive_ = other.caseSensitive_;
  duplicates_ = other.duplicates_;
  ownsObjects_ = false;
  return *this;
}

TStringList::~TStringList() { Clear(); }

void TStringList::CheckIndex(int i) const {
  if (i < 0 || i >= Count())
    throw EStringListError("List index out of bounds (" + std::to_string(i) + ")");
}

void TStringList::ReleaseObject(TObject* object) {
  if (ownsObjects_) delete object;
}

const AnsiString& TStringList::operator[](int i) const {
  CheckIndex(i);
  return items_[static_cast<std::size_t>(i)].text;
}

void TStringList::SetString(int i, const AnsiString& s) {
  CheckIndex(i);
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
  items_[static_cast<std::size_t>(i)].text = s;
}

TObject* TStringList::Objects(int i) const {
  CheckIndex(i);
  return items_[static_cast<std::size_t>(i)].object;
}

void TStringList::SetObject(int i, TObject* object) {
  CheckIndex(i);
  auto& item = items_[static_cast<std::size_t>(i)];
  if (item.object != object) ReleaseObject(item.object);
  item.object = object;
}

int TStringList::Compare(const AnsiString& a, const AnsiString& b) const {
  return caseSensitive_ ? CompareStr(a, b) : CompareText(a, b);
}

int TStringList::Add(const AnsiString& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const AnsiString& s, TObject* object) {
  int index = Count();
  if (sorted_) {
    if (Find(s, index)) {
      if (duplicates_ == TDuplicates::dupIgnore) {
        ReleaseObject(object);
        return index;
      }
      if (duplicates_ == TDuplicates::dupError) {
        ReleaseObject(object);
        throw EStringListError("String list does not allow duplicates");
      }
    }
  }
  items_.insert(items_.begin() + index, Item{s, object});
  return index;
}

void TStringList::Insert(int i, const AnsiString& s) {
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
  if (i < 0 || i > Count()) throw EStringListError("List index out of bounds (" + std::to_string(i) + ")");
  items_.insert(items_.begin() + i, Item{s, nullptr});
}

void TStringList::Delete(int i) {
  CheckIndex(i);
  ReleaseObject(items_[static_cast<std::size_t>(i)].object);
  items_.erase(items_.begin() + i);
}

void TStringList::Clear() {
  for (auto& item : items_) ReleaseObject(item.object);
  items_.clear();
}

void TStringList::Exchange(int i, int j) {
  CheckIndex(i);
  CheckIndex(j);
  std::swap(items_[static_cast<std::size_t>(i)], items_[static_cast<std::size_t>(j)]);
}

int TStringList::IndexOf(const AnsiString& s) const {
  if (sorted_) {
    int index = 0;
    return Find(s, index) ? index : -1;
  }
  for (int i = 0; i < Count(); ++i)
    if (Compare(items_[static_cast<std::size_t>(i)].text, s) == 0) return i;
  return -1;
}

bool TStringList::Find(const AnsiString& s, int& index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = Compare(items_[static_cast<std::size_t>(mid)].text, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != TDuplicates::dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

AnsiString TStringList::Text() const {
  AnsiString out;
  for (const auto& item : items_) {
    out += item.text;
    out += "\r\n";
  }
  return out;
}

void TStringList::SetText(const AnsiString& text) {
  Clear();
  const std::string& b = text.Bytes();
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < b.size()) {
    if (b[i] == '\r' || b[i] == '\n') {
      Add(AnsiString(b.data() + start, i - start));
      if (b[i] == '\r' && i + 1 < b.size() && b[i + 1] == '\n') ++i;
      start = i + 1;
    }
    ++i;
  }
  if (start < b.size()) Add(AnsiString(b.data() + start, b.size() - start));
}

AnsiString TStringList::DelimitedText(char delimiter) const {
  AnsiString out;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (i > 0) out += delimiter;
    const AnsiString& s = items_[i].text;
    bool quote = s.IsEmpty();
    for (char c : s.Bytes())
      if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == delimiter) quote = true;
    if (!quote) {
      out += s;
    } else {
      out += '"';
      out += StringReplaceAll(s, "\"", "\"\"");
      out += '"';
    }
  }
  return out;
}

AnsiString TStringList::CommaText() const { return DelimitedText(','); }

AnsiString TStringList::Names(int i) const {
  const AnsiString& s = (*this)[i];
  std::size_t p = s.Pos("=");
  return p == 0 ? AnsiString() : s.SubString(1, p - 1);
}

AnsiString TStringList::ValueFromIndex(int i) const {
  const AnsiString& s = (*this)[i];
  std::size_t p = s.Pos("=");
  return p == 0 ? AnsiString() : s.Mid(p + 1);
}

int TStringList::IndexOfName(const AnsiString& name) const {
  for (int i = 0; i < Count(); ++i) {
    const AnsiString& s = items_[static_cast<std::size_t>(i)].text;
    std::size_t p = s.Pos("=");
    if (p != 0 && Compare(s.SubString(1, p - 1), name) == 0) return i;
  }
  return -1;
}

AnsiString TStringList::Values(const AnsiString& name) const {
  int i = IndexOfName(name);
  return i < 0 ? AnsiString() : ValueFromIndex(i);
}

void TStringList::SetValue(const AnsiString& name, const AnsiString& value) {
  int i = IndexOfName(name);
  if (value.IsEmpty()) {
    if (i >= 0) Delete(i);
    return;
  }
  if (i < 0) {
    Add(name + "=" + value);
  } else if (sorted_) {
    TObject* object = items_[static_cast<std::size_t>(i)].object;
    items_.erase(items_.begin() + i);
    AddObject(name + "=" + value, object);
  } else {
    items_[static_cast<std::size_t>(i)].text = name + "=" + value;
  }
}

void TStringList::Sort() {
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const Item& a, const Item& b) { return Compare(a.text, b.text) < 0; });
}

void TStringList::SetSorted(bool sorted) {
  if (sorted && !sorted_) Sort();
  sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool on) {
  caseSensitive_ = on;
  if (sorted_) Sort();
}

}  // namespace platform
