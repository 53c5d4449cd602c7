// Formatting of report numbers and the hand-over of pending text to the stream.
#include "vexaSDK/dx/dx8_3d/internal/vexaReportText.h"

#include <cstdio>

namespace vexaSDK {
namespace DX8 {
namespace internal {

CReportText& CReportText::Field(const char* text, std::size_t capacity) {
  const void* end = std::memchr(text, '\0', capacity);
  Put(text, end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : capacity);
  return *this;
}

CReportText& CReportText::Dec(unsigned long value) {
  char digits[24];
  char* p = digits + sizeof digits;
  do {
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  Put(p, static_cast<std::size_t>(digits + sizeof digits - p));
  return *this;
}

CReportText& CReportText::Hex(unsigned long value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  char text[16];
  for (int i = digits - 1; i >= 0; --i) {
    text[i] = kDigits[value & 0xF];
    value >>= 4;
  }
  Put(text, static_cast<std::size_t>(digits));
  return *this;
}

CReportText& CReportText::Float(double value) {
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%g", value);
  if (length > 0) Put(text, static_cast<std::size_t>(length));
  return *this;
}

void CReportText::EndBlock() {
  *this << '\n';
  Write();
  stream_.flush();
}

void CReportText::PutLong(const char* text, std::size_t size) {
  Write();
  if (size >= kCapacity) {
    stream_.write(text, static_cast<std::streamsize>(size));
    return;
  }
  std::memcpy(pos_, text, size);
  pos_ += size;
}

void CReportText::Write() {
  if (pos_ == buffer_) return;
  stream_.write(buffer_, pos_ - buffer_);
  pos_ = buffer_;
}

}  // namespace internal
}  // namespace DX8
}  // namespace vexaSDK
