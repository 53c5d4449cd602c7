// The host's hardware readers over a whole fake machine made from one input:
// sysfs at /sys and the PCI name databases, read into display controllers and
// the runtime model of the machine, whatever the files hold.
//
// The input is a tree in a small text form. A line "@file <path>" or
// "@link <path>" starts an entry; the lines after it, up to the next entry,
// are the file's bytes (with their line ends) or the link's target (without
// the last line end). Paths are absolute.
#include <algorithm>
#include <cstring>

#include "fuzz/FuzzCheck.h"
#include "platform/posix/internal/FileAccess.h"
#include "platform/posix/internal/HostHardware.h"

namespace {

using platform::posix::CMemoryFiles;

void AddEntry(CMemoryFiles& files, bool link, const std::string& path, std::string body) {
  if (path.empty()) return;
  if (link) {
    if (!body.empty() && body.back() == '\n') body.pop_back();
    files.Link(path, body);
  } else {
    files.File(path, body);
  }
}

CMemoryFiles ParseTree(const std::string& input) {
  CMemoryFiles files;
  bool inEntry = false, link = false;
  std::string path, body;
  std::size_t start = 0;
  while (start < input.size()) {
    std::size_t end = input.find('\n', start);
    end = end == std::string::npos ? input.size() : end + 1;
    const std::string line = input.substr(start, end - start);
    const bool isFile = line.compare(0, 6, "@file ") == 0, isLink = line.compare(0, 6, "@link ") == 0;
    if (isFile || isLink) {
      if (inEntry) AddEntry(files, link, path, body);
      inEntry = true;
      link = isLink;
      path = line.substr(6);
      if (!path.empty() && path.back() == '\n') path.pop_back();
      body.clear();
    } else if (inEntry) {
      body += line;
    }
    start = end;
  }
  if (inEntry) AddEntry(files, link, path, body);
  return files;
}

bool IsPrintable(const std::string& text) {
  return std::none_of(text.begin(), text.end(), [](char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

// A field the runtime hands out: ends in NUL within its size, and never with
// the first byte of a double-byte character before the NUL.
bool IsWholeAnsiField(const char* field, std::size_t size) {
  const void* nul = std::memchr(field, '\0', size);
  if (nul == nullptr) return false;
  const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(nul) - field);
  for (std::size_t i = 0; i < length; ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(field[i]))) {
      if (i + 1 == length) return false;
      ++i;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const CMemoryFiles files = ParseTree(vexaFuzz::Text(data, size));
  platform::posix::HardwareSources sources;
  sources.sysfsRoot = "/sys";
  sources.pciIds = {"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids"};
  sources.kernelRelease = "6.1.0-18-amd64";

  const std::vector<platform::posix::DisplayController> controllers =
      platform::posix::ReadDisplayControllers(files, sources);
  VEXA_FUZZ_CHECK(controllers.size() <= platform::posix::kMaxDisplayControllers);
  bool bootDevices = true;
  for (const platform::posix::DisplayController& controller : controllers) {
    // The boot device first, then the others.
    VEXA_FUZZ_CHECK(bootDevices || !controller.bootVga);
    bootDevices = controller.bootVga;
    VEXA_FUZZ_CHECK(IsPrintable(controller.driver) && IsPrintable(controller.driverVersion));
    VEXA_FUZZ_CHECK(IsPrintable(controller.name));
    VEXA_FUZZ_CHECK(controller.driver.empty() || !controller.driverVersion.empty() ||
                    sources.kernelRelease.empty());
    VEXA_FUZZ_CHECK(controller.resolutions.size() <= platform::posix::kMaxResolutions);
    for (std::size_t i = 0; i < controller.resolutions.size(); ++i) {
      const platform::posix::Resolution& resolution = controller.resolutions[i];
      VEXA_FUZZ_CHECK(resolution.width > 0 && resolution.width <= 32767);
      VEXA_FUZZ_CHECK(resolution.height > 0 && resolution.height <= 32767);
      VEXA_FUZZ_CHECK(std::count(controller.resolutions.begin(), controller.resolutions.end(), resolution) ==
                      1);
    }
    const D3DADAPTER_IDENTIFIER8 identifier = platform::posix::IdentifierOf(controller);
    VEXA_FUZZ_CHECK(IsWholeAnsiField(identifier.Driver, sizeof identifier.Driver));
    VEXA_FUZZ_CHECK(IsWholeAnsiField(identifier.Description, sizeof identifier.Description));
  }

  const std::shared_ptr<platform::d3d8::CRuntimeModel> model = platform::posix::MakeHostModel(files, sources);
  VEXA_FUZZ_CHECK(model->adapters.size() == std::max<std::size_t>(controllers.size(), 1));
  for (const platform::d3d8::AdapterModel& adapter : model->adapters) {
    // Every adapter has modes, and its desktop is one of them.
    VEXA_FUZZ_CHECK(!adapter.modes.empty());
    VEXA_FUZZ_CHECK(std::any_of(adapter.modes.begin(), adapter.modes.end(), [&](const D3DDISPLAYMODE& mode) {
      return std::memcmp(&mode, &adapter.current, sizeof mode) == 0;
    }));
  }
  return 0;
}
