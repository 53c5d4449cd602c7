// Reports from Windows of other languages and re-saved ones: the code page
// each is read in, the UTF-8 texts that come out, the records' round trip,
// and the encoding the desk gives instead.
#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>

#include "reader/testing/vexaRandomModel.h"
#include "reader/vexaReportJson.h"
#include "reader/vexaReportParser.h"
#include "reader/vexaReportSummary.h"

namespace vexaEnvReader {
namespace {

std::string Sample(const std::string& name) {
  std::string bytes;
  EXPECT_TRUE(ReadReportFile(VEXA_READER_TESTDATA "/" + name, bytes)) << name;
  return bytes;
}

std::string Entry(const EnvReport& report, const char* label) {
  const DiagLine* line = report.FindEntry(label);
  return line != nullptr ? line->value : "(none)";
}

// The section's bytes from the line after the header's empty line.
std::string DeviceInfoOf(const std::string& bytes) {
  const std::size_t at = bytes.find("DeviceInfo\r\n--------------------\r\n\r\n");
  return at == std::string::npos ? std::string() : bytes.substr(at + 36);
}

TEST(ReportEncodingTest, EachLanguageReadsInItsOwnCodePage) {
  struct Case {
    const char* file;
    const char* encoding;
    const char* machine;
    const char* deviceType;  // of the display device
    const char* adapter;     // of the identifier block
    const char* original;    // whose section the records give back byte for byte
  } cases[] = {
      {"de-cp1252-envInfo.txt", "cp1252", u8"DESKTOP-JÜRGEN", u8"Vollständiges Gerät",
       u8"Intel® HD Graphics 620", "de-cp1252-envInfo.txt"},
      {"fr-cp1252-envInfo.txt", "cp1252", u8"PC-FRANÇOISE", u8"Périphérique complet",
       u8"AMD Radeon(TM) Vega 8 Graphics – édition « mobile »", "fr-cp1252-envInfo.txt"},
      {"ja-cp932-envInfo.txt", "cp932", u8"DESKTOP-山田", u8"フル デバイス",
       u8"インテル UHD グラフィックス 620", "ja-cp932-envInfo.txt"},
      {"zh-cp936-envInfo.txt", "cp936", u8"DESKTOP-王伟", u8"完整设备", u8"NVIDIA GeForce GTX 1650 显卡",
       "zh-cp936-envInfo.txt"},
      {"ja-utf16-envInfo.txt", "utf-16", u8"DESKTOP-山田", u8"フル デバイス",
       u8"インテル UHD グラフィックス 620", "ja-cp932-envInfo.txt"},
      {"de-utf8-envInfo.txt", "utf-8", u8"DESKTOP-JÜRGEN", u8"Vollständiges Gerät",
       u8"Intel® HD Graphics 620", "de-cp1252-envInfo.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const EnvReport report = ReadReport(Sample(c.file));
    EXPECT_TRUE(report.Whole()) << (report.problem ? report.problem->message : "");
    const auto json = nlohmann::json::parse(ReportToJson(c.file, report, Summarize(report, nullptr)));
    EXPECT_EQ(c.encoding, json["encoding"]);
    EXPECT_EQ("detected", json["encodingSource"]);
    EXPECT_EQ(c.machine, Entry(report, "Machine name"));
    EXPECT_EQ(c.deviceType, Entry(report, "Device Type"));
    EXPECT_EQ(c.adapter, json["adapters"][0]["description"]);
    EXPECT_EQ(DeviceInfoOf(Sample(c.original)),
              testkit::WithCrLf(testkit::WrittenDeviceInfo(*report.devices)));
  }
}

// An English report whose only letter beyond ASCII is the adapter's "®":
// any Western code page has it, and 1252 is named.
TEST(ReportEncodingTest, ALoneSignIsCodePage1252) {
  std::string report = testkit::SampleReport();
  report.replace(report.find("RADEON 9800 PRO"), 6, "RADEON\xAE");
  const EnvReport read = ReadReport(report);
  EXPECT_EQ("cp1252", EncodingName(read.encoding, read.codePage));
  const std::string shown = u8"RADEON® 9800 PRO";  // outside the macro, whose text is code page 932
  EXPECT_EQ(shown, IdentifierText(read, read.devices->Identifiers()[0].Description, 32));
}

TEST(ReportEncodingTest, TheDeskOverridesTheDetection) {
  struct Case {
    const char* file;
    const char* given;
    const char* encoding;
    const char* machine;
  } cases[] = {
      {"de-cp1252-envInfo.txt", "cp932", "cp932", u8"DESKTOP-JﾜRGEN"},
      {"de-cp1252-envInfo.txt", "Windows-1252", "cp1252", u8"DESKTOP-JÜRGEN"},
      {"de-utf8-envInfo.txt", "1252", "cp1252", u8"DESKTOP-JÃœRGEN"},
      {"de-cp1252-envInfo.txt", "utf-8", "utf-8", "DESKTOP-J\xDCRGEN"},
      {"ja-cp932-envInfo.txt", "SHIFT_JIS", "cp932", u8"DESKTOP-山田"},
      {"ja-utf16-envInfo.txt", "utf-16", "utf-16", u8"DESKTOP-山田"},
      {"zh-cp936-envInfo.txt", "gbk", "cp936", u8"DESKTOP-王伟"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " as " + c.given);
    GivenEncoding given;
    ASSERT_TRUE(ParseEncodingName(c.given, given));
    const EnvReport report = ReadReport(Sample(c.file), &given);
    const auto json = nlohmann::json::parse(ReportToJson(c.file, report, Summarize(report, nullptr)));
    EXPECT_EQ(c.encoding, json["encoding"]);
    EXPECT_EQ("given", json["encodingSource"]);
    EXPECT_EQ(c.machine, Entry(report, "Machine name"));
  }
  GivenEncoding given;
  for (const char* unknown : {"", "cp", "cp1234", "utf-32", "klingon", "windows-99999999"}) {
    EXPECT_FALSE(ParseEncodingName(unknown, given)) << unknown;
  }
}

// Bytes that are no character of their code page show as U+FFFD; a UTF-8
// text turns back into the bytes it came from, or is refused.
TEST(ReportEncodingTest, ConversionTables) {
  struct Case {
    unsigned codePage;
    const char* bytes;
    const char* utf8;
  } cases[] = {
      {1252, "\x80\xAE\xFC\x81", u8"€®ü\u0081"},
      {932, "\x82\xA0\xB1\x81", u8"あｱ\uFFFD"},
      {932,
       "\x81\x7F"
       "A",
       u8"\uFFFDA"},
      {936, "\xD6\xD0\xCE\xC4\x80", u8"中文€"},
      {949, "\xC7\xD1\xB1\xDB", u8"한글"},
      {950, "\xA4\xA4\xA4\xE5", u8"中文"},
      {1251, "\xCF\xF0\xE8", u8"При"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codePage);
    EXPECT_EQ(c.utf8, AnsiToUtf8(c.codePage, c.bytes));
    std::string back;
    const bool exact = std::string(c.utf8).find(u8"\uFFFD") == std::string::npos;
    EXPECT_EQ(exact, Utf8ToAnsi(c.codePage, c.utf8, back));
    if (exact) {
      EXPECT_EQ(c.bytes, back);
    }
  }
}

}  // namespace
}  // namespace vexaEnvReader
