// The benchmarks' reports of many players: what FleetReport puts together.
#include "vexaFleetReports.h"

#include <fstream>
#include <random>
#include <sstream>

#include "platform/D3D8Model.h"
#include "reader/testing/vexaRandomModel.h"

namespace vexaBench {
namespace {

std::string Part(const std::string& report) {
  const std::size_t at = report.find("--------------------\r\nDeviceInfo\r\n");
  return at == std::string::npos ? std::string() : report.substr(at);
}

struct Layout {
  const char* os;
  const char* memoryLabel;  // as the layout aligns it
  const char* memory;
  const char* card;
};

// dxdiag's layouts: Windows 2000 and XP align labels to "Display Memory",
// later versions to the longer labels they add.
const Layout kLayouts[] = {
    {"   Operating System: Windows XP Professional (5.1, Build 2600) Service Pack 2 "
     "(2600.xpsp_sp2_rtm.040803-2158)\r\n",
     "   Display Memory: ", "128.0 MB", "RADEON 9800 PRO"},
    {"   Operating System: Windows 2000 Professional (5.0, Build 2195) Service Pack 4\r\n",
     "   Display Memory: ", "64.0 MB", "NVIDIA GeForce4 Ti 4200"},
    {"   Operating System: Windows XP Home Edition (5.1, Build 2600) Service Pack 3 "
     "(2600.xpsp.080413-2111)\r\n",
     "   Display Memory: ", "32.0 MB", "Intel(R) 82845G/GL/GE/PE/GV Graphics Controller"},
    {"   Operating System: Windows 7 Home Premium 32-bit (6.1, Build 7601) Service Pack 1 "
     "(7601.win7sp1_gdr.130828-1532)\r\n",
     "Approx. Total Memory: ", "1773 MB", "ATI Radeon HD 4600 Series"},
};

}  // namespace

std::vector<std::string> FleetDeviceParts(unsigned seed, std::size_t randomModels) {
  std::vector<std::string> parts;
  parts.push_back(Part(vexaEnvReader::testkit::WrittenReport("", platform::d3d8::MakeDefaultModel())));
  std::ifstream wine(VEXA_READER_TESTDATA "/wine-envInfo.txt", std::ios::binary);
  std::ostringstream text;
  text << wine.rdbuf();
  if (!Part(text.str()).empty()) parts.push_back(Part(text.str()));
  std::mt19937 random(seed);
  for (std::size_t i = 0; i < randomModels; ++i) {
    parts.push_back(
        Part(vexaEnvReader::testkit::WrittenReport("", vexaEnvReader::testkit::RandomModel(random, 2))));
  }
  return parts;
}

std::string FleetReport(std::size_t index, std::size_t machines,
                        const std::vector<std::string>& deviceParts) {
  const std::size_t machine = index % machines;
  const Layout& layout = kLayouts[machine % (sizeof kLayouts / sizeof kLayouts[0])];
  // Half the machines have the two real device parts, the rest a random one.
  const std::size_t part = machine % 2 == 0 ? machine / 2 % 2 : 2 + machine % (deviceParts.size() - 2);
  const std::size_t day = 1 + index / machines % 28, minute = index % 60;
  std::string report;
  report.reserve(deviceParts[part].size() + 1200);
  report += "------------------\r\nSystem Information\r\n------------------\r\n";
  report += "Time of this report: 11/" + std::to_string(day) + "/2026, 10:" + (minute < 10 ? "0" : "") +
            std::to_string(minute) + ":00\r\n";
  report += "       Machine name: PLAYER-" + std::to_string(machine) + "\r\n";
  report += layout.os;
  report +=
      "           Language: Japanese (Regional Setting: Japanese)\r\n"
      "          Processor: Intel(R) Pentium(R) 4 CPU 2.40GHz\r\n"
      "             Memory: " +
      std::to_string(256 << (machine % 3)) +
      "MB RAM\r\n"
      "    DirectX Version: DirectX 9.0c (4.09.0000.0904)\r\n\r\n"
      "---------------\r\nDisplay Devices\r\n---------------\r\n";
  report += "        Card name: " + std::string(layout.card) + "\r\n";
  report += std::string(layout.memoryLabel) + layout.memory + "\r\n";
  report +=
      "     Current Mode: 1024 x 768 (32 bit) (60Hz)\r\n"
      "      Driver Name: ati2dvag.dll\r\n"
      "   Driver Version: 6.14.0010.6400 (English)\r\n"
      "      Driver Date: 10/20/2003 18:51:00\r\n\r\n";
  return report + deviceParts[part];
}

}  // namespace vexaBench
