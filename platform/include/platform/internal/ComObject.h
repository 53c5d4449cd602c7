// The IUnknown part of the stand-in's COM objects: no other interfaces, a
// reference count, and deletion with the last Release.
#pragma once

#include "platform/Win32.h"

namespace platform {
namespace internal {

template <class Interface>
class CComObject : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  CComObject() = default;
  virtual ~CComObject() = default;

 private:
  ULONG references_ = 1;
};

}  // namespace internal
}  // namespace platform
