// Mail damage applied to a clean report: every record and value comes back,
// the repair is named and line numbers stay those of the damaged text. A cut
// that cannot be told from a wrap is a problem, never a whole value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#include "reader/testing/vexaRandomModel.h"
#include "reader/vexaMailRepair.h"
#include "reader/vexaReportParser.h"
#include "reader/vexaReportSummary.h"

namespace vexaEnvReader {
namespace {

const char kOs[] = "Windows 10 Pro 64-bit (10.0, Build 19045) (19041.vb_release.191206-1406)";
const char kProcessor[] = "Intel(R) Core(TM) i7-8550U CPU @ 1.80GHz (8 CPUs), ~2.0GHz";
// Wrapped at 72 columns, its next word would have fitted in 76.
const char kPageFile[] = "1437MB used, 22668MB available, 2 GB in the swap files pagefile.sys swapfile.sys";
const char kDevice[] =
    "RADEON 9800 PRO Family (Microsoft Corporation - WDDM v1.1) = Bezeichnung past the mail width";

// Long enough that the adapter's line is wrapped twice.
const char kLongerDevice[] =
    " with a marketing tail so long that a mail program wraps this line twice, not once";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

std::string ReplacedAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// Long values of the diagnostic text and a long adapter name, as mail wraps them.
std::string CleanReport() {
  std::string report = testkit::SampleReport();
  report = Replaced(report, "Windows XP Professional (5.1, Build 2600)", kOs);
  report = Replaced(report, "Pentium 4 (1 CPU), ~2.4GHz", kProcessor);
  report =
      Replaced(report, "             Memory: 512MB RAM\r\n",
               "             Memory: 512MB RAM\r\n          Page File: " + std::string(kPageFile) + "\r\n");
  return Replaced(report, "Device: RADEON 9800 PRO", std::string("Device: ") + kDevice);
}

// Each line (split at `end`) through `change`.
std::string EachLine(const std::string& text, const std::function<std::string(const std::string&)>& change,
                     const std::string& end = "\r\n") {
  std::string out;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t at = text.find(end, start);
    out += change(text.substr(start, at - start)) + end;
    start = at + end.size();
  }
  return out;
}

// A mail program's wrap: a line past `width` columns broken at its last
// blank that fits, the blank taken or left at the end of the line.
std::string Wrapped(const std::string& text, bool keepBlank, std::size_t width = 76) {
  return EachLine(text, [keepBlank, width](std::string line) {
    std::string out;
    while (line.size() > width) {
      const std::size_t blank = line.rfind(' ', width);
      out += line.substr(0, keepBlank ? blank + 1 : blank) + "\r\n";
      line = line.substr(blank + 1);
    }
    return out + line;
  });
}

std::string QuotedPrintable(const std::string& text) {
  return EachLine(text, [](const std::string& line) {
    std::vector<std::string> units;
    for (std::size_t i = 0; i < line.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(line[i]);
      char escape[4];
      std::snprintf(escape, sizeof escape, "=%02X", c);
      const bool last = i + 1 == line.size();
      units.push_back(c == '=' || c >= 0x80 || (last && (c == ' ' || c == '\t')) ? escape
                                                                                 : std::string(1, line[i]));
    }
    std::string out, row;
    for (const std::string& unit : units) {
      if (row.size() + unit.size() > 75) out += row + "=\r\n", row.clear();
      row += unit;
    }
    return out + row;
  });
}

// The line an editor shows `text` on, counting line ends of `end`.
std::size_t LineOf(const std::string& bytes, const std::string& text, char end = '\n') {
  return static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + bytes.find(text), end)) + 1;
}

std::string DeviceInfoOf(const std::string& report) {
  return report.substr(report.find("--------------------\r\n\r\n") + 24);
}

