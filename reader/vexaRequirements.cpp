// One report weighed against a game's requirements. A requirement fails only
// where the part of the report that would show it was read whole; what the
// report could not give is unknown, never failed.
#include "reader/vexaRequirements.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/ReadFile.h"
#include "reader/vexaReportSummary.h"
#include "reader/vexaTerminalText.h"
#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"
#include "vexaSDK/dx/dx8_3d/vexaReportGrammar.h"

namespace vexaEnvReader {
namespace {

using vexaSDK::DX8::CModeInfo;
using vexaSDK::DX8::kCapsFieldCount;
using vexaSDK::DX8::kCapsFields;

const char kNotInReport[] = "(not in the report)";

struct WindowsName {
  const char* name;
  unsigned major, minor, build;
};

// Longer names first, so "8.1" is not taken for "8".
const WindowsName kWindowsNames[] = {
    {"Server 2003", 5, 2, 3790}, {"Vista", 6, 0, 6000}, {"2000", 5, 0, 2195}, {"8.1", 6, 3, 9600},
    {"95", 4, 0, 950},           {"98", 4, 10, 1998},   {"Me", 4, 90, 3000},  {"XP", 5, 1, 2600},
    {"10", 10, 0, 10240},        {"11", 10, 0, 22000},  {"7", 6, 1, 7600},    {"8", 6, 2, 9200},
};

std::uint64_t Pack(std::uint64_t major, std::uint64_t minor, std::uint64_t build) {
  return major << 48 | minor << 32 | build;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Up to `most` digits at `pos`; false without one.
bool Number(std::string_view text, std::size_t& pos, std::uint64_t& value, std::size_t most = 9) {
  const std::size_t start = pos;
  value = 0;
  while (pos < text.size() && IsDigit(text[pos]) && pos - start < most)
    value = value * 10 + (text[pos++] - '0');
  return pos > start && (pos == text.size() || !IsDigit(text[pos]));
}

// "5.1" or "5.1.2600", the whole text.
bool NumericVersion(std::string_view text, std::uint64_t& packed) {
  std::size_t pos = 0;
  std::uint64_t major = 0, minor = 0, build = 0;
  if (!Number(text, pos, major, 3) || pos == text.size() || text[pos++] != '.' ||
      !Number(text, pos, minor, 3))
    return false;
  if (pos < text.size() && (text[pos++] != '.' || !Number(text, pos, build))) return false;
  if (pos != text.size() || major > 0xFFFF || minor > 0xFFFF) return false;
  packed = Pack(major, minor, build);
  return true;
}

// The name at the start of `text`, followed by its end or a blank.
const WindowsName* NameAt(std::string_view text) {
  for (const WindowsName& name : kWindowsNames) {
    const std::size_t n = std::strlen(name.name);
    if (text.compare(0, n, name.name) == 0 && (text.size() == n || text[n] == ' ')) return &name;
  }
  return nullptr;
}

// What the report says of Windows: "(5.1, Build 2600)" where dxdiag gives it,
// else the name after "Windows".
bool ReportedWindows(std::string_view text, std::uint64_t& packed) {
  for (std::size_t open = text.find('('); open != std::string_view::npos; open = text.find('(', open + 1)) {
    std::size_t pos = open + 1;
    std::uint64_t major = 0, minor = 0, build = 0;
    if (Number(text, pos, major, 3) && pos < text.size() && text[pos] == '.' &&
        Number(text, ++pos, minor, 3) && text.compare(pos, 8, ", Build ") == 0 &&
        Number(text, pos += 8, build)) {
      packed = Pack(major, minor, build);
      return true;
    }
  }
  if (text.compare(0, 8, "Windows ") != 0) return false;
  const WindowsName* name = NameAt(text.substr(8));
  if (name == nullptr) return false;
  packed = Pack(name->major, name->minor, name->build);
  return true;
}

// Control characters and a long tail of a hostile report kept out of the
// desk's terminal and page.
std::string Shown(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (out.size() >= 120 && (static_cast<unsigned char>(c) & 0xC0) != 0x80) return out + "...";
    out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
  }
  return out;
}

// Leading digits, an optional fraction dropped, then "MB" after optional blanks.
bool Megabytes(std::string_view text, std::uint64_t& mb) {
  std::size_t pos = 0;
  if (!Number(text, pos, mb, 15)) return false;
  if (pos < text.size() && text[pos] == '.') {
    std::uint64_t fraction = 0;
    if (!Number(text, ++pos, fraction)) return false;
  }
  while (pos < text.size() && text[pos] == ' ') ++pos;
  return text.compare(pos, 2, "MB") == 0;
}

// "8/10/2004" (month/day/year, as dxdiag writes it) at the start.
bool DriverDate(std::string_view text, std::uint64_t& date) {
  std::size_t pos = 0;
  std::uint64_t month = 0, day = 0, year = 0;
  if (!Number(text, pos, month, 2) || pos >= text.size() || text[pos] != '/' ||
      !Number(text, ++pos, day, 2) || pos >= text.size() || text[pos] != '/' ||
      !Number(text, ++pos, year, 4)) {
    return false;
  }
  if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1980) return false;
  date = year * 10000 + month * 100 + day;
  return true;
}

// The first entry of the first display device with one of the labels, in order.
const DiagLine* DisplayEntry(const EnvReport& report, std::initializer_list<const char*> labels) {
  for (const DiagSection& section : report.diagnostics) {
    if (section.title != "Display Devices") continue;
    for (const char* label : labels) {
      for (const DiagLine& line : section.lines) {
        if (line.entry && line.label == label) return &line;
      }
    }
    return nullptr;
  }
  return nullptr;
}

class CWeigher {
 public:
  explicit CWeigher(const EnvReport& report) : report_(report) {
    const auto& infos = report.devices->ModeInfos();
    for (std::size_t r = 0; r < infos.size() && r < report.modeInfoLines.size(); ++r) {
      if (infos[r].Adapter() == 0 && infos[r].DeviceType() == D3DDEVTYPE_HAL && !infos[r].Windowed()) {
        info_ = &infos[r];
        lines_ = &report.modeInfoLines[r];
        break;
      }
    }
  }

  RequirementResult Weigh(const Requirement& r) const {
    switch (r.kind) {
      case RequirementKind::kWindows:
        return Diag(report_.FindEntry("Operating System"), r.number, ReportedWindows);
      case RequirementKind::kMemory:
        return Diag(report_.FindEntry("Memory"), r.number, Megabytes);
      case RequirementKind::kDisplayMemory:
        return Diag(DisplayEntry(report_, {"Display Memory", "Dedicated Memory", "Approx. Total Memory"}),
                    r.number, Megabytes);
      case RequirementKind::kDriverDate:
        return Diag(DisplayEntry(report_, {"Driver Date/Size", "Driver Date"}), r.number, DriverDate);
      case RequirementKind::kWhqlLevel:
        return Whql(r.number);
      default:
        break;
    }
    if (info_ == nullptr && report_.devices->Identifiers().empty()) return NoAdapter();
    if (info_ == nullptr) return {Outcome::kUnknown, "(no hardware full-screen record in the report)", 0};
    const CModeInfo& info = *info_;
    const D3DCAPS8& caps = info.Caps();
    const bool capsWhole = lines_->ReadWhole(kCapsBlock);
    switch (r.kind) {
      case RequirementKind::kHardwareDevice: {
        const bool modes = !info.DisplayModes().empty();
        return Judge(modes, lines_->ReadWhole(kDisplayModeBlock), modes ? "yes" : "no display modes",
                     lines_->displayModes);
      }
      case RequirementKind::kVertexShader:
      case RequirementKind::kPixelShader: {
        const bool vertex = r.kind == RequirementKind::kVertexShader;
        const DWORD version = vertex ? caps.VertexShaderVersion : caps.PixelShaderVersion;
        static const std::size_t vertexField = FieldIndex("VertexShaderVersion");
        static const std::size_t pixelField = FieldIndex("PixelShaderVersion");
        return Judge((version & 0xFFFF) >= r.number, capsWhole, vexaSDK::DX8::FormatShaderVersion(version),
                     lines_->capsFields[vertex ? vertexField : pixelField]);
      }
      case RequirementKind::kMaxTextureSize: {
        static const std::size_t widthField = FieldIndex("MaxTextureWidth");
        return Judge(std::min(caps.MaxTextureWidth, caps.MaxTextureHeight) >= r.number, capsWhole,
                     std::to_string(caps.MaxTextureWidth) + " x " + std::to_string(caps.MaxTextureHeight),
                     lines_->capsFields[widthField]);
      }
      case RequirementKind::kCapsFlag: {
        const DWORD word = vexaSDK::DX8::ReadCapsDword(caps, kCapsFields[r.capsField].offset);
        const bool set = (word & r.value) == r.value;
        return Judge(set, capsWhole, set ? "set" : "not set", lines_->capsFields[r.capsField]);
      }
      case RequirementKind::kTextureFormat: {
        bool found = false;
        for (const auto& entry : info.Formats(vexaSDK::DX8::kTextureFormats)) {
          found = found ||
                  std::count(entry.second.begin(), entry.second.end(), static_cast<D3DFORMAT>(r.value)) != 0;
        }
        const auto block = static_cast<ModeInfoBlock>(kFirstFormatBlock + vexaSDK::DX8::kTextureFormats);
        return Judge(found, lines_->ReadWhole(block), found ? "listed" : "not among its texture formats",
                     lines_->formats[vexaSDK::DX8::kTextureFormats]);
      }
      case RequirementKind::kDepthStencilFormat: {
        bool found = false;
        for (const auto& entry : info.DepthStencils()) {
          found = found ||
                  std::count(entry.second.begin(), entry.second.end(), static_cast<D3DFORMAT>(r.value)) != 0;
        }
        return Judge(found, lines_->ReadWhole(kDepthStencilBlock),
                     found ? "listed" : "not among its depth-stencil formats", lines_->depthStencils);
      }
      case RequirementKind::kMultiSampleType: {
        bool found = false;
        for (const auto& entry : info.MultiSamples()) {
          const auto type = static_cast<D3DMULTISAMPLE_TYPE>(r.value);
          found = found || std::count(entry.second.begin(), entry.second.end(), type) != 0;
        }
        return Judge(found, lines_->ReadWhole(kMultiSampleBlock),
                     found ? "listed" : "not among its multisample types", lines_->multiSamples);
      }
      case RequirementKind::kDisplayMode:
        return Mode(r.mode);
      default:
        return {};
    }
  }

 private:
  static std::size_t FieldIndex(const char* label) {
    std::size_t f = 0;
    while (f < kCapsFieldCount && std::strcmp(kCapsFields[f].label, label) != 0) ++f;
    return f;
  }

  // Met on what was read; failed only where the part was read whole.
  static RequirementResult Judge(bool met, bool whole, const std::string& has, std::size_t line) {
    if (met) return {Outcome::kMet, has, line};
    if (whole) return {Outcome::kFailed, has, line};
    return {Outcome::kUnknown, has + " " + kNotRead, line};
  }

  static RequirementResult Diag(const DiagLine* entry, std::uint64_t least,
                                bool (*read)(std::string_view, std::uint64_t&)) {
    if (entry == nullptr) return {Outcome::kUnknown, kNotInReport, 0};
    std::uint64_t value = 0;
    // What a wrap cut may read as a smaller number than the report gave.
    if (entry->cut) return {Outcome::kUnknown, Shown(entry->value) + " (cut by a wrap)", entry->line};
    if (!read(entry->value, value))
      return {Outcome::kUnknown, Shown(entry->value) + " (not understood)", entry->line};
    return {value >= least ? Outcome::kMet : Outcome::kFailed, Shown(entry->value), entry->line};
  }

  // A section read whole without any adapter shows a machine without one, as
  // the summary and the fleet take it; one cut short may have lost them.
  RequirementResult NoAdapter() const {
    return {report_.Whole() ? Outcome::kFailed : Outcome::kUnknown, "(no adapter in the report)",
            report_.deviceInfoLine};
  }

  RequirementResult Whql(std::uint64_t least) const {
    if (report_.devices->Identifiers().empty()) return NoAdapter();
    const AdapterLines& at = report_.adapterLines[0];
    if (!at.Read(kWHQLLevelField)) return {Outcome::kUnknown, kNotRead, at.fields[kWHQLLevelField]};
    const unsigned long level = report_.devices->Identifiers()[0].WHQLLevel;
    return {level >= least ? Outcome::kMet : Outcome::kFailed, std::to_string(level),
            at.fields[kWHQLLevelField]};
  }

  RequirementResult Mode(const ModeRequirement& want) const {
    const vexaSDK::DX8::CDisplayMode* best = nullptr;
    for (const auto& mode : info_->DisplayModes()) {
      if (mode.Width != want.width || mode.Height != want.height) continue;
      if (want.format != 0 && static_cast<unsigned long>(mode.Format) != want.format) continue;
      if (best == nullptr || mode.RefreshRate > best->RefreshRate) best = &mode;
    }
    const bool met = best != nullptr && (want.refresh == 0 || best->RefreshRate >= want.refresh);
    std::string has = "no such mode among " + std::to_string(info_->DisplayModes().size());
    if (best != nullptr) {
      has = std::to_string(best->Width) + " x " + std::to_string(best->Height) + " (" +
            vexaSDK::DX8::GetFormatName(best->Format) + ", " + std::to_string(best->RefreshRate) + "Hz)";
    }
    return Judge(met, lines_->ReadWhole(kDisplayModeBlock), has, lines_->displayModes);
  }

  const EnvReport& report_;
  const CModeInfo* info_ = nullptr;
  const ModeInfoLines* lines_ = nullptr;
};

std::uint64_t PackedDriverVersion(const LARGE_INTEGER& version) {
  return static_cast<std::uint64_t>(static_cast<DWORD>(version.HighPart)) << 32 | version.LowPart;
}

}  // namespace

bool PackWindowsVersion(std::string_view text, std::uint64_t& packed) {
  if (text.compare(0, 8, "Windows ") == 0) text.remove_prefix(8);
  if (NumericVersion(text, packed)) return true;
  const WindowsName* name = NameAt(text);
  if (name == nullptr || std::strlen(name->name) != text.size()) return false;
  packed = Pack(name->major, name->minor, name->build);
  return true;
}

Evaluation Evaluate(const EnvReport& report, const Requirements& requirements) {
  Evaluation evaluation;
  const CWeigher weigher(report);
  bool minimumFailed = false, minimumUnknown = false, recommendedAll = true;
  for (const Requirement& r : requirements.requirements) {
    evaluation.results.push_back(weigher.Weigh(r));
    const Outcome outcome = evaluation.results.back().outcome;
    if (r.level == RequirementLevel::kMinimum) {
      minimumFailed = minimumFailed || outcome == Outcome::kFailed;
      minimumUnknown = minimumUnknown || outcome == Outcome::kUnknown;
    } else {
      recommendedAll = recommendedAll && outcome == Outcome::kMet;
    }
  }
  evaluation.verdict = minimumFailed    ? Verdict::kBelowMinimum
                       : minimumUnknown ? Verdict::kCannotTell
                       : recommendedAll ? Verdict::kMeetsRecommended
                                        : Verdict::kMeetsMinimum;

  const auto& ids = report.devices->Identifiers();
  for (std::size_t a = 0; a < ids.size() && a < report.adapterLines.size(); ++a) {
    const AdapterLines& at = report.adapterLines[a];
    if (!at.Read(kVendorIdField) || !at.Read(kVersionField)) continue;
    const std::uint64_t version = PackedDriverVersion(ids[a].DriverVersion);
    for (std::size_t b = 0; b < requirements.badDrivers.size(); ++b) {
      const BadDriver& bad = requirements.badDrivers[b];
      if (ids[a].VendorId != bad.vendorId || version < bad.fromVersion || version > bad.toVersion) continue;
      if (!bad.anyDevice && (!at.Read(kDeviceIdField) || ids[a].DeviceId != bad.deviceId)) continue;
      const std::string has = Shown(IdentifierText(report, ids[a].Driver, sizeof ids[a].Driver)) + " " +
                              DriverVersionText(ids[a].DriverVersion) + " (" + Hex4(ids[a].VendorId) + ", " +
                              Hex4(ids[a].DeviceId) + ")";
      evaluation.badDrivers.push_back({b, a, has, at.fields[kVersionField]});
    }
  }
  return evaluation;
}

const char* VerdictText(Verdict verdict) {
  switch (verdict) {
    case Verdict::kMeetsRecommended:
      return "meets recommended";
    case Verdict::kMeetsMinimum:
      return "meets minimum";
    case Verdict::kBelowMinimum:
      return "below minimum";
    case Verdict::kCannotTell:
      break;
  }
  return "cannot tell";
}

const char* OutcomeText(Outcome outcome) {
  return outcome == Outcome::kMet ? "met" : outcome == Outcome::kFailed ? "failed" : "unknown";
}

const char* LevelText(RequirementLevel level) {
  return level == RequirementLevel::kMinimum ? "minimum" : "recommended";
}

std::string FormatEvaluation(const Requirements& requirements, const Evaluation& evaluation) {
  std::size_t met = 0;
  for (const RequirementResult& result : evaluation.results) met += result.outcome == Outcome::kMet;
  std::string out = "Requirements: " + std::string(VerdictText(evaluation.verdict)) + " (" +
                    std::to_string(met) + " of " + std::to_string(evaluation.results.size()) + " met)\n";
  for (std::size_t i = 0; i < evaluation.results.size(); ++i) {
    const RequirementResult& result = evaluation.results[i];
    if (result.outcome == Outcome::kMet) continue;
    const Requirement& r = requirements.requirements[i];
    out += "  " + std::string(OutcomeText(result.outcome)) + " " + LevelText(r.level) + " " + r.text + ": " +
           TerminalText(result.has) +
           (result.line != 0 ? " (line " + std::to_string(result.line) + ")" : "") + "\n";
  }
  for (const BadDriverMatch& match : evaluation.badDrivers) {
    out += "  known bad driver on adapter " + std::to_string(match.adapter + 1) + ": " +
           TerminalText(match.has) + " (line " + std::to_string(match.line) +
           "): " + TerminalText(Shown(requirements.badDrivers[match.badDriver].message)) + "\n";
  }
  return out;
}

bool ReadRequirementsFile(const std::string& path, Requirements& out, RequirementsError& error) {
  // Read no further than the parser takes, so that /dev/zero or a FIFO
  // nobody writes to ends the read.
  const std::size_t limit = std::size_t(1) << 20;
  std::string bytes;
  const platform::ReadResult read = platform::ReadFileLimited(path.c_str(), limit, bytes);
  if (read != platform::ReadResult::kRead) {
    out = Requirements();
    error = {0, 0,
             read == platform::ReadResult::kTooLarge ? "larger than 1 MB: no requirements file"
                                                     : "cannot be read"};
    return false;
  }
  return ParseRequirements(bytes, out, error);
}

std::string FormatRequirementsError(const std::string& path, const RequirementsError& error) {
  std::string out = path + ":";
  if (error.line != 0) out += std::to_string(error.line) + ":" + std::to_string(error.column) + ":";
  return out + " " + error.message;
}

}  // namespace vexaEnvReader
