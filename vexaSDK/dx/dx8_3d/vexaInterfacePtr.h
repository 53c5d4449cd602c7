// Holding a COM interface in a smart_ptr whose last reference calls Release.
#pragma once

#include <new>

#include "vexaSDK/TTL/vexaSmartPtr.h"

namespace vexaSDK {
namespace DX8 {

// Takes over the caller's reference to `object`; null empties `holder`. If
// the reference object cannot be allocated, the interface is released and
// std::bad_alloc thrown.
template <class T>
void HoldInterface(TTL::smart_ptr<T>& holder, T* object) {
  if (object == nullptr) {
    holder.release();
    return;
  }
  TTL::ref_object* reference = new (std::nothrow) TTL::ref_object_interface<T>(object);
  if (reference == nullptr) {
    object->Release();
    throw std::bad_alloc();
  }
  holder.reset(object, true, 1, false, reference);
}

}  // namespace DX8
}  // namespace vexaSDK
