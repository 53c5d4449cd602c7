// Message boxes on a desktop: whether a dialogue program shows them instead of
// the terminal, and how it is asked to.
#pragma once

#include <string>
#include <vector>

#include "platform/Win32.h"

namespace platform::posix {

enum class DialogProgram { kTerminal, kZenity, kKdialog };

// Everything the choice depends on.
struct DialogEnvironment {
  bool stdinIsTerminal = true;
  std::string display;         // DISPLAY
  std::string waylandDisplay;  // WAYLAND_DISPLAY
  std::string zenity;          // where it is on PATH; empty when it is not
  std::string kdialog;
};

// This process's: its standard input, its variables, its PATH. A display
// whose server does not answer counts as unset.
DialogEnvironment CurrentDialogEnvironment();

// A dialogue only when nobody can answer at a terminal, a desktop session is
// there to show it, and a program can; zenity when both are installed.
DialogProgram ChooseDialogProgram(const DialogEnvironment& environment);

// The arguments after the program name; text and caption are UTF-8 with LF
// line ends. Empty for button sets the programs cannot show.
std::vector<std::string> DialogArguments(DialogProgram program, const std::string& text,
                                         const std::string& caption, UINT type);

// Shows the box with the program at path and returns the button code; 0 when
// the program did not show it (it failed to start or reported an error), so
// that the caller asks on the terminal instead.
int ShowDialog(DialogProgram program, const std::string& path, const std::string& text,
               const std::string& caption, UINT type);

}  // namespace platform::posix
