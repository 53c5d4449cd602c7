// The text report of the stand-in diagnostic program: the machine, its
// display controllers and its sound cards, in the layout of the system
// program's report. Every source is a parameter, so tests can feed fake ones.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/internal/FileAccess.h"
#include "platform/posix/internal/HostHardware.h"

namespace platform::posix {

struct DiagSources {
  HardwareSources hardware;
  std::vector<std::string> osRelease;  // the first readable one is used
  std::string cpuInfo;
  std::string memInfo;
  std::string soundCards;
};

// This machine's: the hardware sources of Direct3D, /etc/os-release (else
// /usr/lib/os-release), /proc/cpuinfo, /proc/meminfo and /proc/asound/cards.
DiagSources HostDiagSources();

// What the report says that no file tells; empty ones are left out.
struct DiagFacts {
  std::string time;  // "12/7/2026, 05:53:00"
  std::string machineName;
  std::string language;
};

// The current local time, the host name and the locale of the environment.
DiagFacts HostDiagFacts();

// The report in UTF-8, lines ending in "\n".
std::string BuildDiagReport(const IFileAccess& files, const DiagSources& sources, const DiagFacts& facts);

// The report path of the command line "dxdiag /t <path>": everything after
// "/t " (also "-t", either case), without a pair of quotes around it. False
// when the line asks for something else.
bool ReportPathOf(std::string_view commandLine, std::string& path);

}  // namespace platform::posix
