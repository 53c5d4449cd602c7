// For tests: a private folder of stand-in host programs that record how they
// were started (every argument byte for byte, CHARSET, the folder they started
// in) and end as the test tells them.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/testing/HostTesting.h"

namespace platform::posix::testkit {

class TestPrograms {
 public:
  TestPrograms() = default;
  TestPrograms(const TestPrograms&) = delete;
  TestPrograms& operator=(const TestPrograms&) = delete;

  const std::string& folder() const { return folder_; }

  // Adds the program; it exits with 0 until told otherwise. Returns its path.
  std::string Add(const std::string& name) {
    const std::string path = folder_ + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n"
                           "log=\"$0\"\n"
                           ": >\"$log.argv\"\n"
                           "for a in \"$@\"; do printf '%s\\000' \"$a\" >>\"$log.argv\"; done\n"
                           "printf '%s' \"${CHARSET-unset}\" >\"$log.charset\"\n"
                           "pwd >\"$log.pwd\"\n"
                           "echo \"$0 writes to standard output\"\n"
                           "echo \"$0 writes to standard error\" >&2\n"
                           "if [ -f \"$0.sleep\" ]; then exec sleep \"$(cat \"$0.sleep\")\"; fi\n"
                           "exit \"$(cat \"$0.exit\" 2>/dev/null || echo 0)\"\n";
    chmod(path.c_str(), 0755);
    return path;
  }
  void SetExitCode(const std::string& name, int code) { Write(name + ".exit", std::to_string(code)); }
  void SetSleep(const std::string& name, const std::string& seconds) { Write(name + ".sleep", seconds); }
  // Forgets the last start.
  void Reset(const std::string& name) {
    for (const char* suffix : {".argv", ".charset", ".pwd"}) unlink((folder_ + "/" + name + suffix).c_str());
  }

  bool Ran(const std::string& name) const {
    return access((folder_ + "/" + name + ".argv").c_str(), F_OK) == 0;
  }
  // The arguments after the program name.
  std::vector<std::string> Arguments(const std::string& name) const {
    const std::string text = Read(name + ".argv");
    std::vector<std::string> arguments;
    for (std::size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos; start = end + 1) {
      arguments.push_back(text.substr(start, end - start));
    }
    return arguments;
  }
  std::string Charset(const std::string& name) const { return Read(name + ".charset"); }
  std::string StartFolder(const std::string& name) const {
    const std::string text = Read(name + ".pwd");
    return text.substr(0, text.find('\n'));
  }

 private:
  void Write(const std::string& file, const std::string& text) {
    std::ofstream(folder_ + "/" + file) << text;
  }
  std::string Read(const std::string& file) const { return ReadHostFile(folder_ + "/" + file); }

  CTempFolder temp_{ProcessPrefix("vexaPrograms")};
  const std::string folder_ = temp_.Path();
};

}  // namespace platform::posix::testkit
