// Private to the data layer: the parsed form of a data set's Filter text
// (grammar in DataSet.h) and its evaluation against one row.
#pragma once

#include <functional>
#include <memory>

#include "platform/AnsiString.h"
#include "platform/Variant.h"
#include "platform/data/DataTypes.h"

namespace platform::data_detail {

class FilterExpression {
 public:
  // A field's value in the row being tested, by the name written in the
  // filter; raises for an unknown name.
  using FieldReader = std::function<Variant(const AnsiString& name)>;

  // Parses the text; raises EDatabaseError naming what is wrong.
  static std::unique_ptr<FilterExpression> Parse(const AnsiString& text);
  virtual ~FilterExpression() = default;
  // The field names the expression reads (to check them when it is set).
  virtual void CollectFields(std::vector<AnsiString>& names) const = 0;
  // True when the row passes.
  bool Matches(const FieldReader& read, TFilterOptions options) const;

  // Internal: the value of a node (Null for unknown; booleans as Boolean).
  virtual Variant Evaluate(const FieldReader& read, TFilterOptions options) const = 0;
};

}  // namespace platform::data_detail
