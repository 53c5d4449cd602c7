// The display devices the system's diagnostic text lists, beside the
// Direct3D 8 adapters: a device without an adapter is one the game cannot
// use, such as the discrete chip of a laptop with switchable graphics.
#pragma once

#include <vector>

#include "reader/vexaReportParser.h"
#include "reader/vexaReportSummary.h"

namespace vexaEnvReader {

// The devices of every "Display Devices" section (and "Render Devices", where
// Windows 10 and later list a chip that drives no display), each from its "Card name"
// entry to the next, matched with `adapters` by name or by vendor and device id.
std::vector<DisplayDevice> ReadDisplayDevices(const EnvReport& report,
                                              const std::vector<AdapterSummary>& adapters);

}  // namespace vexaEnvReader
