#include "Exceptions.h"

namespace platform {

void Abort() { throw EAbort("Operation aborted"); }

}  // namespace platform
