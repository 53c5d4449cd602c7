#include "reader/vexaReportHtml.h"

#include <cstdio>

#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"

namespace vexaEnvReader {
namespace {

using vexaSDK::DX8::CapsFieldKind;
using vexaSDK::DX8::CModeInfo;
using vexaSDK::DX8::GetFormatName;
using vexaSDK::DX8::kCapsFields;
using vexaSDK::DX8::ReadCapsDword;

const char kStyle[] =
    "body{font-family:sans-serif;margin:1.5em;color:#222;max-width:70em}"
    "h1{font-size:1.4em}h2{font-size:1.15em;margin-top:1.2em}"
    "table{border-collapse:collapse;margin:.3em 0}td,th{border:1px solid #ccc;padding:.15em .5em;"
    "text-align:left;vertical-align:top}th{background:#f0f0f0}"
    "details{margin:.3em 0 .3em .8em}summary{cursor:pointer;font-weight:bold}"
    ".set{color:#064}.unset{color:#999}.note{color:#a40}.problem{color:#b00;font-weight:bold}"
    "code{font-size:.95em}";

std::string Row(const std::string& label, const std::string& value) {
  return "<tr><th>" + HtmlText(label) + "</th><td>" + HtmlText(value) + "</td></tr>\n";
}

std::string Names(const std::vector<D3DFORMAT>& formats) {
  std::string text;
  for (const D3DFORMAT format : formats)
    text += (text.empty() ? "" : " ") + std::string(GetFormatName(format));
  return text;
}

void SummaryPart(const Summary& summary, const EnvReport& report, std::string& out) {
  out += "<h2>Summary</h2>\n";
  if (!summary.headline.empty()) out += "<p class=\"problem\">" + HtmlText(summary.headline) + "</p>\n";
  out += "<table>\n";
  const auto orMissing = [](const std::string& v) {
    return v.empty() ? std::string("(not in the report)") : v;
  };
  out += Row("Report time", orMissing(summary.time)) +
         Row("Operating system", orMissing(summary.operatingSystem)) +
         Row("Processor", orMissing(summary.processor)) + Row("Memory", orMissing(summary.memory)) +
         Row("DirectX", orMissing(summary.directX)) + Row("Encoding", EncodingText(report)) + "</table>\n";
  for (std::size_t d = 0; d < summary.displayDevices.size(); ++d) {
    const DisplayDevice& device = summary.displayDevices[d];
    out += "<h3>Display device " + std::to_string(d + 1) + ": " + HtmlText(device.name) + "</h3>\n<table>\n";
    const auto optionalRow = [](const char* label, const std::string& value) {
      return value.empty() ? std::string() : Row(label, value);
    };
    out +=
        optionalRow("Manufacturer", device.manufacturer) + optionalRow("Chip type", device.chipType) +
        optionalRow("Memory",
                    device.displayMemory +
                        (device.dedicatedMemory.empty() ? "" : ", dedicated " + device.dedicatedMemory)) +
        optionalRow("Current mode", device.currentMode) +
        optionalRow("Driver version", device.driverVersion) +
        Row("Direct3D 8", device.adapter ? "adapter " + std::to_string(*device.adapter + 1) : "no adapter") +
        "</table>\n";
  }
  for (std::size_t a = 0; a < summary.adapters.size(); ++a) {
    const AdapterSummary& s = summary.adapters[a];
    const auto read = [&s](IdentifierField field, const std::string& value) {
      return s.Read(field) ? value : std::string(kNotRead);
    };
    char id[16];
    std::snprintf(id, sizeof id, "0x%04lX", s.vendorId);
    std::string ids = read(kVendorIdField, id) + " / ";
    std::snprintf(id, sizeof id, "0x%04lX", s.deviceId);
    ids += read(kDeviceIdField, id);
    std::string names = s.pciNames.vendor;
    if (!s.pciNames.device.empty()) names += " " + s.pciNames.device;
    out += "<h3>Adapter " + std::to_string(a + 1) + ": " + HtmlText(read(kDeviceField, s.name)) +
           "</h3>\n<table>\n";
    const std::string driver = read(kDriverField, s.driver);
    out += Row("Driver", (driver.empty() ? "" : driver + " ") + read(kVersionField, s.version)) +
           Row("Vendor / device", ids + (names.empty() ? "" : " (" + names + ")")) +
           Row("WHQL level", read(kWHQLLevelField, std::to_string(s.whqlLevel))) +
           Row("Hardware device", HardwareText(s));
    if (s.figuresFrom.empty()) {
      out += Row("Figures", s.hardwareFullScreen == false && s.hardwareWindowed == false
                                ? "none (no hardware device)"
                                : "(no hardware record read)");
    } else {
      std::string compressed;
      for (const std::string& f : s.compressedFormats) compressed += (compressed.empty() ? "" : " ") + f;
      out +=
          Row("Figures from", s.figuresFrom) +
          Row("Max texture", std::to_string(s.maxTextureWidth) + " x " + std::to_string(s.maxTextureHeight)) +
          Row("Shaders", "vertex " + s.vertexShader + ", pixel " + s.pixelShader) +
          Row("Display modes",
              std::to_string(s.modeCount) + (s.largestMode.empty() ? "" : ", the largest " + s.largestMode)) +
          Row("Compressed", compressed.empty() ? "none" : compressed);
    }
    out += "</table>\n";
  }
  out += "<h2>Notes</h2>\n<ul>\n";
  if (summary.notes.empty()) out += "<li>none</li>\n";
  for (const Note& note : summary.notes) {
    out += "<li class=\"note\">line " + std::to_string(note.line) + ": " + HtmlText(note.text) + "</li>\n";
  }
  out += "</ul>\n";
  if (report.problem) {
    out += "<p class=\"problem\">Read with problems: line " + std::to_string(report.problem->line) + ": " +
           HtmlText(report.problem->message) + "</p>\n";
  }
  if (report.repairs != 0)
    out += "<p class=\"note\">Repaired in transit: " + HtmlText(RepairText(report.repairs)) + "</p>\n";
}

void CapsPart(const D3DCAPS8& caps, std::string& out) {
  std::string values, flags;
  for (const auto& field : kCapsFields) {
    if (field.kind != CapsFieldKind::kFlags) {
      values += Row(field.label, CapsValueText(field, caps));
      continue;
    }
    const DWORD value = ReadCapsDword(caps, field.offset);
    std::string set, unset;
    for (std::size_t i = 0; i < field.count; ++i) {
      std::string& list = (value & field.table[i].flag) == field.table[i].flag ? set : unset;
      list += std::string(list.empty() ? "" : "<br>") + field.table[i].name;
    }
    flags += "<tr><th>" + std::string(field.label) + "</th><td class=\"set\">" + set +
             "</td><td class=\"unset\">" + unset + "</td></tr>\n";
  }
  out += "<details><summary>DeviceCaps</summary>\n<table>\n" + values +
         "</table>\n<table>\n<tr><th>Flags</th><th>Set</th><th>Unset</th></tr>\n" + flags +
         "</table>\n</details>\n";
}

template <typename Table, typename NameOf>
void PairTablePart(const char* title, const Table& table, NameOf nameOf, std::string& out) {
  out += "<details><summary>" + std::string(title) + " (" + std::to_string(table.size()) +
         ")</summary>\n<table>\n";
  for (const auto& entry : table) {
    std::string items;
    for (const auto item : entry.second) items += (items.empty() ? "" : " ") + std::string(nameOf(item));
    out += Row(std::string(GetFormatName(entry.first.DisplayFormat)) + " - " +
                   GetFormatName(entry.first.BackBufferFormat),
               items);
  }
  out += "</table>\n</details>\n";
}

void RecordPart(const CModeInfo& info, const ModeInfoLines& at, std::string& out) {
  out += "<details><summary>" + std::string(vexaSDK::DX8::GetDevTypeName(info.DeviceType())) +
         (info.Windowed() ? " Window" : " FullScreen") + " (line " + std::to_string(at.header) + ", " +
         std::to_string(info.DisplayModes().size()) + " display modes)</summary>\n";
  PairTablePart("MultiSampleType", info.MultiSamples(), vexaSDK::DX8::GetMultiSampleName, out);
  PairTablePart("DepthStencilFormat", info.DepthStencils(), GetFormatName, out);
  for (int kind = 0; kind < vexaSDK::DX8::kFormatTableCount; ++kind) {
    const auto& table = info.Formats(static_cast<vexaSDK::DX8::FormatTableKind>(kind));
    out += "<details><summary>" + std::string(vexaSDK::DX8::kFormatTableInfo[kind].label) +
           "</summary>\n<table>\n";
    for (const auto& entry : table) out += Row(GetFormatName(entry.first), Names(entry.second));
    out += "</table>\n</details>\n";
  }
  CapsPart(info.Caps(), out);
  out +=
      "<details><summary>DisplayMode</summary>\n<table>\n"
      "<tr><th>Size</th><th>Format</th><th>Back buffer</th><th>Refresh rate</th></tr>\n";
  for (const auto& mode : info.DisplayModes()) {
    out += "<tr><td>" + std::to_string(mode.Width) + " x " + std::to_string(mode.Height) + "</td><td>" +
           GetFormatName(mode.Format) + "</td><td>" + GetFormatName(mode.BackBufferFormat) + "</td><td>" +
           std::to_string(mode.RefreshRate) + "Hz</td></tr>\n";
  }
  out += "</table>\n</details>\n</details>\n";
}

}  // namespace

std::string HtmlText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      case '\n':
        out += "<br>";
        break;
      default:
        // Other control characters are no text a page can show.
        out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    }
  }
  return out;
}

