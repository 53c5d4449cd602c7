// Critical sections over the system's, with enter counting.
#include "vexaSDK/Thread/vexaCriticalSection.h"

#include "vexaSDK/Common/vexaException.h"
#include "vexaSDK/Common/vexaLog.h"
#include "vexaSDK/System/vexaFormat.h"
#include "vexaSDK/System/vexaPath.h"

namespace vexaSDK {
namespace Thread {
namespace {
bool multiThreadMode = false;
}

ILockable::~ILockable() = default;

bool IsMultiThreadMode() { return multiThreadMode; }
void SetMultiThreadMode(bool on) { multiThreadMode = on; }

CCriticalSection::CCriticalSection() : ownerThread_(kNoOwner), enterCount_(0) {
  InitializeCriticalSection(&section_);
}

CCriticalSection::~CCriticalSection() {
  DeleteCriticalSection(&section_);
  if (enterCount_ != 0) {
    try {
      Common::WriteLog("CCriticalSectionをEnterした回数だけLeaveしないまま終了している",
                       System::FormatText("%s(%lu)", System::GetFileName(__FILE__).c_str(),
                                          static_cast<unsigned long>(__LINE__)));
    } catch (...) {
      // A destructor throws nothing; the section is gone either way.
    }
  }
}

void CCriticalSection::Enter() {
  EnterCriticalSection(&section_);
  ++enterCount_;
  ownerThread_ = GetCurrentThreadId();
}

void CCriticalSection::Leave() {
  if (enterCount_ == 0)
    VEXA_THROW(Common::CRuntimeException, "CCriticalSectionをEnterしていないのにLeaveしている");
  if (--enterCount_ == 0) ownerThread_ = kNoOwner;
  LeaveCriticalSection(&section_);
}

DWORD CCriticalSection::Lock(DWORD) {
  Enter();
  return 0;
}

BOOL CCriticalSection::Unlock() {
  Leave();
  return TRUE;
}

HANDLE CCriticalSection::GetHandle() { return nullptr; }

bool CCriticalSection::IsLockedByCurrentThread() { return ownerThread_ == GetCurrentThreadId(); }

}  // namespace Thread
}  // namespace vexaSDK
