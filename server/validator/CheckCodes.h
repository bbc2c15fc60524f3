// CheckCodes: the validator's table and check-code pairs, one declaration
// per pair.
//
// A pair names a parameterised query on the company database. The key
// values of a CheckValue / QueryData call are bound to its "?" in order
// (values the module sends beyond them are ignored: ADMMB "06" also sends
// the database). CheckValue answers the first row, QueryData every row;
// the module reads the answer by position, so the column order of each
// query is part of its contract (`answer` says what the module reads).
#pragma once

#include <span>
#include <string_view>

namespace validator {

struct CheckCodeDef {
  const char* table;
  const char* code;
  const char* sql;     // "?" per key value
  const char* answer;  // positions the module reads
};

std::span<const CheckCodeDef> CheckCodes();
// The pair, table and code compared without regard to ASCII case; nullptr
// when the server has no such pair.
const CheckCodeDef* FindCheckCode(std::string_view table, std::string_view code);
// The number of key values the pair's query takes.
int KeyCount(const CheckCodeDef& def);

}  // namespace validator
