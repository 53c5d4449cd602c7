// Control sequences from a stranger's report or file name reach the desk's
// terminal as visible text: in the escapes themselves, and in the summary
// and the comparison that carry them.
#include <gtest/gtest.h>

#include "reader/testing/vexaRandomModel.h"
#include "reader/vexaReportDiff.h"
#include "reader/vexaReportParser.h"
#include "reader/vexaReportSummary.h"
#include "reader/vexaTerminalText.h"

namespace vexaEnvReader {
namespace {

// ESC [2J clears the screen, OSC 52 writes the clipboard, OSC 0 retitles the
// window, OSC 8 makes a link; BEL, CR and LF move or forge lines.
const char kClear[] = "\x1b[2J";
const char kClipboard[] = "\x1b]52;c;cm0gLXJmIH4vKg==\x07";
const char kTitle[] = "\x1b]0;owned\x07";
const char kLink[] = "\x1b]8;;http://x\x1b\\y\x1b]8;;\x1b\\";

TEST(TerminalTextTest, ControlCharactersBecomeVisible) {
  struct Case {
    std::string text;
    std::string shown;
  } cases[] = {
      {kClear, "\\x1b[2J"},
      {kClipboard, "\\x1b]52;c;cm0gLXJmIH4vKg==\\x07"},
      {kTitle, "\\x1b]0;owned\\x07"},
      {kLink, "\\x1b]8;;http://x\\x1b\\y\\x1b]8;;\\x1b\\"},
      {"a\rb\nc\td\x7f" + std::string(1, '\0'), "a\\rb\\nc\\td\\x7f\\x00"},
      {u8"\u009b2J \u0085", "\\u009b2J \\u0085"},
      {"\xff\xc3(", "\\xff\\xc3("},
      {u8"Intel® 山田 C:\\x ｱ", u8"Intel® 山田 C:\\x ｱ"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.shown, TerminalText(c.text));
}

// A report whose adapter name and processor carry every sequence, under a
// file name with a line end in it.
TEST(TerminalTextTest, SummaryAndComparisonShowNoControlCharacter) {
  const std::string clean = testkit::SampleReport();
  std::string hostile = clean;
  const std::string name = std::string("RADEON") + kClear + kTitle + "\a";
  hostile.replace(hostile.find("RADEON 9800 PRO"), 15, name);
  hostile.replace(hostile.find("Pentium 4"), 9, std::string("P4") + kClipboard + "\rX");
  const EnvReport cleanReport = ReadReport(clean), hostileReport = ReadReport(hostile);
  const std::string fileName = "a.txt\nAdapter 9: forged";

  const std::string summary = FormatSummary(fileName, hostileReport, Summarize(hostileReport, nullptr));
  const std::string diff = DiffReports("old.txt", cleanReport, fileName, hostileReport);
  for (const std::string& out : {summary, diff}) {
    for (const char c : out) EXPECT_FALSE((c >= 0 && c < 0x20 && c != '\n') || c == 0x7f) << out;
  }
  EXPECT_EQ(0u, summary.find("a.txt\\nAdapter 9: forged\n"));
  EXPECT_NE(std::string::npos, summary.find("\nAdapter 1: RADEON\\x1b[2J\\x1b]0;owned\\x07\\x07\n"));
  EXPECT_NE(std::string::npos,
            summary.find("  Processor:        P4\\x1b]52;c;cm0gLXJmIH4vKg==\\x07\\rX (1 CPU)"));
  EXPECT_NE(std::string::npos, diff.find("+++ a.txt\\nAdapter 9: forged\n"));
  EXPECT_NE(std::string::npos, diff.find("  Device: + RADEON\\x1b[2J\\x1b]0;owned\\x07\\x07\n"));
  EXPECT_NE(std::string::npos, diff.find("  Processor: + P4\\x1b]52;c;cm0gLXJmIH4vKg==\\x07\\rX (1 CPU)"));
  const std::string back = DiffReports(fileName, hostileReport, "old.txt", cleanReport);
  EXPECT_NE(std::string::npos, back.find("--- a.txt\\nAdapter 9: forged\n"));
  EXPECT_NE(std::string::npos, back.find("  Device: - RADEON\\x1b[2J\\x1b]0;owned\\x07\\x07\n"));
}

}  // namespace
}  // namespace vexaEnvReader
