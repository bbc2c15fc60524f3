// Private header of the form resource reader: a resource text parsed into
// its declarations (FormResource.h describes the format).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::resource_detail {

struct Item;

struct Value {
  enum class Kind { Integer, Float, String, Identifier, Set, List, Collection };
  Kind kind = Kind::Integer;
  std::int64_t integer = 0;
  double real = 0;
  std::string text;                   // a string (UTF-8) or an identifier
  std::vector<std::string> elements;  // set identifiers, or list strings (UTF-8)
  std::vector<Item> items;            // collection items
  int line = 0;
};

struct Property {
  std::string path;  // "Font.Charset"
  Value value;
  int line = 0;
};

struct Item {
  std::vector<Property> properties;
  int line = 0;
};

struct ObjectDecl {
  bool inherited = false;
  std::string name;
  std::string className;
  std::vector<Property> properties;
  std::vector<ObjectDecl> children;
  int line = 0;
};

// Parses a resource's UTF-8 text, evaluating its version guards against
// frameworkVersion. Raises EResourceError naming resourceName and the line.
ObjectDecl ParseResource(std::string_view text, std::string_view frameworkVersion, std::string_view resourceName);

}  // namespace platform::resource_detail
