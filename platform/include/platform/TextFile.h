// An output file in text mode, named by an ANSI path: every "\n" written
// reaches the file as CR LF, as the Windows C runtime writes text files.
#pragma once

#include <string>

#ifdef _WIN32
#include <fstream>
#include <iterator>

namespace platform {

// The file's bytes as they are on disk; false when it cannot be read.
inline bool ReadFileBytes(const char* path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

class CTextFileStream : public std::ofstream {
 public:
  CTextFileStream() = default;
  explicit CTextFileStream(const char* path, std::ios::openmode mode = std::ios::out)
      : std::ofstream(path, mode) {}
};

}  // namespace platform
#else
#include "platform/posix/TextFile.h"
#endif
