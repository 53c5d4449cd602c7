// The fleet over reports of a known set: which report of a machine counts,
// the shares as the desk reads them (text and CSV), hostile report text in
// the CSV and the page, and JSON Lines read back as the reports they were.
#include <gtest/gtest.h>

#include <random>

#include "reader/testing/vexaRandomModel.h"
#include "reader/vexaFleet.h"
#include "reader/vexaReportJson.h"
#include "reader/vexaReportSummary.h"

namespace vexaEnvReader {
namespace {

// The sample report as sent by `machine` at `time`.
std::string Sent(bool newer, const std::string& machine, const std::string& time) {
  std::string text = testkit::SampleReport(newer);
  const std::string old = "Time of this report: 12/7/2026, 09:15:00";
  text.replace(text.find(old), old.size(),
               "Time of this report: " + time + "\r\n       Machine name: " + machine);
  return text;
}

TEST(FleetTest, OneMachineCountsOnceByItsNewestReport) {
  struct Sent {
    const char* identity;
    std::optional<std::int64_t> time;
    const char* adapter;
  };
  struct Case {
    const char* name;
    std::vector<Sent> reports;
    const char* counted;  // adapters of the machines counted, most first
  } cases[] = {
      {"newest last", {{"m", 1, "old"}, {"m", 2, "new"}}, "new 1"},
      {"newest first", {{"m", 2, "new"}, {"m", 1, "old"}}, "new 1"},
      {"equal times: the later file", {{"m", 1, "first"}, {"m", 1, "second"}}, "second 1"},
      {"a time unknown: the later file", {{"m", 2, "first"}, {"m", std::nullopt, "second"}}, "second 1"},
      {"two machines", {{"m", 2, "a"}, {"n", 1, "b"}, {"m", 1, "c"}}, "a 1, b 1"},
      {"no identity: each its own", {{"", 1, "a"}, {"", 1, "a"}}, "a 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fleet fleet;
    for (const Sent& sent : c.reports)
      fleet.Add({sent.identity, sent.time, {{kAdapterCategory, sent.adapter}}, {}});
    const FleetResult result = fleet.Result();
    std::string counted;
    for (const FleetTable& table : result.tables) {
      for (const FleetRow& row : table.rows) {
        if (table.category != kAdapterCategory) continue;
        counted += (counted.empty() ? "" : ", ") + row.value + " " + std::to_string(row.machines);
      }
    }
    EXPECT_EQ(c.counted, counted);
    EXPECT_EQ(c.reports.size(), result.reports);
  }
}

TEST(FleetTest, IdentityIsTheAdapterWithTheMachineName) {
  const ReportFacts a = FactsOf(ReadReport(Sent(false, "DESK-A", "12/7/2026, 09:15:00")));
  const ReportFacts b = FactsOf(ReadReport(Sent(false, "DESK-B", "12/7/2026, 09:15:00")));
  EXPECT_EQ("00000000-0000-0000-0000-000000000000\nDESK-A", a.identity);
  EXPECT_NE(a.identity, b.identity);
}

TEST(FleetTest, ReportTimes) {
  struct Case {
    const char* text;
    std::optional<std::int64_t> seconds;  // relative to 12/7/2026 00:00:00
  } cases[] = {
      {"12/7/2026, 09:15:00", 9 * 3600 + 15 * 60},
      {"Monday, December 07, 2026, 09:15:00", 9 * 3600 + 15 * 60},
      {"2026/12/07 21:15:00", 21 * 3600 + 15 * 60},
      {"12/7/2026 9:15:00 PM", 21 * 3600 + 15 * 60},
      {"12/7/2026 12:00:01 AM", 1},
      {"12/8/2026, 00:00:00", 24 * 3600},
      {"1/1/2027, 00:00:00", 25 * 24 * 3600},
      {"now", std::nullopt},
      {"13/7/2026, 09:15:00", std::nullopt},
      {"12/7/2026, 25:15:00", std::nullopt},
      {"99999999999/7/2026, 09:15:00", std::nullopt},
  };
  const std::int64_t base = *ReportTime("12/7/2026, 00:00:00");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<std::int64_t> time = ReportTime(c.text);
    ASSERT_EQ(c.seconds.has_value(), time.has_value());
    if (time) {
      EXPECT_EQ(*c.seconds, *time - base);
    }
  }
}

// Three machines from five reports: DESK-A twice more (once newer, once
// older), DESK-B, and DESK-C's report cut inside its first capability block.
FleetResult KnownSet(const Requirements* requirements) {
  Fleet fleet;
  if (requirements != nullptr) {
    fleet.FixRows(kRequirementCategory, VerdictRows());
    std::vector<std::string> rows;
    for (const Requirement& requirement : requirements->requirements) rows.push_back(LeftOutRow(requirement));
    fleet.FixRows(kLeftOutCategory, rows);
  }
  const std::string cut = Sent(false, "DESK-C", "12/7/2026, 09:15:00");
  for (const std::string& text :
       {Sent(false, "DESK-A", "12/7/2026, 09:15:00"), Sent(true, "DESK-A", "12/8/2026, 10:00:00"),
        Sent(false, "DESK-A", "12/1/2026, 08:00:00"), Sent(true, "DESK-B", "12/7/2026, 09:15:00"),
        cut.substr(0, cut.find("MaxTextureWidth"))}) {
    fleet.Add(FactsOf(ReadReport(text), requirements));
  }
  return fleet.Result();
}

TEST(FleetTest, SharesOfAKnownSetAsText) {
  Requirements requirements;
  RequirementsError error;
  ASSERT_TRUE(
      ParseRequirements("[minimum]\nvertex_shader = \"1.1\"\ntexture_formats = [\"D3DFMT_DXT1\"]\n"
                        "[recommended]\ntexture_formats = [\"D3DFMT_DXT5\"]\nmax_texture_size = 4096\n",
                        requirements, error))
      << error.message;
  EXPECT_EQ(
      "Fleet: 3 machines from 5 reports\n"
      "A machine is the first adapter's device identifier with the machine name; of several reports from one "
      "machine the newest (by its \"Time of this report\", else the later file) counts.\n"
      "\n"
      "Capabilities\n"
      "       2   66.7%  Hardware device (1 not read)\n"
      "       0    0.0%  Hardware transform and lighting (1 not read)\n"
      "       2   66.7%  Vertex shader 1.1 or later (1 not read)\n"
      "       2   66.7%  Pixel shader 1.1 or later (1 not read)\n"
      "       2   66.7%  Pixel shader 1.4 or later (1 not read)\n"
      "       0    0.0%  Cube textures (1 not read)\n"
      "       3  100.0%  DXT1 textures\n"
      "       3  100.0%  DXT3 textures\n"
      "       1   33.3%  DXT5 textures\n"
      "       0    0.0%  24-bit depth buffer\n"
      "       0    0.0%  Multisampling\n"
      "       2   66.7%  32-bit display mode (1 not read)\n"
      "       2   66.7%  1024 x 768 at 32 bits (1 not read)\n"
      "       0    0.0%  64 MB display memory or more (3 not read)\n"
      "       3  100.0%  WHQL-signed driver\n"
      "\n"
      "Requirements\n"
      "       2   66.7%  meets the minimum\n"
      "       0    0.0%  meets the recommended\n"
      "       0    0.0%  below the minimum\n"
      "       1   33.3%  cannot tell\n"
      "\n"
      "Left out by\n"
      "       0    0.0%  minimum: vertex shader 1.1 or later (1 not read)\n"
      "       0    0.0%  minimum: texture format D3DFMT_DXT1\n"
      "       2   66.7%  recommended: texture format D3DFMT_DXT5\n"
      "       0    0.0%  recommended: textures of 4096 x 4096 (1 not read)\n"
      "\n"
      "Vertex shader version\n"
      "       2   66.7%  1.1\n"
      "       1   33.3%  (not read)\n"
      "\n"
      "Pixel shader version\n"
      "       2   66.7%  1.4\n"
      "       1   33.3%  (not read)\n"
      "\n"
      "Texture formats\n"
      "       3  100.0%  D3DFMT_A8R8G8B8\n"
      "       3  100.0%  D3DFMT_DXT1\n"
      "       3  100.0%  D3DFMT_DXT3\n"
      "       1   33.3%  D3DFMT_DXT5\n"
      "\n"
      "Maximum texture size\n"
      "       2   66.7%  4096 x 4096\n"
      "       1   33.3%  (not read)\n"
      "\n"
      "Display memory\n"
      "       3  100.0%  (not in the report)\n"
      "\n"
      "Display modes\n"
      "       2   66.7%  1024 x 768 at 32 bits\n"
      "       2   66.7%  1600 x 1200 at 32 bits\n"
      "  and 2 more (--csv and --json list every one)\n"
      "\n"
      "Adapters\n"
      "       3  100.0%  RADEON 9800 PRO\n"
      "\n"
      "Drivers\n"
      "       2   66.7%  ati2dvag.dll 6.14.10.6545\n"
      "       1   33.3%  ati2dvag.dll 6.14.10.6400\n"
      "\n"
      "Windows versions\n"
      "       3  100.0%  Windows XP Professional\n",
      FleetToText(KnownSet(&requirements), 2));
}

TEST(FleetTest, SharesOfAKnownSetAsCsv) {
  const std::string csv = FleetToCsv(KnownSet(nullptr));
  // The capability rows are those of the text; the rest, every row.
  EXPECT_NE(std::string::npos, csv.find("\r\nCapabilities,DXT5 textures,1,33.3,0\r\n"));
  EXPECT_EQ(
      "Vertex shader version,1.1,2,66.7,\r\n"
      "Vertex shader version,(not read),1,33.3,\r\n"
      "Pixel shader version,1.4,2,66.7,\r\n"
      "Pixel shader version,(not read),1,33.3,\r\n"
      "Texture formats,D3DFMT_A8R8G8B8,3,100.0,\r\n"
      "Texture formats,D3DFMT_DXT1,3,100.0,\r\n"
      "Texture formats,D3DFMT_DXT3,3,100.0,\r\n"
      "Texture formats,D3DFMT_DXT5,1,33.3,\r\n"
      "Maximum texture size,4096 x 4096,2,66.7,\r\n"
      "Maximum texture size,(not read),1,33.3,\r\n"
      "Display memory,(not in the report),3,100.0,\r\n"
      "Display modes,1024 x 768 at 32 bits,2,66.7,\r\n"
      "Display modes,1600 x 1200 at 32 bits,2,66.7,\r\n"
      "Display modes,1920 x 1440 at 32 bits,2,66.7,\r\n"
      "Display modes,(not read),1,33.3,\r\n"
      "Adapters,RADEON 9800 PRO,3,100.0,\r\n"
      "Drivers,ati2dvag.dll 6.14.10.6545,2,66.7,\r\n"
      "Drivers,ati2dvag.dll 6.14.10.6400,1,33.3,\r\n"
      "Windows versions,Windows XP Professional,3,100.0,\r\n",
      csv.substr(csv.find("Vertex shader version")));
}

TEST(FleetTest, CsvQuotesAndDefusesReportText) {
  struct Case {
    const char* text;
    const char* cell;
  } cases[] = {
      {"RADEON 9800 PRO", "RADEON 9800 PRO"},
      {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
      {"+1", "'+1"},
      {"-1+2", "'-1+2"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"\tcmd", "'\tcmd"},
      {"a,b", "\"a,b\""},
      {"two\r\nlines", "\"two\r\nlines\""},
      {"1 x 2 = 2", "1 x 2 = 2"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.cell, CsvCell(c.text)) << c.text;

  Fleet fleet;
  fleet.Add({"a", 1, {{kAdapterCategory, "=cmd|' /C calc'!A0"}, {kDriverCategory, "x.dll, \"beta\""}}, {}});
  fleet.Add({"b", 1, {{kAdapterCategory, "Plain"}}, {{kCapabilityCategory, "DXT1 textures"}}});
  const std::string csv = FleetToCsv(fleet.Result());
  EXPECT_EQ(0u, csv.find("table,value,machines,share,not read\r\nCapabilities,Hardware device,0,0.0,0\r\n"));
  EXPECT_NE(std::string::npos, csv.find("\nCapabilities,DXT1 textures,0,0.0,1\r\n"));
  EXPECT_EQ(
      "Adapters,'=cmd|' /C calc'!A0,1,50.0,\r\n"
      "Adapters,Plain,1,50.0,\r\n"
      "Drivers,\"x.dll, \"\"beta\"\"\",1,50.0,\r\n",
      csv.substr(csv.find("Adapters,")));
}

TEST(FleetTest, PageEscapesReportText) {
  Fleet fleet;
  fleet.Add({"a", 1, {{kAdapterCategory, "<script>alert('x')</script>&\"\x1b[2J"}}, {}});
  const std::string page = FleetToHtml(fleet.Result());
  EXPECT_EQ(std::string::npos, page.find("<script"));
  EXPECT_NE(std::string::npos,
            page.find("<td>&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;&quot;?[2J</td>"));
  EXPECT_NE(std::string::npos, page.find("<rect x=\"1\" y=\"2\" width=\"200\" height=\"10\""));
}

// A report without an adapter: read whole, the machine has none of the
// adapter's capabilities; cut before its adapters, it cannot tell.
TEST(FleetTest, ReportsWithoutAnAdapter) {
  struct Case {
    const char* text;
    std::size_t has, notRead;  // capabilities
  } cases[] = {
      // Display memory, not in the report, is the one not read of the first.
      {"Time of this report: now\r\n\r\n--------------------\r\nDeviceInfo\r\n--------------------\r\n\r\n",
       0, 1},
      {"Time of this report: now\r\n", 0, 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ReportFacts facts = FactsOf(ReadReport(c.text));
    std::size_t has = 0;
    for (const Fact& fact : facts.facts) has += fact.category == kCapabilityCategory;
    EXPECT_EQ(c.has, has);
    EXPECT_EQ(c.notRead, facts.notRead.size());
  }
}

// What the fleet takes from a report is the same from its --json line.
TEST(FleetTest, JsonLinesGiveTheFactsOfTheirReports) {
  Requirements requirements;
  RequirementsError error;
  ASSERT_TRUE(ParseRequirements(
      "[minimum]\nmemory_mb = 256\npixel_shader = \"1.1\"\n[minimum.caps]\n"
      "TextureCaps = [\"D3DPTEXTURECAPS_CUBEMAP\"]\n[recommended]\nmax_texture_size = 2048\n",
      requirements, error))
      << error.message;
  std::vector<std::string> texts = {testkit::SampleReport(), Sent(true, "DESK", "12/7/2026, 09:15:00")};
  // Cut inside the first adapter's hardware record, and in its second adapter.
  texts.push_back(texts[1].substr(0, texts[1].find("MaxTextureWidth")));
  texts.push_back(texts[1].substr(0, texts[1].size() * 3 / 4));
  // A value a mail program's wrap cut at 76 columns: not weighed as read.
  texts.push_back(testkit::SampleReport());
  const std::string memory = "             Memory: 512MB RAM\r\n";
  texts.back().replace(texts.back().find(memory), memory.size(),
                       "             Memory: 128MB RAM " + std::string(45, 'x') + "\r\nmore\r\n");
  std::mt19937 random(29);
  for (int i = 0; i < 20; ++i) {
    texts.push_back(testkit::WrittenReport(
        "Time of this report: 12/7/2026, 09:15:00\n       Machine name: M\n", testkit::RandomModel(random)));
  }
  const auto dump = [](const ReportFacts& facts) {
    std::string text = facts.identity + "|" + (facts.time ? std::to_string(*facts.time) : "?") + "\n";
    for (const Fact& fact : facts.facts) text += std::to_string(fact.category) + " " + fact.value + "\n";
    for (const Fact& fact : facts.notRead)
      text += "? " + std::to_string(fact.category) + " " + fact.value + "\n";
    return text;
  };
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(i);
    const EnvReport report = ReadReport(texts[i]);
    EnvReport back;
    std::string file;
    ASSERT_TRUE(ReportFromJson(ReportToJson("r.txt", report, Summarize(report, nullptr)), back, file));
    EXPECT_EQ("r.txt", file);
    EXPECT_EQ(dump(FactsOf(report, &requirements)), dump(FactsOf(back, &requirements)));
  }
  EnvReport back;
  std::string file;
  for (const char* line : {"{}", "{\"file\": 1}", "[1]", "{\"file\":\"x\""})
    EXPECT_FALSE(ReportFromJson(line, back, file));
}

}  // namespace
}  // namespace vexaEnvReader
