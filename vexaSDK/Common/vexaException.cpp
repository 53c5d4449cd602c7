// Building the error report. A failure while building it goes to the internal
// log and never replaces the exception being thrown.
#include "vexaSDK/Common/vexaException.h"

#include "vexaSDK/Common/vexaLog.h"
#include "vexaSDK/System/vexaFormat.h"
#include "vexaSDK/System/vexaPath.h"

namespace vexaSDK {
namespace Common {

CException::CException(const std::string& error, const std::string& file, int line) : std::exception() {
  try {
    try {
      const std::string fileName = System::GetFileName(file);
      const std::string module = System::GetModuleFilePath(nullptr);
      const std::string date = System::GetDateText(true);
      text =
          System::FormatText("module : %s\r\nfile : %s(%ld)\r\ndate : %s\r\nerror : %s\r\n", module.c_str(),
                             fileName.c_str(), static_cast<long>(line), date.c_str(), error.c_str());
    } catch (const char* thrown) {
      WriteLog(thrown ? thrown : "", "CException Internal Exception");
    } catch (...) {
      WriteLog("Unknown Exception", "CException Internal Exception");
    }
  } catch (...) {
    try {
      WriteLog("Unknown Exception", "CException Internal Exception(finally)");
    } catch (...) {
      // The constructor completes whatever happens; the report stays as it is.
    }
  }
}

}  // namespace Common
}  // namespace vexaSDK
