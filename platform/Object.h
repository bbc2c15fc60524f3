// TObject: the common base of class-library objects that lists and owners
// hold by pointer (objects attached to string-list lines, components).
#pragma once

namespace platform {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;
  virtual const char* ClassName() const { return "TObject"; }
};

}  // namespace platform
