// The summary, JSON and comparison of one sample report pair, checked as the
// desk reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "reader/testing/vexaRandomModel.h"
#include "reader/vexaReportDiff.h"
#include "reader/vexaReportHtml.h"
#include "reader/vexaReportJson.h"
#include "reader/vexaReportSummary.h"

namespace vexaEnvReader {
namespace {

// The database of a machine that knows one vendor and one of its devices.
platform::PciNames FakeDatabase(unsigned vendor, unsigned device) {
  platform::PciNames names;
  if (vendor == 0x1002) names.vendor = "ATI Technologies Inc";
  if (vendor == 0x1002 && device == 0x4E48) names.device = "R350 [Radeon 9800 Pro]";
  return names;
}

TEST(ReportSummaryTest, SummaryWithNotesAndTheirLines) {
  const EnvReport report = ReadReport(testkit::SampleReport());
  ASSERT_TRUE(report.Whole());
  const std::string text = FormatSummary("envInfo.txt", report, Summarize(report, FakeDatabase));
  const std::size_t notes = text.find("\nNotes\n") + 7;
  EXPECT_EQ(std::string("envInfo.txt\n"
                        "  Report time:      12/7/2026, 09:15:00\n"
                        "  Operating system: Windows XP Professional (5.1, Build 2600)\n"
                        "  Processor:        Pentium 4 (1 CPU), ~2.4GHz\n"
                        "  Memory:           512MB RAM\n"
                        "  DirectX:          DirectX 8.1 (4.08.01.0881)\n"
                        "  Encoding:         cp932 (detected)\n"
                        "\n"
                        "Adapter 1: RADEON 9800 PRO\n"
                        "  Driver:           ati2dvag.dll 6.14.10.6400\n"
                        "  Vendor:           0x1002 (ATI Technologies Inc)\n"
                        "  Device:           0x4E48 (R350 [Radeon 9800 Pro])\n"
                        "  WHQL level:       1\n"
                        "  Hardware device:  full screen yes, windowed yes\n"
                        "  Max texture:      2048 x 2048\n"
                        "  Shaders:          vertex 1.1, pixel 1.4\n"
                        "  Display modes:    2, the largest 1600 x 1200 (D3DFMT_X8R8G8B8, 60Hz)\n"
                        "  Compressed:       D3DFMT_DXT1 D3DFMT_DXT3 D3DFMT_DXT5\n"
                        "\n"
                        "Adapter 2: Basic Display\n"
                        "  Driver:           vga.dll 0.0.0.0\n"
                        "  Vendor:           0x0000\n"
                        "  Device:           0x0000\n"
                        "  WHQL level:       0\n"
                        "  Hardware device:  full screen no, windowed no\n"
                        "  Figures:          none (no hardware device)\n"
                        "\n"
                        "Notes\n"),
            text.substr(0, notes));
  // Each note names the line of the fact it rests on.
  const std::string lines = testkit::SampleReport();
  const auto lineOf = [&lines](const std::string& text, std::size_t from = 0) {
    const std::size_t at = lines.find(text, from);
    return std::to_string(std::count(lines.begin(), lines.begin() + at, '\n') + 1);
  };
  // Nothing rests on the reference rasteriser's records, which are no machine's.
  const std::size_t second = lines.find("Device: Basic Display");
  EXPECT_EQ("  line " + lineOf("WHQLLevel: 0", second) + ": adapter 2: the driver has no WHQL level\n" +
                "  line " + lineOf("***** D3DDEVTYPE_HAL FullScreen", second) +
                ": adapter 2: no hardware device\n",
            text.substr(notes));
}

std::string Replaced(std::string text, const std::string& from, const std::string& to,
                     std::size_t after = 0) {
  return text.replace(text.find(from, after), from.size(), to);
}

// Cut or garbled, a report gives notes only on what it shows: no note claims
// something is missing from a part that was not read whole.
TEST(ReportSummaryTest, NotesRestOnlyOnWhatWasRead) {
  const std::string sample = testkit::SampleReport();
  const std::size_t second = sample.find("Device: Basic Display");
  const auto lineOf = [&sample](const std::string& what, std::size_t from = 0) {
    return "  line " +
           std::to_string(std::count(sample.begin(), sample.begin() + sample.find(what, from), '\n') + 1);
  };
  const std::string notRead = ": not read whole; notes on the parts not read are left out\n";
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t adapter;
    std::string hardware;
    std::string notes;
  } cases[] = {
      {"cut", sample.substr(0, sample.find("< CubeTextureFormats >")), 1,
       "full screen (not read), windowed (not read)", lineOf("< CubeTextureFormats >") + notRead},
      {"unknown display format", Replaced(sample, "Mode: D3DFMT_X8R8G8B8\r\n", "Mode: D3DFMT_X9R9G9B9\r\n"),
       1, "full screen yes, windowed yes", lineOf("Mode: D3DFMT_X8R8G8B8\r\n") + notRead},
      {"garbled shader version", Replaced(sample, "VertexShaderVersion: 1.1", "VertexShaderVersion: 0.0.0"),
       1, "full screen yes, windowed yes", lineOf("VertexShaderVersion") + notRead},
      // A hardware device's shader version 1.0 is below what games need.
      {"vertex shader 1.0", Replaced(sample, "VertexShaderVersion: 1.1", "VertexShaderVersion: 1.0"), 1,
       "full screen yes, windowed yes",
       lineOf("VertexShaderVersion") + ": vertex shader version 1.0, below 1.1\n"},
      // Without a hardware device nothing but the identifier gives notes.
      {"no hardware device", sample, 2, "full screen no, windowed no",
       lineOf("WHQLLevel: 0", second) + ": the driver has no WHQL level\n" +
           lineOf("***** D3DDEVTYPE_HAL FullScreen", second) + ": no hardware device\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const EnvReport report = ReadReport(c.bytes);
    const Summary summary = Summarize(report, nullptr);
    ASSERT_LE(c.adapter, summary.adapters.size());
    EXPECT_EQ(c.hardware, HardwareText(summary.adapters[c.adapter - 1]));
    std::string notes;
    const std::string who = "adapter " + std::to_string(c.adapter) + ":";
    for (const Note& note : summary.notes) {
      if (note.text.compare(0, who.size(), who) == 0) {
        notes += "  line " + std::to_string(note.line) + note.text.substr(who.size() - 1) + "\n";
      }
    }
    EXPECT_EQ(c.notes, notes);
  }
}

TEST(ReportSummaryTest, JsonHoldsWhatWasRead) {
  // Floats as the shortest text that reads back to them, not widened.
  const std::string floats = Replaced(
      Replaced(testkit::SampleReport(), "MaxPixelShaderValue: 0", "MaxPixelShaderValue: 3.40282e+38"),
      "MaxPointSize: 0", "MaxPointSize: 0.1");
  const EnvReport report = ReadReport(floats);
  const std::string line = ReportToJson("a.txt", report, Summarize(report, FakeDatabase));
  EXPECT_NE(std::string::npos, line.find("\"MaxPointSize\":0.1,"));
  EXPECT_NE(std::string::npos, line.find("\"MaxPixelShaderValue\":3.40282e+38}"));
  EXPECT_EQ(std::string::npos, line.find('\n'));
  const nlohmann::json json = nlohmann::json::parse(line);
  EXPECT_EQ("cp932", json["encoding"]);
  EXPECT_TRUE(json["problem"].is_null());
  EXPECT_EQ("Memory", json["diagnostics"][0]["lines"][3]["label"]);
  EXPECT_EQ("512MB RAM", json["diagnostics"][0]["lines"][3]["value"]);
  const nlohmann::json& adapter = json["adapters"][0];
  EXPECT_EQ("6.14.10.6400", adapter["driverVersion"]);
  EXPECT_EQ(0x1002, adapter["vendorId"]);
  EXPECT_EQ(4u, adapter["modeInfos"].size());
  const nlohmann::json& hal = adapter["modeInfos"][0];
  EXPECT_EQ("D3DDEVTYPE_HAL", hal["deviceType"]);
  EXPECT_EQ(false, hal["windowed"]);
  EXPECT_EQ(nlohmann::json::parse(R"(["D3DPTEXTURECAPS_ALPHA"])"), hal["caps"]["TextureCaps"]);
  EXPECT_EQ(2048, hal["caps"]["MaxTextureWidth"]);
  EXPECT_EQ("1.4", hal["caps"]["PixelShaderVersion"]);
  EXPECT_EQ(nlohmann::json::parse(R"([{"displayFormat":"D3DFMT_X8R8G8B8","formats":
      ["D3DFMT_A8R8G8B8","D3DFMT_DXT1","D3DFMT_DXT3","D3DFMT_DXT5"]}])"),
            hal["formats"]["TextureFormats"]);
  EXPECT_EQ(nlohmann::json::parse(R"({"width":1024,"height":768,"refreshRate":60,
      "format":"D3DFMT_X8R8G8B8","backBufferFormat":"D3DFMT_A8R8G8B8"})"),
            hal["displayModes"][0]);
  EXPECT_EQ("R350 [Radeon 9800 Pro]", json["summary"]["adapters"][0]["deviceName"]);
  EXPECT_EQ(2u, json["summary"]["notes"].size());
}

