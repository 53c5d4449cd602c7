#include "reader/vexaReportJson.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"

namespace vexaEnvReader {
namespace {

using json = nlohmann::ordered_json;
using vexaSDK::DX8::CapsFieldKind;
using vexaSDK::DX8::GetFormatName;
using vexaSDK::DX8::kCapsFields;
using vexaSDK::DX8::ReadCapsDword;
using vexaSDK::DX8::ReadCapsFloat;

json Diagnostics(const EnvReport& report) {
  json sections = json::array();
  for (const DiagSection& section : report.diagnostics) {
    json lines = json::array();
    for (const DiagLine& line : section.lines) {
      if (line.entry) {
        lines.push_back({{"line", line.line}, {"label", line.label}, {"value", line.value}});
        if (line.cut) lines.back()["cut"] = true;
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

// Texts are UTF-8 already; a stray byte must not cost the whole line.
std::string Dump(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

// The adapters written record by record: a report of many blocks never
// stands in memory as one tree.
void WriteAdapters(const EnvReport& report, const JsonSink& write) {
  const auto& ids = report.devices->Identifiers();
  const auto& infos = report.devices->ModeInfos();
  const auto recordsByAdapter = RecordsByAdapter(report);
  write("[");
  for (std::size_t a = 0; a < ids.size(); ++a) {
    const D3DADAPTER_IDENTIFIER8& id = ids[a];
    const AdapterLines& at = report.adapterLines[a];
    static const char* const kFieldKeys[kIdentifierFieldCount] = {
        "description", "driver",   "driverVersion",    "vendorId", "deviceId",
        "subSysId",    "revision", "deviceIdentifier", "whqlLevel"};
    json notRead = json::array();
    for (int field = 0; field < kIdentifierFieldCount; ++field) {
      if (!at.Read(static_cast<IdentifierField>(field))) notRead.push_back(kFieldKeys[field]);
    }
    // A field not read is null, never the zero it was left at.
    const auto read = [&at](IdentifierField field, json value) {
      return at.Read(field) ? value : json(nullptr);
    };
    json adapter = {
        {"line", at.block},
        {"description", read(kDeviceField, IdentifierText(report, id.Description, sizeof id.Description))},
        {"driver", read(kDriverField, IdentifierText(report, id.Driver, sizeof id.Driver))},
        {"driverVersion", read(kVersionField, DriverVersionText(id.DriverVersion))},
        {"vendorId", read(kVendorIdField, id.VendorId)},
        {"deviceId", read(kDeviceIdField, id.DeviceId)},
        {"subSysId", read(kSubSysIdField, id.SubSysId)},
        {"revision", read(kRevisionField, id.Revision)},
        {"deviceIdentifier", read(kDeviceIdentifierField, GuidText(id.DeviceIdentifier))},
        {"whqlLevel", read(kWHQLLevelField, id.WHQLLevel)},
        {"notRead", std::move(notRead)},
        {"modeInfos", json::array()}};
    std::string head = Dump(adapter);
    head.resize(head.size() - 3);  // the empty array and the object's end
    write((a == 0 ? "" : ",") + head + "[");
    for (std::size_t k = 0; k < recordsByAdapter[a].size(); ++k) {
      const std::size_t r = recordsByAdapter[a][k];
      write((k == 0 ? "" : ",") + Dump(ModeInfo(infos[r], report.modeInfoLines[r])));
    }
    write("]}");
  }
  write("]");
}

json Known(const std::optional<bool>& value) { return value ? json(*value) : json(nullptr); }

json OrNull(const std::string& text) { return text.empty() ? json(nullptr) : json(text); }

json SummaryJson(const Summary& summary) {
  json adapters = json::array(), notes = json::array(), devices = json::array();
  for (const DisplayDevice& d : summary.displayDevices) {
    devices.push_back({{"line", d.line},
                       {"name", d.name},
                       {"manufacturer", OrNull(d.manufacturer)},
                       {"chipType", OrNull(d.chipType)},
                       {"displayMemory", OrNull(d.displayMemory)},
                       {"dedicatedMemory", OrNull(d.dedicatedMemory)},
                       {"currentMode", OrNull(d.currentMode)},
                       {"driverVersion", OrNull(d.driverVersion)},
                       {"adapter", d.adapter ? json(*d.adapter + 1) : json(nullptr)}});
  }
  for (const AdapterSummary& s : summary.adapters) {
    // Without a hardware device there are no figures: null, not zero.
    const bool figures = !s.figuresFrom.empty();
    const auto figure = [figures](json value) { return figures ? value : json(nullptr); };
    adapters.push_back({{"line", s.line},
                        {"name", s.Read(kDeviceField) ? json(s.name) : json(nullptr)},
                        {"vendorName", s.pciNames.vendor},
                        {"deviceName", s.pciNames.device},
                        {"hardwareFullScreen", Known(s.hardwareFullScreen)},
                        {"hardwareWindowed", Known(s.hardwareWindowed)},
                        {"figuresFrom", s.figuresFrom},
                        {"maxTextureWidth", figure(s.maxTextureWidth)},
                        {"maxTextureHeight", figure(s.maxTextureHeight)},
                        {"vertexShaderVersion", figure(s.vertexShader)},
                        {"pixelShaderVersion", figure(s.pixelShader)},
                        {"displayModeCount", figure(s.modeCount)},
                        {"largestDisplayMode", figure(s.largestMode)},
                        {"compressedFormats", figure(s.compressedFormats)}});
  }
  for (const Note& note : summary.notes) notes.push_back({{"line", note.line}, {"text", note.text}});
  return {{"time", summary.time},
          {"operatingSystem", summary.operatingSystem},
          {"processor", summary.processor},
          {"memory", summary.memory},
          {"directX", summary.directX},
          {"headline", OrNull(summary.headline)},
          {"displayDevices", std::move(devices)},
          {"adapters", std::move(adapters)},
          {"notes", std::move(notes)}};
}

}  // namespace

void WriteReportJson(const std::string& name, const EnvReport& report, const Summary& summary,
                     const JsonSink& write) {
  json problem = nullptr;
  if (report.problem) problem = {{"line", report.problem->line}, {"message", report.problem->message}};
  json head = {{"file", name},
               {"encoding", EncodingName(report.encoding, report.codePage)},
               {"lines", report.lineCount},
               {"whole", report.Whole()},
               {"repaired", MailRepairNames(report.repairs)},
               {"problem", std::move(problem)},
               {"diagnostics", Diagnostics(report)},
               {"deviceInfoLine", report.deviceInfoLine}};
  std::string text = Dump(head);
  head = json();
  text.back() = ',';
  write(text + "\"adapters\":");
  WriteAdapters(report, write);
  const json tail = {{"summary", SummaryJson(summary)},
                     {"encodingSource", report.encodingGiven ? "given" : "detected"},
                     {"codePage", report.codePage}};
  text = Dump(tail);
  text.front() = ',';
  write(text);
}

std::string ReportToJson(const std::string& name, const EnvReport& report, const Summary& summary) {
  std::string out;
  WriteReportJson(name, report, summary, [&out](const std::string& text) { out += text; });
  return out;
}

}  // namespace vexaEnvReader
