// The stand-in diagnostic report over fake machines: its exact text, what
// hostile or missing files leave of it, and the report path of its command
// line.
#include <gtest/gtest.h>

#include "platform/posix/dxdiag/internal/DiagReport.h"
#include "platform/posix/testing/HostTesting.h"

namespace platform::posix {
namespace {

using testkit::CFakeSysfs;

const char kCards[] =
    " 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n"
    "                      HDA Intel PCH at 0xf7f10000 irq 33\n"
    " 1 [NVidia         ]: HDA-Intel - HDA NVidia\n"
    "                      HDA NVidia at 0xf7080000 irq 17\n"
    "29 [ThinkPadEC     ]: ThinkPad EC - ThinkPad Console Audio Control\n"
    "                      ThinkPad Console Audio Control at EC reg 0x30, fw N1MHT22W\n";

DiagSources Sources(const CFakeSysfs& tree) {
  DiagSources sources;
  sources.hardware = {tree.Root(), {tree.Path("pci.ids")}, "6.1.0-18-amd64", false, ""};
  sources.osRelease = {tree.Path("etc/os-release"), tree.Path("usr/lib/os-release")};
  sources.cpuInfo = tree.Path("proc/cpuinfo");
  sources.memInfo = tree.Path("proc/meminfo");
  sources.soundCards = tree.Path("proc/asound/cards");
  return sources;
}

const DiagFacts kFacts = {"12/7/2026, 05:53:00", "support-pc", "ja_JP.UTF-8"};

const char kSystemHead[] =
    "------------------\n"
    "System Information\n"
    "------------------\n"
    "Time of this report: 12/7/2026, 05:53:00\n"
    "       Machine name: support-pc\n";

TEST(DiagReportTest, ReportOfAFullMachine) {
  CFakeSysfs tree;
  testkit::AddTwoCards(tree);
  tree.File("etc/os-release",
            "# from the vendor\nNAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n")
      .File("proc/cpuinfo",
            "processor\t: 0\nmodel name\t: Intel(R) Core(TM) i5-7200U CPU @ 2.50GHz\nflags\t\t: " +
                std::string(2000, 'f') + "\n\nprocessor\t: 1\nmodel name\t: other\n")
      .File("proc/meminfo", "MemTotal:        8052348 kB\nMemFree:         1000000 kB\n")
      .File("proc/asound/cards", kCards);
  const std::string expected =
      std::string(kSystemHead) +
      "   Operating System: Debian GNU/Linux 12 (bookworm) (Linux 6.1.0-18-amd64)\n"
      "           Language: ja_JP.UTF-8\n"
      "          Processor: Intel(R) Core(TM) i5-7200U CPU @ 2.50GHz (2 CPUs)\n"
      "             Memory: 7863MB RAM\n"
      "\n"
      "---------------\n"
      "Display Devices\n"
      "---------------\n"
      "          Card name: NVIDIA Corporation GP106 [GeForce GTX 1060 6GB]\n"
      "           Location: 0000:01:00.0\n"
      "          Vendor ID: 0x10DE\n"
      "          Device ID: 0x1C03\n"
      "          SubSys ID: 0x37101458\n"
      "        Revision ID: 0x00A1\n"
      "        Driver Name: nvidia\n"
      "     Driver Version: 535.104.05\n"
      "     Preferred Mode: 2560 x 1440\n"
      "\n"
      "          Card name: Intel Corporation HD Graphics 620\n"
      "           Location: 0000:00:02.0\n"
      "          Vendor ID: 0x8086\n"
      "          Device ID: 0x5916\n"
      "          SubSys ID: 0x22128086\n"
      "        Revision ID: 0x0002\n"
      "        Driver Name: i915\n"
      "     Driver Version: 6.1.0-18-amd64\n"
      "     Preferred Mode: 1920 x 1080\n"
      "\n"
      "-------------\n"
      "Sound Devices\n"
      "-------------\n"
      "        Description: HDA Intel PCH\n"
      "            Card ID: PCH\n"
      "        Driver Name: HDA-Intel\n"
      "          Long Name: HDA Intel PCH at 0xf7f10000 irq 33\n"
      "\n"
      "        Description: HDA NVidia\n"
      "            Card ID: NVidia\n"
      "        Driver Name: HDA-Intel\n"
      "          Long Name: HDA NVidia at 0xf7080000 irq 17\n"
      "\n"
      "        Description: ThinkPad Console Audio Control\n"
      "            Card ID: ThinkPadEC\n"
      "        Driver Name: ThinkPad EC\n"
      "          Long Name: ThinkPad Console Audio Control at EC reg 0x30, fw N1MHT22W\n"
      "\n";
  EXPECT_EQ(expected, BuildDiagReport(CHostFiles(), Sources(tree), kFacts));
  EXPECT_EQ(expected, BuildDiagReport(tree.Memory(), Sources(tree), kFacts));
}

TEST(DiagReportTest, NothingReadableLeavesTheSkeleton) {
  CFakeSysfs tree;
  const std::string skeleton = std::string(kSystemHead) +
                               "   Operating System: Linux 6.1.0-18-amd64\n"
                               "           Language: ja_JP.UTF-8\n"
                               "\n"
                               "---------------\n"
                               "Display Devices\n"
                               "---------------\n"
                               "none found\n"
                               "\n"
                               "-------------\n"
                               "Sound Devices\n"
                               "-------------\n"
                               "none found\n"
                               "\n";
  EXPECT_EQ(skeleton, BuildDiagReport(tree.Memory(), Sources(tree), kFacts));
  tree.File("proc/asound/cards", "--- no soundcards ---\n");
  EXPECT_EQ(skeleton, BuildDiagReport(tree.Memory(), Sources(tree), kFacts));
}

TEST(DiagReportTest, GarbageGivesAShorterReport) {
  CFakeSysfs tree;
  tree.Pci("0000:00:02.0",
           {"0x030000\n", "0x\n", "0x1234567890\n", "0x10000\n", "\xff\x01\n", "0x100\n", "yes\n"})
      .File("etc/os-release", "PRETTY_NAME=\"Evil\x1b[2J\r\"\n" + std::string(5000, '=') + "\n")
      .File("proc/cpuinfo", "model name : " + std::string(5000, 'x') + "\nprocessor\n")
      .File("proc/meminfo", "MemTotal: 99999999999999999999 kB\n")
      .File("proc/asound/cards", "x [a]: \n 0 [\n0 [Id]: \xff - \x1b[31m\n\t\tlong\nnot a long name\n" +
                                     std::string(1024 * 1024, ' '));
  const std::string expected = std::string(kSystemHead) +
                               "   Operating System: Evil?[2J? (Linux 6.1.0-18-amd64)\n"
                               "           Language: ja_JP.UTF-8\n"
                               "\n"
                               "---------------\n"
                               "Display Devices\n"
                               "---------------\n"
                               "           Location: 0000:00:02.0\n"
                               "\n"
                               "-------------\n"
                               "Sound Devices\n"
                               "-------------\n"
                               "        Description: ?[31m\n"
                               "            Card ID: Id\n"
                               "        Driver Name: \xff\n"
                               "          Long Name: long\n"
                               "\n";
  EXPECT_EQ(expected, BuildDiagReport(tree.Memory(), Sources(tree), kFacts));
  EXPECT_EQ(expected, BuildDiagReport(CHostFiles(), Sources(tree), kFacts));
}

TEST(DiagReportTest, OperatingSystemFromOsRelease) {
  struct Case {
    const char* etc;  // null: no /etc/os-release
    const char* lib;
    const char* line;
  } const cases[] = {
      {"PRETTY_NAME='Single \"quoted\"'\n", nullptr, "Single \"quoted\" (Linux 6.1.0-18-amd64)"},
      {"PRETTY_NAME=\"A \\\"b\\\" \\$c \\\\ \\x\"\n", nullptr, "A \"b\" $c \\ \\x (Linux 6.1.0-18-amd64)"},
      {"NAME=Fedora\nVERSION=\"39 (Workstation Edition)\"\n", nullptr,
       "Fedora 39 (Workstation Edition) (Linux 6.1.0-18-amd64)"},
      {"NAME=Arch\r\n", nullptr, "Arch (Linux 6.1.0-18-amd64)"},
      {nullptr, "PRETTY_NAME=Fallback\n", "Fallback (Linux 6.1.0-18-amd64)"},
      {"", "PRETTY_NAME=Unused\n", "Linux 6.1.0-18-amd64"},  // the first readable file decides
  };
  for (const Case& c : cases) {
    CFakeSysfs tree;
    if (c.etc != nullptr) tree.File("etc/os-release", c.etc);
    if (c.lib != nullptr) tree.File("usr/lib/os-release", c.lib);
    const std::string report = BuildDiagReport(tree.Memory(), Sources(tree), kFacts);
    const std::string key = "   Operating System: ";
    const std::size_t at = report.find(key);
    ASSERT_NE(std::string::npos, at) << c.line;
    EXPECT_EQ(c.line, report.substr(at + key.size(), report.find('\n', at) - at - key.size()));
  }
}

TEST(DiagReportTest, ReportPathIsEverythingAfterTheSwitch) {
  struct Case {
    const char* line;
    const char* path;  // null: no report asked for
  } const cases[] = {
      {"dxdiag /t Z:\\home\\u\\Desktop\\envInfo.txt", "Z:\\home\\u\\Desktop\\envInfo.txt"},
      {"dxdiag /t Z:\\a  b\\ c\\envInfo.txt ", "Z:\\a  b\\ c\\envInfo.txt "},
      {"\"C:\\Program Files\\dxdiag.exe\"   -T \"/tmp/a b.txt\"", "/tmp/a b.txt"},
      {"dxdiag /t \"", "\""},
      {"dxdiag /t  x", " x"},
      {"dxdiag /t ", nullptr},
      {"dxdiag /t", nullptr},
      {"dxdiag /tx", nullptr},
      {"dxdiag /x a", nullptr},
      {"dxdiag", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    std::string path = "unchanged";
    EXPECT_EQ(c.path != nullptr, ReportPathOf(c.line, path)) << c.line;
    EXPECT_EQ(c.path != nullptr ? c.path : "unchanged", path) << c.line;
  }
}

}  // namespace
}  // namespace platform::posix