std::string ReportToHtml(const std::string& name, const EnvReport& report, const Summary& summary) {
  std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                    HtmlText(name) + " - vexaEnvReader</title>\n<style>" + kStyle +
                    "</style>\n</head>\n<body>\n<h1>" + HtmlText(name) + "</h1>\n";
  SummaryPart(summary, report, out);
  out += "<h2>Diagnostic text</h2>\n";
  for (const DiagSection& section : report.diagnostics) {
    out += "<details><summary>" +
           HtmlText(section.title.empty() ? "(before the first title)" : section.title) +
           "</summary>\n<table>\n";
    for (const DiagLine& line : section.lines) {
      out += line.entry ? Row(line.label, line.value)
                        : "<tr><td colspan=\"2\">" + HtmlText(line.value) + "</td></tr>\n";
    }
    out += "</table>\n</details>\n";
  }
  out += "<h2>DeviceInfo</h2>\n";
  const auto& ids = report.devices->Identifiers();
  const auto& infos = report.devices->ModeInfos();
  const auto recordsByAdapter = RecordsByAdapter(report);
  for (std::size_t a = 0; a < ids.size(); ++a) {
    const D3DADAPTER_IDENTIFIER8& id = ids[a];
    const AdapterLines& at = report.adapterLines[a];
    const auto read = [&at](IdentifierField field, const std::string& value) {
      return at.Read(field) ? value : std::string(kNotRead);
    };
    const auto hex = [&](IdentifierField field, DWORD value) {
      char text[16];
      std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
      return read(field, text);
    };
    out += "<details><summary>Adapter " + std::to_string(a + 1) + ": " +
           HtmlText(read(kDeviceField, IdentifierText(report, id.Description, sizeof id.Description))) +
           "</summary>\n<table>\n";
    out += Row("Driver", read(kDriverField, IdentifierText(report, id.Driver, sizeof id.Driver))) +
           Row("Version", read(kVersionField, DriverVersionText(id.DriverVersion)));
    out += Row("VendorId / DeviceId / SubSysId", hex(kVendorIdField, id.VendorId) + " / " +
                                                     hex(kDeviceIdField, id.DeviceId) + " / " +
                                                     hex(kSubSysIdField, id.SubSysId)) +
           Row("Revision", read(kRevisionField, std::to_string(id.Revision))) +
           Row("DeviceIdentifier", read(kDeviceIdentifierField, GuidText(id.DeviceIdentifier))) +
           Row("WHQLLevel", read(kWHQLLevelField, std::to_string(id.WHQLLevel))) + "</table>\n";
    for (const std::size_t r : recordsByAdapter[a]) RecordPart(infos[r], report.modeInfoLines[r], out);
    out += "</details>\n";
  }
  out += "</body>\n</html>\n";
  return out;
}

}  // namespace vexaEnvReader
