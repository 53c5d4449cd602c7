// The program's Japanese texts on a system whose ANSI code page is not 932:
// read as that code page they would be garbage, so they go to the wide
// functions as UTF-16 instead.
#include <new>
#include <string>

#include "platform/Win32.h"

namespace platform {
namespace {

const UINT kProgramCodePage = 932;

bool ReadsAsIs() { return GetACP() == kProgramCodePage; }

// A text of the program as UTF-16; a null text stays null. False when code
// page 932 cannot be read here (or there is no memory), so that the caller
// falls back to the ANSI function.
class CWideText {
 public:
  explicit CWideText(LPCSTR text) : null_(text == nullptr) {
    if (null_) return;
    const int size = MultiByteToWideChar(kProgramCodePage, 0, text, -1, nullptr, 0);
    if (size <= 0) return;
    try {
      wide_.assign(static_cast<size_t>(size), L'\0');
    } catch (const std::bad_alloc&) {
      return;
    }
    ok_ = MultiByteToWideChar(kProgramCodePage, 0, text, -1, &wide_[0], size) == size;
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

HINSTANCE WINAPI ShellExecute932(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                                 LPCSTR directory, INT showCommand) {
  if (ReadsAsIs()) return ShellExecuteA(owner, operation, file, parameters, directory, showCommand);
  const CWideText wideOperation(operation), wideFile(file), wideParameters(parameters),
      wideDirectory(directory);
  if (!wideOperation.ok() || !wideFile.ok() || !wideParameters.ok() || !wideDirectory.ok()) {
    return ShellExecuteA(owner, operation, file, parameters, directory, showCommand);
  }
  return ShellExecuteW(owner, wideOperation.get(), wideFile.get(), wideParameters.get(), wideDirectory.get(),
                       showCommand);
}

}  // namespace platform
