// Windows command lines as CreateProcessA splits them for a host program and
// the start-up code joins them again: any line splits, and the arguments it
// gives come back unchanged through the joined line and through the line
// handed over in the environment.
#include <cstring>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "platform/posix/internal/Posix.h"
#include "platform/posix/internal/Process.h"

namespace {

bool SurvivesHost(const std::string& ansi) {
  return platform::posix::Utf8ToAnsi(platform::posix::AnsiToUtf8(ansi)) == ansi;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line = vexaFuzz::CText(data, size);
  const std::vector<std::string> arguments = platform::posix::SplitCommandLine(line);
  VEXA_FUZZ_CHECK(!arguments.empty());
  VEXA_FUZZ_CHECK(arguments[0].find('"') == std::string::npos);

  // What WinMain receives is the end of the line itself.
  const std::string_view rest = platform::posix::CommandLineArguments(line);
  VEXA_FUZZ_CHECK(rest.size() <= line.size() &&
                  line.compare(line.size() - rest.size(), rest.size(), rest) == 0);
  VEXA_FUZZ_CHECK(rest.empty() || (rest[0] != ' ' && rest[0] != '\t'));

  // The child's view: its arguments in UTF-8. Arguments that code page 932
  // cannot carry through UTF-8 and back are not the rules' concern.
  for (const std::string& argument : arguments) {
    if (!SurvivesHost(argument)) return 0;
  }
  std::vector<std::string> hostArguments;
  for (const std::string& argument : arguments)
    hostArguments.push_back(platform::posix::AnsiToUtf8(argument));
  std::vector<char*> argv;
  for (std::string& argument : hostArguments) argv.push_back(&argument[0]);
  argv.push_back(nullptr);
  const int argc = static_cast<int>(arguments.size());

  // Without a handed-over line, the arguments joined by the rules.
  const std::string joined = platform::posix::ProcessCommandLine(nullptr, argc, argv.data());
  VEXA_FUZZ_CHECK(platform::posix::SplitCommandLine(joined) == arguments);

  // The handed-over line itself, since it gives exactly these arguments.
  if (SurvivesHost(line)) {
    const std::string handedOver = platform::posix::AnsiToUtf8(line);
    VEXA_FUZZ_CHECK(platform::posix::ProcessCommandLine(handedOver.c_str(), argc, argv.data()) == line);
  }
  return 0;
}
