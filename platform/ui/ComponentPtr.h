// TComponentPtr<T>: a pointer to a component that does not own it and
// becomes null when the component is destroyed.
//
// For holders that are not components themselves (services, documents,
// the renderer's bookkeeping) or that do not want to override
// Notification. Copying a TComponentPtr makes another observer of the same
// component. Use on the UI thread only.
#pragma once

#include "platform/ui/Component.h"

namespace platform {

class TComponentPtrBase {
 public:
  TComponentPtrBase(const TComponentPtrBase&) = delete;
  TComponentPtrBase& operator=(const TComponentPtrBase&) = delete;

 protected:
  TComponentPtrBase() = default;
  ~TComponentPtrBase() { Watch(nullptr); }
  void Watch(TComponent* component);
  TComponent* Watched() const { return component_; }

 private:
  friend class TComponent;
  TComponent* component_ = nullptr;
};

template <typename T>
class TComponentPtr : private TComponentPtrBase {
 public:
  TComponentPtr() = default;
  TComponentPtr(T* component) { Watch(component); }  // NOLINT: observes like a pointer
  TComponentPtr(const TComponentPtr& other) : TComponentPtrBase() { Watch(other.Watched()); }
  TComponentPtr& operator=(const TComponentPtr& other) {
    Watch(other.Watched());
    return *this;
  }
  TComponentPtr& operator=(T* component) {
    Watch(component);
    return *this;
  }

  T* get() const { return static_cast<T*>(Watched()); }
  T* operator->() const { return get(); }
  T& operator*() const { return *get(); }
  explicit operator bool() const { return Watched() != nullptr; }
  friend bool operator==(const TComponentPtr& a, const T* b) { return a.get() == b; }
};

}  // namespace platform