TEST(MailRepairTest, DamagedReportsGiveTheOriginalRecords) {
  const std::string clean = CleanReport();
  std::string lf = clean;
  lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
  const std::string noDriver = Replaced(clean, "Driver: ati2dvag.dll", "Driver: ");
  const std::string longer = Replaced(clean, kDevice, std::string(kDevice) + kLongerDevice);
  struct Case {
    const char* name;
    std::string bytes;
    const char* repairs;
    char end;                               // of the damaged text's lines
    const std::string* original = nullptr;  // the clean report, unless another
  } cases[] = {
      {"clean", clean, "", '\n'},
      {"blank after the section title and each adapter's",
       ReplacedAll(Replaced(clean, "\r\nDeviceInfo\r\n", "\r\nDeviceInfo \r\n"), "< Device Info >\r\n",
                   "< Device Info > \r\n"),
       "trailing blanks", '\n'},
      {"blank after every line", EachLine(clean, [](const std::string& line) { return line + " "; }),
       "trailing blanks, blank lines", '\n'},
      {"blank-only line after the header",
       Replaced(clean, "DeviceInfo\r\n--------------------\r\n\r\n",
                "DeviceInfo\r\n--------------------\r\n \r\n\r\n"),
       "blank lines", '\n'},
      {"empty line after the header, with a blank",
       Replaced(clean, "DeviceInfo\r\n--------------------\r\n\r\n",
                "DeviceInfo\r\n--------------------\r\n\t\r\n"),
       "blank lines", '\n'},
      {"empty line doubled in a table", Replaced(clean, " D3DFMT_DXT5\r\n\r\n", " D3DFMT_DXT5\r\n\r\n\r\n"),
       "blank lines", '\n'},
      {"tabs turned into 4 spaces", ReplacedAll(clean, "\t", "    "), "tabs turned into spaces", '\n'},
      {"tabs turned into 8 spaces", ReplacedAll(clean, "\t", "        "), "tabs turned into spaces", '\n'},
      {"tabs turned into 1 space", ReplacedAll(clean, "\t", " "), "tabs turned into spaces", '\n'},
      {"empty driver name, its blank trimmed", Replaced(noDriver, "Driver: \r\n", "Driver:\r\n"),
       "trailing blanks", '\n', &noDriver},
      {"LF", lf, "line ends changed", '\n'},
      {"CR alone", ReplacedAll(clean, "\r\n", "\r"), "line ends changed", '\r'},
      {"CR CR LF", ReplacedAll(clean, "\r\n", "\r\r\n"), "line ends changed", '\n'},
      {"quoted-printable", QuotedPrintable(clean), "quoted-printable", '\n'},
      {"wrapped at 76, blank taken", Wrapped(clean, false), "wrapped lines", '\n'},
      {"wrapped at 76, blank left", Wrapped(clean, true), "wrapped lines", '\n'},
      {"wrapped at 72", Wrapped(clean, false, 72), "wrapped lines", '\n'},
      {"name wrapped twice, blank taken", Wrapped(longer, false), "wrapped lines", '\n', &longer},
      {"name wrapped twice, blank left", Wrapped(longer, true), "wrapped lines", '\n', &longer},
      {"name wrapped twice at 72", Wrapped(longer, false, 72), "wrapped lines", '\n', &longer},
      {"quoted-printable, LF, tabs and blanks",
       ReplacedAll(ReplacedAll(ReplacedAll(QuotedPrintable(clean), "\t", "  "), "\r\n", "\n"), "}\n",
                   "}  \n"),
       "quoted-printable, line ends changed, tabs turned into spaces", '\n'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const EnvReport read = ReadReport(c.bytes);
    EXPECT_FALSE(read.problem) << read.problem->line << ": " << read.problem->message;
    EXPECT_EQ(c.repairs, RepairText(read.repairs));
    EXPECT_EQ(DeviceInfoOf(c.original ? *c.original : clean),
              testkit::WithCrLf(testkit::WrittenDeviceInfo(*read.devices)));
    for (const auto& [label, value] : {std::pair<const char*, const char*>{"Operating System", kOs},
                                       {"Processor", kProcessor},
                                       {"Page File", kPageFile}}) {
      ASSERT_NE(nullptr, read.FindEntry(label)) << label;
      EXPECT_EQ(value, read.FindEntry(label)->value);
      EXPECT_EQ(LineOf(c.bytes, label, c.end), read.FindEntry(label)->line);
    }
    ASSERT_EQ(2u, read.adapterLines.size());
    EXPECT_EQ(LineOf(c.bytes, "< Device Info >", c.end), read.adapterLines[0].block);
    EXPECT_EQ(LineOf(c.bytes, "WHQLLevel: 1", c.end), read.adapterLines[0].fields[kWHQLLevelField]);
  }
}

// A line of the full width may have lost a blank or been cut inside a word:
// its value is named as a problem and not shown as whole.
TEST(MailRepairTest, UncertainCutsAreProblems) {
  const std::string clean = CleanReport();
  const auto cutAt = [&clean](const std::string& label, std::size_t column) {
    const std::size_t start = clean.find(label);
    const std::size_t at = clean.rfind('\n', start) + 1 + column;
    EXPECT_TRUE(clean[at - 1] != ' ' && clean[at] != ' ') << label;
    return clean.substr(0, at) + "\r\n" + clean.substr(at);
  };
  const std::string message = "a line cut, perhaps by a mail program's wrap";
  const EnvReport device = ReadReport(cutAt("Device: ", 76));
  ASSERT_TRUE(device.problem);
  EXPECT_EQ(std::to_string(LineOf(clean, "Device: ")) + ": " + message,
            std::to_string(device.problem->line) + ": " + device.problem->message);
  EXPECT_FALSE(device.adapterLines[0].Read(kDeviceField));
  const std::string summary = FormatSummary("r", device, Summarize(device, nullptr));
  EXPECT_NE(std::string::npos, summary.find("\nAdapter 1: (not read)\n"));
  // Wrapped once, then cut inside a word at the full width: the first part
  // is no name.
  const std::string line = "Device: " + std::string(kDevice) + kLongerDevice;
  const std::size_t blank = line.rfind(' ', 76);
  const std::string rest = line.substr(blank + 1);
  ASSERT_TRUE(rest[75] != ' ' && rest[76] != ' ');
  const EnvReport twice =
      ReadReport(Replaced(Replaced(clean, kDevice, std::string(kDevice) + kLongerDevice), line,
                          line.substr(0, blank) + "\r\n" + rest.substr(0, 76) + "\r\n" + rest.substr(76)));
  ASSERT_TRUE(twice.problem);
  EXPECT_EQ(std::to_string(LineOf(clean, "Device: ")) + ": " + message,
            std::to_string(twice.problem->line) + ": " + twice.problem->message);
  EXPECT_FALSE(twice.adapterLines[0].Read(kDeviceField));
  // Cut inside a word at the full width, or where neither width would wrap.
  const std::pair<const char*, std::string> cuts[] = {
      {"Operating System", cutAt("Operating System", 76)},
      {"Processor", Replaced(clean, "1.80GHz (8 CPUs)", "1.80GHz\r\n(8 CPUs)")}};
  for (const auto& [label, bytes] : cuts) {
    const EnvReport cut = ReadReport(bytes);
    ASSERT_TRUE(cut.problem) << label;
    EXPECT_EQ(std::to_string(LineOf(clean, label)) + ": " + message,
              std::to_string(cut.problem->line) + ": " + cut.problem->message);
    const std::string shown = FormatSummary("r", cut, Summarize(cut, nullptr));
    EXPECT_NE(std::string::npos, shown.find(" (cut by a wrap)\n")) << shown;
  }
  // Text of lines that fit the mail width and merely hold an "=", or an
  // escape no encoder writes, is no quoted-printable.
  for (const char* memory : {"= 512MB RAM", "512MB =41 RAM"}) {
    SCOPED_TRACE(memory);
    const EnvReport equals = ReadReport(Replaced(testkit::SampleReport(), "512MB RAM", memory));
    EXPECT_FALSE(equals.problem);
    EXPECT_EQ(0u, equals.repairs);
    EXPECT_EQ(memory, equals.FindEntry("Memory")->value);
  }
}

}  // namespace
}  // namespace vexaEnvReader
