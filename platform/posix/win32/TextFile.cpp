// Line-end translation for text files written by the program, over the
// host's file descriptors.
#include "platform/TextFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/posix/internal/Faults.h"
#include "platform/posix/internal/Posix.h"

namespace platform {

using platform::FaultSite;

bool ReadFileBytes(const char* ansiPath, std::string& bytes) {
  std::string hostPath;
  if (!platform::posix::ToHostPath(ansiPath, hostPath)) return false;
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool CCrLfFileBuf::open(const char* ansiPath, std::ios::openmode mode) {
  if (fd_ >= 0) return false;
  std::string hostPath;
  if (!platform::posix::ToHostPath(ansiPath, hostPath)) return false;
  planned_ = platform::posix::IsPlannedFile(hostPath);
  if (planned_ && platform::posix::FailsNow(FaultSite::kFileOpen)) return false;
  // Append mode puts every write at the end, whatever else wrote there;
  // children started later do not inherit the file.
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | ((mode & std::ios::app) ? O_APPEND : O_TRUNC);
  do {
    fd_ = ::open(hostPath.c_str(), flags, 0666);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) return false;
  binary_ = (mode & std::ios::binary) != 0;
  failed_ = false;
  setp(buffer_, buffer_ + kBufferBytes);
  return true;
}

bool CCrLfFileBuf::close() {
  if (fd_ < 0) return false;
  const bool written = WriteBuffer();
  // The descriptor is gone whatever close says; a failure may mean lost bytes.
  const bool closed = ::close(fd_) == 0 && !(planned_ && platform::posix::FailsNow(FaultSite::kFileClose));
  fd_ = -1;
  setp(nullptr, nullptr);
  return written && closed && !failed_;
}

CCrLfFileBuf::int_type CCrLfFileBuf::overflow(int_type c) {
  if (fd_ < 0 || failed_ || !WriteBuffer()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int CCrLfFileBuf::sync() { return fd_ >= 0 && WriteBuffer() ? 0 : -1; }

bool CCrLfFileBuf::WriteBuffer() {
  const std::size_t count = static_cast<std::size_t>(pptr() - pbase());
  setp(buffer_, buffer_ + kBufferBytes);
  if (failed_) return false;
  if (count == 0) return true;
  if (binary_) return WriteAll(buffer_, count);
  char translated[2 * kBufferBytes];
  std::size_t length = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (buffer_[i] == '\n') translated[length++] = '\r';
    translated[length++] = buffer_[i];
  }
  return WriteAll(translated, length);
}

bool CCrLfFileBuf::WriteAll(const char* bytes, std::size_t count) {
  while (count > 0) {
    // What was not written is lost, as on a full disk; later writes are not tried.
    if (planned_ && platform::posix::FailsNow(FaultSite::kFileWrite)) {
      failed_ = true;
      return false;
    }
    ssize_t written;
    do {
      written = ::write(fd_, bytes, count);
    } while (written < 0 && errno == EINTR);
    if (written <= 0) {
      failed_ = true;
      return false;
    }
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace platform
