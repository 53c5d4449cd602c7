// function_callback: a call packaged for later, with its stored arguments and,
// for member functions, the object to call it on. Holders invoke it without
// knowing its kind and read the result afterwards.
#pragma once

#include <new>
#include <string>
#include <type_traits>

#include "platform/Win32.h"
#include "vexaSDK/Common/vexaException.h"

namespace vexaSDK {
namespace TTL {

namespace internal {
[[noreturn]] inline void ThrowBindOnFreeFunction(const char* file, int line) {
  throw Common::CRuntimeException("メンバ関数へのfunction_callbackに対してbindを行なった", file, line);
}
}  // namespace internal

template <class R>
class function_callback {
 public:
  virtual void invoke() = 0;
  virtual ~function_callback() = default;
  // Member-function kinds store `object` as their target; others throw.
  virtual void bind(void*) { internal::ThrowBindOnFreeFunction(__FILE__, __LINE__); }

  R result = R();  // written by every invoke
};

template <>
class function_callback<void> {
 public:
  virtual void invoke() = 0;
  virtual ~function_callback() = default;
  virtual void bind(void*) { internal::ThrowBindOnFreeFunction(__FILE__, __LINE__); }
};

// A free function taking nothing, such as CoUninitialize.
class free_function_callback : public function_callback<void> {
 public:
  typedef void(WINAPI* function_type)();
  explicit free_function_callback(function_type function) : function_(function) {}
  void invoke() override { function_(); }

 private:
  function_type function_;
};

// A free function taking one stored 32-bit value and returning a boolean.
class free_function_callback1 : public function_callback<bool> {
 public:
  typedef bool(WINAPI* function_type)(DWORD);
  free_function_callback1(function_type function, DWORD argument)
      : function_(function), argument_(argument) {}
  void invoke() override { result = function_(argument_); }

 private:
  function_type function_;
  DWORD argument_;
};

// A member function taking nothing, with no result or a boolean one.
template <class R, class T>
class member_function_callback : public function_callback<R> {
 public:
  typedef R (T::*method_type)();
  member_function_callback(method_type method, T* target) : target_(target), method_(method) {}
  void invoke() override {
    if constexpr (std::is_void_v<R>) {
      (target_->*method_)();
    } else {
      this->result = (target_->*method_)();
    }
  }
  void bind(void* object) override { target_ = static_cast<T*>(object); }

 private:
  T* target_;
  method_type method_;
};

// A member function with three stored arguments: a shared pointer (passed by
// reference), a string (by reference) and a 32-bit value.
template <class T, class A1>
class member_function_callback3 : public function_callback<bool> {
 public:
  typedef bool (T::*method_type)(A1&, std::string&, DWORD);
  member_function_callback3(method_type method, T* target, const A1& first, const std::string& second,
                            DWORD third)
      : target_(target), method_(method), first_(first), second_(second), third_(third) {}
  void invoke() override { result = (target_->*method_)(first_, second_, third_); }
  void bind(void* object) override { target_ = static_cast<T*>(object); }

 private:
  T* target_;
  method_type method_;
  A1 first_;
  std::string second_;
  DWORD third_;
};

// A new callback over `function`, or null when it cannot be allocated.
inline function_callback<void>* make_callback(free_function_callback::function_type function) {
  return new (std::nothrow) free_function_callback(function);
}

}  // namespace TTL
}  // namespace vexaSDK
