// Child processes: the Windows command-line rules on the way in, host
// processes behind handles that can be waited on and closed, and the host
// programs the stand-in runs itself.
#include "platform/posix/internal/Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/posix/internal/Faults.h"
#include "platform/posix/internal/Observer.h"
#include "platform/posix/internal/Posix.h"

extern char** environ;

namespace platform::posix {

namespace {

// Where the program name ends as the start-up code skips it for WinMain: at
// the next quote when it starts with one, else at the first blank.
std::size_t SkipProgramName(std::string_view commandLine) {
  std::size_t i = 0;
  const std::size_t n = commandLine.size();
  if (i < n && commandLine[i] == '"') {
    ++i;
    while (i < n && commandLine[i] != '"') ++i;
    return i < n ? i + 1 : i;
  }
  while (i < n && !IsBlank(commandLine[i])) ++i;
  return i;
}

// The program name as the C runtime reads it for argv[0]: every quote turns
// quoting on or off and is dropped, a blank outside quotes ends it, and
// backslashes are plain characters. Returns where the name ends.
std::size_t ReadProgramName(std::string_view commandLine, std::string& program) {
  bool quoted = false;
  std::size_t i = 0;
  for (; i < commandLine.size(); ++i) {
    const char c = commandLine[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && IsBlank(c)) {
      break;
    } else {
      program += c;
    }
  }
  return i;
}

// The quoting that SplitCommandLine undoes.
std::string JoinCommandLine(int argc, char** argv) {
  std::string commandLine;
  for (int i = 0; i < argc; ++i) {
    const std::string argument = Utf8ToAnsi(argv[i]);
    if (i > 0) commandLine += ' ';
    const bool quote = argument.empty() || argument.find_first_of(" \t\"") != std::string::npos;
    if (!quote) {
      commandLine += argument;
      continue;
    }
    commandLine += '"';
    if (i == 0) {
      // A program name knows no escapes.
      commandLine += argument;
      commandLine += '"';
      continue;
    }
    std::size_t backslashes = 0;
    for (const char c : argument) {
      if (c == '\\') {
        ++backslashes;
      } else {
        if (c == '"') commandLine.append(backslashes + 1, '\\');
        backslashes = 0;
      }
      commandLine += c;
    }
    commandLine.append(backslashes, '\\');
    commandLine += '"';
  }
  return commandLine;
}

}  // namespace

const char kCommandLineVariable[] = "VEXA_COMMAND_LINE";

std::string_view CommandLineArguments(std::string_view commandLine) {
  std::size_t i = SkipProgramName(commandLine);
  while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
  return commandLine.substr(i);
}

std::string ProcessCommandLine(const char* handedOver, int argc, char** argv) {
  if (handedOver != nullptr) {
    const std::string commandLine = Utf8ToAnsi(handedOver);
    const std::vector<std::string> arguments = SplitCommandLine(commandLine);
    bool same = arguments.size() == static_cast<std::size_t>(argc);
    for (int i = 0; same && i < argc; ++i) same = AnsiToUtf8(arguments[i]) == argv[i];
    if (same) return commandLine;
  }
  return JoinCommandLine(argc, argv);
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> arguments;
  std::string program;
  std::size_t i = ReadProgramName(commandLine, program);
  const std::size_t n = commandLine.size();
  arguments.push_back(program);
  for (;;) {
    while (i < n && IsBlank(commandLine[i])) ++i;
    if (i >= n) break;
    std::string argument;
    bool quoted = false;
    while (i < n && (quoted || !IsBlank(commandLine[i]))) {
      std::size_t backslashes = 0;
      while (i < n && commandLine[i] == '\\') {
        ++backslashes;
        ++i;
      }
      if (i < n && commandLine[i] == '"') {
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          argument += '"';
          ++i;
        } else if (quoted && i + 1 < n && commandLine[i + 1] == '"') {
          argument += '"';  // "" inside quotes is a literal quote
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument.append(backslashes, '\\');
        if (i < n && (quoted || !IsBlank(commandLine[i]))) argument += commandLine[i++];
      }
    }
    arguments.push_back(argument);
  }
  return arguments;
}

namespace {

struct ProcessObject {
  pid_t pid = -1;
  bool reaped = false;
  DWORD exitCode = STILL_ACTIVE;
};

struct HandleObject {
  std::shared_ptr<ProcessObject> process;
};

std::mutex handlesMutex;
std::set<HandleObject*> handles;

std::shared_ptr<ProcessObject> Lookup(HANDLE handle) {
  std::lock_guard<std::mutex> lock(handlesMutex);
  auto found = handles.find(static_cast<HandleObject*>(handle));
  return found == handles.end() ? nullptr : (*found)->process;
}

HANDLE NewHandle(const std::shared_ptr<ProcessObject>& process) {
  HandleObject* object = new HandleObject{process};
  std::lock_guard<std::mutex> lock(handlesMutex);
  handles.insert(object);
  return object;
}

// Collects the exit status if the child has ended; true once it has.
bool Reap(ProcessObject& process) {
  if (process.reaped) return true;
  int status = 0;
  const pid_t result = waitpid(process.pid, &status, WNOHANG);
  if (result == 0) return false;
  process.reaped = true;
  if (result < 0) {
    process.exitCode = 0;
  } else if (WIFEXITED(status)) {
    process.exitCode = static_cast<DWORD>(WEXITSTATUS(status));
  } else {
    process.exitCode = 128u + static_cast<DWORD>(WTERMSIG(status));
  }
  return true;
}

bool IsExecutable(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// A host program for a Windows program name: the name as given, and without
// its ".exe", which host programs do not carry.
std::string FindInFolder(const std::string& folder, const std::string& name) {
  std::string candidates[2] = {folder + name, std::string()};
  if (name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".exe") == 0) {
    candidates[1] = folder + name.substr(0, name.size() - 4);
  }
  for (const std::string& candidate : candidates) {
    if (!candidate.empty() && IsExecutable(candidate)) return candidate;
  }
  return std::string();
}

// The executable's own folder first, then the folders of PATH.
std::string FindProgram(const std::string& ansiName) {
  std::string name;
  if (!ToHostPath(ansiName.c_str(), name)) return std::string();
  if (name.find('/') != std::string::npos) return FindInFolder(std::string(), name);
  const std::string found = FindInFolder(HostExecutableDirectory(), name);
  return found.empty() ? FindOnPath(name) : found;
}

// The environment a child gets: ours, with the entries given put in place of
// ours of the same name.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::size_t equals = text.find('=');
    bool replaced = false;
    for (const std::string& change : changes) {
      if (equals != std::string::npos && change.compare(0, equals + 1, text, 0, equals + 1) == 0)
        replaced = true;
    }
    if (!replaced) result.push_back(text);
  }
  result.insert(result.end(), changes.begin(), changes.end());
  return result;
}

