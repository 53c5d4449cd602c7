// Text-mode output files on POSIX hosts: the path is mapped to the host and
// line ends are translated on the way out.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

namespace platform {

// The file's bytes as they are on disk; false when it cannot be read.
bool ReadFileBytes(const char* ansiPath, std::string& bytes);

// Buffers the text and hands it to the system in one write per flush (or per
// full buffer), as the C runtime does. Once a write has failed, nothing more
// is written and closing reports the failure.
class CCrLfFileBuf : public std::streambuf {
 public:
  CCrLfFileBuf() = default;
  CCrLfFileBuf(const CCrLfFileBuf&) = delete;
  CCrLfFileBuf& operator=(const CCrLfFileBuf&) = delete;
  ~CCrLfFileBuf() override { close(); }

  bool open(const char* ansiPath, std::ios::openmode mode);
  bool is_open() const { return fd_ >= 0; }
  // False when a write, the last flush or the closing itself failed.
  bool close();

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  static const std::size_t kBufferBytes = 4096;

  // Writes out what the buffer holds, CR LF for LF unless binary.
  bool WriteBuffer();
  bool WriteAll(const char* bytes, std::size_t count);

  int fd_ = -1;
  bool binary_ = false;
  bool failed_ = false;
  bool planned_ = false;  // a test's fault plan counts this file's calls
  char buffer_[kBufferBytes];
};

class CTextFileStream : public std::ostream {
 public:
  CTextFileStream() : std::ostream(&buffer_) {}
  explicit CTextFileStream(const char* path, std::ios::openmode mode = std::ios::out)
      : std::ostream(&buffer_) {
    open(path, mode);
  }

  void open(const char* path, std::ios::openmode mode = std::ios::out) {
    if (!buffer_.open(path, mode | std::ios::out)) setstate(std::ios::failbit);
  }
  bool is_open() const { return buffer_.is_open(); }
  void close() {
    if (!buffer_.close()) setstate(std::ios::failbit);
  }

 private:
  CCrLfFileBuf buffer_;
};

}  // namespace platform
