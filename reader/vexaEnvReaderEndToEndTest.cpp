// The program as the desk runs it on the host: its exit statuses and outputs,
// and its page as a real browser (headless Chromium) lays it out. The page
// test skips when Chromium is not installed; scripts/setup installs it.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "reader/testing/vexaRandomModel.h"

namespace {

// A private folder with the sample reports in it, removed at the end.
class EnvReaderTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vexaEnvReaderTest.XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(&pattern[0]));
    folder_ = pattern;
    Write("old.txt", vexaEnvReader::testkit::SampleReport());
    Write("new.txt", vexaEnvReader::testkit::SampleReport(true));
    const std::string whole = vexaEnvReader::testkit::SampleReport();
    Write("cut.txt", whole.substr(0, whole.size() / 2));
    Write("game.toml",
          "[minimum]\nvertex_shader = \"1.1\"\n[recommended]\ntexture_formats = [\"D3DFMT_DXT5\"]\n");
    Write("bad.toml", "[minimum]\nvertex_shaders = \"1.1\"\n");
  }
  void TearDown() override { std::system(("rm -rf '" + folder_ + "'").c_str()); }

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ + "/" + name, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) {
    std::ifstream in(folder_ + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Runs a command in the folder; its exit status, standard output in `out`.
  int Run(const std::string& command, std::string& out) {
    const int status = std::system(("cd '" + folder_ + "' && " + command + " >stdout 2>stderr").c_str());
    out = Read("stdout");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The text Chromium lays `page` out as, its blocks opened or not: a copy of
  // the page with a probe that replaces it with its own laid-out text.
  std::string LaidOut(const std::string& page, const char* open) {
    std::string probe =
        "<script>document.querySelectorAll('details').forEach(d => d.open = OPEN);"
        "const text = document.body.innerText; const pre = document.createElement('pre');"
        "pre.textContent = text; document.body.replaceChildren(pre);</script></body>";
    probe.replace(probe.find("OPEN"), 4, open);
    std::string probed = page;
    probed.replace(probed.rfind("</body>"), 7, probe);
    // The page's own policy forbids any script, the probe's too.
    const std::size_t policy = probed.find("<meta http-equiv=\"Content-Security-Policy\"");
    if (policy != std::string::npos) probed.erase(policy, probed.find('>', policy) + 1 - policy);
    Write("probe.html", probed);
    std::string dom;
    EXPECT_EQ(0, Run("chromium --headless --no-sandbox --disable-gpu --user-data-dir=\"$PWD/profile\" "
                     "--dump-dom \"file://$PWD/probe.html\"",
                     dom));
    const std::size_t start = dom.find("<pre>"), end = dom.find("</pre>");
    return start == std::string::npos || end == std::string::npos ? dom
                                                                  : dom.substr(start + 5, end - start - 5);
  }

  std::string folder_;
};

TEST_F(EnvReaderTest, ExitStatusesAndOutputs) {
  struct Case {
    const char* arguments;
    int status;
    const char* firstLine;
    std::size_t lines;
  } cases[] = {
      {"old.txt", 0, "old.txt", 0},
      {"old.txt cut.txt", 1, "old.txt", 0},
      {"missing.txt", 1, "", 0},
      {"old.txt .", 1, "old.txt", 0},  // a folder
      {"--json old.txt new.txt cut.txt", 1, "{\"file\":\"old.txt\",\"encoding\":\"cp932\"", 3},
      {"--diff old.txt new.txt", 0, "--- old.txt", 0},
      {"--html old.txt", 0, "<!DOCTYPE html>", 0},
      {"--version", 0, "vexaEnvReader " VEXA_VERSION, 1},
      {"", 2, "", 0},
      {"--diff old.txt", 2, "", 0},
      {"--html old.txt new.txt", 2, "", 0},
      {"--frobnicate old.txt", 2, "", 0},
      {"--fleet old.txt new.txt", 0, "Fleet: 1 machine from 2 reports\n", 0},
      {"--fleet --json old.txt cut.txt missing.txt", 1, "{\"reports\":2,\"unreadable\":1,\"machines\":1,", 1},
      {"--fleet --require game.toml --csv old.txt", 0, "table,value,machines,share,not read\r\n", 0},
      {"--fleet --require bad.toml old.txt", 2, "", 0},
      {"--fleet --csv --html old.txt", 2, "", 0},
      {"--fleet", 2, "", 0},
      // The reader's own limit and options hold for the fleet's report files too.
      {"--fleet --max-size 1K --json old.txt new.txt", 1, "{\"reports\":0,\"unreadable\":2,\"machines\":0,",
       1},
      {"--csv old.txt", 2, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    std::string out;
    EXPECT_EQ(c.status, Run(std::string(VEXA_ENV_READER) + " " + c.arguments, out));
    EXPECT_EQ(c.firstLine, out.substr(0, std::string(c.firstLine).size()));
    if (c.lines != 0) {
      EXPECT_EQ(c.lines, static_cast<std::size_t>(std::count(out.begin(), out.end(), '\n')));
    }
  }
  // Every record recovered from mail damage: status 0, and a line that says
  // the file is not as the tool wrote it.
  std::string mailed = vexaEnvReader::testkit::SampleReport();
  mailed.erase(std::remove(mailed.begin(), mailed.end(), '\r'), mailed.end());
  Write("mailed.txt", mailed);
  std::string out;
  EXPECT_EQ(0, Run(std::string(VEXA_ENV_READER) + " mailed.txt", out));
  EXPECT_EQ("vexaEnvReader: mailed.txt: repaired in transit: line ends changed\n", Read("stderr"));
  EXPECT_NE(std::string::npos, out.find("\nRepaired in transit: line ends changed\n"));
}

// With --require: the verdict in each view, and a status per worst verdict.
TEST_F(EnvReaderTest, RequirementsVerdictsAndStatuses) {
  Write("meets.toml", "[minimum]\nmemory_mb = 512\n[recommended]\nmax_texture_size = 2048\n");
  Write("below.toml", "[minimum]\nmax_texture_size = 4096\n");
  Write("unknown.toml", "[minimum]\ndisplay_memory_mb = 64\n");
  Write("refused.toml", "[minimum]\nmemory = 512\n");
  struct Case {
    const char* arguments;
    int status;
    const char* shown;  // in standard output, or in standard error when the output is empty
  } cases[] = {
      {"--require meets.toml old.txt", 0, "\nRequirements: meets recommended (2 of 2 met)\n"},
      // What the cut report could not give is not needed by this file.
      {"--require meets.toml cut.txt", 0, "\nRequirements: meets recommended (2 of 2 met)\n"},
      {"--require below.toml new.txt old.txt", 3,
       "Requirements: below minimum (0 of 1 met)\n  failed minimum textures of 4096 x 4096: 2048 x 2048 "
       "(line 86)\n"},
      {"--require unknown.toml old.txt", 4, "Requirements: cannot tell (0 of 1 met)\n"},
      {"--require below.toml old.txt missing.txt", 1, "Requirements: below minimum"},
      {"--require refused.toml old.txt", 2,
       "vexaEnvReader: refused.toml:2:1: unknown key \"memory\" in [minimum]\n"},
      {"--require absent.toml old.txt", 2, "vexaEnvReader: absent.toml: cannot be read\n"},
      {"--json --require meets.toml old.txt", 0,
       "\"requirements\":{\"badDrivers\":[],\"file\":\"meets.toml\",\"results\":[{\"has\":\"512MB "
       "RAM\",\"id\":"
       "\"minimum.memory_mb\",\"level\":\"minimum\",\"line\":7,\"outcome\":\"met\",\"text\":\"memory at "
       "least 512 MB\"}"},
      {"--require below.toml --html old.txt", 3,
       "<h2>Requirements</h2>\n<p>below.toml: <strong>below minimum</strong></p>\n<table>\n"},
      {"--require meets.toml --diff old.txt new.txt", 2, "--require does not go with --diff"},
      {"--require", 2, "--require needs a value"},
      {"--require a.toml --require b.toml old.txt", 2, "--require takes one requirements file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    std::string out;
    EXPECT_EQ(c.status, Run(std::string(VEXA_ENV_READER) + " " + c.arguments, out));
    if (out.empty()) out = Read("stderr");
    EXPECT_NE(std::string::npos, out.find(c.shown)) << out;
  }
}

// What the desk is told, on standard error, of files it cannot have read as
// reports: too large, endless, never written to; and of output that could not
// be written. "--" makes any name a report's.
TEST_F(EnvReaderTest, RefusalsAndOddFilesAndNames) {
  Write("--json", vexaEnvReader::testkit::SampleReport());
  const std::string whole = vexaEnvReader::testkit::SampleReport();
  Write("bad\n\x1b]0;x\a.txt", whole.substr(0, whole.size() / 2));
  // One JSON line too long to be a report, with no line end.
  Write("long.jsonl", "{" + std::string(std::size_t(17) << 20, 'x'));
  std::string out;
  ASSERT_EQ(0, Run("mkfifo fifo zeros && { timeout 30 sh -c 'head -c 200000 /dev/zero >zeros' & }", out));
  struct Case {
    const char* arguments;
    int status;
    const char* shown;  // a line of standard output
    const char* error;  // the first line of standard error
  } cases[] = {
      {"--max-size 1K old.txt", 1, "",
       "vexaEnvReader: old.txt is larger than 1 KiB (--max-size changes the limit)"},
      {"--fleet --max-size 1K old.txt", 1, "Fleet: 0 machines from 0 reports, 1 not readable",
       "vexaEnvReader: old.txt is larger than 1 KiB (--max-size changes the limit)"},
      {"--max-size 100K /dev/zero", 1, "",
       "vexaEnvReader: /dev/zero is larger than 100 KiB (--max-size changes the limit)"},
      {"--max-size 100K /dev/stdin <zeros", 1, "",
       "vexaEnvReader: /dev/stdin is larger than 100 KiB (--max-size changes the limit)"},
      {"fifo", 1, "fifo", "vexaEnvReader: fifo:1: the report has no \"DeviceInfo\" section"},
      {"--fleet fifo", 1, "Fleet: 1 machine from 1 report",
       "vexaEnvReader: fifo:1: the report has no \"DeviceInfo\" section"},
      {"--require /dev/zero old.txt", 2, "",
       "vexaEnvReader: /dev/zero: larger than 1 MB: no requirements file"},
      {"--require fifo old.txt", 0, "Requirements: meets recommended (0 of 0 met)", ""},
      {"--fleet long.jsonl", 1, "Fleet: 0 machines from 0 reports, 1 not readable",
       "vexaEnvReader: long.jsonl:1: not a report line of --json"},
      {"old.txt --max-size 13656", 0, "old.txt", ""},
      {"--max-size 12X old.txt", 2, "", "vexaEnvReader: not a size: 12X"},
      {"--max-size 999999999999G old.txt", 2, "", "vexaEnvReader: not a size: 999999999999G"},
      {"--json -- --json", 0, "{\"file\":\"--json\",\"encoding\":\"cp932\"", ""},
      {"-- --diff", 1, "", "vexaEnvReader: cannot read --diff"},
      {"--encoding cp1252 old.txt", 0, "  Encoding:         cp1252 (given)", ""},
      {"--encoding klingon old.txt", 2, "", "vexaEnvReader: unknown encoding klingon"},
      {"bad*", 1, "bad\\n\\x1b]0;x\\x07.txt",
       "vexaEnvReader: bad\\n\\x1b]0;x\\x07.txt:399: expected \"GuardBandLeft:\""},
      {"old.txt >/dev/full", 1, "", "vexaEnvReader: cannot write the output: No space left on device"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    // A FIFO nobody writes to must not keep the run waiting.
    EXPECT_EQ(c.status, Run("{ timeout 20 " VEXA_ENV_READER " " + std::string(c.arguments) + "; }", out));
    EXPECT_NE(std::string::npos, ("\n" + out).find(std::string("\n") + c.shown)) << out;
    const std::string error = Read("stderr");
    EXPECT_EQ(c.error, error.substr(0, error.find('\n')));
  }
}

// The page's text as Chromium lays it out: closed blocks show their titles
// only; opened, the capability flags stand in their set and unset columns.
TEST_F(EnvReaderTest, PageAsTheBrowserLaysItOut) {
  std::string out;
  if (Run("command -v chromium", out) != 0) GTEST_SKIP() << "chromium is not installed (scripts/setup)";
  ASSERT_EQ(0, Run(std::string(VEXA_ENV_READER) + " --html old.txt", out));
  ASSERT_EQ(std::string::npos, out.find("<script")) << "the page needs no script";
  const auto laidOut = [&](const char* open) { return LaidOut(out, open); };
  const std::string closed = laidOut("false");
  for (const char* shown :
       {"old.txt\nSummary\nReport time\t12/7/2026, 09:15:00\n",
        "Adapter 1: RADEON 9800 PRO\nDriver\tati2dvag.dll 6.14.10.6400\n", "Max texture\t2048 x 2048\n",
        "Figures\tnone (no hardware device)\nNotes\nline 442: adapter 2: the driver has no WHQL level\n",
        "Diagnostic text\nSystem Information\nDeviceInfo\nAdapter 1: RADEON 9800 PRO\nAdapter 2: Basic "
        "Display"}) {
    EXPECT_NE(std::string::npos, closed.find(shown)) << shown << "\nin\n" << closed;
  }
  EXPECT_EQ(std::string::npos, closed.find("D3DPTEXTURECAPS_ALPHA")) << "a closed block shows its content";
  const std::string opened = laidOut("true");
  EXPECT_NE(std::string::npos, opened.find("Flags\tSet\tUnset\n"));
  EXPECT_NE(std::string::npos,
            opened.find("TextureCaps\tD3DPTEXTURECAPS_ALPHA\tD3DPTEXTURECAPS_ALPHAPALETTE\n"))
      << opened;
  EXPECT_NE(std::string::npos, opened.find("1600 x 1200\tD3DFMT_X8R8G8B8\tD3DFMT_A8R8G8B8\t60Hz\n"));
  // The screenshot for the documentation, kept beside the build.
  Write("page.html", out);
  Run("chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir=\"$PWD/profile\" "
      "--window-size=1000,1100 --screenshot=\"" VEXA_SCREENSHOT "\" \"file://$PWD/page.html\"",
      out);
}

// A JSON Lines file of the reports gives the fleet of the reports.
TEST_F(EnvReaderTest, FleetOfJsonLinesIsTheFleetOfItsReports) {
  std::string fromReports, fromLines;
  EXPECT_EQ(1,
            Run(std::string(VEXA_ENV_READER) + " --json old.txt new.txt cut.txt >all.jsonl; " VEXA_ENV_READER
                                               " --fleet --csv old.txt new.txt cut.txt",
                fromReports));
  EXPECT_EQ(1, Run(std::string(VEXA_ENV_READER) + " --fleet --csv all.jsonl", fromLines));
  EXPECT_EQ(fromReports, fromLines);
  EXPECT_NE(std::string::npos, fromLines.find("\r\nDrivers,ati2dvag.dll 6.14.10.6400,1,100.0,\r\n"))
      << fromLines;
  // As an editor may leave it: a byte-order mark, CR LF, a blank line, a
  // line of something else, no line end at the end.
  const std::string all = Read("all.jsonl");
  const std::size_t first = all.find('\n'), second = all.find('\n', first + 1);
  Write("mixed.jsonl", "\xEF\xBB\xBF" + all.substr(0, first) + "\r\n\r\n{\"file\": 1}\n" +
                           all.substr(first + 1, second - first - 1));
  EXPECT_EQ(1, Run(std::string(VEXA_ENV_READER) + " --fleet --json mixed.jsonl", fromLines));
  EXPECT_EQ(0u, fromLines.find("{\"reports\":2,\"unreadable\":1,\"machines\":1,")) << fromLines;
  EXPECT_EQ("vexaEnvReader: mixed.jsonl:3: not a report line of --json\n", Read("stderr"));
}

// The fleet's page as Chromium lays it out: every table's rows with their
// figures; the report's text escaped, not markup.
TEST_F(EnvReaderTest, FleetPageAsTheBrowserLaysItOut) {
  std::string out;
  if (Run("command -v chromium", out) != 0) GTEST_SKIP() << "chromium is not installed (scripts/setup)";
  std::string other = vexaEnvReader::testkit::SampleReport(true);
  const std::string time = "Time of this report: 12/7/2026, 09:15:00";
  other.replace(other.find(time), time.size(), time + "\r\nMachine name: DESK");
  const std::string name = "Device: RADEON 9800 PRO";
  other.replace(other.find(name), name.size(), "Device: <b>RADEON</b> & Co");
  Write("other.txt", other);
  ASSERT_EQ(0,
            Run(std::string(VEXA_ENV_READER) + " --fleet --require game.toml --html old.txt other.txt", out));
  ASSERT_EQ(std::string::npos, out.find("<script")) << "the page needs no script";
  const std::string text = LaidOut(out, "false");
  for (const char* shown :
       {"Fleet\n\n2 machines from 2 reports. A machine is the first adapter's device identifier",
        "Capabilities\n\tMachines\tShare\tNot read\t\nHardware device\t2\t100.0%\t0\t\n",
        "\nDXT5 textures\t1\t50.0%\t0\t\n",
        "Requirements\n\tMachines\tShare\t\nmeets the minimum\t2\t100.0%\t\n",
        "\nrecommended: texture format D3DFMT_DXT5\t1\t50.0%\t0\t\n", "\n2048 x 2048\t1\t50.0%\t\n",
        // The serialised text escapes again what the page escaped once.
        "Adapters\n\tMachines\tShare\t\n&lt;b&gt;RADEON&lt;/b&gt; &amp; Co\t1\t50.0%\t\n",
        "Windows versions\n\tMachines\tShare\t\nWindows XP Professional\t2\t100.0%\t"}) {
    EXPECT_NE(std::string::npos, text.find(shown)) << shown << "\nin\n" << text;
  }
  Write("fleet.html", out);
  Run("chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir=\"$PWD/profile\" "
      "--window-size=900,1100 --screenshot=\"" VEXA_FLEET_SCREENSHOT "\" \"file://$PWD/fleet.html\"",
      out);
}

}  // namespace
