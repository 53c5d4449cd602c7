// printf-style text of any length, and the local date as text.
#pragma once

#include <cstdarg>
#include <string>

namespace vexaSDK {
namespace System {

#if defined(__clang__)
// clang (the fuzz build) knows the GNU forms only by the plain name.
#define VEXA_PRINTF_FORMAT(formatIndex, firstArgument) \
  __attribute__((format(printf, formatIndex, firstArgument)))
#elif defined(__GNUC__)
#define VEXA_PRINTF_FORMAT(formatIndex, firstArgument) \
  __attribute__((format(gnu_printf, formatIndex, firstArgument)))
#else
#define VEXA_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

// Replaces `output` with the formatted text. Texts under 256 characters need
// no heap buffer; longer ones grow the buffer by doubling.
void FormatTextV(std::string& output, const char* format, va_list arguments);
void FormatText(std::string& output, const char* format, ...) VEXA_PRINTF_FORMAT(2, 3);
std::string FormatText(const char* format, ...) VEXA_PRINTF_FORMAT(1, 2);

// "YYYY/MM/DD", or with `withTime` "YYYY/MM/DD hh:mm:ss"; all zeros when the
// local time cannot be determined.
std::string GetDateText(bool withTime);

}  // namespace System
}  // namespace vexaSDK
