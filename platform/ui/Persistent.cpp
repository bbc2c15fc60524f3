#include "platform/ui/Persistent.h"

#include "platform/Exceptions.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

const TClassInfo& TPersistent::StaticClass() {
  static const TClassInfo info = TClassBuilder<TPersistent>("TPersistent", ObjectClassInfo()).Build();
  return info;
}

void TPersistent::Assign(const TPersistent& source) { source.AssignTo(*this); }

void TPersistent::AssignTo(TPersistent& dest) const {
  throw EConvertError(AnsiString("Cannot assign a ") + ClassName() + " to a " + dest.ClassName());
}

void TPersistent::MarkChanged(const AnsiString& propertyName) {
  if (owner_) owner_->MarkChanged(ownerProperty_);
}

}  // namespace platform
