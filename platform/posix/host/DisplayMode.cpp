// The mode a display runs in now, as the system tells it without special
// rights: the X server's RandR extension, or the kernel's mode setting on a
// DRM card that can be opened. The X libraries are loaded when asked for, so
// the program needs none of them, and in a child process, so that a server
// that never answers cannot hold the program up. The DRM records are the
// kernel's own interface, declared here as it publishes them.
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/posix/internal/HostHardware.h"

namespace platform::posix {
namespace {

// --- X11 and RandR, as their libraries publish them.
using XID = unsigned long;
struct XDisplay;
struct XErrorEvent;
using XErrorHandler = int (*)(XDisplay*, XErrorEvent*);
using XIOErrorHandler = int (*)(XDisplay*);

struct XRRModeInfo {
  XID id;
  unsigned int width, height;
  unsigned long dotClock;
  unsigned int hSyncStart, hSyncEnd, hTotal, hSkew;
  unsigned int vSyncStart, vSyncEnd, vTotal;
  char* name;
  unsigned int nameLength;
  unsigned long modeFlags;
};
struct XRRScreenResources {
  unsigned long timestamp, configTimestamp;
  int ncrtc;
  XID* crtcs;
  int noutput;
  XID* outputs;
  int nmode;
  XRRModeInfo* modes;
};
struct XRROutputInfo {
  unsigned long timestamp;
  XID crtc;
  // The rest is not read.
};
struct XRRCrtcInfo {
  unsigned long timestamp;
  int x, y;
  unsigned int width, height;
  XID mode;
  // The rest is not read.
};
const unsigned long kRRInterlace = 0x10;
const unsigned long kRRDoubleScan = 0x20;

int IgnoreXError(XDisplay*, XErrorEvent*) { return 0; }
[[noreturn]] int LeaveOnXIOError(XDisplay*) { _exit(1); }

template <typename T>
T Symbol(void* library, const char* name) {
  return reinterpret_cast<T>(dlsym(library, name));
}

// --- DRM mode setting, as the kernel publishes it.
struct DrmModeInfo {
  std::uint32_t clock;
  std::uint16_t hdisplay, hsync_start, hsync_end, htotal, hskew;
  std::uint16_t vdisplay, vsync_start, vsync_end, vtotal, vscan;
  std::uint32_t vrefresh;
  std::uint32_t flags;
  std::uint32_t type;
  char name[32];
};
struct DrmCardResources {
  std::uint64_t fb_id_ptr, crtc_id_ptr, connector_id_ptr, encoder_id_ptr;
  std::uint32_t count_fbs, count_crtcs, count_connectors, count_encoders;
  std::uint32_t min_width, max_width, min_height, max_height;
};
struct DrmCrtc {
  std::uint64_t set_connectors_ptr;
  std::uint32_t count_connectors;
  std::uint32_t crtc_id;
  std::uint32_t fb_id;
  std::uint32_t x, y;
  std::uint32_t gamma_size;
  std::uint32_t mode_valid;
  DrmModeInfo mode;
};
const unsigned long kGetResources = _IOWR('d', 0xA0, DrmCardResources);
const unsigned long kGetCrtc = _IOWR('d', 0xA1, DrmCrtc);
const std::uint32_t kMaxCrtcs = 64;

int Control(int fd, unsigned long request, void* argument) {
  int result;
  while ((result = ioctl(fd, request, argument)) < 0 && errno == EINTR) {
  }
  return result;
}

// The functions of libX11 and libXrandr that the question needs.
struct XRandr {
  XDisplay* (*openDisplay)(const char*);
  int (*closeDisplay)(XDisplay*);
  XID (*rootWindow)(XDisplay*);
  XErrorHandler (*setErrorHandler)(XErrorHandler);
  XIOErrorHandler (*setIOErrorHandler)(XIOErrorHandler);
  int (*queryExtension)(XDisplay*, int*, int*);
  XRRScreenResources* (*getResources)(XDisplay*, XID);
  void (*freeResources)(XRRScreenResources*);
  XID (*getPrimary)(XDisplay*, XID);
  XRROutputInfo* (*getOutput)(XDisplay*, XRRScreenResources*, XID);
  void (*freeOutput)(XRROutputInfo*);
  XRRCrtcInfo* (*getCrtc)(XDisplay*, XRRScreenResources*, XID);
  void (*freeCrtc)(XRRCrtcInfo*);

