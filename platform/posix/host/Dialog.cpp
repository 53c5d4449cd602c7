// Message boxes as real dialogues with zenity or kdialog, for a program that
// was started from the desktop and so has no terminal to ask on.
#include "platform/posix/internal/Dialog.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/posix/internal/Process.h"

namespace platform::posix {
namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Whether a local socket accepts a connection; `abstractName` uses Linux's
// abstract namespace, where X servers also listen.
bool SocketAccepts(const std::string& path, bool abstractName) {
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  const std::size_t offset = abstractName ? 1 : 0;
  if (path.empty() || path.size() + offset >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path + offset, path.data(), path.size());
  const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) return false;
  const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
  const bool accepted = connect(socket, reinterpret_cast<const sockaddr*>(&address), length) == 0;
  close(socket);
  return accepted;
}

// A display that is set but gone (a session that ended, a stale variable)
// would make the dialogue program fail in a way that reads as "No"; such a
// display counts as none. Displays on other hosts are taken on trust.
bool X11DisplayReachable(const std::string& display) {
  const std::size_t colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  const std::string host = display.substr(0, colon);
  if (!host.empty() && host != "unix") return true;
  std::size_t end = colon + 1;
  while (end < display.size() && std::isdigit(static_cast<unsigned char>(display[end]))) ++end;
  if (end == colon + 1) return false;
  const std::string socket = "/tmp/.X11-unix/X" + display.substr(colon + 1, end - colon - 1);
  return SocketAccepts(socket, false) || SocketAccepts(socket, true);
}

bool WaylandDisplayReachable(const std::string& display) {
  if (display[0] == '/') return SocketAccepts(display, false);
  const std::string runtime = Variable("XDG_RUNTIME_DIR");
  return !runtime.empty() && SocketAccepts(runtime + "/" + display, false);
}

const char* ZenityIconName(UINT icon) {
  switch (icon) {
    case MB_ICONHAND:
      return "dialog-error";
    case MB_ICONQUESTION:
      return "dialog-question";
    case MB_ICONEXCLAMATION:
      return "dialog-warning";
    case MB_ICONASTERISK:
      return "dialog-information";
    default:
      return nullptr;
  }
}

std::vector<std::string> ZenityArguments(const std::string& text, const std::string& caption, UINT type) {
  const UINT buttons = type & MB_TYPEMASK;
  const UINT icon = type & MB_ICONMASK;
  std::vector<std::string> arguments;
  // The kinds of dialogue carry their own icons; any other icon is named.
  const char* kind = "--info";
  UINT ownIcon = MB_ICONASTERISK;
  if (buttons == MB_YESNO || buttons == MB_OKCANCEL) {
    kind = "--question";
    ownIcon = MB_ICONQUESTION;
  } else if (icon == MB_ICONHAND) {
    kind = "--error";
    ownIcon = MB_ICONHAND;
  } else if (icon == MB_ICONEXCLAMATION) {
    kind = "--warning";
    ownIcon = MB_ICONEXCLAMATION;
  }
  arguments.push_back(kind);
  // "--name=value" in one argument, so that a value starting with '-' is never
  // read as an option. Without markup '&', '<' and '>' are shown as they are.
  arguments.push_back("--title=" + caption);
  arguments.push_back("--text=" + text);
  arguments.push_back("--no-markup");
  if (icon != 0 && icon != ownIcon && ZenityIconName(icon) != nullptr) {
    arguments.push_back(std::string("--icon-name=") + ZenityIconName(icon));
  }
  if (buttons == MB_OKCANCEL) {
    arguments.push_back("--ok-label=OK");
    arguments.push_back("--cancel-label=Cancel");
  }
  return arguments;
}

std::vector<std::string> KdialogArguments(const std::string& text, const std::string& caption, UINT type) {
  const UINT buttons = type & MB_TYPEMASK;
  const UINT icon = type & MB_ICONMASK;
  const bool warns = icon == MB_ICONHAND || icon == MB_ICONEXCLAMATION;
  std::vector<std::string> arguments = {"--title", caption};
  if (buttons == MB_YESNO || buttons == MB_OKCANCEL) {
    arguments.push_back(warns ? "--warningyesno" : "--yesno");
    arguments.push_back(text);
    if (buttons == MB_OKCANCEL) {
      arguments.insert(arguments.end(), {"--yes-label", "OK", "--no-label", "Cancel"});
    }
  } else {
    arguments.push_back(icon == MB_ICONHAND          ? "--error"
                        : icon == MB_ICONEXCLAMATION ? "--sorry"
                                                     : "--msgbox");
    arguments.push_back(text);
  }
  return arguments;
}

}  // namespace

DialogEnvironment CurrentDialogEnvironment() {
  DialogEnvironment environment;
  environment.stdinIsTerminal = isatty(STDIN_FILENO) != 0;
  environment.display = Variable("DISPLAY");
  if (!environment.display.empty() && !X11DisplayReachable(environment.display)) environment.display.clear();
  environment.waylandDisplay = Variable("WAYLAND_DISPLAY");
  if (!environment.waylandDisplay.empty() && !WaylandDisplayReachable(environment.waylandDisplay)) {
    environment.waylandDisplay.clear();
  }
  environment.zenity = FindOnPath("zenity");
  environment.kdialog = FindOnPath("kdialog");
  return environment;
}

DialogProgram ChooseDialogProgram(const DialogEnvironment& environment) {
  if (environment.stdinIsTerminal) return DialogProgram::kTerminal;
  if (environment.display.empty() && environment.waylandDisplay.empty()) return DialogProgram::kTerminal;
  if (!environment.zenity.empty()) return DialogProgram::kZenity;
  if (!environment.kdialog.empty()) return DialogProgram::kKdialog;
  return DialogProgram::kTerminal;
}

std::vector<std::string> DialogArguments(DialogProgram program, const std::string& text,
                                         const std::string& caption, UINT type) {
  const UINT buttons = type & MB_TYPEMASK;
  if (buttons != MB_OK && buttons != MB_OKCANCEL && buttons != MB_YESNO) return {};
  switch (program) {
    case DialogProgram::kZenity:
      return ZenityArguments(text, caption, type);
    case DialogProgram::kKdialog:
      return KdialogArguments(text, caption, type);
    default:
      return {};
  }
}

int ShowDialog(DialogProgram program, const std::string& path, const std::string& text,
               const std::string& caption, UINT type) {
  HostProgram dialog;
  dialog.argv = DialogArguments(program, text, caption, type);
  if (path.empty() || dialog.argv.empty()) return 0;
  dialog.argv.insert(dialog.argv.begin(), path);
  // GLib reads arguments in the locale's character set and refuses UTF-8 text
  // under the C locale; this makes it read them as the UTF-8 they are.
  dialog.environment.push_back("CHARSET=UTF-8");
  // The user may take as long as they like to answer.
  const HostRun run = RunHostProgram(dialog, INFINITE);
  const UINT buttons = type & MB_TYPEMASK;
  // 0 is the affirmative button; 1 (and kdialog's 2) the other one, Escape or
  // closing the window. Anything else is the program's own failure.
  if (run.spawnError != 0 || !run.ended) return 0;
  if (run.exitCode == 0) return buttons == MB_YESNO ? IDYES : IDOK;
  if (run.exitCode == 1 || run.exitCode == 2) {
    return buttons == MB_YESNO ? IDNO : buttons == MB_OKCANCEL ? IDCANCEL : IDOK;
  }
  return 0;
}

}  // namespace platform::posix
