// Where the stand-in's system calls ask whether a test has planned them to
// fail (platform::testing::SetFaultPlan). Without a plan nothing fails; the
// calls are only counted.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/Testing.h"

namespace platform::posix {

// Counts one call of `site`; true when it is the one the plan fails.
bool FailsNow(platform::testing::FaultSite site);

// True when the file sites count the text file at `hostPath`.
bool IsPlannedFile(std::string_view hostPath);

void SetFaultPlan(platform::testing::FaultSite site, unsigned long index, const std::string& fileName);
std::array<unsigned long, platform::testing::kFaultSiteCount> FaultCounts();

}  // namespace platform::posix
