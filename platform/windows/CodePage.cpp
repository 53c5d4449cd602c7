// Code page 932 on Windows, named explicitly: the machine's own ANSI code page
// may be another one. The program's Japanese texts go to the wide functions as
// UTF-16 there, as read in that code page they would be garbage.
#include <new>
#include <string>

#include "platform/Win32.h"
#include "platform/windows/internal/WideShell.h"

namespace platform {
namespace {

const UINT kProgramCodePage = 932;

bool ReadsAsIs() { return GetACP() == kProgramCodePage; }

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return std::wstring();
  const int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(size > 0 ? static_cast<std::size_t>(size) : 0, L'\0');
  if (size > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
  return wide;
}

// A text of the program as UTF-16; a null text stays null. False when code
// page 932 cannot be read here (or there is no memory), so that the caller
// falls back to the ANSI function.
class CWideText {
 public:
  explicit CWideText(LPCSTR text) : null_(text == nullptr) {
    if (null_) return;
    try {
      wide_ = ToWide(kProgramCodePage, text);
    } catch (const std::bad_alloc&) {
      return;
    }
    ok_ = !wide_.empty() || *text == '\0';
  }

  bool ok() const { return null_ || ok_; }
  LPCWSTR get() const { return null_ ? nullptr : wide_.c_str(); }

 private:
  bool null_;
  bool ok_ = false;
  std::wstring wide_;
};

}  // namespace

int WINAPI MessageBox932(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  if (ReadsAsIs()) return MessageBoxA(owner, text, caption, style);
  const CWideText wideText(text), wideCaption(caption);
  if (!wideText.ok() || !wideCaption.ok()) return MessageBoxA(owner, text, caption, style);
  return MessageBoxW(owner, wideText.get(), wideCaption.get(), style);
}

HINSTANCE windows::ShellExecuteThroughWide(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                                           LPCSTR directory, INT showCommand) {
  const CWideText wideOperation(operation), wideFile(file), wideParameters(parameters),
      wideDirectory(directory);
  if (!wideOperation.ok() || !wideFile.ok() || !wideParameters.ok() || !wideDirectory.ok()) {
    return ShellExecuteA(owner, operation, file, parameters, directory, showCommand);
  }
  return ShellExecuteW(owner, wideOperation.get(), wideFile.get(), wideParameters.get(), wideDirectory.get(),
                       showCommand);
}

HINSTANCE WINAPI ShellExecute932(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                                 LPCSTR directory, INT showCommand) {
  if (ReadsAsIs()) return ShellExecuteA(owner, operation, file, parameters, directory, showCommand);
  return windows::ShellExecuteThroughWide(owner, operation, file, parameters, directory, showCommand);
}

}  // namespace platform
