// The stand-in's own reading of the PCI name database, without its fallback
// of ids in words: a reader shows the ids beside the names anyway.
#include "platform/PciNames.h"

#include <algorithm>
#include <cstdio>

#include "platform/posix/internal/FileAccess.h"
#include "platform/posix/internal/HostHardware.h"

namespace platform {
namespace posix {

CPciNameBook::CPciNameBook(const IFileAccess& files, const std::vector<std::string>& databases)
    : databases_(databases) {
  const std::size_t kChunk = 1024 * 1024;
  for (const std::string& database : databases) {
    std::string bytes;
    bool readable = true;
    while (readable && bytes.size() < kMaxPciDatabaseBytes) {
      const std::size_t before = bytes.size();
      readable = files.Read(database, before, std::min(kChunk, kMaxPciDatabaseBytes - before), bytes);
      if (bytes.size() - before < kChunk) break;
    }
    if (readable) copy_.File(database, std::move(bytes));
  }
}

PciNames CPciNameBook::LookUp(unsigned vendorId, unsigned deviceId) {
  const auto known = known_.find({vendorId, deviceId});
  if (known != known_.end()) return known->second;
  char fallback[32];
  PciNames& names = known_[{vendorId, deviceId}];
  std::snprintf(fallback, sizeof fallback, "Vendor %04x", vendorId);
  names.vendor = PciDeviceName(copy_, databases_, vendorId, std::nullopt);
  if (names.vendor == fallback) names.vendor.clear();
  if (names.vendor.empty()) return names;
  std::snprintf(fallback, sizeof fallback, " Device %04x", deviceId);
  const std::string both = PciDeviceName(copy_, databases_, vendorId, deviceId);
  const std::string prefix = names.vendor + " ";
  if (both.compare(0, prefix.size(), prefix) == 0 && both != names.vendor + fallback) {
    names.device = both.substr(prefix.size());
  }
  return names;
}

}  // namespace posix

PciNames LookUpPciNames(unsigned vendorId, unsigned deviceId) {
  static posix::CPciNameBook book(posix::CHostFiles(), posix::HostHardwareSources().pciIds);
  return book.LookUp(vendorId, deviceId);
}

}  // namespace platform
