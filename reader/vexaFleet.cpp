// The facts a report gives the fleet, the machines and their dedup, and the
// text, JSON and CSV outputs (the page is in vexaFleetHtml.cpp).
#include "reader/vexaFleet.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <tuple>

#include "reader/vexaReportSummary.h"
#include "reader/vexaTerminalText.h"
#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"

namespace vexaEnvReader {

const char kFleetIdentity[] =
    "A machine is the first adapter's device identifier with the machine name; of several reports from one "
    "machine the newest (by its \"Time of this report\", else the later file) counts.";

namespace {

using vexaSDK::DX8::CModeInfo;
using vexaSDK::DX8::GetFormatName;

const char kNoHardware[] = "(no hardware device)";
const char kNotInReport[] = "(not in the report)";

// The capability table's rows, always all of them, in this order.
enum Capability {
  kHardwareDevice,
  kHardwareVertexProcessing,
  kVertexShader11,
  kPixelShader11,
  kPixelShader14,
  kCubeTextures,
  kDxt1,
  kDxt3,
  kDxt5,
  kDepth24,
  kMultiSampling,
  kMode32,
  kMode1024x768x32,
  kDisplayMemory64,
  kWhql,
  kCapabilityCount
};

const char* const kCapabilityNames[kCapabilityCount] = {
    "Hardware device",
    "Hardware transform and lighting",
    "Vertex shader 1.1 or later",
    "Pixel shader 1.1 or later",
    "Pixel shader 1.4 or later",
    "Cube textures",
    "DXT1 textures",
    "DXT3 textures",
    "DXT5 textures",
    "24-bit depth buffer",
    "Multisampling",
    "32-bit display mode",
    "1024 x 768 at 32 bits",
    "64 MB display memory or more",
    "WHQL-signed driver",
};

const char* const kCategoryTitles[kFleetCategoryCount] = {
    "Capabilities",
    "Requirements",
    "Left out by",
    "Vertex shader version",
    "Pixel shader version",
    "Texture formats",
    "Depth-stencil formats",
    "Multisample types",
    "Maximum texture size",
    "Display memory",
    "Display modes",
    "Adapters",
    "Drivers",
    "Windows versions",
};

struct Record {
  const CModeInfo* info;
  const ModeInfoLines* lines;
};

const Record* Find(const std::vector<Record>& records, bool windowed) {
  for (const Record& record : records) {
    if (record.info->DeviceType() == D3DDEVTYPE_HAL && (record.info->Windowed() != FALSE) == windowed)
      return &record;
  }
  return nullptr;
}

bool HasModes(const Record* record) { return record != nullptr && !record->info->DisplayModes().empty(); }

bool ReadWhole(const Record* record, ModeInfoBlock block) {
  return record != nullptr && record->lines->ReadWhole(block);
}

bool HasFlag(const D3DCAPS8& caps, const char* field, const char* name) {
  using namespace vexaSDK::DX8;
  for (const CapsField& f : kCapsFields) {
    if (f.kind != CapsFieldKind::kFlags || std::strcmp(f.label, field) != 0) continue;
    for (std::size_t i = 0; i < f.count; ++i) {
      if (std::strcmp(f.table[i].name, name) == 0)
        return (ReadCapsDword(caps, f.offset) & f.table[i].flag) == f.table[i].flag;
    }
  }
  return false;
}

// Bits per pixel of a display format; 0 for one no display uses.
unsigned FormatBits(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 32;
    case D3DFMT_R8G8B8:
      return 24;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8R3G3B2:
      return 16;
    case D3DFMT_R3G3B2:
    case D3DFMT_P8:
      return 8;
    default:
      return 0;
  }
}

// "64.0 MB", "1024 MB", "2.0 GB" in megabytes; none when it is no size.
std::optional<double> Megabytes(const std::string& text) {
  std::size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  std::size_t end = at;
  while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '.'))
    ++end;
  if (end == at || end - at > 12) return std::nullopt;
  double value = std::strtod(text.substr(at, end - at).c_str(), nullptr);
  while (end < text.size() && text[end] == ' ') ++end;
  const std::string unit = text.substr(end, 2);
  if (unit == "GB")
    value *= 1024;
  else if (unit != "MB")
    return std::nullopt;
  return value;
}

