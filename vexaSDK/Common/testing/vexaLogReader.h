// Test-only: what the internal log file holds, and what was added to it.
#pragma once

#include <string>

#include "platform/TextFile.h"
#include "vexaSDK/Common/vexaLog.h"

namespace vexaSDK {
namespace Common {
namespace testkit {

class CLogReader {
 public:
  CLogReader() : start_(Contents().size()) {}

  static std::string Contents() {
    GetLogStream().flush();
    std::string bytes;
    platform::ReadFileBytes(internal::GetLogFilePath().c_str(), bytes);
    return bytes;
  }

  // Everything written since this reader was made, as the file holds it.
  std::string Added() const { return Contents().substr(start_); }

 private:
  std::size_t start_;
};

}  // namespace testkit
}  // namespace Common
}  // namespace vexaSDK
