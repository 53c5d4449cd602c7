// The stand-in diagnostic report: "System Information", "Display Devices"
// and "Sound Devices", each a title between dashed lines followed by
// "Key: value" lines with right-aligned keys, as the system program writes
// its text report.
#include "platform/posix/dxdiag/internal/DiagReport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>

#include "platform/posix/internal/Process.h"

namespace platform::posix {
namespace {

const std::size_t kKeyWidth = 19;
const std::size_t kMaxSmallFileBytes = 64 * 1024;
const std::size_t kMaxLine = 1024;
// /proc/cpuinfo grows with the number of processors; its flag lines are
// longer than kMaxLine and are not needed.
const std::size_t kMaxCpuInfoBytes = 4 * 1024 * 1024;
const std::size_t kMaxSoundCards = 32;

class CReport {
 public:
  void Section(const char* title) {
    const std::string dashes(std::string_view(title).size(), '-');
    text_ += dashes + "\n" + title + "\n" + dashes + "\n";
  }
  void Field(std::string_view key, std::string_view value) {
    if (value.empty()) return;
    if (key.size() < kKeyWidth) text_.append(kKeyWidth - key.size(), ' ');
    text_.append(key).append(": ").append(PrintableText(value)).append("\n");
  }
  void Line(std::string_view line) { text_.append(line).append("\n"); }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

std::string Hex(const char* format, unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// A value of os-release as the shell reads it: quotes removed, and within
// double quotes the escapes \" \\ \$ \` resolved.
std::string ShellValue(std::string_view value) {
  std::string text;
  char quote = 0;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (quote == '\'') {
      if (c == '\'') {
        quote = 0;
      } else {
        text += c;
      }
    } else if (c == '\\' && i + 1 < value.size() &&
               (quote == 0 || std::string_view("\"\\$`").find(value[i + 1]) != std::string_view::npos)) {
      text += value[++i];
    } else if (c == '"') {
      quote = quote == 0 ? '"' : 0;
    } else if (c == '\'' && quote == 0) {
      quote = '\'';
    } else {
      text += c;
    }
  }
  return text;
}

std::string OperatingSystem(const IFileAccess& files, const DiagSources& sources) {
  std::map<std::string, std::string> values;
  for (const std::string& path : sources.osRelease) {
    const bool readable = ForEachLine(files, path, kMaxSmallFileBytes, kMaxLine, [&](std::string_view line) {
      line = TrimBlanks(line);
      const std::size_t equals = line.find('=');
      if (line.empty() || line[0] == '#' || equals == std::string_view::npos) return true;
      values[std::string(line.substr(0, equals))] = ShellValue(line.substr(equals + 1));
      return true;
    });
    if (readable) break;
  }
  std::string system = values["PRETTY_NAME"];
  if (system.empty()) {
    system = values["NAME"];
    const std::string& version = values["VERSION"];
    if (!version.empty()) system += (system.empty() ? "" : " ") + version;
  }
  const std::string& kernel = sources.hardware.kernelRelease;
  if (kernel.empty()) return system;
  return system.empty() ? "Linux " + kernel : system + " (Linux " + kernel + ")";
}

// "<model> (<n> CPUs)" from /proc/cpuinfo.
std::string Processor(const IFileAccess& files, const std::string& path) {
  std::string model;
  unsigned count = 0;
  ForEachLine(files, path, kMaxCpuInfoBytes, kMaxLine, [&](std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return true;
    const std::string_view key = TrimBlanks(line.substr(0, colon));
    if (key == "processor") ++count;
    if (model.empty() && (key == "model name" || key == "cpu model" || key == "Processor")) {
      model = std::string(TrimBlanks(line.substr(colon + 1)));
    }
    return true;
  });
  if (model.empty() || count == 0) return model;
  return model + " (" + std::to_string(count) + (count == 1 ? " CPU)" : " CPUs)");
}

// "<n>MB RAM" from MemTotal of /proc/meminfo.
std::string Memory(const IFileAccess& files, const std::string& path) {
  std::string memory;
  ForEachLine(files, path, kMaxSmallFileBytes, kMaxLine, [&](std::string_view line) {
    const std::string_view key = "MemTotal:";
    if (line.substr(0, key.size()) != key) return true;
    std::string_view value = TrimBlanks(line.substr(key.size()));
    if (value.size() < 3 || value.substr(value.size() - 3) != " kB") return false;
    value = TrimBlanks(value.substr(0, value.size() - 3));
    if (value.empty() || value.size() > 15 ||
        value.find_first_not_of("0123456789") != std::string_view::npos) {
      return false;
    }
    memory = std::to_string(std::strtoull(std::string(value).c_str(), nullptr, 10) / 1024) + "MB RAM";
    return false;
  });
  return memory;
}

void AddSystemInformation(CReport& report, const IFileAccess& files, const DiagSources& sources,
                          const DiagFacts& facts) {
  report.Section("System Information");
  report.Field("Time of this report", facts.time);
  report.Field("Machine name", facts.machineName);
  report.Field("Operating System", OperatingSystem(files, sources));
  report.Field("Language", facts.language);
  report.Field("Processor", Processor(files, sources.cpuInfo));
  report.Field("Memory", Memory(files, sources.memInfo));
  report.Line("");
}

// A section of one block of fields per item, a blank line between blocks.
template <typename Item, typename AddFields>
void AddBlocks(CReport& report, const char* title, const std::vector<Item>& items, AddFields addFields) {
  report.Section(title);
  if (items.empty()) report.Line("none found");
  for (const Item& item : items) {
    addFields(item);
    if (&item != &items.back()) report.Line("");
  }
  report.Line("");
}

void AddDisplayDevices(CReport& report, const IFileAccess& files, const HardwareSources& sources) {
  const std::vector<DisplayController> controllers = ReadDisplayControllers(files, sources);
  AddBlocks(report, "Display Devices", controllers, [&](const DisplayController& c) {
    report.Field("Card name", c.name);
    report.Field("Location", c.address);
    if (c.vendorId) report.Field("Vendor ID", Hex("0x%04X", *c.vendorId));
    if (c.deviceId) report.Field("Device ID", Hex("0x%04X", *c.deviceId));
    if (c.subsystemVendorId && c.subsystemDeviceId) {
      report.Field("SubSys ID", Hex("0x%08X", (*c.subsystemDeviceId << 16) | *c.subsystemVendorId));
    }
    if (c.revision) report.Field("Revision ID", Hex("0x%04X", *c.revision));
    report.Field("Driver Name", c.driver);
    report.Field("Driver Version", c.driverVersion);
    // Without the X server or DRM only the kernel's preferred mode is known.
    if (c.current) {
      std::string mode = std::to_string(c.current->width) + " x " + std::to_string(c.current->height);
      if (c.current->refreshRate != 0) mode += " (" + std::to_string(c.current->refreshRate) + "Hz)";
      report.Field("Current Mode", mode);
    } else if (!c.resolutions.empty()) {
      report.Field("Preferred Mode",
                   std::to_string(c.resolutions[0].width) + " x " + std::to_string(c.resolutions[0].height));
    }
  });
}

struct SoundCard {
  std::string id;
  std::string driver;
  std::string name;
  std::string longName;
};

// /proc/asound/cards: " 0 [PCH            ]: HDA-Intel - HDA Intel PCH",
// then the long name on an indented line of its own.
std::vector<SoundCard> ReadSoundCards(const IFileAccess& files, const std::string& path) {
  std::vector<SoundCard> cards;
  bool expectLongName = false;
  ForEachLine(files, path, kMaxSmallFileBytes, kMaxLine, [&](std::string_view line) {
    const std::string_view text = TrimBlanks(line);
    const std::size_t open = text.find(" [");
    const std::size_t close = text.find("]: ");
    if (!text.empty() && open != std::string_view::npos && open > 0 && close != std::string_view::npos &&
        close > open && text.substr(0, open).find_first_not_of("0123456789") == std::string_view::npos) {
      if (cards.size() == kMaxSoundCards) return false;
      SoundCard card;
      card.id = std::string(TrimBlanks(text.substr(open + 2, close - open - 2)));
      const std::string_view rest = text.substr(close + 3);
      const std::size_t dash = rest.find(" - ");
      card.name = std::string(TrimBlanks(dash == std::string_view::npos ? rest : rest.substr(dash + 3)));
      if (dash != std::string_view::npos) card.driver = std::string(TrimBlanks(rest.substr(0, dash)));
      cards.push_back(card);
      expectLongName = true;
    } else if (expectLongName && !line.empty() && (line[0] == ' ' || line[0] == '\t')) {
      cards.back().longName = std::string(text);
      expectLongName = false;
    } else {
      expectLongName = false;
    }
    return true;
  });
  return cards;
}

void AddSoundDevices(CReport& report, const IFileAccess& files, const std::string& path) {
  AddBlocks(report, "Sound Devices", ReadSoundCards(files, path), [&](const SoundCard& card) {
    report.Field("Description", card.name);
    report.Field("Card ID", card.id);
    report.Field("Driver Name", card.driver);
    report.Field("Long Name", card.longName);
  });
}

}  // namespace

DiagSources HostDiagSources() {
  DiagSources sources;
  sources.hardware = HostHardwareSources();
  sources.osRelease = {"/etc/os-release", "/usr/lib/os-release"};
  sources.cpuInfo = "/proc/cpuinfo";
  sources.memInfo = "/proc/meminfo";
  sources.soundCards = "/proc/asound/cards";
  return sources;
}

DiagFacts HostDiagFacts() {
  DiagFacts facts;
  const std::time_t now = std::time(nullptr);
  std::tm local;
  if (localtime_r(&now, &local) != nullptr) {
    char text[64];
    std::snprintf(text, sizeof text, "%d/%d/%d, %02d:%02d:%02d", local.tm_mon + 1, local.tm_mday,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    facts.time = text;
  }
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) == 0) facts.machineName = host;
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      facts.language = std::string(value).substr(0, kMaxLine);
      break;
    }
  }
  if (facts.language.empty()) facts.language = "C";
  return facts;
}

std::string BuildDiagReport(const IFileAccess& files, const DiagSources& sources, const DiagFacts& facts) {
  CReport report;
  AddSystemInformation(report, files, sources, facts);
  AddDisplayDevices(report, files, sources.hardware);
  AddSoundDevices(report, files, sources.soundCards);
  return report.Text();
}

bool ReportPathOf(std::string_view commandLine, std::string& path) {
  std::string_view rest = CommandLineArguments(commandLine);
  if (rest.size() < 3 || (rest[0] != '/' && rest[0] != '-') || (rest[1] != 't' && rest[1] != 'T') ||
      rest[2] != ' ') {
    return false;
  }
  rest.remove_prefix(3);
  if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
  if (rest.empty()) return false;
  path.assign(rest);
  return true;
}

}  // namespace platform::posix
