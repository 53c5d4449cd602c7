// The stand-in's own reading of the PCI name database, without its fallback
// of ids in words: a reader shows the ids beside the names anyway.
#include "platform/PciNames.h"

#include <cstdio>

#include "platform/posix/internal/FileAccess.h"
#include "platform/posix/internal/HostHardware.h"

namespace platform {

PciNames LookUpPciNames(unsigned vendorId, unsigned deviceId) {
  const platform::posix::CHostFiles files;
  const std::vector<std::string> databases = platform::posix::HostHardwareSources().pciIds;
  char fallback[32];
  PciNames names;
  std::snprintf(fallback, sizeof fallback, "Vendor %04x", vendorId);
  names.vendor = platform::posix::PciDeviceName(files, databases, vendorId, std::nullopt);
  if (names.vendor == fallback) names.vendor.clear();
  if (names.vendor.empty()) return names;
  std::snprintf(fallback, sizeof fallback, " Device %04x", deviceId);
  const std::string both = platform::posix::PciDeviceName(files, databases, vendorId, deviceId);
  const std::string prefix = names.vendor + " ";
  if (both.compare(0, prefix.size(), prefix) == 0 && both != names.vendor + fallback) {
    names.device = both.substr(prefix.size());
  }
  return names;
}

}  // namespace platform
