// COM's per-thread start and end. The host has no COM objects to serve; what
// remains is each thread's apartment kind and how often it was started, with
// the results the system gives for a repeated or conflicting start.
#include "platform/Win32.h"
#include "platform/posix/internal/Faults.h"

namespace {

struct Apartment {
  unsigned long starts = 0;  // matching CoUninitialize calls still owed
  bool singleThreaded = false;
};

thread_local Apartment apartment;

const DWORD kKnownFlags = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY;

}  // namespace

HRESULT WINAPI CoInitializeEx(LPVOID reserved, DWORD coInit) {
  if (platform::posix::FailsNow(platform::FaultSite::kCoInitializeEx)) return E_OUTOFMEMORY;
  if (reserved != nullptr || (coInit & ~kKnownFlags) != 0) return E_INVALIDARG;
  const bool singleThreaded = (coInit & COINIT_APARTMENTTHREADED) != 0;
  if (apartment.starts != 0) {
    if (apartment.singleThreaded != singleThreaded) return RPC_E_CHANGED_MODE;
    ++apartment.starts;
    return S_FALSE;
  }
  apartment.starts = 1;
  apartment.singleThreaded = singleThreaded;
  return S_OK;
}

void WINAPI CoUninitialize(void) {
  if (apartment.starts != 0) --apartment.starts;
}