std::string MemoryClass(double megabytes) {
  if (megabytes < 32) return "under 32 MB";
  for (double size = 32; size <= 256; size *= 2) {
    if (megabytes < size * 2)
      return std::to_string(static_cast<int>(size)) + " MB to " + std::to_string(static_cast<int>(size * 2)) +
             " MB";
  }
  return "512 MB or more";
}

// "Windows XP Professional (5.1, Build 2600)" to the name before its numbers.
std::string WindowsName(const std::string& text) {
  std::string name = text.substr(0, text.find('('));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name.empty() ? text : name;
}

std::string Entry(const EnvReport& report, const char* label) {
  const DiagLine* line = report.FindEntry(label);
  return line != nullptr ? line->value : std::string();
}

class FactList {
 public:
  explicit FactList(ReportFacts& facts) : facts_(facts) {}
  void Add(FleetCategory category, std::string value) {
    facts_.facts.push_back({category, std::move(value)});
  }
  // A capability the report shows (true), lacks (false) or cannot tell.
  void Capability(Capability which, std::optional<bool> known) {
    if (known == true) Add(kCapabilityCategory, kCapabilityNames[which]);
    if (!known) facts_.notRead.push_back({kCapabilityCategory, kCapabilityNames[which]});
  }

 private:
  ReportFacts& facts_;
};

std::optional<bool> Known(bool found, bool readWhole) {
  if (found) return true;
  if (readWhole) return false;
  return std::nullopt;
}

