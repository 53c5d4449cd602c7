// Text of the device report, gathered in a fixed buffer between the flush
// points of the report and handed to the caller's stream in as few writes as
// possible. Numbers are formatted here, so the caller's stream flags never
// change the text. A full buffer is handed over early, without a flush: the
// stream sees the same bytes and the same flushes either way. Writers end with
// Finish(); the destructor never writes, so a failure of the stream (a
// throwing buffer, or an exception mask with badbit) reaches the caller as
// the stream raised it, and nothing is written again while it unwinds.
#pragma once

#include <cstddef>
#include <cstring>
#include <ostream>
#include <string_view>

namespace vexaSDK {
namespace DX8 {
namespace internal {

class CReportText {
 public:
  explicit CReportText(std::ostream& stream) : stream_(stream), pos_(buffer_) {}
  CReportText(const CReportText&) = delete;
  CReportText& operator=(const CReportText&) = delete;

  CReportText& operator<<(std::string_view text) {
    Put(text.data(), text.size());
    return *this;
  }
  CReportText& operator<<(char c) {
    if (pos_ == buffer_ + kCapacity) Write();
    *pos_++ = c;
    return *this;
  }
  // A fixed-size text field that a driver may have filled without a NUL.
  CReportText& Field(const char* text, std::size_t capacity);
  CReportText& Dec(unsigned long value);
  // Upper-case, zero-filled to `digits` (at most 16).
  CReportText& Hex(unsigned long value, int digits);
  // The C library's %g: six significant digits.
  CReportText& Float(double value);
  // Ends the line, writes everything pending and flushes the stream.
  void EndBlock();
  // Hands over what is still pending, without a flush: only block ends flush.
  void Finish() { Write(); }

 private:
  static const std::size_t kCapacity = 8192;

  void Put(const char* text, std::size_t size) {
    if (static_cast<std::size_t>(buffer_ + kCapacity - pos_) < size) {
      PutLong(text, size);
      return;
    }
    std::memcpy(pos_, text, size);
    pos_ += size;
  }
  void PutLong(const char* text, std::size_t size);
  void Write();

  std::ostream& stream_;
  char* pos_;
  char buffer_[kCapacity];
};

}  // namespace internal
}  // namespace DX8
}  // namespace vexaSDK
