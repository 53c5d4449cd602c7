// Code page 932 named explicitly: the machine's own ANSI code page may be
// another one.
#include "platform/CodePage.h"

#include <vector>

#include "platform/PciNames.h"
#include "platform/Win32.h"

namespace platform {
namespace {

const UINT kCp932 = 932;

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return std::wstring();
  const int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(size > 0 ? static_cast<std::size_t>(size) : 0, L'\0');
  if (size > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
  return wide;
}

std::string FromWide(UINT codePage, const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int length = static_cast<int>(wide.size());
  const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
  const int size = WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, fallback, nullptr);
  std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
  if (size > 0) WideCharToMultiByte(codePage, 0, wide.data(), length, &text[0], size, fallback, nullptr);
  return text;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) { return FromWide(CP_UTF8, ToWide(kCp932, cp932)); }

std::string Utf8ToCp932(std::string_view utf8) { return FromWide(kCp932, ToWide(CP_UTF8, utf8)); }

PciNames LookUpPciNames(unsigned, unsigned) { return PciNames(); }

}  // namespace platform
