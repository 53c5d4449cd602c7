// The parser against what the writers write: random enumerations, the golden
// texts of the framework, the reports the tool left on the host and under
// Wine; then diagnostic texts of several layouts, and broken reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "reader/testing/vexaRandomModel.h"
#include "reader/vexaReportParser.h"

namespace vexaEnvReader {
namespace {

using testing::WithCrLf;
using testing::WrittenDeviceInfo;

const char kHeader[] = "--------------------\r\nDeviceInfo\r\n--------------------\r\n\r\n";

std::string Load(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(ReadReportFile(path, bytes)) << path;
  return bytes;
}

// The "DeviceInfo" text of a report, from the line after its header.
std::string DeviceInfoOf(const std::string& report) {
  const std::size_t at = report.find(kHeader);
  return at == std::string::npos ? std::string() : report.substr(at + std::strlen(kHeader));
}

std::string Problem(const EnvReport& report) {
  return report.problem ? std::to_string(report.problem->line) + ": " + report.problem->message : "";
}

// Written again, the records give the bytes they were read from.
void ExpectRoundTrip(const std::string& report, const std::string& deviceInfo) {
  const EnvReport read = ReadReport(report);
  EXPECT_EQ("", Problem(read));
  EXPECT_EQ(deviceInfo, WithCrLf(WrittenDeviceInfo(*read.devices)));
}

TEST(ReportParserTest, RoundTripOverRandomEnumerations) {
  std::mt19937 random(20261207);
  for (int run = 0; run < 300; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    const auto model = testing::RandomModel(random);
    const std::string report = testing::WrittenReport("Time of this report: now\n", model);
    ExpectRoundTrip(report, DeviceInfoOf(report));
    if (HasFailure()) return;
  }
}

TEST(ReportParserTest, RoundTripOverGoldenAndRealReports) {
  // The framework's golden section, and its all-flags capability block put
  // in place of the first capability block there.
  std::string section = WithCrLf(Load(VEXA_SDK_TESTDATA "/DefaultModelDeviceInfo.txt"));
  ExpectRoundTrip(kHeader + section, section);
  const std::size_t caps = section.find("< DeviceCaps >");
  const std::size_t end = section.find("\r\n\r\n", caps) + 4;
  section.replace(caps, end - caps, WithCrLf(Load(VEXA_SDK_TESTDATA "/AllFlagsCaps.txt")));
  ExpectRoundTrip(kHeader + section, section);
  for (const char* name : {"/host-envInfo.txt", "/wine-envInfo.txt"}) {
    SCOPED_TRACE(name);
    const std::string report = Load(std::string(VEXA_READER_TESTDATA) + name);
    ASSERT_NE("", DeviceInfoOf(report));
    ExpectRoundTrip(report, DeviceInfoOf(report));
  }
}

// A file someone re-saved: UTF-8 with or without its mark, LF line ends, a
// mail client's blank lines; the records are the same, texts in code page 932.
TEST(ReportParserTest, ResavedReportsGiveTheSameRecords) {
  const char description[] = "\x83\x72\x83\x66\x83\x49";  // ビデオ in code page 932
  const std::string utf8Description = u8"ビデオ";
  std::mt19937 random(7);
  auto model = testing::RandomModel(random);
  while (model->adapters.empty()) model = testing::RandomModel(random);
  std::strcpy(model->adapters[0].identifier.Description, description);
  const std::string original = testing::WrittenReport("Machine name: 機械\n", model);
  const std::string deviceInfo = DeviceInfoOf(original);
  std::string lf = original;
  lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
  std::string utf8 = lf;
  utf8.replace(utf8.find(description), std::strlen(description), utf8Description);
  utf8.replace(utf8.find("機械"), std::strlen("機械"), u8"機械");
  struct Case {
    const char* name;
    std::string bytes;
    Encoding encoding;
  } cases[] = {
      {"LF", lf, Encoding::kCp932},
      {"UTF-8", utf8 + "\n\n\n", Encoding::kUtf8},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + WithCrLf(utf8) + "\r\n\r\n", Encoding::kUtf8WithBom},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const EnvReport read = ReadReport(c.bytes);
    EXPECT_EQ("", Problem(read));
    EXPECT_EQ(c.encoding, read.encoding);
    EXPECT_EQ(deviceInfo, WithCrLf(WrittenDeviceInfo(*read.devices)));
    ASSERT_NE(nullptr, read.FindEntry("Machine name"));
    EXPECT_EQ(u8"機械", read.FindEntry("Machine name")->value);
  }
}

std::string Dump(const EnvReport& report) {
  std::string out;
  for (const DiagSection& section : report.diagnostics) {
    out += "[" + section.title + "]@" + std::to_string(section.line) + "\n";
    for (const DiagLine& line : section.lines) {
      out += std::to_string(line.line) + (line.entry ? " " + line.label + "=" : " text ") + line.value + "|\n";
    }
  }
  return out;
}

// Layouts of several Windows versions: label columns of different widths,
// values with colons, indented continuations, empty values, plain text.
TEST(ReportParserTest, DiagnosticTextIsReadByTheRule) {
  const std::string text =
      "Preamble without a section\r\n"
      "------------------\r\n"
      "System Information\r\n"
      "------------------\r\n"
      "Time of this report: 12/7/2026, 11:48:26\r\n"
      "       Machine name: VM\r\n"
      "           Language: Japanese (Regional Setting: Japanese)\r\n"
      "System Manufacturer: \r\n"
      "               BIOS:\r\n"
      "         Windows Dir: C:\\windows\r\n"
      "\r\n"
      "---------------\r\n"
      "Display Devices\r\n"
      "---------------\r\n"
      "        Card name: RADEON\r\n"
      "  Driver Attributes: Final Retail\r\n"
      "            Notes: No problems found.\r\n"
      "                   DirectDraw test: passed: all of it\r\n"
      "\r\n"
      "none found\r\n"
      "   DDraw Status: Enabled\r\n"
      "http://example.invalid/x\r\n" +
      std::string(kHeader);
  const EnvReport report = ReadReport(text);
  EXPECT_EQ(
      "[]@0\n"
      "1 text Preamble without a section|\n"
      "[System Information]@3\n"
      "5 Time of this report=12/7/2026, 11:48:26|\n"
      "6 Machine name=VM|\n"
      "7 Language=Japanese (Regional Setting: Japanese)|\n"
      "8 System Manufacturer=|\n"
      "9 BIOS=|\n"
      "10 Windows Dir=C:\\windows|\n"
      "[Display Devices]@13\n"
      "15 Card name=RADEON|\n"
      "16 Driver Attributes=Final Retail|\n"
      "17 Notes=No problems found.\nDirectDraw test: passed: all of it|\n"
      "20 text none found|\n"
      "21 DDraw Status=Enabled|\n"
      "22 text http://example.invalid/x|\n",
      Dump(report));
  EXPECT_EQ(24u, report.deviceInfoLine);
  EXPECT_EQ("", Problem(report));
}

// The header follows dxdiag's last byte directly, even without a line end.
TEST(ReportParserTest, HeaderGluedToTheLastLineOfTheText) {
  const EnvReport report = ReadReport(std::string("Memory: 512MB") + kHeader);
  EXPECT_EQ("", Problem(report));
  EXPECT_EQ("[]@0\n1 Memory=512MB|\n", Dump(report));
  EXPECT_EQ(2u, report.deviceInfoLine);
}

// Broken reports keep what could be read and name their first problem; a
// name the tables do not know is left out and reading goes on.
TEST(ReportParserTest, BrokenReportsNameTheirFirstProblem) {
  std::mt19937 random(3);
  auto model = testing::RandomModel(random, 1);
  while (model->adapters.size() != 1) model = testing::RandomModel(random, 1);
  model->adapters[0].hal.available = model->adapters[0].ref.available = true;
  model->adapters[0].hal.caps.Caps = 0x20000;
  const std::string good = testing::WrittenReport("", model);
  const auto lineOf = [&](const std::string& text) {
    const std::size_t at = good.find(text);
    return static_cast<std::size_t>(std::count(good.begin(), good.begin() + at, '\n')) + 1;
  };
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string bytes = good;
    bytes.replace(bytes.find(from), from.size(), to);
    return bytes;
  };
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t line;
    const char* message;
    std::size_t modeInfos;  // records kept
  } cases[] = {
      {"no section", "System Information\r\n", 2, "the report has no \"DeviceInfo\" section", 0},
      {"unknown flag", replaced("\tD3DCAPS_READ_SCANLINE", "\tD3DCAPS_READ_SOMETHING"),
       lineOf("\tD3DCAPS_READ_SCANLINE"), "unknown Caps flag \"D3DCAPS_READ_SOMETHING\"", 4},
      {"garbled number", replaced("MaxTextureWidth: ", "MaxTextureWidth: x"), lineOf("MaxTextureWidth: "),
       "not a value of MaxTextureWidth", 1},
      {"truncated", good.substr(0, good.find("< DisplayMode Info >")), lineOf("< DisplayMode Info >"),
       "the report ends early: expected \"< DisplayMode Info >\"", 1},
      {"text after the end", good + "\r\n\r\nP.S. hello\r\n",
       static_cast<std::size_t>(std::count(good.begin(), good.end(), '\n')) + 1,
       "an empty line where a block should begin", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const EnvReport read = ReadReport(c.bytes);
    ASSERT_TRUE(read.problem);
    EXPECT_EQ(c.line, read.problem->line);
    EXPECT_EQ(c.message, read.problem->message);
    EXPECT_EQ(c.modeInfos, read.devices->ModeInfos().size());
  }
  // Cut anywhere, a report gives a problem inside it or just past its end,
  // and records that can be written again.
  for (std::size_t size = 0; size < good.size(); size += 97) {
    const EnvReport read = ReadReport(good.substr(0, size));
    ASSERT_TRUE(read.problem) << size;
    EXPECT_LE(read.problem->line, read.lineCount + 1) << size;
    WrittenDeviceInfo(*read.devices);
  }
}

}  // namespace
}  // namespace vexaEnvReader
