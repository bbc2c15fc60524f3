#include "platform/data/ReconcileAnswer.h"

#include <ostream>

#include "platform/data/DataPacket.h"
#include "platform/data/DatabaseError.h"

namespace platform {

using data_detail::BadLayout;
using data_detail::Element;
using data_detail::ElementCount;

Variant ToVariant(const ReconcileError& error) {
  std::vector<Variant> path;
  for (int p : error.path) path.emplace_back(p);
  return VarArrayOf({VarArrayOf(std::move(path)), Variant(error.message), Variant(error.context),
                     Variant(static_cast<int>(error.errorCode)), Variant(static_cast<int>(error.previousError))});
}

Variant ToVariant(const ReconcileAnswer& answer) {
  std::vector<Variant> errors;
  for (const ReconcileError& e : answer.errors) errors.push_back(ToVariant(e));
  return VarArrayOf({Variant(answer.rolledBack), VarArrayOf(std::move(errors))});
}

ReconcileError ReconcileErrorFromVariant(const Variant& v) {
  if (ElementCount(v, "reconcile error") != 5) BadLayout("a reconcile error needs five elements");
  ReconcileError error;
  const Variant& path = Element(v, 0, "reconcile error");
  int n = ElementCount(path, "row path");
  if (n == 0 || n % 2 == 0) BadLayout("a row path needs a row position and pairs of nested field and row");
  try {
    for (int i = 0; i < n; ++i) {
      int p = Element(path, i, "row path").AsInteger();
      if (p < 0) BadLayout("a row path holds a negative position");
      error.path.push_back(p);
    }
    const Variant& message = Element(v, 1, "reconcile error");
    const Variant& context = Element(v, 2, "reconcile error");
    if (!VarIsStr(message) || !VarIsStr(context)) BadLayout("a reconcile message is not a text");
    error.message = message.AsString();
    error.context = context.AsString();
    error.errorCode = Element(v, 3, "reconcile error").AsInteger();
    error.previousError = Element(v, 4, "reconcile error").AsInteger();
  } catch (const EVariantError&) {
    BadLayout("a reconcile error holds a value that is not a number");
  }
  return error;
}

ReconcileAnswer ReconcileAnswerFromVariant(const Variant& v) {
  if (ElementCount(v, "reconcile answer") != 2) BadLayout("a reconcile answer needs two elements");
  ReconcileAnswer answer;
  const Variant& rolledBack = Element(v, 0, "reconcile answer");
  if (VarType(rolledBack) != varBoolean) BadLayout("the rolled-back flag is not a boolean");
  answer.rolledBack = rolledBack.AsBool();
  const Variant& errors = Element(v, 1, "reconcile answer");
  int n = ElementCount(errors, "reconcile errors");
  for (int i = 0; i < n; ++i) answer.errors.push_back(ReconcileErrorFromVariant(Element(errors, i, "reconcile errors")));
  return answer;
}

std::ostream& operator<<(std::ostream& os, const ReconcileError& error) {
  os << "row {";
  for (std::size_t i = 0; i < error.path.size(); ++i) os << (i ? ", " : "") << error.path[i];
  return os << "}: " << error.message.ToUtf8() << " [" << error.context.ToUtf8() << "] code " << error.errorCode
            << " previous " << error.previousError;
}

std::ostream& operator<<(std::ostream& os, const ReconcileAnswer& answer) {
  os << "ReconcileAnswer{" << (answer.rolledBack ? "rolled back" : "committed");
  for (const ReconcileError& e : answer.errors) os << "; " << e;
  return os << "}";
}

}  // namespace platform
