// The runtime model of the POSIX host's own hardware: the default model's
// device types on one adapter per display controller, with the identifier a
// driver would report for it. Built on POSIX hosts only.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/D3D8Model.h"
#include "platform/posix/internal/HostHardware.h"
#include "platform/posix/internal/Posix.h"

namespace platform::posix {
namespace {

std::uint64_t Fnv1a64(const std::string& text) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001B3ull;
  }
  return hash;
}

// Copies at most size - 1 bytes and the NUL, never splitting a double-byte
// character.
void CopyAnsiField(char* field, std::size_t size, const std::string& ansi) {
  std::size_t length = 0;
  while (length < ansi.size()) {
    const std::size_t step =
        IsDBCSLeadByte(static_cast<BYTE>(ansi[length])) && length + 1 < ansi.size() ? 2 : 1;
    if (length + step > size - 1) break;
    length += step;
  }
  std::memcpy(field, ansi.data(), length);
  field[length] = '\0';
}

}  // namespace

LARGE_INTEGER PackDriverVersion(std::string_view version) {
  unsigned parts[4] = {0, 0, 0, 0};
  std::size_t count = 0;
  std::size_t i = 0;
  while (i < version.size() && count < 4) {
    if (version[i] < '0' || version[i] > '9') {
      ++i;
      continue;
    }
    unsigned value = 0;
    for (; i < version.size() && version[i] >= '0' && version[i] <= '9'; ++i) {
      value = std::min(value * 10 + static_cast<unsigned>(version[i] - '0'), 0xFFFFu);
    }
    parts[count++] = value;
  }
  LARGE_INTEGER packed = {};
  packed.HighPart = static_cast<LONG>((parts[0] << 16) | parts[1]);
  packed.LowPart = (parts[2] << 16) | parts[3];
  return packed;
}

// A name-based GUID in the manner of RFC 9562's version 8: the key is the
// chipset's five PCI numbers (missing ones as 0) written
// "vvvv:dddd:ssss:SSSS:rr" (vendor, device, subsystem vendor, subsystem
// device, revision, lower-case hexadecimal). Two FNV-1a 64-bit hashes, of
// "vexa-adapter-1/" and of "vexa-adapter-2/" followed by the key, give the 128
// bits: Data1 is the high 32 bits of the first, Data2 its next 16, Data3 its
// low 12 under the version nibble 8; Data4 is the second hash from its high
// byte down, with the variant bits 10 in the top of byte 0. The address is
// left out, so a card keeps its GUID in another slot, as a driver's does.
GUID DeviceIdentifierOf(const DisplayController& controller) {
  char key[32];
  std::snprintf(key, sizeof key, "%04x:%04x:%04x:%04x:%02x", controller.vendorId.value_or(0),
                controller.deviceId.value_or(0), controller.subsystemVendorId.value_or(0),
                controller.subsystemDeviceId.value_or(0), controller.revision.value_or(0));
  const std::uint64_t first = Fnv1a64(std::string("vexa-adapter-1/") + key);
  const std::uint64_t second = Fnv1a64(std::string("vexa-adapter-2/") + key);
  GUID guid;
  guid.Data1 = static_cast<DWORD>(first >> 32);
  guid.Data2 = static_cast<WORD>(first >> 16);
  guid.Data3 = static_cast<WORD>(0x8000 | (first & 0x0FFF));
  for (int i = 0; i < 8; ++i) guid.Data4[i] = static_cast<BYTE>(second >> (56 - 8 * i));
  guid.Data4[0] = static_cast<BYTE>(0x80 | (guid.Data4[0] & 0x3F));
  return guid;
}

D3DADAPTER_IDENTIFIER8 IdentifierOf(const DisplayController& controller) {
  D3DADAPTER_IDENTIFIER8 identifier = {};
  // The report keeps these texts beyond the process, where its own codes mean nothing.
  CopyAnsiField(identifier.Driver, sizeof identifier.Driver, Utf8ToAnsiLossy(controller.driver));
  CopyAnsiField(identifier.Description, sizeof identifier.Description, Utf8ToAnsiLossy(controller.name));
  if (!controller.driver.empty()) identifier.DriverVersion = PackDriverVersion(controller.driverVersion);
  identifier.VendorId = controller.vendorId.value_or(0);
  identifier.DeviceId = controller.deviceId.value_or(0);
  // As Windows reports it: the subsystem's device above its vendor.
  identifier.SubSysId =
      (controller.subsystemDeviceId.value_or(0) << 16) | controller.subsystemVendorId.value_or(0);
  identifier.Revision = controller.revision.value_or(0);
  identifier.DeviceIdentifier = DeviceIdentifierOf(controller);
  identifier.WHQLLevel = 0;
  return identifier;
}

std::shared_ptr<platform::d3d8::CRuntimeModel> MakeHostModel(const IFileAccess& files,
                                                             const HardwareSources& sources) {
  std::shared_ptr<platform::d3d8::CRuntimeModel> model = platform::d3d8::MakeDefaultModel();
  const std::vector<DisplayController> controllers = ReadDisplayControllers(files, sources);
  if (controllers.empty()) return model;
  const platform::d3d8::AdapterModel software = model->adapters.front();
  model->adapters.clear();
  for (const DisplayController& controller : controllers) {
    platform::d3d8::AdapterModel adapter = software;
    adapter.identifier = IdentifierOf(controller);
    // The kernel lists no refresh rates; the current mode has its own where
    // the X server or DRM tells it, and is the adapter's current one.
    std::vector<Resolution> resolutions = controller.resolutions;
    const std::optional<DisplayMode>& current = controller.current;
    if (current && std::find(resolutions.begin(), resolutions.end(),
                             Resolution{current->width, current->height}) == resolutions.end()) {
      resolutions.insert(resolutions.begin(), Resolution{current->width, current->height});
    }
    if (!resolutions.empty()) {
      adapter.modes.clear();
      for (const D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        for (const Resolution& resolution : resolutions) {
          const bool isCurrent = current && resolution == Resolution{current->width, current->height};
          adapter.modes.push_back(
              {resolution.width, resolution.height, isCurrent ? current->refreshRate : 0, format});
        }
      }
      adapter.current = adapter.modes.front();
      if (current) adapter.current = {current->width, current->height, current->refreshRate, D3DFMT_X8R8G8B8};
    }
    model->adapters.push_back(adapter);
  }
  return model;
}

}  // namespace platform::posix
