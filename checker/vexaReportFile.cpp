// The report file: its location and the section the tool writes itself.
#include "checker/vexaReportFile.h"

#include <ostream>

#include "platform/TextFile.h"
#include "vexaSDK/System/vexaPath.h"
#include "vexaSDK/dx/dx8_3d/vexaReportGrammar.h"

namespace vexaEnvChecker {

std::string GetReportPath() { return vexaSDK::System::GetDesktopDirectory('\\') + "envInfo.txt"; }

void WriteDeviceInfoSection(const std::string& path, const vexaSDK::DX8::CDGEnumMode& enumeration) {
  // Text mode turns every line feed into CR LF; append mode puts every write
  // behind what the diagnostic program left, whatever the position.
  platform::CTextFileStream stream(path.c_str(), std::ios::app);
  if (!stream) throw "ログファイルのオープンに失敗しました。";
  stream << vexaSDK::DX8::SectionHeader("\n") << std::flush;
  enumeration.WriteDeviceInfo(stream);
  stream.close();
  // A full disk or a failing close must not end in the completion question.
  if (!stream) throw "ログファイルの書き込みに失敗しました。";
}

}  // namespace vexaEnvChecker