  // False unless both libraries are loaded and have every function.
  bool Load(void* x11, void* randr) {
    openDisplay = Symbol<decltype(openDisplay)>(x11, "XOpenDisplay");
    closeDisplay = Symbol<decltype(closeDisplay)>(x11, "XCloseDisplay");
    rootWindow = Symbol<decltype(rootWindow)>(x11, "XDefaultRootWindow");
    setErrorHandler = Symbol<decltype(setErrorHandler)>(x11, "XSetErrorHandler");
    setIOErrorHandler = Symbol<decltype(setIOErrorHandler)>(x11, "XSetIOErrorHandler");
    queryExtension = Symbol<decltype(queryExtension)>(randr, "XRRQueryExtension");
    getResources = Symbol<decltype(getResources)>(randr, "XRRGetScreenResourcesCurrent");
    freeResources = Symbol<decltype(freeResources)>(randr, "XRRFreeScreenResources");
    getPrimary = Symbol<decltype(getPrimary)>(randr, "XRRGetOutputPrimary");
    getOutput = Symbol<decltype(getOutput)>(randr, "XRRGetOutputInfo");
    freeOutput = Symbol<decltype(freeOutput)>(randr, "XRRFreeOutputInfo");
    getCrtc = Symbol<decltype(getCrtc)>(randr, "XRRGetCrtcInfo");
    freeCrtc = Symbol<decltype(freeCrtc)>(randr, "XRRFreeCrtcInfo");
    return randr != nullptr && openDisplay && closeDisplay && rootWindow && setErrorHandler &&
           setIOErrorHandler && queryExtension && getResources && freeResources && getPrimary && getOutput &&
           freeOutput && getCrtc && freeCrtc;
  }
};

// The mode of the output's CRTC, when it shows something.
std::optional<DisplayMode> OutputMode(const XRandr& x, XDisplay* display, XRRScreenResources* resources,
                                      XID outputId) {
  XRROutputInfo* output = x.getOutput(display, resources, outputId);
  if (output == nullptr) return std::nullopt;
  std::optional<DisplayMode> mode;
  XRRCrtcInfo* crtc = output->crtc != 0 ? x.getCrtc(display, resources, output->crtc) : nullptr;
  if (crtc != nullptr && crtc->mode != 0 && crtc->width != 0 && crtc->height != 0) {
    unsigned refresh = 0;
    for (int m = 0; m < resources->nmode; ++m) {
      const XRRModeInfo& info = resources->modes[m];
      if (info.id == crtc->mode)
        refresh = XModeRefreshRate(info.dotClock, info.hTotal, info.vTotal, info.modeFlags);
    }
    mode = DisplayMode{crtc->width, crtc->height, refresh};
  }
  if (crtc != nullptr) x.freeCrtc(crtc);
  x.freeOutput(output);
  return mode;
}

// The mode of the primary output, else of the first one that shows something.
std::optional<DisplayMode> ScreenMode(const XRandr& x, XDisplay* display) {
  std::optional<DisplayMode> current;
  // An X error would otherwise end the program.
  const XErrorHandler previous = x.setErrorHandler(&IgnoreXError);
  const XID root = x.rootWindow(display);
  if (XRRScreenResources* resources = x.getResources(display, root)) {
    std::vector<XID> outputs;
    const XID primary = x.getPrimary(display, root);
    if (primary != 0) outputs.push_back(primary);
    outputs.insert(outputs.end(), resources->outputs, resources->outputs + resources->noutput);
    for (std::size_t i = 0; i < outputs.size() && !current; ++i) {
      current = OutputMode(x, display, resources, outputs[i]);
    }
    x.freeResources(resources);
  }
  x.setErrorHandler(previous);
  return current;
}

std::optional<DisplayMode> AskXServer() {
  void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
  void* randr = x11 != nullptr ? dlopen("libXrandr.so.2", RTLD_NOW | RTLD_LOCAL) : nullptr;
  std::optional<DisplayMode> current;
  XRandr x = {};
  XDisplay* display = nullptr;
  if (x.Load(x11, randr)) {
    // A broken connection would otherwise end this child through exit(),
    // running the program's exit handlers a second time.
    x.setIOErrorHandler(&LeaveOnXIOError);
    display = x.openDisplay(nullptr);
  }
  int event = 0, error = 0;
  if (display != nullptr && x.queryExtension(display, &event, &error)) current = ScreenMode(x, display);
  if (display != nullptr) x.closeDisplay(display);
  if (randr != nullptr) dlclose(randr);
  if (x11 != nullptr) dlclose(x11);
  return current;
}

}  // namespace

unsigned XModeRefreshRate(unsigned long dotClock, unsigned hTotal, unsigned vTotal, unsigned long flags) {
  double lines = vTotal;
  if (flags & kRRDoubleScan) lines *= 2;
  if (flags & kRRInterlace) lines /= 2;
  if (hTotal == 0 || lines <= 0) return 0;
  return static_cast<unsigned>(static_cast<double>(dotClock) / (hTotal * lines) + 0.5);
}

std::optional<DisplayMode> XCurrentMode(int timeLimitMs) {
  // Without a display there is nothing to load the libraries for.
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return std::nullopt;
  // The X libraries wait for a server's answer without end; a child can be
  // given up on. It leaves through _exit, so no exit handler of the program
  // runs twice.
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child == 0) {
    close(ends[0]);
    // What the X libraries say about a broken server is not the user's to read.
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (quiet >= 0) dup2(quiet, STDERR_FILENO);
    if (const std::optional<DisplayMode> mode = AskXServer()) {
      const unsigned values[3] = {mode->width, mode->height, mode->refreshRate};
      if (write(ends[1], values, sizeof values) != static_cast<ssize_t>(sizeof values)) _exit(1);
    }
    _exit(0);
  }
  close(ends[1]);
  unsigned values[3];
  std::size_t received = 0;
  if (child > 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeLimitMs);
    while (received < sizeof values) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd answer = {ends[0], POLLIN, 0};
      const int ready = poll(&answer, 1, static_cast<int>(left.count()));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) break;
      const ssize_t got = read(ends[0], reinterpret_cast<char*>(values) + received, sizeof values - received);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      received += static_cast<std::size_t>(got);
    }
    // Done or not, the child goes now and is reaped.
    kill(child, SIGKILL);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  close(ends[0]);
  if (received != sizeof values) return std::nullopt;
  return DisplayMode{values[0], values[1], values[2]};
}

