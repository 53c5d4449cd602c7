// The stand-in for the system's diagnostic program on POSIX hosts:
// "dxdiag /t <path>" writes the text report of this machine to <path> in
// code page 932 with CR LF line ends. Exit code 0 when the file was written;
// otherwise 1 (the file could not be written) or 2 (no "/t <path>"), with
// one line on standard error.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/TextFile.h"
#include "platform/posix/dxdiag/internal/DiagReport.h"
#include "platform/posix/internal/Posix.h"
#include "platform/posix/internal/Process.h"

int main(int argc, char** argv) {
  using namespace platform::posix;
  const std::string commandLine = ProcessCommandLine(std::getenv(kCommandLineVariable), argc, argv);
  std::string path;
  if (!ReportPathOf(commandLine, path)) {
    std::cerr << "usage: dxdiag /t <report file>\n";
    return 2;
  }
  std::string hostPath;
  if (!ToHostPath(path.c_str(), hostPath)) {
    std::cerr << "dxdiag: no such place on this host: " << AnsiToUtf8(path) << "\n";
    return 2;
  }
  // The file outlives this process, so no code of its own may go into it.
  const std::string report =
      Utf8ToAnsiLossy(BuildDiagReport(CHostFiles(), HostDiagSources(), HostDiagFacts()));
  platform::CTextFileStream file(path.c_str());
  if (file.is_open()) {
    file << report;
    file.close();
  }
  // errno is still that of the open, write or close that failed.
  if (file.fail()) {
    std::cerr << "dxdiag: cannot write " << hostPath << ": " << std::strerror(errno) << "\n";
    return 1;
  }
  return 0;
}
