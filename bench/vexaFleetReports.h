// Reports of a desk's many players for the fleet benchmarks: the device part
// from the stand-in's default model, from a report Wine's runtime gave and
// from random runtime models, behind diagnostic texts in the layouts of
// several Windows versions, with machine names that repeat (a player who
// sent more than one report) and dates that differ.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vexaBench {

// The "DeviceInfo" parts, with their section title, CR LF line ends.
std::vector<std::string> FleetDeviceParts(unsigned seed, std::size_t randomModels);

// The `index`th report of a desk whose players have `machines` machines.
std::string FleetReport(std::size_t index, std::size_t machines, const std::vector<std::string>& deviceParts);

}  // namespace vexaBench