std::size_t RecordsOfFirstAdapter(const EnvReport& report) {
  const auto& infos = report.devices->ModeInfos();
  return static_cast<std::size_t>(std::count_if(
      infos.begin(), infos.end(), [](const vexaSDK::DX8::CModeInfo& info) { return info.Adapter() == 0; }));
}

TEST(ReportSummaryTest, DiffShowsWhatWasGainedAndLost) {
  const EnvReport older = ReadReport(testkit::SampleReport());
  const std::string guid = "DeviceIdentifier: 00000000-0000-0000-0000-000000000000";
  const EnvReport newer = ReadReport(
      Replaced(testkit::SampleReport(true), guid, "DeviceIdentifier: D7B71E3E-4062-11CF-634E-A1051BC2DA35"));
  const std::string hal =
      "    MaxTextureWidth: - 2048\n"
      "    MaxTextureWidth: + 4096\n"
      "    MaxTextureHeight: - 2048\n"
      "    MaxTextureHeight: + 4096\n"
      "    TextureFormats D3DFMT_X8R8G8B8: - D3DFMT_DXT5\n"
      "    TextureCaps: + D3DPTEXTURECAPS_MIPMAP\n"
      "    DisplayMode: + 1920 x 1440 (D3DFMT_X8R8G8B8 - D3DFMT_A8R8G8B8) (75Hz)\n";
  EXPECT_EQ(
      "--- old\n+++ new\n"
      "Adapter 1 (RADEON 9800 PRO)\n"
      "  Version: - 6.14.10.6400\n"
      "  Version: + 6.14.10.6545\n"
      "  DeviceIdentifier: - 00000000-0000-0000-0000-000000000000\n"
      "  DeviceIdentifier: + D7B71E3E-4062-11CF-634E-A1051BC2DA35\n"
      "  D3DDEVTYPE_HAL FullScreen\n" +
          hal + "  D3DDEVTYPE_HAL Window\n" + hal + "  D3DDEVTYPE_REF FullScreen\n" + hal +
          "  D3DDEVTYPE_REF Window\n" + hal,
      DiffReports("old", older, "new", newer));
  EXPECT_EQ("--- a\n+++ b\nNo differences.\n", DiffReports("a", older, "b", older));
  // An adapter only one side has is gained or lost.
  const std::string sample = testkit::SampleReport();
  const EnvReport one = ReadReport(sample.substr(0, sample.find("< Device Info >\r\nDevice: Basic Display")));
  ASSERT_EQ(1u, one.devices->Identifiers().size());
  EXPECT_EQ("--- one\n+++ two\n+ Adapter 2 (Basic Display)\n", DiffReports("one", one, "two", older));
  EXPECT_EQ("--- two\n+++ one\n- Adapter 2 (Basic Display)\n", DiffReports("two", older, "one", one));
  // A report with a second set of sections for one adapter: each record pairs
  // with its own kind in the same place.
  std::string twice = testkit::SampleReport();
  const std::size_t first = twice.find("***** "), second = twice.find("< Device Info >", first);
  twice.insert(second,
               Replaced(twice.substr(first, second - first), "MaxTextureWidth: 2048", "MaxTextureWidth: 1"));
  const EnvReport doubled = ReadReport(twice);
  EXPECT_EQ(8u, RecordsOfFirstAdapter(doubled));
  // Each side read with a problem says so, as what it could not give would
  // read as lost.
  ASSERT_TRUE(doubled.problem);
  const std::string unread =
      " was not read whole (line " + std::to_string(doubled.problem->line) +
      ": a mode-info section past the adapter's four); what it lacks may only be unread\n";
  EXPECT_EQ("--- a\n+++ b\n! a" + unread + "! b" + unread + "No differences.\n",
            DiffReports("a", doubled, "b", doubled));
}

