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

using testkit::WithCrLf;
using testkit::WrittenDeviceInfo;

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

// Written again, the records give the bytes they were read from, and nothing
// was taken for mail damage.
void ExpectRoundTrip(const std::string& report, const std::string& deviceInfo) {
  const EnvReport read = ReadReport(report);
  EXPECT_EQ("", Problem(read));
  EXPECT_EQ(0u, read.repairs) << "an undamaged report read as repaired";
  EXPECT_EQ(deviceInfo, WithCrLf(WrittenDeviceInfo(*read.devices)));
}

TEST(ReportParserTest, RoundTripOverRandomEnumerations) {
  std::mt19937 random(20261207);
  for (int run = 0; run < 300; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    const auto model = testkit::RandomModel(random);
    const std::string report = testkit::WrittenReport("Time of this report: now\n", model);
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

// UTF-8 as UTF-16 little-endian, as Notepad's "Unicode" saves it.
std::string Utf16(const std::string& utf8) {
  std::string out;
  const auto unit = [&out](unsigned long u) {
    out += static_cast<char>(u & 0xFF), out += static_cast<char>(u >> 8);
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const std::size_t extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    unsigned long code = extra == 0 ? c : c & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k)
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += extra + 1;
    if (code >= 0x10000) unit(0xD800 + ((code - 0x10000) >> 10)), code = 0xDC00 + (code & 0x3FF);
    unit(code);
  }
  return out;
}

std::string ReplacedAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// A file someone re-saved: UTF-8 with or without its mark, UTF-16, LF or
// CR CR LF line ends, a mail client's blank lines or an editor's trimmed last
// line; the records are the same, texts in code page 932. Code page 932 whose
// only other bytes happen to be UTF-8 stays code page 932.
TEST(ReportParserTest, ResavedReportsGiveTheSameRecords) {
  const char description[] = "\x83\x72\x83\x66\x83\x49";  // ビデオ in code page 932
  const std::string utf8Description = u8"ビデオ";
  std::mt19937 random(7);
  auto model = testkit::RandomModel(random);
  while (model->adapters.empty()) model = testkit::RandomModel(random);
  std::strcpy(model->adapters[0].identifier.Description, description);
  const std::string original = testkit::WrittenReport("Machine name: 機械\n", model);
  std::string lf = original;
  lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
  std::string utf8 = lf;
  utf8.replace(utf8.find(description), std::strlen(description), utf8Description);
  utf8.replace(utf8.find("機械"), std::strlen("機械"), u8"機械");
  const std::string katakana = "Machine name: PC\xC3\xBD\r\n" + testkit::SampleReport();  // ﾃｽ, or ý in UTF-8
  struct Case {
    const char* name;
    std::string bytes;
    Encoding encoding;
    std::string original;
    std::string machine;
  } cases[] = {
      {"LF", lf, Encoding::kCp932, original, u8"機械"},
      {"UTF-8", utf8 + "\n\n\n", Encoding::kUtf8, original, u8"機械"},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + WithCrLf(utf8) + "\r\n\r\n", Encoding::kUtf8WithBom, original,
       u8"機械"},
      {"UTF-16 with its mark", "\xFF\xFE" + Utf16(WithCrLf(utf8)), Encoding::kUtf16, original, u8"機械"},
      {"CR CR LF", ReplacedAll(original, "\r\n", "\r\r\n"), Encoding::kCp932, original, u8"機械"},
      {"last line end trimmed", original.substr(0, original.size() - 2), Encoding::kCp932, original,
       u8"機械"},
      {"blank lines with blanks", original + " \r\n\t\r\n\r\n", Encoding::kCp932, original, u8"機械"},
      {"half-width katakana", katakana, Encoding::kCp932, katakana, u8"PCﾃｽ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const EnvReport read = ReadReport(c.bytes);
    EXPECT_EQ("", Problem(read));
    EXPECT_EQ(c.encoding, read.encoding);
    EXPECT_EQ(DeviceInfoOf(c.original), WithCrLf(WrittenDeviceInfo(*read.devices)));
    ASSERT_NE(nullptr, read.FindEntry("Machine name"));
    EXPECT_EQ(c.machine, read.FindEntry("Machine name")->value);
  }
}

std::string Dump(const EnvReport& report) {
  std::string out;
  for (const DiagSection& section : report.diagnostics) {
    out += "[" + section.title + "]@" + std::to_string(section.line) + "\n";
    for (const DiagLine& line : section.lines) {
      out +=
          std::to_string(line.line) + (line.entry ? " " + line.label + "=" : " text ") + line.value + "|\n";
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

std::size_t DisplayModes(const EnvReport& report) {
  std::size_t count = 0;
  for (const auto& info : report.devices->ModeInfos()) count += info.DisplayModes().size();
  return count;
}

// Broken reports keep what could be read and name their first problem; a
// name the tables do not know is left out and reading goes on, and after a
// line that does not fit, reading picks up at the next block. Whatever would
// not be written back the same is a problem too.
TEST(ReportParserTest, BrokenReportsNameTheirFirstProblem) {
  std::mt19937 random(3);
  auto model = testkit::RandomModel(random, 1);
  while (model->adapters.size() != 1) model = testkit::RandomModel(random, 1);
  model->adapters[0].hal.available = model->adapters[0].ref.available = true;
  model->adapters[0].hal.caps.Caps = 0x20000;
  model->adapters[0].hal.caps.Caps2 = 0xA0000;
  model->adapters[0].identifier.VendorId = 0x10DE;
  model->adapters[0].hal.caps.MaxTextureWidth = 2048;
  const std::string good = testkit::WrittenReport("", model);
  const std::size_t modes = DisplayModes(ReadReport(good));
  const std::string sections = good.substr(good.find("***** "));
  const std::size_t mode = good.find("< DisplayMode Info >\r\n") + 22;
  const std::string modeLine = good.substr(mode, good.find("\r\n", mode) + 2 - mode);
  const std::size_t entry = good.find("\r\nMode: ", good.find("< TextureFormats >")) + 2;
  const std::string textureEntry = good.substr(entry, good.find("\r\n\r\n", entry) + 4 - entry);
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
    std::size_t modes;      // display modes kept
    DWORD textureWidth;     // the first record's MaxTextureWidth as read
  } cases[] = {
      {"no section", "System Information\r\n", 2, "the report has no \"DeviceInfo\" section", 0, 0, 0},
      {"unknown flag", replaced("\tD3DCAPS_READ_SCANLINE", "\tD3DCAPS_READ_SOMETHING"),
       lineOf("\tD3DCAPS_READ_SCANLINE"), "unknown Caps flag \"D3DCAPS_READ_SOMETHING\"", 4, modes, 2048},
      {"garbled number", replaced("MaxTextureWidth: ", "MaxTextureWidth: x"), lineOf("MaxTextureWidth: "),
       "not a value of MaxTextureWidth", 4, modes, 0},
      {"leading zero", replaced("MaxTextureWidth: ", "MaxTextureWidth: 0"), lineOf("MaxTextureWidth: "),
       "not a value of MaxTextureWidth", 4, modes, 0},
      {"lower-case id", replaced("VendorId: 0x000010DE", "VendorId: 0x000010de"), lineOf("VendorId: "),
       "not 8 hexadecimal digits", 4, modes, 2048},
      {"garbled block header", replaced("< CubeTextureFormats >", "< CubeTextureFormatz >"),
       lineOf("< CubeTextureFormats >"), "expected \"< CubeTextureFormats >\"", 4, modes, 2048},
      {"flags out of order",
       replaced("\tD3DCAPS2_CANRENDERWINDOWED\r\n\tD3DCAPS2_FULLSCREENGAMMA",
                "\tD3DCAPS2_FULLSCREENGAMMA\r\n\tD3DCAPS2_CANRENDERWINDOWED"),
       lineOf("\tD3DCAPS2_FULLSCREENGAMMA"),
       "Caps2 flag \"D3DCAPS2_CANRENDERWINDOWED\" repeated or out of order", 4, modes, 2048},
      {"unknown display format",
       replaced(modeLine, " 1 x 1 (D3DFMT_X9R9G9B9 - D3DFMT_X9R9G9B9) (1Hz)\r\n" + modeLine),
       lineOf(modeLine), "unknown format name \"D3DFMT_X9R9G9B9\"", 4, modes, 2048},
      {"unknown format entry", replaced(textureEntry, "Mode: D3DFMT_X9R9G9B9\r\n\r\n" + textureEntry),
       static_cast<std::size_t>(std::count(good.begin(), good.begin() + entry, '\n')) + 1,
       "unknown format name \"D3DFMT_X9R9G9B9\"", 4, modes, 2048},
      {"entry twice", replaced(textureEntry, textureEntry + textureEntry),
       static_cast<std::size_t>(std::count(good.begin(), good.begin() + entry + textureEntry.size(), '\n')) +
           1,
       "a second entry for the same format", 4, modes, 2048},
      {"a fifth section", good + ReplacedAll(sections, "MaxTextureWidth: ", "MaxTextureWidth: 1"),
       static_cast<std::size_t>(std::count(good.begin(), good.end(), '\n')) + 1,
       "a mode-info section past the adapter's four", 8, 2 * modes, 2048},
      {"truncated", good.substr(0, good.find("< DisplayMode Info >")), lineOf("< DisplayMode Info >"),
       "the report ends early: expected \"< DisplayMode Info >\"", 1, 0, 2048},
      {"text after the end", good + "\r\n\r\nP.S. hello\r\n",
       static_cast<std::size_t>(std::count(good.begin(), good.end(), '\n')) + 3,
       "expected \"< Device Info >\"", 4, modes, 2048},
      // A line that belongs to no field of the capability record costs that
      // field only: the record is read on from the next field's label.
      {"a flag line without its tab", replaced("\tD3DCAPS2_FULLSCREENGAMMA", "D3DCAPS2_FULLSCREENGAMMA"),
       lineOf("\tD3DCAPS2_FULLSCREENGAMMA"), "expected \"}\"", 4, modes, 2048},
      {"a garbled label", replaced("Caps2 {", "Caps2:: {"), lineOf("Caps2 {"), "expected \"Caps2 {\"", 4,
       modes, 2048},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const EnvReport read = ReadReport(c.bytes);
    ASSERT_TRUE(read.problem);
    EXPECT_EQ(c.line, read.problem->line);
    EXPECT_EQ(c.message, read.problem->message);
    EXPECT_EQ(c.modeInfos, read.devices->ModeInfos().size());
    EXPECT_EQ(c.modes, DisplayModes(read));
    if (c.modeInfos != 0) {
      EXPECT_EQ(c.textureWidth, read.devices->ModeInfos()[0].Caps().MaxTextureWidth);
    }
  }
  // The block right after a garbled header is read whole, as it was written.
  const EnvReport garbled = ReadReport(replaced("< CubeTextureFormats >", "< CubeTextureFormatz >"));
  const EnvReport whole = ReadReport(good);
  ASSERT_EQ(4u, garbled.modeInfoLines.size());
  const auto volume = static_cast<ModeInfoBlock>(kFirstFormatBlock + vexaSDK::DX8::kVolumeTextureFormats);
  EXPECT_TRUE(garbled.modeInfoLines[0].ReadWhole(volume));
  EXPECT_EQ(whole.modeInfoLines[0].formats[vexaSDK::DX8::kVolumeTextureFormats],
            garbled.modeInfoLines[0].formats[vexaSDK::DX8::kVolumeTextureFormats]);
  EXPECT_EQ(whole.devices->ModeInfos()[0].Formats(vexaSDK::DX8::kVolumeTextureFormats),
            garbled.devices->ModeInfos()[0].Formats(vexaSDK::DX8::kVolumeTextureFormats));
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
