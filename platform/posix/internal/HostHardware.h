// The host's display controllers as sysfs shows them: PCI identifiers, kernel
// driver and its version, the name from the PCI name database, and the
// resolutions of the connected outputs; and the Direct3D 8 runtime model of
// this machine built from them. Every file is read through IFileAccess with a
// fixed limit, so missing, garbled or endless files give fewer details.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/D3D8Model.h"
#include "platform/PciNames.h"
#include "platform/posix/internal/FileAccess.h"

namespace platform::posix {

struct HardwareSources {
  std::string sysfsRoot;            // where sysfs is mounted, normally "/sys"
  std::vector<std::string> pciIds;  // PCI name databases; the first readable one is used
  std::string kernelRelease;        // the version of drivers that have none of their own
  // Where the current mode is asked for: the X server of $DISPLAY (for the
  // boot device), and the DRM device nodes of the cards (empty: none).
  bool askX = false;
  std::string drmDevices;
  // How long the X server may take to tell its mode: one that accepts the
  // connection and never answers costs no more than this.
  int xTimeLimitMs = 2000;
};

// $SYSFS_PATH (else "/sys"), the two usual places of the PCI name database,
// the release of the running kernel, the X server, and /dev/dri unless
// SYSFS_PATH names another machine's tree.
HardwareSources HostHardwareSources();

// A mode a display runs in; refresh rate 0 when the system does not say.
struct DisplayMode {
  unsigned width;
  unsigned height;
  unsigned refreshRate;
};

// The mode shown now: of the X server's primary output (else its first one
// showing something), asked in a child process that is killed when it has
// not answered within `timeLimitMs`; and of the first active CRTC of a DRM
// card node.
std::optional<DisplayMode> XCurrentMode(int timeLimitMs);
// The refresh rate in whole hertz of an X RandR mode: its dot clock over the
// pixels of a frame, with `flags` its RandR mode flags (an interlaced mode
// shows half its lines per field, a double-scanned one each line twice).
unsigned XModeRefreshRate(unsigned long dotClock, unsigned hTotal, unsigned vTotal, unsigned long flags);
std::optional<DisplayMode> DrmCurrentMode(const std::string& devicePath);

struct Resolution {
  unsigned width;
  unsigned height;
  bool operator==(const Resolution& other) const { return width == other.width && height == other.height; }
};

// Texts are UTF-8 as the files have them, with control characters as '?'.
struct DisplayController {
  std::string address;  // PCI address, "0000:00:02.0"
  bool bootVga = false;
  // Absent when the attribute is missing or malformed.
  std::optional<unsigned> vendorId, deviceId, subsystemVendorId, subsystemDeviceId, revision;
  std::string driver;         // the kernel driver bound to it; empty when none is
  std::string driverVersion;  // the module's version, else the kernel release; empty without a driver
  std::string name;           // UTF-8: "<vendor> <device>" from the database, ids in words where it has none
  std::vector<Resolution>
      resolutions;  // of the connected outputs, the preferred one of the first output first
  std::optional<DisplayMode> current;  // where the X server or DRM tells it
};

// Limits that bound what one reading can cost.
const std::size_t kMaxDisplayControllers = 16;
const std::size_t kMaxResolutions = 256;

// Every PCI device of class 0x03xxxx: the boot VGA device first, then by
// PCI address.
std::vector<DisplayController> ReadDisplayControllers(const IFileAccess& files,
                                                      const HardwareSources& sources);

// "<vendor name> <device name>" as the first readable database gives them;
// what it lacks is written "Vendor 8086" or "Device 5916". Without a device
// id, the vendor alone.
std::string PciDeviceName(const IFileAccess& files, const std::vector<std::string>& databases,
                          unsigned vendorId, std::optional<unsigned> deviceId);

// pci.ids is about 1.5 MB today; its lines are short.
const std::size_t kMaxPciDatabaseBytes = 16 * 1024 * 1024;

// The databases read once, for a reader that looks up the adapters of a
// thousand reports: later lookups search the copy in memory, and each pair
// of ids is looked up once.
class CPciNameBook {
 public:
  CPciNameBook(const IFileAccess& files, const std::vector<std::string>& databases);
  PciNames LookUp(unsigned vendorId, unsigned deviceId);

 private:
  CMemoryFiles copy_;
  std::vector<std::string> databases_;
  std::map<std::pair<unsigned, unsigned>, PciNames> known_;
};

// Up to four runs of digits of a version text, each clamped to 16 bits, in
// the order the identifier section prints them: "6.1.0-18-amd64" is 6.1.0.18.
LARGE_INTEGER PackDriverVersion(std::string_view version);

// The same GUID for the same chipset on every run and every machine.
GUID DeviceIdentifierOf(const DisplayController& controller);

// The identifier record a driver would report for the controller: texts in
// code page 932, cut to fit their fields.
D3DADAPTER_IDENTIFIER8 IdentifierOf(const DisplayController& controller);

// The default model with one adapter per display controller, each with the
// default model's device types, and the resolutions of its outputs as
// X8R8G8B8 and R5G6B5 modes. Without display controllers, the default model.
std::shared_ptr<platform::d3d8::CRuntimeModel> MakeHostModel(const IFileAccess& files,
                                                             const HardwareSources& sources);

}  // namespace platform::posix
