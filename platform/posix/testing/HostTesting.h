// Test-only helpers for the host's hardware readers and programs: a fake
// sysfs tree (and whatever other files a test needs) built twice, on disk in
// a fresh temporary folder of this process and in memory, with the same
// paths, so that a reader can be run over both; sample machines; running a
// built program; a scoped environment variable to point the program's
// readers at a fake tree; a fresh temporary folder for each test; and X
// displays of the test's own.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/posix/internal/FileAccess.h"
#include "platform/posix/internal/Posix.h"
#include "platform/posix/testing/HostFiles.h"

namespace platform::posix {
namespace testkit {

struct PciFunction {
  const char* pciClass;
  const char* vendor;
  const char* device;
  const char* subsystemVendor;
  const char* subsystemDevice;
  const char* revision;
  const char* bootVga;  // null: no boot_vga file
};

class CFakeSysfs {
 public:
  CFakeSysfs() {
    if (!folder_.ok()) throw std::runtime_error("mkdtemp failed");
  }

  // The folder that stands for /sys.
  const std::string& Root() const { return root_; }
  std::string Path(const std::string& relative) const { return root_ + "/" + relative; }
  const CMemoryFiles& Memory() const { return memory_; }

  CFakeSysfs& File(const std::string& relative, const std::string& bytes) {
    MakeParents(relative);
    std::ofstream(Path(relative), std::ios::binary) << bytes;
    memory_.File(Path(relative), bytes);
    return *this;
  }

  CFakeSysfs& Link(const std::string& relative, const std::string& target) {
    MakeParents(relative);
    if (symlink(target.c_str(), Path(relative).c_str()) != 0) throw std::runtime_error("symlink failed");
    memory_.Link(Path(relative), target);
    return *this;
  }

  CFakeSysfs& Pci(const std::string& address, const PciFunction& f) {
    const std::string device = "bus/pci/devices/" + address + "/";
    File(device + "class", f.pciClass);
    File(device + "vendor", f.vendor);
    File(device + "device", f.device);
    File(device + "subsystem_vendor", f.subsystemVendor);
    File(device + "subsystem_device", f.subsystemDevice);
    File(device + "revision", f.revision);
    if (f.bootVga != nullptr) File(device + "boot_vga", f.bootVga);
    return *this;
  }

  // The device's driver link, and the driver's link to its module (none
  // when `module` is null), as the kernel lays them out.
  CFakeSysfs& Driver(const std::string& address, const std::string& driver, const char* module) {
    const std::string device = "bus/pci/devices/" + address + "/driver";
    const std::string target = "../../../../bus/pci/drivers/" + driver;
    MakeParents("bus/pci/drivers/" + driver + "/x");
    if (module != nullptr) {
      const std::string moduleTarget = std::string("../../../../module/") + module;
      Link("bus/pci/drivers/" + driver + "/module", moduleTarget);
      memory_.Link(Path(device + "/module"), moduleTarget);
    }
    return Link(device, target);
  }

  // A DRM card of the device at `address`.
  CFakeSysfs& Card(const std::string& card, const std::string& address) {
    return Link("class/drm/" + card + "/device", "../../../bus/pci/devices/" + address);
  }

  CFakeSysfs& Output(const std::string& output, const std::string& status, const std::string& modes) {
    File("class/drm/" + output + "/status", status);
    return File("class/drm/" + output + "/modes", modes);
  }

 private:
  void MakeParents(const std::string& relative) {
    for (std::size_t slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', slash + 1)) {
      if (mkdir(Path(relative.substr(0, slash)).c_str(), 0700) != 0 && errno != EEXIST) {
        throw std::runtime_error("mkdir failed");
      }
    }
  }

