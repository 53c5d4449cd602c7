// The system calls that the stand-in can be made to fail, one call at a
// time, so that a test sees the program through every failure the system may
// give it: named here, where the production code asks them
// (platform/posix/internal/Faults.h), and planned by tests only
// (platform/testing/Testing.h). Direct3D's own calls fail through the runtime
// model's `fail` hook instead.
#pragma once

#include <cstddef>

namespace platform {

enum class FaultSite {
  kCoInitializeEx,       // E_OUTOFMEMORY; the apartment stays as it was
  kDirect3DCreate8,      // null
  kCreateProcessA,       // FALSE, ERROR_NOT_ENOUGH_MEMORY; nothing started
  kWaitForSingleObject,  // WAIT_FAILED, ERROR_INVALID_HANDLE
  kFileOpen,             // a text file (platform/TextFile.h) cannot be opened
  kFileWrite,            // one write of its bytes to the system fails, as on a full disk
  kFileClose,            // closing reports an error after the bytes were written
  kNone                  // the number of sites; as a plan, fails nothing
};
const std::size_t kFaultSiteCount = static_cast<std::size_t>(FaultSite::kNone);

}  // namespace platform
