// The counters and the one planned failure behind the stand-in's fault sites,
// for test programs only (see internal/Faults.h).
#include "platform/posix/internal/Faults.h"

#include "platform/posix/testing/StandIn.h"

namespace platform::posix {
namespace {

using platform::FaultSite;

struct FaultPlan {
  FaultSite site = FaultSite::kNone;
  unsigned long index = 0;
  std::string fileName;
  std::array<unsigned long, platform::kFaultSiteCount> counts = {};
};

FaultPlan& Plan() {
  // Never destroyed: files may still be closed by exit handlers after static
  // destructors have run.
  static FaultPlan* plan = new FaultPlan;
  return *plan;
}

}  // namespace

bool FailsNow(FaultSite site) {
  if (site == FaultSite::kNone) return false;
  FaultPlan& plan = Plan();
  const unsigned long number = plan.counts[static_cast<std::size_t>(site)]++;
  return site == plan.site && number == plan.index;
}

bool IsPlannedFile(std::string_view hostPath) {
  const std::string& name = Plan().fileName;
  if (name.empty() || hostPath.size() < name.size()) return false;
  const std::size_t start = hostPath.size() - name.size();
  return hostPath.substr(start) == name && (start == 0 || hostPath[start - 1] == '/');
}

void SetFaultPlan(FaultSite site, unsigned long index, const std::string& fileName) {
  FaultPlan& plan = Plan();
  plan.site = site;
  plan.index = index;
  plan.fileName = fileName;
  plan.counts = {};
}

std::array<unsigned long, platform::kFaultSiteCount> FaultCounts() { return Plan().counts; }

}  // namespace platform::posix
