// Whole files and standard streams for the reader on a POSIX host.
#include "platform/ReadFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace platform {

ReadResult ReadFileLimited(const char* path, std::size_t limit, std::string& bytes) {
  bytes.clear();
  // Opening a FIFO waits for a writer unless it does not block; reading then
  // blocks again, as it should, for a writer that is there.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return ReadResult::kCannotOpen;
  struct stat info;
  const int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) || flags < 0 ||
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return ReadResult::kCannotOpen;
  }
  if (S_ISREG(info.st_mode) && static_cast<unsigned long long>(info.st_size) > limit) {
    close(fd);
    return ReadResult::kTooLarge;
  }
  ReadResult result = ReadResult::kRead;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      result = ReadResult::kFailed;
      break;
    }
    if (got == 0) break;
    if (bytes.size() + static_cast<std::size_t>(got) > limit) {
      result = ReadResult::kTooLarge;
      break;
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);
  if (result != ReadResult::kRead) std::string().swap(bytes);
  return result;
}

std::FILE* OpenForReading(const char* path) {
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return nullptr;
  const int flags = fcntl(fd, F_GETFL);
  std::FILE* file = flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ? nullptr : fdopen(fd, "rb");
  if (file == nullptr) close(fd);
  return file;
}

std::string PathToUtf8(const std::string& path) { return path; }

bool WriteStandard(bool error, const std::string& utf8) {
  std::FILE* stream = error ? stderr : stdout;
  return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
}

void StandardOutputBinary() {}

bool FlushStandardOutput() { return std::fflush(stdout) == 0 && !std::ferror(stdout); }

}  // namespace platform
