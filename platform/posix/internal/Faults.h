// Where the stand-in's system calls ask whether a test has planned them to
// fail (platform::testkit::SetFaultPlan). A link-time seam: the library the
// programs ship with answers "no" at every site and holds no plan
// (NoFaults.cpp); the testing library's Faults.cpp, linked into test programs
// only, replaces both functions with ones that count every call and fail the
// planned one.
#pragma once

#include <string_view>

#include "platform/FaultSite.h"

namespace platform::posix {

// Counts one call of `site`; true when it is the one the plan fails.
bool FailsNow(platform::FaultSite site);

// True when the file sites count the text file at `hostPath`.
bool IsPlannedFile(std::string_view hostPath);

}  // namespace platform::posix
