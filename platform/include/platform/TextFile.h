// An output file in text mode, named by an ANSI path: every "\n" written
// reaches the file as CR LF, as the Windows C runtime writes text files.
#pragma once

#ifdef _WIN32
#include <fstream>

namespace platform {

class CTextFileStream : public std::ofstream {
 public:
  CTextFileStream() = default;
  explicit CTextFileStream(const char* path, std::ios::openmode mode = std::ios::out)
      : std::ofstream(path, mode) {}
};

}  // namespace platform
#else
#include "platform/internal/posix/TextFile.h"
#endif
