// Requirements files refused with the place of the mistake, and reports
// weighed against them at each boundary: exactly met, just below, not read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reader/testing/vexaRandomModel.h"
#include "reader/vexaReportEncoding.h"
#include "reader/vexaRequirements.h"

namespace vexaEnvReader {
namespace {

struct Edit {
  const char* find;
  const char* replace;
};

// The sample report with each edit made at the first place its text stands.
EnvReport Edited(const std::vector<Edit>& edits) {
  std::string text = testkit::SampleReport();
  for (const Edit& edit : edits) {
    const std::size_t at = text.find(edit.find);
    EXPECT_NE(at, std::string::npos) << edit.find;
    if (at != std::string::npos) text.replace(at, std::string(edit.find).size(), edit.replace);
  }
  return ReadReport(text);
}

const Edit kDisplayDevices = {"\r\n\r\n--------------------\r\nDeviceInfo",
                              "\r\n\r\n---------------\r\nDisplay Devices\r\n---------------\r\n"
                              "        Card name: RADEON 9800 PRO\r\n"
                              "   Display Memory: 128.0 MB\r\n"
                              " Driver Date/Size: 8/10/2004 13:20:00, 3430400 bytes\r\n"
                              "\r\n--------------------\r\nDeviceInfo"};

Requirements Parsed(const std::string& text) {
  Requirements requirements;
  RequirementsError error;
  EXPECT_TRUE(ParseRequirements(text, requirements, error)) << error.message;
  return requirements;
}

TEST(RequirementsTest, OneRequirementAtItsBoundaries) {
  struct Case {
    const char* toml;
    std::vector<Edit> edits;
    const char* outcome;  // outcome, what the machine has, line
  };
  const Edit garbledTextures = {" D3DFMT_DXT3\r\n", " D3DFMT_NONESUCH\r\n"};
  const Edit garbledCaps = {"MaxTextureWidth: 2048", "MaxTextureWidth: 2O48"};
  const Case cases[] = {
      {"memory_mb = 512", {}, "met 512MB RAM 7"},
      {"memory_mb = 513", {}, "failed 512MB RAM 7"},
      {"memory_mb = 1", {{"             Memory: 512MB RAM\r\n", ""}}, "unknown (not in the report) 0"},
      {"memory_mb = 1", {{"512MB RAM", "lots"}}, "unknown lots (not understood) 7"},
      {"windows = \"XP\"", {}, "met Windows XP Professional (5.1, Build 2600) 5"},
      {"windows = \"5.1.2601\"", {}, "failed Windows XP Professional (5.1, Build 2600) 5"},
      {"windows = \"2000\"", {{"(5.1, Build 2600)", ""}}, "met Windows XP Professional 5"},
      {"windows = \"Vista\"", {{"(5.1, Build 2600)", ""}}, "failed Windows XP Professional 5"},
      // Cut at 76 columns inside the build number by a mail program.
      {"windows = \"XP\"",
       {{"Professional (5.1, Build 2600)", "Professional 32-bit Edition N (5.1, Build 26\r\n00)"}},
       "unknown Windows XP Professional 32-bit Edition N (5.1, Build 26 (cut by a wrap) 5"},
      {"display_memory_mb = 128", {kDisplayDevices}, "met 128.0 MB 14"},
      {"display_memory_mb = 129", {kDisplayDevices}, "failed 128.0 MB 14"},
      {"display_memory_mb = 1", {}, "unknown (not in the report) 0"},
      {"driver_date = 2004-08-10", {kDisplayDevices}, "met 8/10/2004 13:20:00, 3430400 bytes 15"},
      {"driver_date = 2004-08-11", {kDisplayDevices}, "failed 8/10/2004 13:20:00, 3430400 bytes 15"},
      {"vertex_shader = \"1.1\"", {}, "met 1.1 117"},
      {"vertex_shader = \"1.2\"", {}, "failed 1.1 117"},
      {"pixel_shader = \"1.5\"", {garbledCaps}, "unknown 1.4 (not read) 119"},
      {"max_texture_size = 2048", {}, "met 2048 x 2048 86"},
      {"max_texture_size = 2049", {}, "failed 2048 x 2048 86"},
      {"max_texture_size = 2048", {garbledCaps}, "unknown 0 x 2048 (not read) 86"},
      {"texture_formats = [\"D3DFMT_DXT5\"]", {}, "met listed 30"},
      {"texture_formats = [\"D3DFMT_DXT2\"]", {}, "failed not among its texture formats 30"},
      {"texture_formats = [\"D3DFMT_DXT2\"]",
       {garbledTextures},
       "unknown not among its texture formats (not read) 30"},
      {"depth_stencil_formats = [\"D3DFMT_D16\"]", {}, "failed not among its depth-stencil formats 28"},
      {"multisample_types = [\"D3DMULTISAMPLE_2_SAMPLES\"]", {}, "failed not among its multisample types 27"},
      {"caps = { TextureCaps = [\"D3DPTEXTURECAPS_ALPHA\"] }", {}, "met set 71"},
      {"caps = { TextureCaps = [\"D3DPTEXTURECAPS_CUBEMAP\"] }", {}, "failed not set 71"},
      {"display_mode = { width = 1600, height = 1200, format = \"D3DFMT_X8R8G8B8\", refresh = 60 }",
       {},
       "met 1600 x 1200 (D3DFMT_X8R8G8B8, 60Hz) 122"},
      {"display_mode = { width = 1600, height = 1200, refresh = 61 }",
       {},
       "failed 1600 x 1200 (D3DFMT_X8R8G8B8, 60Hz) 122"},
      {"display_mode = { width = 1280, height = 1024 }", {}, "failed no such mode among 3 122"},
      {"hardware_device = true", {}, "met yes 122"},
      {"hardware_device = true",
       {{"\r\nDeviceInfo\r\n", "\r\nDevice Info\r\n"}},
       "unknown (no adapter in the report) 0"},
      {"whql_level = 1", {}, "met 1 23"},
      {"whql_level = 2", {}, "failed 1 23"},
  };
  for (const Case& c : cases) {
    const Requirements requirements = Parsed(std::string("[minimum]\n") + c.toml + "\n");
    ASSERT_EQ(requirements.requirements.size(), 1u) << c.toml;
    const Evaluation evaluation = Evaluate(Edited(c.edits), requirements);
    const RequirementResult& result = evaluation.results.at(0);
    EXPECT_EQ(std::string(OutcomeText(result.outcome)) + " " + result.has + " " + std::to_string(result.line),
              c.outcome)
        << c.toml;
    const Verdict verdict = result.outcome == Outcome::kMet      ? Verdict::kMeetsRecommended
                            : result.outcome == Outcome::kFailed ? Verdict::kBelowMinimum
                                                                 : Verdict::kCannotTell;
    EXPECT_EQ(VerdictText(evaluation.verdict), std::string(VerdictText(verdict))) << c.toml;
  }
}

TEST(RequirementsTest, VerdictOfBothLevelsAndBadDrivers) {
  struct Case {
    const char* toml;
    const char* text;  // FormatEvaluation
  };
  const Case cases[] = {
      {"[minimum]\nmemory_mb = 512\n[recommended]\nmemory_mb = 512\n",
       "Requirements: meets recommended (2 of 2 met)\n"},
      {"[minimum]\nmemory_mb = 512\n[recommended]\nmemory_mb = 1024\n",
       "Requirements: meets minimum (1 of 2 met)\n"
       "  failed recommended memory at least 1024 MB: 512MB RAM (line 7)\n"},
      {"[minimum]\nmemory_mb = 512\n[recommended]\ndisplay_memory_mb = 64\n",
       "Requirements: meets minimum (1 of 2 met)\n"
       "  unknown recommended display memory at least 64 MB: (not in the report)\n"},
      // A failed minimum outweighs one the report could not show.
      {"[minimum]\ndisplay_memory_mb = 64\nmemory_mb = 1024\n",
       "Requirements: below minimum (0 of 2 met)\n"
       "  unknown minimum display memory at least 64 MB: (not in the report)\n"
       "  failed minimum memory at least 1024 MB: 512MB RAM (line 7)\n"},
      {"[[bad_driver]]\nvendor_id = 0x1002\nfrom_version = \"6.14.10.6000\"\nto_version = \"6.14.10.6400\"\n"
       "message = \"update\"\n",
       "Requirements: meets recommended (0 of 0 met)\n"
       "  known bad driver on adapter 1: ati2dvag.dll 6.14.10.6400 (0x1002, 0x4E48) (line 17): update\n"},
      {"[[bad_driver]]\nvendor_id = 0x1002\nfrom_version = \"6.14.10.6401\"\nmessage = \"update\"\n",
       "Requirements: meets recommended (0 of 0 met)\n"},
      {"[[bad_driver]]\nvendor_id = 0x1002\ndevice_id = 0x4E49\nmessage = \"update\"\n",
       "Requirements: meets recommended (0 of 0 met)\n"},
      {"[[bad_driver]]\nvendor_id = 0\ndevice_id = \"any\"\nmessage = \"the basic driver\"\n",
       "Requirements: meets recommended (0 of 0 met)\n"
       "  known bad driver on adapter 2: vga.dll 0.0.0.0 (0x0000, 0x0000) (line 436): the basic driver\n"},
  };
  for (const Case& c : cases) {
    const Requirements requirements = Parsed(c.toml);
    EXPECT_EQ(FormatEvaluation(requirements, Evaluate(Edited({}), requirements)), c.text) << c.toml;
  }
}

// A section read whole without any adapter is a machine without one, as the
// summary and the fleet take it; a section cut short may have lost them.
TEST(RequirementsTest, SectionWithoutAdapters) {
  const std::string text = testkit::SampleReport();
  const std::string header = "DeviceInfo\r\n--------------------\r\n\r\n";
  const std::string none = text.substr(0, text.find(header) + header.size());
  const struct {
    std::string bytes;
    const char* outcome;
  } cases[] = {{none, "failed"}, {none.substr(0, none.size() - 2), "unknown"}};
  const Requirements requirements = Parsed("[minimum]\nhardware_device = true\nwhql_level = 1\n");
  for (const auto& c : cases) {
    const Evaluation evaluation = Evaluate(ReadReport(c.bytes), requirements);
    for (const RequirementResult& result : evaluation.results) {
      EXPECT_EQ(std::string(c.outcome) + " (no adapter in the report)",
                std::string(OutcomeText(result.outcome)) + " " + result.has);
    }
  }
}

// What the machine has and the desk's message reach the terminal with their
// control characters (C0, C1, bytes that are not UTF-8) shown as escapes.
TEST(RequirementsTest, VerdictLinesAreTerminalSafe) {
  struct Case {
    Edit edit;
    const char* toml;
    const char* line;  // a line of FormatEvaluation
  };
  const Case cases[] = {
      {{"512MB RAM",
        "x\xC2\x9B"
        "2J\xFF"},
       "[minimum]\nmemory_mb = 512\n",
       "  unknown minimum memory at least 512 MB: x\\u009b2J\\xff (not understood) (line 7)\n"},
      {{"ati2dvag.dll",
        "a\xC2\x9D"
        "52;c;x\xC2\x9C"},
       "[[bad_driver]]\nvendor_id = 0x1002\nmessage = \"up\\u009Bdate\"\n",
       "  known bad driver on adapter 1: a\\u009d52;c;x\\u009c 6.14.10.6400 (0x1002, 0x4E48) (line 17): "
       "up\\u009bdate\n"},
  };
  GivenEncoding utf8;
  ASSERT_TRUE(ParseEncodingName("utf-8", utf8));
  for (const Case& c : cases) {
    std::string text = testkit::SampleReport();
    text.replace(text.find(c.edit.find), std::string(c.edit.find).size(), c.edit.replace);
    const Requirements requirements = Parsed(c.toml);
    const std::string shown = FormatEvaluation(requirements, Evaluate(ReadReport(text, &utf8), requirements));
    EXPECT_NE(shown.find(c.line), std::string::npos) << shown;
  }
}

TEST(RequirementsTest, MistakesAreRefusedWithTheirPlace) {
  struct Case {
    const char* toml;
    const char* error;
  };
  const Case cases[] = {
      {"[minimum]\nmemory_mb = 256\nmemroy_mb = 256\n",
       "game.toml:3:1: unknown key \"memroy_mb\" in [minimum]"},
      {"[minimal]\n", "game.toml:1:2: unknown key \"minimal\""},
      {"[minimum]\nmemory_mb = \"256\"\n", "game.toml:2:13: minimum.memory_mb takes a whole number"},
      {"[minimum]\nmemory_mb = -1\n",
       "game.toml:2:13: minimum.memory_mb takes a number from 0 to 1099511627776"},
      {"[minimum]\nhardware_device = 1\n", "game.toml:2:19: minimum.hardware_device takes true or false"},
      {"[minimum]\ndriver_date = \"2004-01-01\"\n",
       "game.toml:2:15: minimum.driver_date takes a date such as 2004-03-01"},
      {"[minimum]\ntexture_formats = \"D3DFMT_DXT5\"\n",
       "game.toml:2:19: minimum.texture_formats takes a list of names in quotes"},
      {"[recommended]\ntexture_formats = [\"D3DFMT_DXT1\", \"D3DFMT_DXT6\"]\n",
       "game.toml:2:35: unknown format \"D3DFMT_DXT6\""},
      {"[minimum]\nmultisample_types = [\"D3DMULTISAMPLE_3\"]\n",
       "game.toml:2:22: unknown multisample type \"D3DMULTISAMPLE_3\""},
      {"[minimum.caps]\nTextureCap = [\"D3DPTEXTURECAPS_CUBEMAP\"]\n",
       "game.toml:2:1: unknown capability flag field \"TextureCap\""},
      {"[minimum.caps]\nMaxTextureWidth = [\"D3DPTEXTURECAPS_CUBEMAP\"]\n",
       "game.toml:2:1: unknown capability flag field \"MaxTextureWidth\""},
      {"[minimum.caps]\nTextureCaps = [\"D3DPRASTERCAPS_ZBIAS\"]\n",
       "game.toml:2:16: unknown flag \"D3DPRASTERCAPS_ZBIAS\" of TextureCaps"},
      {"[minimum]\nwindows = \"Windows 12\"\n",
       "game.toml:2:11: unknown Windows version \"Windows 12\" (a name such as \"XP\" or a number such as "
       "\"5.1.2600\")"},
      {"[minimum]\nvertex_shader = \"1.x\"\n",
       "game.toml:2:17: minimum.vertex_shader takes a version such as \"1.1\""},
      {"[minimum.display_mode]\nwidth = 1024\nheigth = 768\n",
       "game.toml:3:1: unknown key \"heigth\" in [minimum.display_mode]"},
      {"[minimum.display_mode]\nwidth = 1024\n",
       "game.toml:1:1: minimum.display_mode needs a width and a height"},
      {"[[bad_driver]]\nvendor_id = 0x10DE\n", "game.toml:1:1: [[bad_driver]] needs a message"},
      {"[[bad_driver]]\nvendor_id = 0x10DE\nto_version = \"6.14.10\"\nmessage = \"m\"\n",
       "game.toml:3:14: to_version takes a version such as \"6.14.10.4403\""},
      {"[minimum]\nmemory_mb = 256\nmemory_mb = 512\n",
       "game.toml:3:13: Error while parsing key-value pair: cannot redefine existing integer 'memory_mb'"},
  };
  for (const Case& c : cases) {
    Requirements requirements;
    requirements.requirements.resize(1);
    RequirementsError error;
    EXPECT_FALSE(ParseRequirements(c.toml, requirements, error)) << c.toml;
    EXPECT_EQ(FormatRequirementsError("game.toml", error), c.error) << c.toml;
    // Nothing of a refused file is kept, the parts read before the mistake neither.
    EXPECT_TRUE(requirements.requirements.empty() && requirements.badDrivers.empty()) << c.toml;
  }
}

TEST(RequirementsTest, ShippedExampleIsAccepted) {
  Requirements requirements;
  RequirementsError error;
  ASSERT_TRUE(ReadRequirementsFile(VEXA_REQUIREMENTS_EXAMPLE, requirements, error)) << error.message;
  EXPECT_EQ(requirements.requirements.size(), 23u);
  EXPECT_EQ(requirements.badDrivers.size(), 1u);
  EXPECT_EQ(requirements.requirements.front().id, "minimum.windows");
}

}  // namespace
}  // namespace vexaEnvReader
