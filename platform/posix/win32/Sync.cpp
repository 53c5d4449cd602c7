// Critical sections as recursive host mutexes, and thread and process ids.
#include <sys/syscall.h>
#include <unistd.h>

#include <mutex>
#include <new>

#include "platform/Win32.h"

namespace {

static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::opaque), "room for the mutex");

std::recursive_mutex& MutexOf(LPCRITICAL_SECTION section) {
  return *std::launder(reinterpret_cast<std::recursive_mutex*>(section->opaque));
}

}  // namespace

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section) {
  new (section->opaque) std::recursive_mutex();
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section) { MutexOf(section).lock(); }

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section) { MutexOf(section).unlock(); }

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section) {
  using Mutex = std::recursive_mutex;
  MutexOf(section).~Mutex();
}

DWORD WINAPI GetCurrentThreadId(void) { return static_cast<DWORD>(syscall(SYS_gettid)); }

DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }
