#include "reader/vexaReportJson.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"

namespace vexaEnvReader {
namespace {

using json = nlohmann::ordered_json;
using vexaSDK::DX8::GetFormatName;
using vexaSDK::DX8::internal::CapsFieldKind;
using vexaSDK::DX8::internal::kCapsFields;
using vexaSDK::DX8::internal::ReadCapsDword;
using vexaSDK::DX8::internal::ReadCapsFloat;

const char* EncodingName(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8:
      return "utf-8";
    case Encoding::kUtf8WithBom:
      return "utf-8-bom";
    case Encoding::kUtf16:
      return "utf-16";
    case Encoding::kCp932:
      break;
  }
  return "cp932";
}

json Diagnostics(const EnvReport& report) {
  json sections = json::array();
  for (const DiagSection& section : report.diagnostics) {
    json lines = json::array();
    for (const DiagLine& line : section.lines) {
      if (line.entry) {
        lines.push_back({{"line", line.line}, {"label", line.label}, {"value", line.value}});
      } else {
        lines.push_back({{"line", line.line}, {"text", line.value}});
      }
    }
    sections.push_back({{"line", section.line}, {"title", section.title}, {"lines", std::move(lines)}});
  }
  return sections;
}

json Formats(const std::vector<D3DFORMAT>& formats) {
  json names = json::array();
  for (const D3DFORMAT format : formats) names.push_back(GetFormatName(format));
  return names;
}

// The double of the shortest text that reads back as `value`: the library
// writes a float as the double it widens to, digits no float has.
double ShortestDouble(float value) {
  char text[32];
  for (int digits = 1; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value) break;
  }
  return std::isfinite(value) ? std::strtod(text, nullptr) : static_cast<double>(value);
}

json Caps(const D3DCAPS8& caps) {
  json fields = json::object();
  for (const auto& field : kCapsFields) {
    const DWORD value = ReadCapsDword(caps, field.offset);
    switch (field.kind) {
      case CapsFieldKind::kDevType:
        fields[field.label] = vexaSDK::DX8::GetDevTypeName(static_cast<D3DDEVTYPE>(value));
        break;
      case CapsFieldKind::kDecimal:
        fields[field.label] = value;
        break;
      case CapsFieldKind::kFloat:
        fields[field.label] = ShortestDouble(ReadCapsFloat(caps, field.offset));
        break;
      case CapsFieldKind::kShaderVersion:
        fields[field.label] = vexaSDK::DX8::FormatShaderVersion(value);
        break;
      case CapsFieldKind::kFlags: {
        json names = json::array();
        for (std::size_t i = 0; i < field.count; ++i) {
          if ((value & field.table[i].flag) == field.table[i].flag) names.push_back(field.table[i].name);
        }
        fields[field.label] = std::move(names);
        break;
      }
    }
  }
  return fields;
}

json ModeInfo(const vexaSDK::DX8::CModeInfo& info, const ModeInfoLines& at) {
  json record = {{"line", at.header},
                 {"deviceType", vexaSDK::DX8::GetDevTypeName(info.DeviceType())},
                 {"windowed", info.Windowed() != FALSE}};
  json samples = json::array(), depths = json::array();
  for (const auto& entry : info.MultiSamples()) {
    json types = json::array();
    for (const auto type : entry.second) types.push_back(vexaSDK::DX8::GetMultiSampleName(type));
    samples.push_back({{"displayFormat", GetFormatName(entry.first.DisplayFormat)},
                       {"backBufferFormat", GetFormatName(entry.first.BackBufferFormat)},
                       {"types", std::move(types)}});
  }
  for (const auto& entry : info.DepthStencils()) {
    depths.push_back({{"displayFormat", GetFormatName(entry.first.DisplayFormat)},
                      {"backBufferFormat", GetFormatName(entry.first.BackBufferFormat)},
                      {"formats", Formats(entry.second)}});
  }
  record["multiSampleTypes"] = std::move(samples);
  record["depthStencilFormats"] = std::move(depths);
  json tables = json::object();
  for (int kind = 0; kind < vexaSDK::DX8::kFormatTableCount; ++kind) {
    json entries = json::array();
    for (const auto& entry : info.Formats(static_cast<vexaSDK::DX8::FormatTableKind>(kind))) {
      entries.push_back({{"displayFormat", GetFormatName(entry.first)}, {"formats", Formats(entry.second)}});
    }
    tables[vexaSDK::DX8::kFormatTableInfo[kind].label] = std::move(entries);
  }
  record["formats"] = std::move(tables);
  record["caps"] = Caps(info.Caps());
  json modes = json::array();
  for (const auto& mode : info.DisplayModes()) {
    modes.push_back({{"width", mode.Width},
                     {"height", mode.Height},
                     {"refreshRate", mode.RefreshRate},
                     {"format", GetFormatName(mode.Format)},
                     {"backBufferFormat", GetFormatName(mode.BackBufferFormat)}});
  }
  record["displayModes"] = std::move(modes);
  // Which blocks were not read whole, so that what they lack is not taken
  // for what the machine lacks by whoever reads the line back.
  json notRead = json::array();
  for (int block = 0; block < kModeInfoBlockCount; ++block) {
    if (at.ReadWhole(static_cast<ModeInfoBlock>(block))) continue;
    notRead.push_back(block == kMultiSampleBlock    ? "multiSampleTypes"
                      : block == kDepthStencilBlock ? "depthStencilFormats"
                      : block == kCapsBlock         ? "caps"
                      : block == kDisplayModeBlock
                          ? "displayModes"
                          : vexaSDK::DX8::kFormatTableInfo[block - kFirstFormatBlock].label);
  }
  record["notRead"] = std::move(notRead);
  return record;
}

json Adapters(const EnvReport& report) {
  json adapters = json::array();
  const auto& ids = report.devices->Identifiers();
  const auto& infos = report.devices->ModeInfos();
  for (std::size_t a = 0; a < ids.size(); ++a) {
    const D3DADAPTER_IDENTIFIER8& id = ids[a];
    static const char* const kFieldKeys[kIdentifierFieldCount] = {
        "description", "driver",   "driverVersion",    "vendorId", "deviceId",
        "subSysId",    "revision", "deviceIdentifier", "whqlLevel"};
    json notRead = json::array();
    for (int field = 0; field < kIdentifierFieldCount; ++field) {
      if (!report.adapterLines[a].Read(static_cast<IdentifierField>(field)))
        notRead.push_back(kFieldKeys[field]);
    }
    json records = json::array();
    for (std::size_t r = 0; r < infos.size(); ++r) {
      if (infos[r].Adapter() == a) records.push_back(ModeInfo(infos[r], report.modeInfoLines[r]));
    }
    adapters.push_back({{"line", report.adapterLines[a].block},
                        {"description", IdentifierText(id.Description, sizeof id.Description)},
                        {"driver", IdentifierText(id.Driver, sizeof id.Driver)},
                        {"driverVersion", DriverVersionText(id.DriverVersion)},
                        {"vendorId", id.VendorId},
                        {"deviceId", id.DeviceId},
                        {"subSysId", id.SubSysId},
                        {"revision", id.Revision},
                        {"deviceIdentifier", GuidText(id.DeviceIdentifier)},
                        {"whqlLevel", id.WHQLLevel},
                        {"modeInfos", std::move(records)},
                        {"notRead", std::move(notRead)}});
  }
  return adapters;
}

json Known(const std::optional<bool>& value) { return value ? json(*value) : json(nullptr); }

json SummaryJson(const Summary& summary) {
  json adapters = json::array(), notes = json::array();
  for (const AdapterSummary& s : summary.adapters) {
    adapters.push_back({{"line", s.line},
                        {"name", s.name},
                        {"vendorName", s.pciNames.vendor},
                        {"deviceName", s.pciNames.device},
                        {"hardwareFullScreen", Known(s.hardwareFullScreen)},
                        {"hardwareWindowed", Known(s.hardwareWindowed)},
                        {"figuresFrom", s.figuresFrom},
                        {"maxTextureWidth", s.maxTextureWidth},
                        {"maxTextureHeight", s.maxTextureHeight},
                        {"vertexShaderVersion", s.vertexShader},
                        {"pixelShaderVersion", s.pixelShader},
                        {"displayModeCount", s.modeCount},
                        {"largestDisplayMode", s.largestMode},
                        {"compressedFormats", s.compressedFormats}});
  }
  for (const Note& note : summary.notes) notes.push_back({{"line", note.line}, {"text", note.text}});
  return {{"time", summary.time},         {"operatingSystem", summary.operatingSystem},
          {"processor", summary.processor}, {"memory", summary.memory},
          {"directX", summary.directX},   {"adapters", std::move(adapters)},
          {"notes", std::move(notes)}};
}

}  // namespace

std::string ReportToJson(const std::string& name, const EnvReport& report, const Summary& summary) {
  json problem = nullptr;
  if (report.problem) problem = {{"line", report.problem->line}, {"message", report.problem->message}};
  const json object = {{"file", name},
                       {"encoding", EncodingName(report.encoding)},
                       {"lines", report.lineCount},
                       {"whole", report.Whole()},
                       {"problem", std::move(problem)},
                       {"diagnostics", Diagnostics(report)},
                       {"deviceInfoLine", report.deviceInfoLine},
                       {"adapters", Adapters(report)},
                       {"summary", SummaryJson(summary)}};
  // Texts are UTF-8 already; a stray byte must not cost the whole line.
  return object.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace vexaEnvReader