std::string Load(const std::string& name) {
  std::string bytes;
  EXPECT_TRUE(ReadReportFile(std::string(VEXA_READER_TESTDATA "/") + name, bytes)) << name;
  return bytes;
}

// Reports of other machines, summed up line for line: a Japanese Windows 10
// with only its basic display adapter, a laptop with switchable graphics.
TEST(ReportSummaryTest, SummariesOfOtherMachines) {
  for (const std::string name : {"ja-basic-display", "laptop"}) {
    SCOPED_TRACE(name);
    const EnvReport report = ReadReport(Load(name + "-envInfo.txt"));
    EXPECT_TRUE(report.Whole());
    EXPECT_EQ(0u, report.repairs);
    EXPECT_EQ(Load(name + "-summary.txt"),
              FormatSummary(name + "-envInfo.txt", report, Summarize(report, nullptr)));
  }
}

// "No hardware device" heads the summary only where the report shows it.
TEST(ReportSummaryTest, NoHardwareDeviceHeadsTheSummary) {
  const std::string header = "--------------------\r\nDeviceInfo\r\n--------------------\r\n\r\n";
  const std::string sample = testkit::SampleReport();
  const std::string basic = Load("ja-basic-display-envInfo.txt");
  struct Case {
    const char* name;
    std::string bytes;
    bool headline;
  } cases[] = {
      {"basic display adapter only", basic, true},
      {"no adapter at all", "Memory: 512MB\r\n" + header, true},
      {"a hardware adapter beside one without", sample, false},
      {"cut before the section", sample.substr(0, sample.find("DeviceInfo")), false},
      {"hardware records not read", basic.substr(0, basic.find("< DisplayMode Info >")), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const EnvReport report = ReadReport(c.bytes);
    const Summary summary = Summarize(report, nullptr);
    EXPECT_EQ(c.headline ? kNoHardwareHeadline : "", summary.headline);
    const nlohmann::json json = nlohmann::json::parse(ReportToJson("r", report, summary));
    EXPECT_EQ(c.headline ? nlohmann::json(std::string(kNoHardwareHeadline)) : nlohmann::json(),
              json["summary"]["headline"]);
    EXPECT_EQ(c.headline, ReportToHtml("r", report, summary).find(kNoHardwareHeadline) != std::string::npos);
  }
  // No figure of the reference rasteriser stands for the machine's.
  const EnvReport report = ReadReport(basic);
  const nlohmann::json adapter =
      nlohmann::json::parse(ReportToJson("r", report, Summarize(report, nullptr)))["summary"]["adapters"][0];
  for (const char* key :
       {"maxTextureWidth", "vertexShaderVersion", "displayModeCount", "compressedFormats"}) {
    EXPECT_TRUE(adapter[key].is_null()) << key;
  }
}

// A field the report did not give is not read, never zero: in the summary,
// the page, the JSON and the comparison.
TEST(ReportSummaryTest, UnreadFieldsAreNotZero) {
  const std::string sample = testkit::SampleReport();
  const EnvReport report = ReadReport(Replaced(sample, "Version: 6.14.10.6400", "Version: 6.14.10"));
  const Summary summary = Summarize(report, FakeDatabase);
  const std::string text = FormatSummary("r", report, summary);
  const std::size_t adapter = text.find("Adapter 1:");
  EXPECT_EQ(
      "Adapter 1: RADEON 9800 PRO\n"
      "  Driver:           ati2dvag.dll (not read)\n"
      "  Vendor:           (not read)\n"
      "  Device:           (not read)\n"
      "  WHQL level:       (not read)\n",
      text.substr(adapter, text.find("  Hardware device:", adapter) - adapter));
  const nlohmann::json json = nlohmann::json::parse(ReportToJson("r", report, summary));
  const nlohmann::json& id = json["adapters"][0];
  EXPECT_EQ("RADEON 9800 PRO", id["description"]);
  EXPECT_EQ("ati2dvag.dll", id["driver"]);
  for (const char* key :
       {"driverVersion", "vendorId", "deviceId", "subSysId", "revision", "deviceIdentifier", "whqlLevel"}) {
    EXPECT_TRUE(id[key].is_null()) << key;
  }
  EXPECT_EQ("", json["summary"]["adapters"][0]["vendorName"]);
  const std::string page = ReportToHtml("r", report, summary);
  EXPECT_NE(
      std::string::npos,
      page.find(
          "<tr><th>VendorId / DeviceId / SubSysId</th><td>(not read) / (not read) / (not read)</td></tr>"));
  EXPECT_NE(std::string::npos,
            page.find("<tr><th>Vendor / device</th><td>(not read) / (not read)</td></tr>"));
  const std::string diff = DiffReports("a", ReadReport(sample), "b", report);
  EXPECT_NE(std::string::npos, diff.find("  VendorId: - 0x00001002\n  VendorId: + (not read)\n"));
}

// Display devices beside the adapters, in one section or two, matched by
// name or by vendor and device id.
TEST(ReportSummaryTest, DisplayDevicesBesideTheAdapters) {
  const std::string sample = testkit::SampleReport();
  const std::string devices =
      "---------------\r\nDisplay Devices\r\n---------------\r\n"
      "          Card name: radeon  9800 PRO\r\n"
      "       Manufacturer: ATI Technologies Inc.\r\n"
      "\r\n"
      "          Card name: Second Output\r\n"
      "          Vendor ID: 0x1002\r\n"
      "          Device ID: 0x4E48\r\n"
      "\r\n"
      "          Card name: AT&T <Graphics>\r\n"
      "     Display Memory: 64.0 MB\r\n"
      "\r\n";
  const std::string bytes =
      Replaced(sample, "--------------------\r\nDeviceInfo", devices + "--------------------\r\nDeviceInfo");
  const EnvReport report = ReadReport(bytes);
  const Summary summary = Summarize(report, nullptr);
  std::string matched;
  for (const DisplayDevice& device : summary.displayDevices) {
    matched += device.name + "=" + (device.adapter ? std::to_string(*device.adapter + 1) : "none") + ";";
  }
  EXPECT_EQ("radeon  9800 PRO=1;Second Output=1;AT&T <Graphics>=none;", matched);
  const std::size_t line = static_cast<std::size_t>(std::count(
                               bytes.begin(), bytes.begin() + bytes.find("Card name: AT&T"), '\n')) +
                           1;
  ASSERT_FALSE(summary.notes.empty());
  EXPECT_EQ(line, summary.notes[0].line);
  EXPECT_EQ(
      "display device \"AT&T <Graphics>\" has no Direct3D 8 adapter: the game runs on \"RADEON 9800 PRO\"",
      summary.notes[0].text);
  // The page escapes what the report says.
  const std::string page = ReportToHtml("r", report, summary);
  EXPECT_NE(std::string::npos, page.find("<h3>Display device 3: AT&amp;T &lt;Graphics&gt;</h3>"));
  EXPECT_EQ(std::string::npos, page.find("AT&T"));
  const nlohmann::json json =
      nlohmann::json::parse(ReportToJson("r", report, summary))["summary"]["displayDevices"][2];
  EXPECT_EQ(nlohmann::json::parse(R"({"line":)" + std::to_string(line) +
                                  R"(,"name":"AT&T <Graphics>","manufacturer":null,
      "chipType":null,"displayMemory":"64.0 MB","dedicatedMemory":null,"currentMode":null,"driverVersion":null,"adapter":null})"),
            json);
}

}  // namespace
}  // namespace vexaEnvReader
