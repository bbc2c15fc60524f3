#include "platform/ui/Event.h"

#include <ostream>

namespace platform {

const TTypeInfo& EnumTypeInfo(TShiftStateElement) {
  static const TTypeInfo t =
      TTypeInfo::Enumeration("TShiftStateElement", {"ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle", "ssDouble"});
  return t;
}

const TTypeInfo& SetTypeInfo(TShiftState) {
  static const TTypeInfo t = TTypeInfo::Set("TShiftState", EnumTypeInfo(TShiftStateElement{}));
  return t;
}

const TTypeInfo& EnumTypeInfo(TCloseAction) {
  static const TTypeInfo t = TTypeInfo::Enumeration("TCloseAction", {"caNone", "caHide", "caFree", "caMinimize"});
  return t;
}

std::ostream& operator<<(std::ostream& os, const TMethod& m) {
  if (!m.Assigned()) return os << "(no handler)";
  return os << "(code " << reinterpret_cast<const void*>(m.Code) << ", data " << m.Data << ")";
}

}  // namespace platform
