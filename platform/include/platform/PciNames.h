// Names of PCI vendors and devices from the machine's PCI name database,
// where it has one; Windows keeps none that a program could read.
#pragma once

#include <string>

namespace platform {

struct PciNames {
  std::string vendor;  // UTF-8; empty when the database does not know it
  std::string device;
};

PciNames LookUpPciNames(unsigned vendorId, unsigned deviceId);

}  // namespace platform
