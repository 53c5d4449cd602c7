// Whole files and standard streams for the reader on Windows: a console gets
// wide characters, so a report's Japanese shows whatever the console's code
// page; a redirected stream gets UTF-8.
#include "platform/ReadFile.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace platform {

ReadResult ReadFileLimited(const char* path, std::size_t limit, std::string& bytes) {
  bytes.clear();
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return ReadResult::kCannotOpen;
  }
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return ReadResult::kCannotOpen;
  ReadResult result = ReadResult::kRead;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    if (bytes.size() + got > limit) {
      result = ReadResult::kTooLarge;
      break;
    }
    bytes.append(buffer, got);
  }
  if (result == ReadResult::kRead && std::ferror(file) != 0) result = ReadResult::kFailed;
  std::fclose(file);
  if (result != ReadResult::kRead) std::string().swap(bytes);
  return result;
}

std::FILE* OpenForReading(const char* path) { return std::fopen(path, "rb"); }

std::string PathToUtf8(const std::string& path) {
  if (path.empty()) return path;
  const int size = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  if (size <= 0) return path;
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), &wide[0], size);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return path;
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, &utf8[0], bytes, nullptr, nullptr);
  return utf8;
}

bool WriteStandard(bool error, const std::string& utf8) {
  std::FILE* stream = error ? stderr : stdout;
  const HANDLE handle = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode;
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode)) {
    return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
  }
  std::fflush(stream);
  if (utf8.empty()) return true;
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (size <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], size);
  // The console writes at most some tens of kilobytes a call.
  for (std::size_t done = 0; done < wide.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 16384));
    DWORD written = 0;
    if (!WriteConsoleW(handle, wide.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

void StandardOutputBinary() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}

bool FlushStandardOutput() { return std::fflush(stdout) == 0 && !std::ferror(stdout); }

}  // namespace platform
