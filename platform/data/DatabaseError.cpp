#include "platform/data/DatabaseError.h"

namespace platform {

void DatabaseError(const AnsiString& message, const AnsiString& componentName) {
  if (componentName.IsEmpty()) throw EDatabaseError(message);
  throw EDatabaseError(componentName + ": " + message);
}

}  // namespace platform
