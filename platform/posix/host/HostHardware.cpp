// The display controllers of sysfs, their kernel drivers and connected
// outputs, and their names from the PCI name database.
#include "platform/posix/internal/HostHardware.h"

#include <sys/utsname.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace platform::posix {
namespace {

const std::size_t kMaxAttributeBytes = 256;
const std::size_t kMaxFolderEntries = 4096;
const std::size_t kMaxModesBytes = 64 * 1024;
const std::size_t kMaxModeLine = 32;
const unsigned kMaxModeSide = 32767;
const std::size_t kMaxDatabaseBytes = kMaxPciDatabaseBytes;
const std::size_t kMaxDatabaseLine = 1024;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<unsigned> ParseHexDigits(std::string_view digits, unsigned max) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  unsigned value = 0;
  for (const char c : digits) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  if (value > max) return std::nullopt;
  return value;
}

std::optional<unsigned> ParseDecimal(std::string_view digits, unsigned max) {
  if (digits.empty()) return std::nullopt;
  unsigned value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > max) return std::nullopt;
  }
  return value;
}

// The first line of a sysfs attribute, without blanks around it.
std::string ReadAttribute(const IFileAccess& files, const std::string& path) {
  std::string text;
  if (!ReadSmallFile(files, path, kMaxAttributeBytes, text)) return std::string();
  const std::string_view view(text);
  return PrintableText(TrimBlanks(view.substr(0, view.find('\n'))));
}

// A number attribute as sysfs writes it: "0x" and hexadecimal digits.
std::optional<unsigned> ReadHexAttribute(const IFileAccess& files, const std::string& path, unsigned max) {
  const std::string text = ReadAttribute(files, path);
  if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return std::nullopt;
  return ParseHexDigits(std::string_view(text).substr(2), max);
}

std::vector<std::string> ListNames(const IFileAccess& files, const std::string& path) {
  std::vector<std::string> names;
  if (!files.List(path, kMaxFolderEntries, names)) return names;
  names.erase(
      std::remove_if(names.begin(), names.end(), [](const std::string& name) { return !IsPlainName(name); }),
      names.end());
  std::sort(names.begin(), names.end());
  return names;
}

// The name a link points to, when it is one that can stand in a path.
std::string LinkName(const IFileAccess& files, const std::string& path) {
  std::string target;
  if (!files.ReadLink(path, target)) return std::string();
  const std::string_view name = LastComponent(target);
  return IsPlainName(name) ? std::string(name) : std::string();
}

// "1920x1080"; interlaced modes carry an "i" after the height.
std::optional<Resolution> ParseMode(std::string_view line) {
  line = TrimBlanks(line);
  if (!line.empty() && line.back() == 'i') line.remove_suffix(1);
  const std::size_t x = line.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  const std::optional<unsigned> width = ParseDecimal(line.substr(0, x), kMaxModeSide);
  const std::optional<unsigned> height = ParseDecimal(line.substr(x + 1), kMaxModeSide);
  if (!width || !height || *width == 0 || *height == 0) return std::nullopt;
  return Resolution{*width, *height};
}

bool IsCardName(const std::string& name) {
  return name.size() > 4 && name.size() <= 7 && name.compare(0, 4, "card") == 0 &&
         name.find_first_not_of("0123456789", 4) == std::string::npos;
}

// The resolutions of the connected outputs ("cardN-<connector>") of every DRM
// card that belongs to the controller, outputs in name order.
void AddResolutions(const IFileAccess& files, const std::string& sysfsRoot,
                    const std::vector<std::string>& drm, DisplayController& controller) {
  const std::string folder = sysfsRoot + "/class/drm/";
  std::vector<Resolution>& resolutions = controller.resolutions;
  for (const std::string& card : drm) {
    if (!IsCardName(card) || LinkName(files, folder + card + "/device") != controller.address) continue;
    const std::string prefix = card + "-";
    for (const std::string& output : drm) {
      if (output.compare(0, prefix.size(), prefix) != 0) continue;
      if (ReadAttribute(files, folder + output + "/status") != "connected") continue;
      ForEachLine(files, folder + output + "/modes", kMaxModesBytes, kMaxModeLine,
                  [&](std::string_view line) {
                    const std::optional<Resolution> resolution = ParseMode(line);
                    if (resolution &&
                        std::find(resolutions.begin(), resolutions.end(), *resolution) == resolutions.end()) {
                      resolutions.push_back(*resolution);
                    }
                    return resolutions.size() < kMaxResolutions;
                  });
      if (resolutions.size() >= kMaxResolutions) return;
    }
  }
}

// The kernel driver bound to the device, and the version of its module; the
// module is the one the driver links to, else the driver's name in module
// spelling ('-' as '_').
void ReadDriver(const IFileAccess& files, const HardwareSources& sources, const std::string& device,
                DisplayController& controller) {
  const std::string driver = LinkName(files, device + "/driver");
  if (driver.empty()) return;
  controller.driver = PrintableText(driver);
  std::string module = LinkName(files, device + "/driver/module");
  if (module.empty()) {
    module = driver;
    std::replace(module.begin(), module.end(), '-', '_');
  }
  controller.driverVersion = ReadAttribute(files, sources.sysfsRoot + "/module/" + module + "/version");
  if (controller.driverVersion.empty()) controller.driverVersion = PrintableText(sources.kernelRelease);
}

