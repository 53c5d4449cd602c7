// Line-end translation for text files written by the program.
#include "platform/TextFile.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/posix/internal/Posix.h"

namespace platform {

bool ReadFileBytes(const char* ansiPath, std::string& bytes) {
  std::string hostPath;
  if (!platform_posix::ToHostPath(ansiPath, hostPath)) return false;
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool CCrLfFileBuf::open(const char* ansiPath, std::ios::openmode mode) {
  if (file_ != nullptr) return false;
  std::string hostPath;
  if (!platform_posix::ToHostPath(ansiPath, hostPath)) return false;
  file_ = std::fopen(hostPath.c_str(), (mode & std::ios::app) ? "ab" : "wb");
  binary_ = (mode & std::ios::binary) != 0;
  return file_ != nullptr;
}

bool CCrLfFileBuf::close() {
  if (file_ == nullptr) return false;
  const bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

CCrLfFileBuf::int_type CCrLfFileBuf::overflow(int_type c) {
  if (file_ == nullptr) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  if (c == '\n' && !binary_ && std::fputc('\r', file_) == EOF) return traits_type::eof();
  return std::fputc(c, file_) == EOF ? traits_type::eof() : c;
}

std::streamsize CCrLfFileBuf::xsputn(const char* s, std::streamsize n) {
  if (file_ == nullptr) return 0;
  if (binary_) return static_cast<std::streamsize>(std::fwrite(s, 1, static_cast<std::size_t>(n), file_));
  std::streamsize written = 0;
  while (written < n) {
    const char* newline =
        static_cast<const char*>(std::memchr(s + written, '\n', static_cast<std::size_t>(n - written)));
    const std::size_t run = static_cast<std::size_t>((newline ? newline : s + n) - (s + written));
    if (std::fwrite(s + written, 1, run, file_) != run) return written;
    written += static_cast<std::streamsize>(run);
    if (newline == nullptr) break;
    if (std::fwrite("\r\n", 1, 2, file_) != 2) return written;
    ++written;
  }
  return written;
}

int CCrLfFileBuf::sync() { return file_ != nullptr && std::fflush(file_) == 0 ? 0 : -1; }

}  // namespace platform
