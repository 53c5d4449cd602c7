#include "reader/vexaReportSummary.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <tuple>

#include "reader/vexaDisplayDevices.h"
#include "reader/vexaTerminalText.h"
#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"

namespace vexaEnvReader {
namespace {

using vexaSDK::DX8::CModeInfo;
using vexaSDK::DX8::GetFormatName;

// Indexes of the two shader versions in the capability field table.
std::size_t CapsFieldIndex(const char* label) {
  for (std::size_t i = 0; i < vexaSDK::DX8::kCapsFieldCount; ++i) {
    if (std::strcmp(vexaSDK::DX8::kCapsFields[i].label, label) == 0) return i;
  }
  return 0;
}

struct Record {
  const CModeInfo* info;
  const ModeInfoLines* lines;
};

// The adapter's record of one device type and use; null when the report has none.
const Record* Find(const std::vector<Record>& records, D3DDEVTYPE type, bool windowed) {
  for (const Record& record : records) {
    if (record.info->DeviceType() == type && (record.info->Windowed() != FALSE) == windowed) return &record;
  }
  return nullptr;
}

bool HasModes(const Record* record) { return record != nullptr && !record->info->DisplayModes().empty(); }

std::optional<bool> ModesKnown(const Record* record) {
  if (HasModes(record)) return true;
  if (record != nullptr && record->lines->ReadWhole(kDisplayModeBlock)) return false;
  return std::nullopt;
}

bool IsCompressed(D3DFORMAT format) {
  return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
         format == D3DFMT_DXT5;
}

std::string Value(const EnvReport& report, const char* label) {
  const DiagLine* line = report.FindEntry(label);
  if (line == nullptr) return std::string();
  return line->cut ? line->value + " (cut by a wrap)" : line->value;
}

// The identifier block's part of an adapter's summary, with the PCI names of
// the ids that were read.
AdapterSummary IdentifierSummary(const EnvReport& report, std::size_t a, const PciLookup& lookUp) {
  const D3DADAPTER_IDENTIFIER8& id = report.devices->Identifiers()[a];
  const AdapterLines& at = report.adapterLines[a];
  AdapterSummary s;
  s.line = at.block;
  s.name = IdentifierText(report, id.Description, sizeof id.Description);
  s.driver = IdentifierText(report, id.Driver, sizeof id.Driver);
  s.version = DriverVersionText(id.DriverVersion);
  s.vendorId = id.VendorId;
  s.deviceId = id.DeviceId;
  s.whqlLevel = id.WHQLLevel;
  for (int field = 0; field < kIdentifierFieldCount; ++field) {
    if (!at.Read(static_cast<IdentifierField>(field))) s.unread |= 1u << field;
  }
  if (lookUp && s.Read(kVendorIdField)) {
    s.pciNames = lookUp(id.VendorId, id.DeviceId);
    if (!s.Read(kDeviceIdField)) s.pciNames.device.clear();
  }
  return s;
}

// The first problem of the adapter's block or of its records; 0 for none.
std::size_t FirstProblem(const AdapterLines& at, const std::vector<Record>& records) {
  std::size_t problem = at.problem;
  for (const Record& record : records) {
    if (record.lines->problem != 0 && (problem == 0 || record.lines->problem < problem)) {
      problem = record.lines->problem;
    }
  }
  return problem;
}

// A 32-bit display mode in any record; known only when every record's
// display modes were read whole.
std::optional<bool> HasWideMode(const std::vector<Record>& records) {
  bool wide = false;
  for (const Record& record : records) {
    for (const auto& mode : record.info->DisplayModes()) {
      wide = wide || mode.Format == D3DFMT_X8R8G8B8 || mode.Format == D3DFMT_A8R8G8B8;
    }
  }
  if (wide) return true;
  for (const D3DDEVTYPE recordType : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
    for (const bool windowed : {false, true}) {
      const Record* record = Find(records, recordType, windowed);
      if (record == nullptr || !record->lines->ReadWhole(kDisplayModeBlock)) return std::nullopt;
    }
  }
  return false;
}

using NoteSink = std::function<void(std::size_t, const std::string&)>;

// The figures of the hardware record the game would run on, and the notes
// on what it lacks where the part that would show it was read whole.
void HardwareFigures(const Record& primary, AdapterSummary& s, const NoteSink& note) {
  const CModeInfo& info = *primary.info;
  s.figuresFrom = vexaSDK::DX8::GetDevTypeName(D3DDEVTYPE_HAL);
  s.maxTextureWidth = info.Caps().MaxTextureWidth;
  s.maxTextureHeight = info.Caps().MaxTextureHeight;
  s.vertexShader = vexaSDK::DX8::FormatShaderVersion(info.Caps().VertexShaderVersion);
  s.pixelShader = vexaSDK::DX8::FormatShaderVersion(info.Caps().PixelShaderVersion);
  static const std::size_t vertexField = CapsFieldIndex("VertexShaderVersion");
  static const std::size_t pixelField = CapsFieldIndex("PixelShaderVersion");
  const bool capsRead = primary.lines->ReadWhole(kCapsBlock);
  if (capsRead && (info.Caps().VertexShaderVersion & 0xFFFF) < 0x101) {
    note(primary.lines->capsFields[vertexField], "vertex shader version " + s.vertexShader + ", below 1.1");
  }
  if (capsRead && (info.Caps().PixelShaderVersion & 0xFFFF) < 0x101) {
    note(primary.lines->capsFields[pixelField], "pixel shader version " + s.pixelShader + ", below 1.1");
  }

  std::set<std::tuple<UINT, UINT, UINT, D3DFORMAT>> distinct;
  const vexaSDK::DX8::CDisplayMode* largest = nullptr;
  for (const auto& mode : info.DisplayModes()) {
    distinct.insert({mode.Width, mode.Height, mode.RefreshRate, mode.Format});
    const unsigned long long area = 1ull * mode.Width * mode.Height;
    if (largest == nullptr || area > 1ull * largest->Width * largest->Height ||
        (area == 1ull * largest->Width * largest->Height && mode.RefreshRate > largest->RefreshRate)) {
      largest = &mode;
    }
  }
  s.modeCount = distinct.size();
  if (largest != nullptr) {
    s.largestMode = std::to_string(largest->Width) + " x " + std::to_string(largest->Height) + " (" +
                    GetFormatName(largest->Format) + ", " + std::to_string(largest->RefreshRate) + "Hz)";
  }
  std::set<D3DFORMAT> compressed;
  for (const auto& entry : info.Formats(vexaSDK::DX8::kTextureFormats)) {
    for (const D3DFORMAT format : entry.second) {
      if (IsCompressed(format)) compressed.insert(format);
    }
  }
  for (const D3DFORMAT format : compressed) s.compressedFormats.push_back(GetFormatName(format));
  const auto textureBlock = static_cast<ModeInfoBlock>(kFirstFormatBlock + vexaSDK::DX8::kTextureFormats);
  if (compressed.empty() && primary.lines->ReadWhole(textureBlock)) {
    note(primary.lines->formats[vexaSDK::DX8::kTextureFormats], "no compressed texture format");
  }
}

void Summarize(const EnvReport& report, std::size_t a, const std::vector<std::size_t>& recordsOfAdapter,
               const PciLookup& lookUp, Summary& summary) {
  const AdapterLines& at = report.adapterLines[a];
  AdapterSummary s = IdentifierSummary(report, a, lookUp);
  std::vector<Record> records;
  const auto& infos = report.devices->ModeInfos();
  for (const std::size_t r : recordsOfAdapter) records.push_back({&infos[r], &report.modeInfoLines[r]});
  const Record* full = Find(records, D3DDEVTYPE_HAL, false);
  const Record* window = Find(records, D3DDEVTYPE_HAL, true);
  s.hardwareFullScreen = ModesKnown(full);
  s.hardwareWindowed = ModesKnown(window);
  const std::string who = "adapter " + std::to_string(a + 1) + ": ";
  const NoteSink note = [&](std::size_t line, const std::string& text) {
    summary.notes.push_back({line, who + text});
  };

  // A note says something is missing only where the part that would show it
  // was read whole; the others are left out, and the adapter says so once.
  if (const std::size_t problem = FirstProblem(at, records)) {
    note(problem, "not read whole; notes on the parts not read are left out");
  }
  if (s.Read(kWHQLLevelField) && s.whqlLevel == 0) {
    note(at.fields[kWHQLLevelField], "the driver has no WHQL level");
  }
  // The reference rasteriser is software no player runs a game on: nothing
  // is derived from its records.
  if (s.hardwareFullScreen == false && s.hardwareWindowed == false) {
    note(full->lines->header, "no hardware device");
  } else if (const Record* primary = HasModes(full) || window == nullptr ? full : window) {
    if (HasWideMode(records) == false) note(primary->lines->displayModes, "no 32-bit display mode");
    HardwareFigures(*primary, s, note);
  }
  summary.adapters.push_back(s);
}

std::string OrMissing(const std::string& value) { return value.empty() ? "(not in the report)" : value; }

// The device the game cannot use is named, and the one it runs on.
void DisplayDeviceNotes(Summary& summary) {
  for (const DisplayDevice& device : summary.displayDevices) {
    if (device.adapter) continue;
    std::string text = "display device \"" + device.name + "\" has no Direct3D 8 adapter";
    if (!summary.adapters.empty() && summary.adapters[0].Read(kDeviceField)) {
      text += ": the game runs on \"" + summary.adapters[0].name + "\"";
    }
    summary.notes.push_back({device.line, text});
  }
}

}  // namespace

const char kNoHardwareHeadline[] =
    "no hardware Direct3D device: the display driver is missing or not working";
const char kNotRead[] = "(not read)";

std::string EncodingText(const EnvReport& report) {
  return EncodingName(report.encoding, report.codePage) + (report.encodingGiven ? " (given)" : " (detected)");
}

std::string RepairText(unsigned repairs) {
  std::string text;
  for (const std::string& name : MailRepairNames(repairs)) text += (text.empty() ? "" : ", ") + name;
  return text;
}

std::string HardwareText(const AdapterSummary& adapter) {
  const auto text = [](const std::optional<bool>& known) {
    return !known ? "(not read)" : *known ? "yes" : "no";
  };
  return std::string("full screen ") + text(adapter.hardwareFullScreen) + ", windowed " +
         text(adapter.hardwareWindowed);
}

std::string Hex4(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04lX", value);
  return text;
}

std::string GuidText(const GUID& g) {
  char text[40];
  std::snprintf(text, sizeof text, "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

std::string CapsValueText(const vexaSDK::DX8::CapsField& field, const D3DCAPS8& caps) {
  using vexaSDK::DX8::CapsFieldKind;
  const DWORD value = vexaSDK::DX8::ReadCapsDword(caps, field.offset);
  char text[32];
  switch (field.kind) {
    case CapsFieldKind::kDevType:
      return vexaSDK::DX8::GetDevTypeName(static_cast<D3DDEVTYPE>(value));
    case CapsFieldKind::kFloat:
      std::snprintf(text, sizeof text, "%g", vexaSDK::DX8::ReadCapsFloat(caps, field.offset));
      return text;
    case CapsFieldKind::kShaderVersion:
      return vexaSDK::DX8::FormatShaderVersion(value);
    case CapsFieldKind::kDecimal:
    case CapsFieldKind::kFlags:
      break;
  }
  return std::to_string(value);
}

std::string DriverVersionText(const LARGE_INTEGER& version) {
  const unsigned long high = static_cast<DWORD>(version.HighPart), low = version.LowPart;
  char text[48];
  std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF);
  return text;
}

Summary Summarize(const EnvReport& report, const PciLookup& lookUp) {
  Summary summary;
  summary.time = Value(report, "Time of this report");
  summary.operatingSystem = Value(report, "Operating System");
  summary.processor = Value(report, "Processor");
  summary.memory = Value(report, "Memory");
  summary.directX = Value(report, "DirectX Version");
  const auto records = RecordsByAdapter(report);
  for (std::size_t a = 0; a < records.size(); ++a) Summarize(report, a, records[a], lookUp, summary);
  summary.displayDevices = ReadDisplayDevices(report, summary.adapters);
  DisplayDeviceNotes(summary);
  // Said only where the report shows it: a section read whole without any
  // adapter, or adapters whose hardware records were read and are empty.
  bool noHardware = report.deviceInfoLine != 0 && (report.Whole() || !summary.adapters.empty());
  for (const AdapterSummary& s : summary.adapters) {
    noHardware = noHardware && s.hardwareFullScreen == false && s.hardwareWindowed == false;
  }
  if (noHardware) summary.headline = kNoHardwareHeadline;
  std::stable_sort(summary.notes.begin(), summary.notes.end(),
                   [](const Note& x, const Note& y) { return x.line < y.line; });
  return summary;
}

std::string FormatSummary(const std::string& name, const EnvReport& report, const Summary& summary) {
  // Every text of the report or the file name reaches the terminal escaped.
  std::string out = TerminalText(name) + "\n";
  if (!summary.headline.empty()) out += "  " + summary.headline + "\n";
  const auto row = [&out](const char* label, const std::string& value) {
    out += "  ";
    out += label;
    out.append(18 - std::strlen(label), ' ');
    out += TerminalText(value) + "\n";
  };
  row("Report time:", OrMissing(summary.time));
  row("Operating system:", OrMissing(summary.operatingSystem));
  row("Processor:", OrMissing(summary.processor));
  row("Memory:", OrMissing(summary.memory));
  row("DirectX:", OrMissing(summary.directX));
  row("Encoding:", EncodingText(report));
  for (std::size_t d = 0; d < summary.displayDevices.size(); ++d) {
    const DisplayDevice& device = summary.displayDevices[d];
    out += "\nDisplay device " + std::to_string(d + 1) + ": " + TerminalText(device.name) + "\n";
    const auto optionalRow = [&row](const char* label, const std::string& value) {
      if (!value.empty()) row(label, TerminalText(value));
    };
    optionalRow("Manufacturer:", device.manufacturer);
    optionalRow("Chip type:", device.chipType);
    optionalRow("Memory:",
                device.displayMemory +
                    (device.dedicatedMemory.empty() ? "" : ", dedicated " + device.dedicatedMemory));
    optionalRow("Current mode:", device.currentMode);
    optionalRow("Driver version:", device.driverVersion);
    row("Direct3D 8:", device.adapter ? "adapter " + std::to_string(*device.adapter + 1) : "no adapter");
  }
  if (summary.adapters.empty()) out += "\nNo adapter in the report.\n";
  for (std::size_t a = 0; a < summary.adapters.size(); ++a) {
    const AdapterSummary& s = summary.adapters[a];
    const auto read = [&s](IdentifierField field, const std::string& value) {
      return s.Read(field) ? TerminalText(value) : std::string(kNotRead);
    };
    out += "\nAdapter " + std::to_string(a + 1) + ": " + read(kDeviceField, s.name) + "\n";
    const std::string driver = read(kDriverField, s.driver);
    row("Driver:", (driver.empty() ? "" : driver + " ") + read(kVersionField, s.version));
    const auto id = [](unsigned long value, const std::string& name) {
      return Hex4(value) + (name.empty() ? "" : " (" + name + ")");
    };
    row("Vendor:", read(kVendorIdField, id(s.vendorId, s.pciNames.vendor)));
    row("Device:", read(kDeviceIdField, id(s.deviceId, s.pciNames.device)));
    row("WHQL level:", read(kWHQLLevelField, std::to_string(s.whqlLevel)));
    row("Hardware device:", HardwareText(s));
    if (s.figuresFrom.empty()) {
      row("Figures:", s.hardwareFullScreen == false && s.hardwareWindowed == false
                          ? "none (no hardware device)"
                          : "(no hardware record read)");
      continue;
    }
    row("Max texture:", std::to_string(s.maxTextureWidth) + " x " + std::to_string(s.maxTextureHeight));
    row("Shaders:", "vertex " + s.vertexShader + ", pixel " + s.pixelShader);
    row("Display modes:",
        std::to_string(s.modeCount) + (s.largestMode.empty() ? "" : ", the largest " + s.largestMode));
    std::string compressed;
    for (const std::string& format : s.compressedFormats)
      compressed += (compressed.empty() ? "" : " ") + format;
    row("Compressed:", compressed.empty() ? "none" : compressed);
  }
  out += "\nNotes\n";
  if (summary.notes.empty()) out += "  none\n";
  for (const Note& note : summary.notes) {
    out += "  line " + std::to_string(note.line) + ": " + TerminalText(note.text) + "\n";
  }
  if (report.problem) {
    out += "\nRead with problems: line " + std::to_string(report.problem->line) + ": " +
           TerminalText(report.problem->message) + "\n";
  }
  if (report.repairs != 0) out += "\nRepaired in transit: " + RepairText(report.repairs) + "\n";
  return out;
}

}  // namespace vexaEnvReader