void HardwareFacts(const EnvReport& report, FactList& list) {
  std::vector<Record> records;
  const auto& infos = report.devices->ModeInfos();
  for (std::size_t r = 0; r < infos.size(); ++r) {
    if (infos[r].Adapter() == 0) records.push_back({&infos[r], &report.modeInfoLines[r]});
  }
  const Record* full = Find(records, false);
  const Record* window = Find(records, true);
  std::optional<bool> hardware;
  if (HasModes(full) || HasModes(window))
    hardware = true;
  else if (ReadWhole(full, kDisplayModeBlock) && ReadWhole(window, kDisplayModeBlock))
    hardware = false;
  list.Capability(kHardwareDevice, hardware);
  const Record* record = hardware == false ? nullptr : HasModes(full) || window == nullptr ? full : window;

  const bool capsRead = ReadWhole(record, kCapsBlock);
  const D3DCAPS8* caps = record != nullptr ? &record->info->Caps() : nullptr;
  const auto fromCaps = [&](auto test) {
    return hardware == false ? std::optional<bool>(false)
           : capsRead        ? std::optional<bool>(test(*caps))
                             : std::nullopt;
  };
  const DWORD vertex = caps ? caps->VertexShaderVersion & 0xFFFF : 0,
              pixel = caps ? caps->PixelShaderVersion & 0xFFFF : 0;
  list.Capability(kHardwareVertexProcessing, fromCaps([](const D3DCAPS8& c) {
                    return HasFlag(c, "DevCaps", "D3DDEVCAPS_HWTRANSFORMANDLIGHT");
                  }));
  list.Capability(kVertexShader11, fromCaps([&](const D3DCAPS8&) { return vertex >= 0x101; }));
  list.Capability(kPixelShader11, fromCaps([&](const D3DCAPS8&) { return pixel >= 0x101; }));
  list.Capability(kPixelShader14, fromCaps([&](const D3DCAPS8&) { return pixel >= 0x104; }));
  list.Capability(kCubeTextures, fromCaps([](const D3DCAPS8& c) {
                    return HasFlag(c, "TextureCaps", "D3DPTEXTURECAPS_CUBEMAP");
                  }));
  const auto text = [&](FleetCategory category, bool read, const std::string& value) {
    list.Add(category, hardware == false ? kNoHardware : read ? value : kNotRead);
  };
  text(kVertexShaderCategory, capsRead,
       caps ? vexaSDK::DX8::FormatShaderVersion(caps->VertexShaderVersion) : "");
  text(kPixelShaderCategory, capsRead,
       caps ? vexaSDK::DX8::FormatShaderVersion(caps->PixelShaderVersion) : "");
  text(kMaxTextureCategory, capsRead,
       caps ? std::to_string(caps->MaxTextureWidth) + " x " + std::to_string(caps->MaxTextureHeight) : "");

  // A table read only in part still shows what it holds; what it lacks is unknown.
  const auto table = [&](FleetCategory category, ModeInfoBlock block, const std::set<std::string>& names) {
    const bool read = ReadWhole(record, block);
    if (hardware != false && !read) list.Add(category, kNotRead);
    for (const std::string& name : names) list.Add(category, name);
    return hardware == false || read;
  };
  std::set<std::string> textures, depths, samples, modes;
  bool dxt1 = false, dxt3 = false, dxt5 = false, depth24 = false, multiSampling = false, mode32 = false,
       mode1024 = false;
  if (record != nullptr) {
    for (const auto& entry : record->info->Formats(vexaSDK::DX8::kTextureFormats)) {
      for (const D3DFORMAT format : entry.second) {
        textures.insert(GetFormatName(format));
        dxt1 = dxt1 || format == D3DFMT_DXT1;
        dxt3 = dxt3 || format == D3DFMT_DXT3;
        dxt5 = dxt5 || format == D3DFMT_DXT5;
      }
    }
    for (const auto& entry : record->info->DepthStencils()) {
      for (const D3DFORMAT format : entry.second) {
        depths.insert(GetFormatName(format));
        depth24 = depth24 || format == D3DFMT_D24S8 || format == D3DFMT_D24X8 || format == D3DFMT_D24X4S4;
      }
    }
    for (const auto& entry : record->info->MultiSamples()) {
      for (const D3DMULTISAMPLE_TYPE type : entry.second) {
        samples.insert(vexaSDK::DX8::GetMultiSampleName(type));
        multiSampling = multiSampling || type != D3DMULTISAMPLE_NONE;
      }
    }
    for (const auto& mode : record->info->DisplayModes()) {
      const unsigned bits = FormatBits(mode.Format);
      modes.insert(std::to_string(mode.Width) + " x " + std::to_string(mode.Height) +
                   (bits != 0 ? " at " + std::to_string(bits) + " bits"
                              : std::string(" ") + GetFormatName(mode.Format)));
      mode32 = mode32 || bits == 32;
      mode1024 = mode1024 || (bits == 32 && mode.Width == 1024 && mode.Height == 768);
    }
  }
  const bool texturesRead =
      table(kTextureFormatCategory,
            static_cast<ModeInfoBlock>(kFirstFormatBlock + vexaSDK::DX8::kTextureFormats), textures);
  list.Capability(kDxt1, Known(dxt1, texturesRead));
  list.Capability(kDxt3, Known(dxt3, texturesRead));
  list.Capability(kDxt5, Known(dxt5, texturesRead));
  list.Capability(kDepth24, Known(depth24, table(kDepthStencilCategory, kDepthStencilBlock, depths)));
  list.Capability(kMultiSampling,
                  Known(multiSampling, table(kMultiSampleCategory, kMultiSampleBlock, samples)));
  const bool modesRead = table(kDisplayModeCategory, kDisplayModeBlock, modes);
  list.Capability(kMode32, Known(mode32, modesRead));
  list.Capability(kMode1024x768x32, Known(mode1024, modesRead));
}

}  // namespace

const char* FleetCategoryTitle(FleetCategory category) { return kCategoryTitles[category]; }

