// The stand-in for the system's diagnostic program on POSIX hosts:
// "dxdiag /t <path>" writes the text report of this machine to <path> in
// code page 932 with CR LF line ends. Exit code 0 when the file was written;
// otherwise 1 (the file could not be written) or 2 (no "/t <path>"), with
// one line on standard error.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/posix/dxdiag/internal/DiagReport.h"
#include "platform/posix/internal/Posix.h"
#include "platform/posix/internal/Process.h"

namespace {

// Writes `text` with every "\n" as CR LF; the reason on failure.
bool WriteCrLfFile(const std::string& hostPath, const std::string& text, std::string& reason) {
  std::FILE* file = std::fopen(hostPath.c_str(), "wb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    return false;
  }
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int writeError = errno;
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  reason = std::strerror(written ? errno : writeError);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace platform_posix;
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
  const std::string report = Utf8ToAnsi(BuildDiagReport(CHostFiles(), HostDiagSources(), HostDiagFacts()));
  std::string reason;
  if (!WriteCrLfFile(hostPath, report, reason)) {
    std::cerr << "dxdiag: cannot write " << hostPath << ": " << reason << "\n";
    return 1;
  }
  return 0;
}