  CTempFolder folder_{"vexa-sysfs-"};
  const std::string root_ = folder_.Path();
  CMemoryFiles memory_;
};

// A PCI name database in the real one's layout, with its pitfalls: a
// subsystem line, a device id that recurs under another vendor, CR LF, and
// the class section after the vendors.
const char kPciIds[] =
    "# a few lines in the database's own layout\n"
    "10de  NVIDIA Corporation\n"
    "\t1458  not a device of 10de's: a subsystem follows\n"
    "\t1c03  GP106 [GeForce GTX 1060 6GB]\n"
    "\t\t1458 3710  GP106 [GeForce GTX 1060 WINDFORCE OC 6G]\n"
    "\t1c82  GP107 [GeForce GTX 1050 Ti]\r\n"
    "8086  Intel Corporation\n"
    "\t5916  HD Graphics 620\n"
    "\t1c03  a device of the next vendor\n"
    "C 03  Display controller\n"
    "\t00  VGA compatible controller\n";

// Two display controllers, the boot device on the higher address: NVIDIA
// (driver with module version, one of two outputs connected) and Intel
// (driver without version, one output listing a resolution twice and one
// interlaced), an audio function, and DRM entries that are no cards.
inline void AddTwoCards(CFakeSysfs& tree) {
  tree.File("pci.ids", kPciIds)
      .Pci("0000:00:02.0", {"0x030000\n", "0x8086\n", "0x5916\n", "0x8086\n", "0x2212\n", "0x02\n", "0\n"})
      .Driver("0000:00:02.0", "i915", nullptr)
      .Pci("0000:00:1f.3", {"0x040300\n", "0x8086\n", "0xa170\n", "0x8086\n", "0x2212\n", "0x31\n", nullptr})
      .Pci("0000:01:00.0", {"0x030000\n", "0x10de\n", "0x1c03\n", "0x1458\n", "0x3710\n", "0xa1\n", "1\n"})
      .Driver("0000:01:00.0", "nvidia", "nvidia")
      .File("module/nvidia/version", "535.104.05\n")
      .Card("card0", "0000:01:00.0")
      .Output("card0-DP-1", "disconnected\n", "3840x2160\n")
      .Output("card0-HDMI-A-1", "connected\n", "2560x1440\n1920x1080\n")
      .Card("card1", "0000:00:02.0")
      .Output("card1-eDP-1", "connected\n", "1920x1080\n1600x900\n1920x1080\n1280x720i\n")
      .File("class/drm/version", "drm 1.1.0 20060810\n")
      .Link("class/drm/renderD128/device", "../../../bus/pci/devices/0000:01:00.0");
}

// The text with CR LF turned into "\n"; a bare LF fails the test.
inline std::string FromCrLf(const std::string& text) {
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) ADD_FAILURE() << "bare LF at " << i;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  return lines;
}

// True when this machine has a PCI name database in one of its usual places.
inline bool HostHasPciDatabase() {
  struct stat info;
  return stat("/usr/share/misc/pci.ids", &info) == 0 || stat("/usr/share/hwdata/pci.ids", &info) == 0;
}

// `text` without the line that starts with `prefix` when this machine's own
// PCI name database may have named the device differently.
inline std::string WithoutNamedLine(std::string text, const std::string& prefix) {
  if (!HostHasPciDatabase()) return text;
  const std::size_t at = text.find(prefix);
  if (at != std::string::npos) text.erase(at, text.find('\n', at) + 1 - at);
  return text;
}

struct ShellRun {
  int exitCode;
  std::string out;
  std::string errors;
};

// Runs a shell command with standard output and error caught in files.
inline ShellRun RunShell(const CFakeSysfs& tree, const std::string& command) {
  const std::string out = tree.Path("stdout"), errors = tree.Path("stderr");
  const int status = std::system((command + " >'" + out + "' 2>'" + errors + "'").c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadHostFile(out), ReadHostFile(errors)};
}

// A machine with one display controller that no database names.
inline void AddQemuCard(CFakeSysfs& tree) {
  tree.Pci("0000:00:02.0", {"0x030000\n", "0x1234\n", "0x1111\n", "0x1af4\n", "0x1100\n", "0x02\n", "1\n"})
      .Driver("0000:00:02.0", "bochs-drm", "bochs")
      .File("module/bochs/version", "2.0\n")
      .Card("card0", "0000:00:02.0")
      .Output("card0-Virtual-1", "connected\n", "1280x800\n1024x768\n");
}

// A fresh folder of this process for each test, as a host path and as the
// program sees it.
class CTempFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.ok());
    windows_ = ToWindowsPath(host_);
  }
  void TearDown() override { ASSERT_TRUE(folder_.Remove()); }

  CTempFolder folder_{"vexa"};
  const std::string host_ = folder_.Path();  // "/tmp/vexaXXXXXX"
  std::string windows_;                      // "Z:\tmp\vexaXXXXXX"
};

