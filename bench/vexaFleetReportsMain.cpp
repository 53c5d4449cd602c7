// vexaFleetReports FOLDER COUNT: writes COUNT reports of a desk's players
// (envInfo00000.txt ...) for the whole-run figure of `vexaEnvReader --fleet`
// in scripts/bench; 7 of 10 are from distinct machines.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "vexaFleetReports.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vexaFleetReports FOLDER COUNT\n");
    return 2;
  }
  const std::size_t count = std::strtoul(argv[2], nullptr, 10);
  const std::vector<std::string> parts = vexaBench::FleetDeviceParts(29, 100);
  for (std::size_t i = 0; i < count; ++i) {
    char name[48];
    std::snprintf(name, sizeof name, "/envInfo%05zu.txt", i);
    std::ofstream out(argv[1] + std::string(name), std::ios::binary);
    out << vexaBench::FleetReport(i, count * 7 / 10 + 1, parts);
    if (!out) {
      std::fprintf(stderr, "vexaFleetReports: cannot write %s%s\n", argv[1], name);
      return 1;
    }
  }
  return 0;
}