std::optional<std::int64_t> ReportTime(const std::string& text) {
  static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
  std::vector<std::int64_t> numbers;
  int month = 0;
  bool pm = false, am = false;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (std::isdigit(c)) {
      std::int64_t number = 0;
      std::size_t digits = 0;
      for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, ++digits) {
        if (digits < 9) number = number * 10 + (text[i] - '0');
      }
      if (digits > 4) return std::nullopt;
      numbers.push_back(number);
    } else if (std::isalpha(c)) {
      std::string word;
      for (; i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])); ++i) {
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
      }
      for (int m = 0; m < 12 && month == 0 && word.size() >= 3; ++m) {
        if (word.compare(0, 3, kMonths[m]) == 0) month = m + 1;
      }
      pm = pm || word == "pm";
      am = am || word == "am";
    } else {
      ++i;
    }
  }
  std::int64_t year, mon, day, hour, minute, second;
  if (month != 0 && numbers.size() >= 5) {
    std::tie(mon, day, year, hour, minute, second) =
        std::make_tuple(month, numbers[0], numbers[1], numbers[2], numbers[3], numbers[4]);
  } else if (month == 0 && numbers.size() >= 6 && numbers[0] > 31) {
    std::tie(year, mon, day) = std::make_tuple(numbers[0], numbers[1], numbers[2]);
    std::tie(hour, minute, second) = std::make_tuple(numbers[3], numbers[4], numbers[5]);
  } else if (month == 0 && numbers.size() >= 6) {
    std::tie(mon, day, year) = std::make_tuple(numbers[0], numbers[1], numbers[2]);
    std::tie(hour, minute, second) = std::make_tuple(numbers[3], numbers[4], numbers[5]);
  } else {
    return std::nullopt;
  }
  if (pm && hour >= 1 && hour < 12) hour += 12;
  if (am && hour == 12) hour = 0;
  if (mon < 1 || mon > 12 || day < 1 || day > 31 || year < 1900 || hour > 23 || minute > 59 || second > 60) {
    return std::nullopt;
  }
  return ((((year * 12 + mon - 1) * 31 + day - 1) * 24 + hour) * 60 + minute) * 60 + second;
}

std::vector<std::string> VerdictRows() {
  return {"meets the minimum", "meets the recommended", "below the minimum", "cannot tell"};
}

std::string LeftOutRow(const Requirement& requirement) {
  return std::string(LevelText(requirement.level)) + ": " + requirement.text;
}

ReportFacts FactsOf(const EnvReport& report, const Requirements* requirements) {
  ReportFacts facts;
  FactList list(facts);
  if (requirements != nullptr) {
    const Evaluation evaluation = Evaluate(report, *requirements);
    const std::vector<std::string> verdicts = VerdictRows();
    switch (evaluation.verdict) {
      case Verdict::kMeetsRecommended:
        list.Add(kRequirementCategory, verdicts[1]);
        list.Add(kRequirementCategory, verdicts[0]);
        break;
      case Verdict::kMeetsMinimum:
        list.Add(kRequirementCategory, verdicts[0]);
        break;
      case Verdict::kBelowMinimum:
        list.Add(kRequirementCategory, verdicts[2]);
        break;
      case Verdict::kCannotTell:
        list.Add(kRequirementCategory, verdicts[3]);
        break;
    }
    for (std::size_t i = 0; i < evaluation.results.size() && i < requirements->requirements.size(); ++i) {
      const Fact fact{kLeftOutCategory, LeftOutRow(requirements->requirements[i])};
      if (evaluation.results[i].outcome == Outcome::kFailed) facts.facts.push_back(fact);
      if (evaluation.results[i].outcome == Outcome::kUnknown) facts.notRead.push_back(fact);
    }
  }
  const std::string machine = Entry(report, "Machine name");
  const auto& ids = report.devices->Identifiers();
  const bool adapter = !ids.empty();
  const AdapterLines* at = adapter ? &report.adapterLines[0] : nullptr;
  const std::string guid =
      adapter && at->Read(kDeviceIdentifierField) ? GuidText(ids[0].DeviceIdentifier) : "";
  if (!guid.empty() || !machine.empty()) facts.identity = guid + "\n" + machine;
  if (const DiagLine* time = report.FindEntry("Time of this report")) facts.time = ReportTime(time->value);

  const std::string windows = Entry(report, "Operating System");
  list.Add(kWindowsCategory, windows.empty() ? kNotInReport : WindowsName(windows));
  std::string memory = Entry(report, "Display Memory");
  if (memory.empty()) memory = Entry(report, "Approx. Total Memory");
  const std::optional<double> megabytes = Megabytes(memory);
  list.Add(kDisplayMemoryCategory, megabytes ? MemoryClass(*megabytes) : kNotInReport);
  list.Capability(kDisplayMemory64, megabytes ? std::optional<bool>(*megabytes >= 64) : std::nullopt);

  if (!adapter) {
    // A report read whole without an adapter shows a machine without any;
    // one cut short may have lost them.
    list.Add(kAdapterCategory, "(no adapter)");
    for (int which = 0; which < kCapabilityCount; ++which) {
      if (which == kDisplayMemory64) continue;
      list.Capability(static_cast<Capability>(which),
                      report.Whole() ? std::optional<bool>(false) : std::nullopt);
    }
    return facts;
  }
  const D3DADAPTER_IDENTIFIER8& id = ids[0];
  list.Add(kAdapterCategory,
           at->Read(kDeviceField) ? IdentifierText(report, id.Description, sizeof id.Description) : kNotRead);
  list.Add(kDriverCategory, at->Read(kDriverField) && at->Read(kVersionField)
                                ? IdentifierText(report, id.Driver, sizeof id.Driver) + " " +
                                      DriverVersionText(id.DriverVersion)
                                : kNotRead);
  list.Capability(kWhql, at->Read(kWHQLLevelField) ? std::optional<bool>(id.WHQLLevel != 0) : std::nullopt);
  HardwareFacts(report, list);
  return facts;
}

