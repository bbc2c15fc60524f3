#include "platform/data/ProviderConnection.h"

#include <ostream>

#include "platform/data/DatabaseError.h"

namespace platform {

using data_detail::BadLayout;
using data_detail::Element;
using data_detail::ElementCount;

Variant ToVariant(const ProviderRequest& request) {
  return VarArrayOf({request.params, Variant(request.commandText), Variant(request.packetRecords),
                     Variant(request.rowsFetched), request.lastKey});
}

ProviderRequest ProviderRequestFromVariant(const Variant& v) {
  if (ElementCount(v, "provider request") != 5) BadLayout("a provider request needs five elements");
  ProviderRequest request;
  request.params = Element(v, 0, "provider request").Deref();
  const Variant& text = Element(v, 1, "provider request");
  if (!VarIsStr(text) && !VarIsEmpty(text)) BadLayout("the command text is not a text");
  request.commandText = text.AsString();
  try {
    request.packetRecords = Element(v, 2, "provider request").AsInteger();
    request.rowsFetched = Element(v, 3, "provider request").AsInteger();
  } catch (const EVariantError&) {
    BadLayout("a packet count is not a number");
  }
  if (request.packetRecords < -1 || request.rowsFetched < 0) BadLayout("a packet count is out of range");
  request.lastKey = Element(v, 4, "provider request").Deref();
  if (!VarIsEmpty(request.lastKey)) ElementCount(request.lastKey, "last key");
  return request;
}

std::ostream& operator<<(std::ostream& os, const ProviderRequest& request) {
  return os << "ProviderRequest{params " << request.params << ", command " << request.commandText.ToUtf8() << ", packet "
            << request.packetRecords << ", fetched " << request.rowsFetched << ", last key " << request.lastKey << "}";
}

}  // namespace platform
