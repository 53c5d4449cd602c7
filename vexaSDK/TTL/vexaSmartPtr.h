// smart_ptr: the framework's one pointer for heap objects, arrays, buffer
// views and COM interfaces. Copies share a ref_object that counts them and
// knows how to dispose of the block; access with tests throws the framework's
// exceptions instead of touching memory that is not there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "vexaSDK/Common/vexaException.h"

namespace vexaSDK {
namespace TTL {

class ref_object {
 public:
  explicit ref_object(void* pointee)
      : reference_count(1), owner(true), element_size(0), element_count(0), pointee(pointee) {}
  ref_object(const ref_object&) = delete;
  ref_object& operator=(const ref_object&) = delete;

  // Frees the pointee the way this kind of reference object does it.
  virtual void dispose() = 0;
  virtual ~ref_object() = default;

  std::uint32_t reference_count;
  bool owner;
  std::uint32_t element_size;
  std::uint32_t element_count;
  void* pointee;
};

// An abstract class without a virtual destructor (a COM interface) can never
// be the type of the object itself, so it cannot be deleted through: such
// pointees are disposed of by the reference object their owner supplies.
template <class T>
inline constexpr bool is_deletable_v = !std::is_abstract_v<T> || std::has_virtual_destructor_v<T>;

// Deletes the pointee as a T: the type the owning smart_ptr was made from,
// which is the object's own type even when the smart_ptr names a base.
template <class T>
class ref_object_single : public ref_object {
  static_assert(is_deletable_v<T>, "an interface is disposed of by a supplied ref_object");

 public:
  explicit ref_object_single(T* pointee) : ref_object(pointee) {}
#if defined(__GNUC__)
#pragma GCC diagnostic push
// A class with virtual functions but no virtual destructor is deleted as the
// type it was handed over as, which is the caller's promise of its real type.
#pragma GCC diagnostic ignored "-Wdelete-non-virtual-dtor"
#endif
  void dispose() override { delete static_cast<T*>(pointee); }
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
};

template <class T>
class ref_object_array : public ref_object {
 public:
  explicit ref_object_array(T* pointee) : ref_object(pointee) {}
  void dispose() override { delete[] static_cast<T*>(pointee); }
};

// Counts the views of an interface it does not own; there is nothing to dispose of.
class ref_object_borrowed : public ref_object {
 public:
  explicit ref_object_borrowed(void* pointee) : ref_object(pointee) {}
  void dispose() override {}
};

// For COM interfaces: the last reference calls Release.
template <class T>
class ref_object_interface : public ref_object {
 public:
  explicit ref_object_interface(T* pointee) : ref_object(pointee) {}
  void dispose() override { static_cast<T*>(pointee)->Release(); }
};

template <class T>
class smart_ptr {
 public:
  smart_ptr() : pointer_(nullptr), position_(0), reference_(nullptr) {}

  // A null `pointer` gives an empty smart_ptr. An element count of 0 gives a
  // plain view that counts and frees nothing. A supplied reference object is
  // adopted only with ownership. The block is disposed of as the type it is
  // handed over as (U), so a derived object held through a base without a
  // virtual destructor is still destroyed whole.
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  explicit smart_ptr(U* pointer, bool owner = true, std::uint32_t count = 1, bool array = false,
                     ref_object* reference = nullptr)
      : pointer_(nullptr), position_(0), reference_(nullptr) {
    initialize(pointer, owner, count, array, reference);
  }
  explicit smart_ptr(std::nullptr_t, bool = true, std::uint32_t = 1, bool = false, ref_object* = nullptr)
      : pointer_(nullptr), position_(0), reference_(nullptr) {}

  smart_ptr(const smart_ptr& other)
      : pointer_(other.pointer_), position_(other.position_), reference_(other.reference_) {
    if (reference_ != nullptr) ++reference_->reference_count;
  }

  // Drops this value's share first, then takes the source's.
  smart_ptr& operator=(const smart_ptr& other) {
    if (this == &other) return *this;
    release();
    pointer_ = other.pointer_;
    position_ = other.position_;
    reference_ = other.reference_;
    if (reference_ != nullptr) ++reference_->reference_count;
    return *this;
  }

  ~smart_ptr() { release(); }

  void release() {
    if (reference_ == nullptr) return;
    ref_object* reference = reference_;
    reference_ = nullptr;
    pointer_ = nullptr;
    if (--reference->reference_count == 0) {
      if (reference->owner) reference->dispose();
      delete reference;
    }
  }

  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  void reset(U* pointer, bool owner = true, std::uint32_t count = 1, bool array = false,
             ref_object* reference = nullptr) {
    release();
    position_ = 0;
    initialize(pointer, owner, count, array, reference);
  }
  void reset(std::nullptr_t, bool = true, std::uint32_t = 1, bool = false, ref_object* = nullptr) {
    release();
    position_ = 0;
  }

  // Without tests.
  T* get(std::uint32_t index = 0) const {
    if (pointer_ == nullptr) return nullptr;
    if (reference_ == nullptr) return pointer_;
    return element(index);
  }

  T* operator->() const { return checked(0); }
  T& operator*() const { return *checked(0); }
  T& operator[](std::uint32_t index) const { return *checked(index); }

  std::uint32_t size() const { return reference_ ? reference_->element_count : 0; }

 private:
  template <class U>
  void initialize(U* pointer, bool owner, std::uint32_t count, bool array, ref_object* reference) {
    static_assert(!std::is_void_v<U>, "a block of unknown type cannot be disposed of");
    if (pointer == nullptr) return;
    pointer_ = pointer;
    position_ = 0;
    if (count == 0) return;
    if (!owner && reference != nullptr) {
      VEXA_THROW(Common::CSyntaxException, "Only when owner, ref_object can specified");
    }
    if (reference == nullptr) {
      if constexpr (is_deletable_v<U>) {
        reference = array ? static_cast<ref_object*>(new ref_object_array<U>(pointer))
                          : static_cast<ref_object*>(new ref_object_single<U>(pointer));
      } else if (!owner) {
        reference = new ref_object_borrowed(pointer);
      } else {
        pointer_ = nullptr;
        VEXA_THROW(Common::CSyntaxException, "An interface needs the ref_object that disposes of it");
      }
    }
    reference->reference_count = 1;
    reference->owner = owner;
    reference->element_size = sizeof(T);
    reference->element_count = count;
    reference_ = reference;
  }

  T* element(std::uint32_t index) const {
    return reinterpret_cast<T*>(reinterpret_cast<char*>(pointer_) +
                                static_cast<std::size_t>(position_ + index) * reference_->element_size);
  }

  // The test covers the designated position; position + index is the caller's.
  T* checked(std::uint32_t index) const {
    if (pointer_ == nullptr) VEXA_THROW(Common::CNullPointerException, "null");
    if (position_ >= size()) VEXA_THROW(Common::CIndexOutOfBoundsException, "out of Index");
    return element(index);
  }

  T* pointer_;
  std::uint32_t position_;
  ref_object* reference_;
};

}  // namespace TTL
}  // namespace vexaSDK
