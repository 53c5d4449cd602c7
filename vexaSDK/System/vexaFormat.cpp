// The growing format buffer and the date text.
#include "vexaSDK/System/vexaFormat.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <new>

#include "vexaSDK/TTL/vexaSmartPtr.h"

namespace vexaSDK {
namespace System {

void FormatTextV(std::string& output, const char* format, va_list arguments) {
  char stackBuffer[256];
  std::uint32_t size = sizeof stackBuffer;
  TTL::smart_ptr<char> buffer(stackBuffer, false, size, true);
  for (;;) {
    va_list attempt;
    va_copy(attempt, arguments);
    const int count = std::vsnprintf(&buffer[0], size, format, attempt);
    va_end(attempt);
    if (count >= 0 && static_cast<std::uint32_t>(count) < size) {
      buffer[count] = '\0';
      break;
    }
    // A negative count is the C library refusing the format or an argument
    // (an unconvertible wide character, say): no larger buffer changes that.
    // Past what a signed 32-bit count holds, or out of memory, the same: the
    // buffer stays empty and the next access throws CNullPointerException.
    if (count < 0 || size > static_cast<std::uint32_t>(INT32_MAX) / 2) {
      buffer.reset(nullptr);
      continue;
    }
    size *= 2;
    buffer.reset(new (std::nothrow) char[size], true, size, true);
  }
  output.assign(&buffer[0]);
}

namespace {

// Ends a variable argument list however the formatting leaves.
struct CArgumentsEnd {
  va_list& arguments;
  ~CArgumentsEnd() { va_end(arguments); }
};

}  // namespace

void FormatText(std::string& output, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const CArgumentsEnd end{arguments};
  FormatTextV(output, format, arguments);
}

std::string FormatText(const char* format, ...) {
  std::string output;
  va_list arguments;
  va_start(arguments, format);
  const CArgumentsEnd end{arguments};
  FormatTextV(output, format, arguments);
  return output;
}

std::string GetDateText(bool withTime) {
  long year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  const std::time_t now = std::time(nullptr);
  if (const std::tm* local = std::localtime(&now)) {
    year = local->tm_year + 1900L;
    month = local->tm_mon + 1L;
    day = local->tm_mday;
    hour = local->tm_hour;
    minute = local->tm_min;
    second = local->tm_sec;
  }
  if (withTime) {
    return FormatText("%04ld/%02ld/%02ld %02ld:%02ld:%02ld", year, month, day, hour, minute, second);
  }
  return FormatText("%04ld/%02ld/%02ld", year, month, day);
}

}  // namespace System
}  // namespace vexaSDK