std::uint32_t Fleet::Intern(const Fact& fact) {
  std::string key(1, static_cast<char>(fact.category));
  key += fact.value;
  const auto found = ids_.emplace(std::move(key), static_cast<std::uint32_t>(names_.size()));
  if (found.second) names_.push_back(fact);
  return found.first->second;
}

std::vector<std::uint32_t> Fleet::Ids(const std::vector<Fact>& facts) {
  std::vector<std::uint32_t> ids;
  ids.reserve(facts.size());
  for (const Fact& fact : facts) ids.push_back(Intern(fact));
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  ids.shrink_to_fit();
  return ids;
}

void Fleet::Add(const ReportFacts& report) {
  ++reports_;
  Machine machine{report.time, Ids(report.facts), Ids(report.notRead)};
  if (report.identity.empty()) {
    anonymous_.push_back(std::move(machine));
    return;
  }
  const auto found = machines_.try_emplace(report.identity);
  Machine& kept = found.first->second;
  if (found.second || !kept.time || !machine.time || *machine.time >= *kept.time) kept = std::move(machine);
}

Fleet::Fleet() {
  FixRows(kCapabilityCategory,
          std::vector<std::string>(std::begin(kCapabilityNames), std::end(kCapabilityNames)));
}

FleetResult Fleet::Result() const {
  std::vector<std::size_t> has(names_.size()), unknown(names_.size());
  const auto count = [&](const Machine& machine) {
    for (const std::uint32_t id : machine.facts) ++has[id];
    for (const std::uint32_t id : machine.notRead) ++unknown[id];
  };
  for (const auto& entry : machines_) count(entry.second);
  for (const Machine& machine : anonymous_) count(machine);

  FleetResult result;
  result.reports = reports_;
  result.unreadable = unreadable_;
  result.machines = machines_.size() + anonymous_.size();
  std::vector<FleetTable> tables(kFleetCategoryCount);
  for (int c = 0; c < kFleetCategoryCount; ++c) tables[c].category = static_cast<FleetCategory>(c);
  for (std::size_t id = 0; id < names_.size(); ++id) {
    if (has[id] != 0 || unknown[id] != 0)
      tables[names_[id].category].rows.push_back({names_[id].value, has[id], unknown[id]});
  }
  for (FleetTable& table : tables) {
    const std::vector<std::string>& fixed = fixed_[table.category];
    if (!fixed.empty()) {
      std::vector<FleetRow> rows;
      for (const std::string& name : fixed) {
        const auto it = std::find_if(table.rows.begin(), table.rows.end(),
                                     [&](const FleetRow& row) { return row.value == name; });
        rows.push_back(it != table.rows.end() ? *it : FleetRow{name, 0, 0});
      }
      if (result.machines != 0) table.rows = std::move(rows);
    } else {
      std::sort(table.rows.begin(), table.rows.end(), [](const FleetRow& a, const FleetRow& b) {
        return a.machines != b.machines ? a.machines > b.machines : a.value < b.value;
      });
    }
    if (!table.rows.empty()) result.tables.push_back(std::move(table));
  }
  return result;
}

