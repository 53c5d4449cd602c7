// System message texts, and message boxes: a dialogue on the desktop when the
// program has no terminal, else asked on the terminal.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/posix/internal/Dialog.h"
#include "platform/posix/internal/FileAccess.h"
#include "platform/posix/internal/Observer.h"
#include "platform/posix/internal/Posix.h"

namespace platform::posix {
namespace {

struct SystemMessage {
  DWORD code;
  const char* text;
};

// The system's English texts of the codes the stand-in produces and of the
// common ones; each ends in CR LF, as the system's do.
const SystemMessage kSystemMessages[] = {
    {0, "The operation completed successfully.\r\n"},
    {1, "Incorrect function.\r\n"},
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {5, "Access is denied.\r\n"},
    {6, "The handle is invalid.\r\n"},
    {8, "Not enough memory resources are available to process this command.\r\n"},
    {11, "An attempt was made to load a program with an incorrect format.\r\n"},
    {13, "The data is invalid.\r\n"},
    {14, "Not enough memory resources are available to complete this operation.\r\n"},
    {21, "The device is not ready.\r\n"},
    {29, "The system cannot write to the specified device.\r\n"},
    {31, "A device attached to the system is not functioning.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n"},
    {50, "The request is not supported.\r\n"},
    {80, "The file exists.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {109, "The pipe has been ended.\r\n"},
    {112, "There is not enough space on the disk.\r\n"},
    {122, "The data area passed to a system call is too small.\r\n"},
    {123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {126, "The specified module could not be found.\r\n"},
    {127, "The specified procedure could not be found.\r\n"},
    {145, "The directory is not empty.\r\n"},
    {183, "Cannot create a file when that file already exists.\r\n"},
    {206, "The filename or extension is too long.\r\n"},
    {258, "The wait operation timed out.\r\n"},
    {267, "The directory name is invalid.\r\n"},
    {1113, "No mapping for the Unicode character exists in the target multi-byte code page.\r\n"},
    {1155, "No application is associated with the specified file for this operation.\r\n"},
    {1816, "Not enough quota is available to process this command.\r\n"},
};

const DWORD kErrorMessageNotFound = 317;  // ERROR_MR_MID_NOT_FOUND

// The terminal, or the streams a test program puts in its place.
std::istream* ConsoleIn() {
  std::istream* in = observer != nullptr ? observer->ConsoleIn() : nullptr;
  return in != nullptr ? in : &std::cin;
}

std::ostream* ConsoleOut() {
  std::ostream* out = observer != nullptr ? observer->ConsoleOut() : nullptr;
  return out != nullptr ? out : &std::cout;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

const char* IconWord(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
      return "Error";
    case MB_ICONQUESTION:
      return "Question";
    case MB_ICONEXCLAMATION:
      return "Warning";
    case MB_ICONASTERISK:
      return "Information";
    default:
      return nullptr;
  }
}

// Shows the box and reads answer lines until one fits its buttons.
int AskOnTerminal(const std::string& body, const std::string& title, UINT type) {
  std::ostream& out = *ConsoleOut();
  out << "==== " << title;
  if (const char* icon = IconWord(type)) out << " (" << icon << ")";
  out << " ====\n" << body << "\n";
  const UINT buttons = type & MB_TYPEMASK;
  const bool yesNo = buttons == MB_YESNO;
  const bool okCancel = buttons == MB_OKCANCEL;
  for (;;) {
    if (yesNo) {
      out << u8"[Yes/No] (y = はい, n = いいえ): ";
    } else if (okCancel) {
      out << u8"[OK/Cancel] (o = OK, c = キャンセル): ";
    } else {
      out << "[OK] (Enter): ";
    }
    out.flush();
    std::string line;
    // A box that cannot be shown cannot be answered either.
    if (!out || !std::getline(*ConsoleIn(), line)) {
      out << "\n";
      // Without an answer nothing may go ahead: No and Cancel, or OK.
      return yesNo ? IDNO : okCancel ? IDCANCEL : IDOK;
    }
    if (!yesNo && !okCancel) return IDOK;
    const std::string answer = Lower(std::string(TrimBlanks(line)));
    if (yesNo && (answer == "y" || answer == "yes" || answer == u8"はい")) return IDYES;
    if (yesNo && (answer == "n" || answer == "no" || answer == u8"いいえ")) return IDNO;
    if (okCancel && (answer == "o" || answer == "ok")) return IDOK;
    if (okCancel && (answer == "c" || answer == "cancel" || answer == u8"キャンセル")) return IDCANCEL;
  }
}

}  // namespace
}  // namespace platform::posix

using namespace platform::posix;

DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer, DWORD size,
                            va_list*) {
  if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const SystemMessage* message = nullptr;
  for (const SystemMessage& entry : kSystemMessages) {
    if (entry.code == messageId) message = &entry;
  }
  if (message == nullptr) {
    SetLastError(kErrorMessageNotFound);
    return 0;
  }
  const std::size_t length = std::strlen(message->text);
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    char* allocated = static_cast<char*>(std::malloc(std::max<std::size_t>(length + 1, size)));
    if (allocated == nullptr) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    std::memcpy(allocated, message->text, length + 1);
    *reinterpret_cast<char**>(buffer) = allocated;
    return static_cast<DWORD>(length);
  }
  if (length + 1 > size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, message->text, length + 1);
  return static_cast<DWORD>(length);
}

HLOCAL WINAPI LocalFree(HLOCAL memory) {
  std::free(memory);
  return nullptr;
}

HWND WINAPI GetDesktopWindow(void) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x10010)); }

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (observer != nullptr) observer->BoxShowing(owner, type);
  std::string body = AnsiToUtf8(text ? text : "");
  // The box's own line breaks become the host's.
  for (std::size_t at; (at = body.find("\r\n")) != std::string::npos;) body.erase(at, 1);
  const std::string title = AnsiToUtf8(caption ? caption : "Error");

  DialogEnvironment environment = CurrentDialogEnvironment();
  // Streams a test put in the terminal's place are a terminal too.
  if (ConsoleIn() != &std::cin) environment.stdinIsTerminal = true;
  const DialogProgram program = ChooseDialogProgram(environment);
  if (program != DialogProgram::kTerminal) {
    const std::string& path = program == DialogProgram::kZenity ? environment.zenity : environment.kdialog;
    if (const int answer = ShowDialog(program, path, body, title, type)) return answer;
  }
  return AskOnTerminal(body, title, type);
}
