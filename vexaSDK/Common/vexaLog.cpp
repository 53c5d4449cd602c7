// The log file and its entries.
#include "vexaSDK/Common/vexaLog.h"

#include <cstdlib>

#include "platform/TextFile.h"
#include "vexaSDK/System/vexaFormat.h"
#include "vexaSDK/System/vexaPath.h"
#include "vexaSDK/System/vexaProcess.h"

namespace vexaSDK {
namespace Common {
namespace {

// Never deleted: after the exit handler has closed it, late entries are
// dropped instead of starting a second log.
platform::CTextFileStream* logStream = nullptr;
std::string* chosenPath = nullptr;

void CloseLog() {
  if (logStream == nullptr) return;
  logStream->close();
  logStream->setstate(std::ios::badbit);
}

}  // namespace

void RegisterLogClose() {
  static const int registered = std::atexit(CloseLog);
  static_cast<void>(registered);
}

std::ostream& GetLogStream() {
  if (logStream == nullptr) {
    const std::string path = internal::GetLogFilePath();
    const std::string folder = System::GetDirectoryName(path, '\\');
    if (!System::DirectoryExists(folder)) System::CreateDirectoryPath(folder, FILE_ATTRIBUTE_NORMAL);
    logStream = new platform::CTextFileStream(path.c_str(), std::ios::out | std::ios::trunc);
    RegisterLogClose();
  }
  return *logStream;
}

void WriteLog(const std::string& text, const std::string& caption) {
  std::ostream& log = GetLogStream();
  if (!caption.empty()) log << System::ReplaceAll(caption, "\r\n", "\n") << '\n';
  log << System::ReplaceAll(text, "\r\n", "\n") << '\n';
  log.flush();
}

std::string GetErrorText(DWORD code) {
  std::string text = "Unknown Error";
  LPSTR buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
      code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  if (length != 0 && buffer != nullptr) {
    text = buffer;
    LocalFree(buffer);
  }
  return text;
}

namespace internal {

std::string GetLogFilePath() {
  if (chosenPath != nullptr) return *chosenPath;
  const std::string folder = System::AddPathSeparator(System::GetModuleDirectory(nullptr) + "log", '\\');
  return folder + System::GetFileNameWithExtension(System::GetModuleFilePath(nullptr), "log");
}

void SetLogFilePath(const std::string& path) {
  if (logStream != nullptr) return;
  if (chosenPath == nullptr) chosenPath = new std::string;
  *chosenPath = path;
}

void WriteCaughtEntry(const std::string& text, const char* captionKind, const char* file,
                      unsigned long line) {
  WriteLog(text, System::FormatText("%s %s(%lu)", captionKind, System::GetFileName(file).c_str(), line));
}

}  // namespace internal
}  // namespace Common
}  // namespace vexaSDK