namespace {

std::string Share(std::size_t part, std::size_t whole) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f",
                whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole));
  return text;
}

bool Capped(FleetCategory category) {
  return category == kAdapterCategory || category == kDriverCategory || category == kWindowsCategory ||
         category == kDisplayModeCategory;
}

bool HasNotRead(FleetCategory category) {
  return category == kCapabilityCategory || category == kLeftOutCategory;
}

// Report text on a terminal: no control character gets to move the cursor.
std::string Heading(const FleetResult& result) {
  std::string text = std::to_string(result.machines) + (result.machines == 1 ? " machine" : " machines") +
                     " from " + std::to_string(result.reports) +
                     (result.reports == 1 ? " report" : " reports");
  if (result.unreadable != 0) text += ", " + std::to_string(result.unreadable) + " not readable";
  return text;
}

}  // namespace

std::string FleetToText(const FleetResult& result, std::size_t leading) {
  std::string out = "Fleet: " + Heading(result) + "\n" + kFleetIdentity + "\n";
  for (const FleetTable& table : result.tables) {
    out += "\n" + std::string(FleetCategoryTitle(table.category)) + "\n";
    std::size_t shown = 0;
    for (const FleetRow& row : table.rows) {
      if (leading != 0 && Capped(table.category) && shown == leading) {
        out += "  and " + std::to_string(table.rows.size() - shown) +
               " more (--csv and --json list every one)\n";
        break;
      }
      ++shown;
      char figures[48];
      std::snprintf(figures, sizeof figures, "%8zu %6s%%  ", row.machines,
                    Share(row.machines, result.machines).c_str());
      out += figures + TerminalText(row.value);
      if (row.notRead != 0) out += " (" + std::to_string(row.notRead) + " not read)";
      out += "\n";
    }
  }
  return out;
}

std::string FleetToJson(const FleetResult& result) {
  using json = nlohmann::ordered_json;
  json tables = json::array();
  for (const FleetTable& table : result.tables) {
    json rows = json::array();
    for (const FleetRow& row : table.rows) {
      json item = {{"value", row.value},
                   {"machines", row.machines},
                   {"share", std::stod(Share(row.machines, result.machines))}};
      if (HasNotRead(table.category)) item["notRead"] = row.notRead;
      rows.push_back(std::move(item));
    }
    tables.push_back({{"title", FleetCategoryTitle(table.category)}, {"rows", std::move(rows)}});
  }
  const json object = {{"reports", result.reports},
                       {"unreadable", result.unreadable},
                       {"machines", result.machines},
                       {"identity", kFleetIdentity},
                       {"tables", std::move(tables)}};
  return object.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

std::string CsvCell(const std::string& text) {
  std::string cell = text;
  if (!cell.empty() && std::strchr("=+-@\t\r", cell[0]) != nullptr) cell.insert(0, 1, '\'');
  if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
  std::string quoted = "\"";
  for (const char c : cell) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string FleetToCsv(const FleetResult& result) {
  std::string out = "table,value,machines,share,not read\r\n";
  for (const FleetTable& table : result.tables) {
    for (const FleetRow& row : table.rows) {
      out += CsvCell(FleetCategoryTitle(table.category)) + "," + CsvCell(row.value) + "," +
             std::to_string(row.machines) + "," + Share(row.machines, result.machines) + "," +
             (HasNotRead(table.category) ? std::to_string(row.notRead) : std::string()) + "\r\n";
    }
  }
  return out;
}

}  // namespace vexaEnvReader
