// Critical sections that know who entered them and how often, so that a
// leave without an enter is raised and a destruction while entered is logged;
// and the scoped lock that holds one for a block.
#pragma once

#include "platform/Win32.h"

namespace vexaSDK {
namespace Thread {

class ILockable {
 public:
  virtual ~ILockable() = 0;
  // Enters; the wait time is not used by every kind of lock.
  virtual DWORD Lock(DWORD waitTime) = 0;
  virtual BOOL Unlock() = 0;
  virtual HANDLE GetHandle() = 0;
  virtual bool IsLockedByCurrentThread() = 0;
};

class CCriticalSection : public ILockable {
 public:
  static constexpr DWORD kNoOwner = 0xFFFFFFFF;

  CCriticalSection();
  CCriticalSection(const CCriticalSection&) = delete;
  CCriticalSection& operator=(const CCriticalSection&) = delete;
  // Logs, and throws nothing, when the section is still entered.
  ~CCriticalSection() override;

  void Enter();
  // Throws CRuntimeException, leaving the section untouched, when nobody entered it.
  void Leave();

  DWORD Lock(DWORD waitTime) override;  // 0
  BOOL Unlock() override;               // TRUE
  HANDLE GetHandle() override;          // a critical section has no waitable handle
  bool IsLockedByCurrentThread() override;

  DWORD OwnerThread() const { return ownerThread_; }
  LONG EnterCount() const { return enterCount_; }

 private:
  CRITICAL_SECTION section_;
  DWORD ownerThread_;
  LONG enterCount_;
};

class CScopedLock {
 public:
  explicit CScopedLock(CCriticalSection& section) : section_(&section) { section_->Enter(); }
  CScopedLock(const CScopedLock&) = delete;
  CScopedLock& operator=(const CScopedLock&) = delete;
  ~CScopedLock() { section_->Leave(); }

 private:
  CCriticalSection* section_;
};

// The process-wide multi-thread switch: off unless the program turns it on.
// Singletons take their type's lock only while it is on.
bool IsMultiThreadMode();
void SetMultiThreadMode(bool on);

}  // namespace Thread
}  // namespace vexaSDK
