// Text-mode output files on POSIX hosts: the path is mapped to the host and
// line ends are translated on the way out.
#pragma once

#include <cstdio>
#include <ostream>
#include <streambuf>
#include <string>

namespace platform {

// The file's bytes as they are on disk; false when it cannot be read.
bool ReadFileBytes(const char* ansiPath, std::string& bytes);

class CCrLfFileBuf : public std::streambuf {
 public:
  CCrLfFileBuf() = default;
  CCrLfFileBuf(const CCrLfFileBuf&) = delete;
  CCrLfFileBuf& operator=(const CCrLfFileBuf&) = delete;
  ~CCrLfFileBuf() override { close(); }

  bool open(const char* ansiPath, std::ios::openmode mode);
  bool is_open() const { return file_ != nullptr; }
  bool close();

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  std::FILE* file_ = nullptr;
  bool binary_ = false;
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