// An X display served by a child process of the test for the life of the
// object; Display() is empty when it did not start.
class CTestDisplay {
 public:
  CTestDisplay(const CTestDisplay&) = delete;
  CTestDisplay& operator=(const CTestDisplay&) = delete;
  const std::string& Display() const { return display_; }

 protected:
  CTestDisplay() = default;
  ~CTestDisplay() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }

  pid_t pid_ = -1;
  std::string display_;
};

// A private X server for the life of the object, from the project's one
// helper for it, `withXvfb` (cmake/with-xvfb): the helper holds the server
// while the pipe to it stays open, so that the server goes with this process
// even when the process dies. Display() is empty when Xvfb is missing or did
// not start.
class CXvfb : public CTestDisplay {
 public:
  explicit CXvfb(const char* withXvfb) {
    int output[2], input[2];
    // Close-on-exec, so that a second helper holds none of these open.
    if (pipe2(output, O_CLOEXEC) != 0) return;
    if (pipe2(input, O_CLOEXEC) != 0) {
      close(output[0]);
      close(output[1]);
      return;
    }
    pid_ = fork();
    if (pid_ == 0) {
      dup2(input[0], 0);
      dup2(output[1], 1);
      for (const int end : {input[0], input[1], output[0], output[1]}) close(end);
      execl("/bin/sh", "sh", withXvfb, "sh", "-c", "echo \"$DISPLAY\"; exec cat >/dev/null",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    close(input[0]);
    close(output[1]);
    hold_ = input[1];
    std::string line;
    char c;
    while (pid_ > 0 && line.size() < 16 && read(output[0], &c, 1) == 1 && c != '\n') line += c;
    close(output[0]);
    // Without Xvfb the helper says so on this pipe instead.
    if (line.size() > 1 && line[0] == ':') display_ = line;
  }
  ~CXvfb() {
    if (hold_ >= 0) close(hold_);
    // The helper stops its server once the pipe is closed; it is reaped here,
    // so the base has no process left to stop.
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  int hold_ = -1;
};

// An X server on 127.0.0.1 that takes connections and never says a word: the
// kernel accepts them on a port that a child holds for `seconds`, unread.
class CSilentXServer : public CTestDisplay {
 public:
  explicit CSilentXServer(unsigned seconds) {
    int listener = -1;
    for (int number = 100; number < 200 && display_.empty(); ++number) {
      listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      if (listener < 0) return;
      sockaddr_in address = {};
      address.sin_family = AF_INET;
      address.sin_port = htons(static_cast<std::uint16_t>(6000 + number));  // display N's port
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
          listen(listener, 16) == 0) {
        display_ = "127.0.0.1:" + std::to_string(number);
      } else {
        close(listener);
      }
    }
    if (display_.empty()) return;
    pid_ = fork();
    if (pid_ == 0) {
      sleep(seconds);
      _exit(0);
    }
    close(listener);
    if (pid_ < 0) display_.clear();
  }
};

// Sets an environment variable (null: removes it) for the life of the object.
class CScopedVariable {
 public:
  CScopedVariable(const char* name, const char* value) : name_(name) {
    const char* saved = getenv(name);
    if (saved != nullptr) saved_ = saved;
    hadValue_ = saved != nullptr;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  CScopedVariable(const CScopedVariable&) = delete;
  CScopedVariable& operator=(const CScopedVariable&) = delete;
  ~CScopedVariable() {
    if (hadValue_) {
      setenv(name_.c_str(), saved_.c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::string saved_;
  bool hadValue_;
};

}  // namespace testkit
}  // namespace platform::posix
