#pragma once
// Reference counting for the tools' own COM objects. They live on one thread (the apartment
// that made them), so the count needs no interlocking. Each class answers QueryInterface itself;
// the IDispatch objects do so through DispatchObject.h.
#include <windows.h>

namespace tools {

template <class Interface>
class RefCounted : public Interface {
 public:
  RefCounted() = default;
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~RefCounted() = default;

 private:
  ULONG references_ = 1;
};

}  // namespace tools