// A vendor or device line of the database: four hexadecimal digits, blanks,
// the name.
bool ParseIdLine(std::string_view line, unsigned& id, std::string_view& name) {
  if (line.size() < 6 || (line[4] != ' ' && line[4] != '\t')) return false;
  const std::optional<unsigned> value = ParseHexDigits(line.substr(0, 4), 0xFFFF);
  if (!value) return false;
  id = *value;
  name = TrimBlanks(line.substr(4));
  return !name.empty();
}

std::string IdInWords(const char* word, unsigned id) {
  char text[16];
  std::snprintf(text, sizeof text, "%s %04x", word, id);
  return text;
}

}  // namespace

HardwareSources HostHardwareSources() {
  HardwareSources sources;
  const char* sysfs = std::getenv("SYSFS_PATH");
  sources.sysfsRoot = sysfs != nullptr && *sysfs != '\0' ? sysfs : "/sys";
  while (sources.sysfsRoot.size() > 1 && sources.sysfsRoot.back() == '/') sources.sysfsRoot.pop_back();
  sources.pciIds = {"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids"};
  struct utsname system;
  if (uname(&system) == 0) sources.kernelRelease = system.release;
  sources.askX = true;
  // The device nodes belong to this machine's own sysfs, not to a fake one.
  if (sysfs == nullptr || *sysfs == '\0') sources.drmDevices = "/dev/dri";
  return sources;
}

std::string PciDeviceName(const IFileAccess& files, const std::vector<std::string>& databases,
                          unsigned vendorId, std::optional<unsigned> deviceId) {
  std::string vendor, device;
  for (const std::string& database : databases) {
    bool inVendor = false;
    const bool readable =
        ForEachLine(files, database, kMaxDatabaseBytes, kMaxDatabaseLine, [&](std::string_view line) {
          if (line.empty() || line[0] == '#') return true;
          unsigned id = 0;
          std::string_view name;
          if (line[0] != '\t') {
            // Any other line at the left margin ends the vendor's block.
            if (inVendor) return false;
            if (ParseIdLine(line, id, name) && id == vendorId) {
              vendor = PrintableText(name);
              inVendor = true;
              return deviceId.has_value();
            }
            return true;
          }
          // Device lines carry one tab, their subsystems two.
          if (inVendor && line.size() > 1 && line[1] != '\t' && ParseIdLine(line.substr(1), id, name) &&
              deviceId && id == *deviceId) {
            device = PrintableText(name);
            return false;
          }
          return true;
        });
    if (readable) break;
  }
  if (vendor.empty()) vendor = IdInWords("Vendor", vendorId);
  if (!deviceId) return vendor;
  if (device.empty()) device = IdInWords("Device", *deviceId);
  return vendor + " " + device;
}

std::vector<DisplayController> ReadDisplayControllers(const IFileAccess& files,
                                                      const HardwareSources& sources) {
  const std::string devices = sources.sysfsRoot + "/bus/pci/devices/";
  std::vector<DisplayController> controllers;
  for (const std::string& address : ListNames(files, sources.sysfsRoot + "/bus/pci/devices")) {
    const std::optional<unsigned> pciClass = ReadHexAttribute(files, devices + address + "/class", 0xFFFFFF);
    if (!pciClass || (*pciClass >> 16) != 0x03) continue;
    DisplayController controller;
    controller.address = address;
    controller.bootVga = ReadAttribute(files, devices + address + "/boot_vga") == "1";
    controllers.push_back(controller);
  }
  std::stable_sort(
      controllers.begin(), controllers.end(),
      [](const DisplayController& a, const DisplayController& b) { return a.bootVga && !b.bootVga; });
  if (controllers.size() > kMaxDisplayControllers) controllers.resize(kMaxDisplayControllers);

  const std::vector<std::string> drm = ListNames(files, sources.sysfsRoot + "/class/drm");
  for (DisplayController& controller : controllers) {
    const std::string device = devices + controller.address;
    controller.vendorId = ReadHexAttribute(files, device + "/vendor", 0xFFFF);
    controller.deviceId = ReadHexAttribute(files, device + "/device", 0xFFFF);
    controller.subsystemVendorId = ReadHexAttribute(files, device + "/subsystem_vendor", 0xFFFF);
    controller.subsystemDeviceId = ReadHexAttribute(files, device + "/subsystem_device", 0xFFFF);
    controller.revision = ReadHexAttribute(files, device + "/revision", 0xFF);
    ReadDriver(files, sources, device, controller);
    if (controller.vendorId) {
      controller.name = PciDeviceName(files, sources.pciIds, *controller.vendorId, controller.deviceId);
    }
    AddResolutions(files, sources.sysfsRoot, drm, controller);
  }
  if (sources.askX && !controllers.empty()) controllers.front().current = XCurrentMode(sources.xTimeLimitMs);
  for (DisplayController& controller : controllers) {
    for (const std::string& card : drm) {
      if (controller.current || sources.drmDevices.empty()) break;
      if (IsCardName(card) &&
          LinkName(files, sources.sysfsRoot + "/class/drm/" + card + "/device") == controller.address) {
        controller.current = DrmCurrentMode(sources.drmDevices + "/" + card);
      }
    }
  }
  return controllers;
}

}  // namespace platform::posix
