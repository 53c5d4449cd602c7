// Test-only, POSIX host: a fresh temporary folder that removes itself, and a
// file's bytes by host path. Every host test that needs either uses these.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

namespace platform::posix::testkit {

// "/tmp/<prefix>XXXXXX", made afresh; removed with all it holds when the
// object goes, unless Remove() has done that already.
class CTempFolder {
 public:
  explicit CTempFolder(const std::string& prefix) {
    std::string pattern = "/tmp/" + prefix + "XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~CTempFolder() { Remove(); }
  CTempFolder(const CTempFolder&) = delete;
  CTempFolder& operator=(const CTempFolder&) = delete;

  // False when the folder could not be made.
  bool ok() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }

  // False when something in the tree could not be removed.
  bool Remove() {
    if (path_.empty()) return true;
    std::error_code error;
    std::filesystem::remove_all(path_, error);
    if (error) return false;
    path_.clear();
    return true;
  }

 private:
  std::string path_;
};

// A prefix that names this process, for folders whose leftovers should tell
// which test run they came from.
inline std::string ProcessPrefix(const std::string& name) {
  return name + "." + std::to_string(getpid()) + ".";
}

// The bytes of a file; empty when it cannot be read.
inline std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace platform::posix::testkit