std::vector<char*> PointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(&text[0]);
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  const std::string folders = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(start, end - start);
    if (folder.empty()) folder = ".";
    const std::string found = FindInFolder(folder + "/", name);
    if (!found.empty()) return found;
    start = end + 1;
  }
  return std::string();
}

bool WaitUntil(DWORD milliseconds, const std::function<bool()>& done) {
  timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  long pause = 1;  // milliseconds, growing to 10 while the answer is no
  for (;;) {
    if (done()) return true;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long elapsed = (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1000000;
    if (milliseconds != INFINITE && elapsed >= milliseconds) return false;
    long sleepFor = pause;
    if (milliseconds != INFINITE && milliseconds - elapsed < sleepFor) sleepFor = milliseconds - elapsed;
    const timespec delay = {0, sleepFor * 1000000L};
    nanosleep(&delay, nullptr);
    if (pause < 10) ++pause;
  }
}

HostRun RunHostProgram(const HostProgram& program, DWORD milliseconds) {
  HostRun run;
  if (program.argv.empty()) {
    run.spawnError = EINVAL;
    return run;
  }
  std::vector<std::string> arguments = program.argv;
  std::vector<char*> argv = PointersTo(arguments);
  std::vector<std::string> environment = ChildEnvironment(program.environment);
  std::vector<char*> envp = PointersTo(environment);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  if (!program.directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, program.directory.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (program.ownSession) posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t pid = -1;
  run.spawnError = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (run.spawnError != 0) return run;

  int status = 0;
  pid_t result = 0;
  run.ended = WaitUntil(milliseconds, [&] {
    while ((result = waitpid(pid, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    return result != 0;
  });
  // A status that could not be collected says nothing about how it ended.
  if (run.ended && result == pid && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  return run;
}

namespace {

// The host folder a child starts in (empty: ours); false, with the last
// error set, for one Windows would refuse before it starts anything.
bool StartFolder(LPCSTR currentDirectory, std::string& directory) {
  if (currentDirectory != nullptr && !ToHostPath(currentDirectory, directory)) return false;
  struct stat folder;
  if (!directory.empty() && (stat(directory.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))) {
    SetLastError(ERROR_DIRECTORY);
    return false;
  }
  return true;
}

// The given environment block or ours, and the command line as it was.
std::vector<std::string> ChildEnvironmentBlock(LPVOID environment, const std::string& line) {
  const std::string variable = std::string(kCommandLineVariable) + "=";
  const std::string handedOver = variable + AnsiToUtf8(line);
  if (environment == nullptr) return ChildEnvironment({handedOver});
  std::vector<std::string> hostEnvironment;
  for (const char* entry = static_cast<const char*>(environment); *entry; entry += std::strlen(entry) + 1) {
    const std::string text = AnsiToUtf8(entry);
    if (text.compare(0, variable.size(), variable) != 0) hostEnvironment.push_back(text);
  }
  hostEnvironment.push_back(handedOver);
  return hostEnvironment;
}

// Starts the program with the arguments (code page 932) in UTF-8; the
// error of posix_spawn.
int Spawn(const std::string& program, const std::string& directory, const std::vector<std::string>& arguments,
          std::vector<std::string> hostEnvironment, pid_t& pid) {
  std::vector<std::string> hostArguments;
  for (const std::string& argument : arguments) hostArguments.push_back(AnsiToUtf8(argument));
  std::vector<char*> argv = PointersTo(hostArguments);
  std::vector<char*> envp = PointersTo(hostEnvironment);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return error;
}

}  // namespace

}  // namespace platform::posix

using namespace platform::posix;

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                           LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                           LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                           LPPROCESS_INFORMATION processInformation) {
  if (observer != nullptr) {
    observer->ProcessStarting({applicationName, commandLine, processAttributes, threadAttributes,
                               inheritHandles, creationFlags, environment, currentDirectory});
  }
  if (FailsNow(platform::FaultSite::kCreateProcessA)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  if (startupInfo == nullptr || processInformation == nullptr ||
      (applicationName == nullptr && commandLine == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string line = commandLine ? commandLine : applicationName;
  const std::vector<std::string> arguments = SplitCommandLine(line);
  const std::string program = FindProgram(applicationName ? applicationName : arguments[0]);
  if (program.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  std::string directory;
  if (!StartFolder(currentDirectory, directory)) return FALSE;
  pid_t pid = -1;
  const int error = Spawn(program, directory, arguments, ChildEnvironmentBlock(environment, line), pid);
  if (error != 0) {
    SetLastError(error == ENOENT ? ERROR_FILE_NOT_FOUND : Win32ErrorFromErrno(error));
    return FALSE;
  }
  auto process = std::make_shared<ProcessObject>();
  process->pid = pid;
  processInformation->hProcess = NewHandle(process);
  processInformation->hThread = NewHandle(process);
  processInformation->dwProcessId = static_cast<DWORD>(pid);
  processInformation->dwThreadId = static_cast<DWORD>(pid);
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  if (observer != nullptr) observer->Waiting(milliseconds);
  const bool planned = FailsNow(platform::FaultSite::kWaitForSingleObject);
  const std::shared_ptr<ProcessObject> process = Lookup(handle);
  if (!process || planned) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return WaitUntil(milliseconds, [&] { return Reap(*process); }) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  const std::shared_ptr<ProcessObject> object = Lookup(process);
  if (!object || exitCode == nullptr) {
    SetLastError(object ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Reap(*object);
  *exitCode = object->exitCode;
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
  std::lock_guard<std::mutex> lock(handlesMutex);
  auto found = handles.find(static_cast<HandleObject*>(object));
  if (found == handles.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  delete *found;
  handles.erase(found);
  return TRUE;
}
