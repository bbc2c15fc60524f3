// Private to host/shell: places controls on the host's forms, which are
// built in code. The form owns every control; parent is where it stands.
#pragma once

#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"

namespace host::detail {

template <class T>
T* Place(platform::TCustomForm* form, platform::TWinControl* parent, const platform::AnsiString& name, int left,
         int top, int width, int height, const platform::AnsiString& caption = platform::AnsiString()) {
  auto* control = new T(form);
  control->SetName(name);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  if (!caption.IsEmpty()) control->SetCaption(caption);
  return control;
}

}  // namespace host::detail
