// The framework's rule for process-wide single objects: each type owns one
// process-wide lock, built before the program's entry point; the instance is
// made on first use and deleted by an exit handler registered at start-up, so
// it outlives everything registered later. The lock is taken only in
// multi-thread mode.
#pragma once

#include <cstdlib>
#include <new>

#include "vexaSDK/Thread/vexaCriticalSection.h"

namespace vexaSDK {
namespace Thread {

template <class T>
class singleton {
 public:
  // Creates the instance on first use; null only when it cannot be allocated.
  static T* GetInstance() {
    static_cast<void>(&startUp_);  // every user of the type builds the start-up object
    if (instance_ == nullptr) {
      if (IsMultiThreadMode()) {
        CScopedLock lock(Lock());
        if (instance_ == nullptr) instance_ = new (std::nothrow) T();
      } else {
        instance_ = new (std::nothrow) T();
      }
    }
    return instance_;
  }

  // The type's process-wide lock.
  static CCriticalSection& Lock() {
    return *std::launder(reinterpret_cast<CCriticalSection*>(&lockStorage_));
  }

 private:
  // Built during start-up; every source unit that uses the type carries this
  // object, and the once-flags make only the first one act.
  struct StartUp {
    StartUp() {
      if (!lockBuilt_) {
        lockBuilt_ = true;
        new (&lockStorage_) CCriticalSection();
        std::atexit(&DestroyLock);
      }
      if (!exitRegistered_) {
        exitRegistered_ = true;
        std::atexit(&DestroyInstance);
      }
    }
  };

  static void DestroyInstance() {
    if (instance_ == nullptr) return;
    if (IsMultiThreadMode()) {
      CScopedLock lock(Lock());
      delete instance_;
      instance_ = nullptr;
    } else {
      delete instance_;
      instance_ = nullptr;
    }
  }

  static void DestroyLock() { Lock().~CCriticalSection(); }

  static inline T* instance_ = nullptr;
  static inline bool lockBuilt_ = false;
  static inline bool exitRegistered_ = false;
  alignas(CCriticalSection) static inline unsigned char lockStorage_[sizeof(CCriticalSection)];
  static inline StartUp startUp_;
};

}  // namespace Thread
}  // namespace vexaSDK
