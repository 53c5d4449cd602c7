// The report's grammar is the support desk's reader's: a section passes when
// the reader reads it whole, what it read written again gives the same bytes,
// and every adapter has its four records in order.
#include "checker/testing/vexaReportStructure.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string_view>
#include <vector>

#include "reader/vexaReportParser.h"
#include "vexaSDK/System/vexaFormat.h"
#include "vexaSDK/System/vexaPath.h"

namespace vexaEnvChecker {
namespace testkit {

const char kDeviceInfoHeader[] = "--------------------\r\nDeviceInfo\r\n--------------------\r\n\r\n";

namespace {

// The section's lines, split at CR LF only, so that any other line end shows.
std::vector<std::string_view> SectionLines(std::string_view section) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < section.size();) {
    const std::size_t end = section.find("\r\n", start);
    lines.push_back(section.substr(start, end == std::string_view::npos ? end : end - start));
    start = end == std::string_view::npos ? section.size() : end + 2;
  }
  return lines;
}

// "line N: what, found "that line"", N counted from 1 in the section.
std::string At(const std::vector<std::string_view>& lines, std::size_t line, const std::string& what) {
  const std::string found = line >= 1 && line <= lines.size() ? std::string(lines[line - 1]) : "(end)";
  return vexaSDK::System::FormatText("line %lu: %s, found \"%s\"", static_cast<unsigned long>(line),
                                     what.c_str(), found.c_str());
}

// Every adapter the enumeration could identify has four records, in this
// order, written after its identifier block. A fifth one the writers would not
// write again, so the comparison before this finds it.
std::string CheckRecords(const vexaEnvReader::EnvReport& read, std::size_t offset,
                         const std::vector<std::string_view>& lines) {
  static const struct {
    D3DDEVTYPE deviceType;
    const char* header;
  } kRecords[] = {{D3DDEVTYPE_HAL, "***** D3DDEVTYPE_HAL FullScreen Mode Info *****"},
                  {D3DDEVTYPE_HAL, "***** D3DDEVTYPE_HAL Window Mode Info *****"},
                  {D3DDEVTYPE_REF, "***** D3DDEVTYPE_REF FullScreen Mode Info *****"},
                  {D3DDEVTYPE_REF, "***** D3DDEVTYPE_REF Window Mode Info *****"}};
  const std::vector<vexaSDK::DX8::CModeInfo>& records = read.devices->ModeInfos();
  const std::size_t adapters = read.adapterLines.size();
  std::size_t k = 0;
  for (std::size_t adapter = 0; adapter < adapters; ++adapter) {
    const std::size_t next =
        adapter + 1 < adapters ? read.adapterLines[adapter + 1].block : read.lineCount + 1;
    for (std::size_t r = 0; r < sizeof kRecords / sizeof kRecords[0]; ++r, ++k) {
      if (k == records.size() || records[k].Adapter() != adapter) {
        return At(lines, next - offset, "an adapter needs four mode-info sections");
      }
      if (records[k].DeviceType() != kRecords[r].deviceType ||
          (records[k].Windowed() != FALSE) != (r % 2 == 1)) {
        return At(lines, read.modeInfoLines[k].header - offset,
                  std::string("expected \"") + kRecords[r].header + "\"");
      }
    }
  }
  return std::string();
}

}  // namespace

bool FindDeviceInfoSection(const std::string& report, std::string& section) {
  const std::size_t header = report.find(kDeviceInfoHeader);
  if (header == std::string::npos) return false;
  section = report.substr(header + std::strlen(kDeviceInfoHeader));
  return true;
}

std::string CheckReportStructure(const std::string& report) {
  std::string section;
  if (!FindDeviceInfoSection(report, section)) return "no \"DeviceInfo\" header";
  const std::vector<std::string_view> lines = SectionLines(section);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find_first_of("\r\n") != std::string_view::npos)
      return At(lines, i + 1, "a line end other than CR LF");
  }
  if (!section.empty() && section.compare(section.size() - 2, 2, "\r\n") != 0) {
    return At(lines, lines.size(), "the last line has no line end: the section is cut off");
  }
  // The section read as the support desk reads it, its line numbers turned
  // into the section's own.
  const vexaEnvReader::EnvReport read = vexaEnvReader::ReadReport(report);
  const std::string_view diagnostic(report.data(),
                                    report.size() - section.size() - std::strlen(kDeviceInfoHeader));
  const std::size_t offset =
      static_cast<std::size_t>(std::count(diagnostic.begin(), diagnostic.end(), '\n')) + 4;
  if (read.deviceInfoLine + 2 != offset) return "the diagnostic text holds a \"DeviceInfo\" title of its own";
  if (read.problem) return At(lines, read.problem->line - offset, read.problem->message);
  // The reader takes what a mail client may have changed; what it read,
  // written again, must give the section byte for byte.
  const std::string again = DeviceInfoFileText(*read.devices);
  const std::vector<std::string_view> written = SectionLines(again);
  for (std::size_t i = 0; i < lines.size() || i < written.size(); ++i) {
    if (i == written.size()) return At(lines, i + 1, "expected the end");
    if (i == lines.size() || lines[i] != written[i]) {
      return At(lines, i + 1, "expected \"" + std::string(written[i]) + "\" as the writers write it");
    }
  }
  return CheckRecords(read, offset, lines);
}

std::string DeviceInfoFileText(const vexaSDK::DX8::CDGEnumMode& enumeration) {
  std::ostringstream text;
  enumeration.WriteDeviceInfo(text);
  return vexaSDK::System::ReplaceAll(text.str(), "\n", "\r\n");
}

}  // namespace testkit
}  // namespace vexaEnvChecker
