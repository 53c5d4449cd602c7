// Text of the device report, gathered in memory between the flush points of
// the report and handed to the caller's stream in one write per block. Numbers
// are formatted here, so the caller's stream flags never change the text.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

namespace vexaSDK {
namespace DX8 {
namespace internal {

class CReportText {
 public:
  explicit CReportText(std::ostream& stream);
  CReportText(const CReportText&) = delete;
  CReportText& operator=(const CReportText&) = delete;
  // Hands over what is still pending, without a flush: only block ends flush.
  ~CReportText();

  CReportText& operator<<(const char* text) {
    buffer_.append(text);
    return *this;
  }
  CReportText& operator<<(char c) {
    buffer_.push_back(c);
    return *this;
  }
  // A fixed-size text field that a driver may have filled without a NUL.
  CReportText& Field(const char* text, std::size_t capacity);
  CReportText& Dec(unsigned long value);
  // Upper-case, zero-filled to `digits`.
  CReportText& Hex(unsigned long value, int digits);
  // The C library's %g: six significant digits.
  CReportText& Float(double value);
  // Ends the line, writes everything pending and flushes the stream.
  void EndBlock();

  std::ostream& Stream() { return stream_; }

 private:
  void Write();

  std::ostream& stream_;
  std::string buffer_;
};

}  // namespace internal
}  // namespace DX8
}  // namespace vexaSDK