std::optional<DisplayMode> DrmCurrentMode(const std::string& devicePath) {
  const int fd = open(devicePath.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  std::optional<DisplayMode> current;
  DrmCardResources resources = {};
  if (Control(fd, kGetResources, &resources) == 0 && resources.count_crtcs > 0) {
    std::vector<std::uint32_t> crtcs(std::min(resources.count_crtcs, kMaxCrtcs));
    DrmCardResources ids = {};
    ids.crtc_id_ptr = reinterpret_cast<std::uintptr_t>(crtcs.data());
    ids.count_crtcs = static_cast<std::uint32_t>(crtcs.size());
    if (Control(fd, kGetResources, &ids) == 0) {
      // The first CRTC that drives an output, in the card's own order.
      for (std::size_t i = 0; i < std::min<std::size_t>(ids.count_crtcs, crtcs.size()) && !current; ++i) {
        DrmCrtc crtc = {};
        crtc.crtc_id = crtcs[i];
        if (Control(fd, kGetCrtc, &crtc) == 0 && crtc.mode_valid && crtc.mode.hdisplay &&
            crtc.mode.vdisplay) {
          current = DisplayMode{crtc.mode.hdisplay, crtc.mode.vdisplay, crtc.mode.vrefresh};
        }
      }
    }
  }
  close(fd);
  return current;
}

}  // namespace platform::posix
