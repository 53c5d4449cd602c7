// Windows versions name the entries alike ("Card name", "Manufacturer",
// "Chip type", "Display Memory", "Dedicated Memory", "Current Mode", "Driver
// Version", "Vendor ID", "Device ID"), whatever the width of the label
// column; a device's entries run from its "Card name" to the next one.
#include "reader/vexaDisplayDevices.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace vexaEnvReader {
namespace {

// Lower-case ASCII with runs of blanks made one, without blanks at the ends:
// the driver's name for its adapter, as both halves of the report give it.
std::string NameKey(const std::string& name) {
  std::string key;
  for (const char c : name) {
    if (c == ' ' || c == '\t') {
      if (!key.empty() && key.back() != ' ') key += ' ';
    } else {
      key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
  }
  if (!key.empty() && key.back() == ' ') key.pop_back();
  return key;
}

// "0x10DE" as dxdiag writes an id; false for anything else.
bool ParseId(const std::string& text, unsigned long& value) {
  if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
    return false;
  char* end = nullptr;
  value = std::strtoul(text.c_str() + 2, &end, 16);
  return end == text.c_str() + text.size();
}

struct Ids {
  std::string vendor, device;
};

std::optional<std::size_t> Match(const DisplayDevice& device, const Ids& ids,
                                 const std::vector<AdapterSummary>& adapters) {
  const std::string key = NameKey(device.name);
  unsigned long vendor = 0, deviceId = 0;
  const bool haveIds = ParseId(ids.vendor, vendor) && ParseId(ids.device, deviceId);
  for (std::size_t a = 0; a < adapters.size(); ++a) {
    const AdapterSummary& s = adapters[a];
    if (!key.empty() && s.Read(kDeviceField) && NameKey(s.name) == key) return a;
    if (haveIds && s.Read(kVendorIdField) && s.Read(kDeviceIdField) && s.vendorId == vendor &&
        s.deviceId == deviceId) {
      return a;
    }
  }
  return std::nullopt;
}

}  // namespace

std::vector<DisplayDevice> ReadDisplayDevices(const EnvReport& report,
                                              const std::vector<AdapterSummary>& adapters) {
  std::vector<DisplayDevice> devices;
  std::vector<Ids> ids;
  for (const DiagSection& section : report.diagnostics) {
    if (section.title != "Display Devices" && section.title != "Render Devices") continue;
    for (const DiagLine& line : section.lines) {
      if (!line.entry) continue;
      if (line.label == "Card name") {
        devices.emplace_back();
        ids.emplace_back();
        devices.back().line = line.line;
        devices.back().name = line.value;
        continue;
      }
      if (devices.empty()) continue;
      DisplayDevice& device = devices.back();
      static const std::pair<const char*, std::string DisplayDevice::*> kFields[] = {
          {"Manufacturer", &DisplayDevice::manufacturer},
          {"Chip type", &DisplayDevice::chipType},
          {"Display Memory", &DisplayDevice::displayMemory},
          {"Dedicated Memory", &DisplayDevice::dedicatedMemory},
          {"Current Mode", &DisplayDevice::currentMode},
          {"Driver Version", &DisplayDevice::driverVersion},
      };
      for (const auto& field : kFields) {
        if (line.label == field.first && (device.*field.second).empty()) device.*field.second = line.value;
      }
      if (line.label == "Vendor ID") ids.back().vendor = line.value;
      if (line.label == "Device ID") ids.back().device = line.value;
    }
  }
  for (std::size_t d = 0; d < devices.size(); ++d) devices[d].adapter = Match(devices[d], ids[d], adapters);
  return devices;
}

}  // namespace vexaEnvReader
