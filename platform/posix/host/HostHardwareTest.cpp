// The host's display controllers from fake sysfs trees, read from disk and
// from memory alike: the identifier blocks the device report prints for them,
// their mode lists, the PCI names and the limits that hostile trees run into.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/D3D8Model.h"
#include "platform/posix/internal/HostHardware.h"
#include "platform/posix/testing/HostTesting.h"
#include "vexaSDK/System/vexaPath.h"
#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"

namespace platform::posix {
namespace {

using testkit::AddQemuCard;
using testkit::AddTwoCards;
using testkit::CFakeSysfs;
using testkit::FromCrLf;
using testkit::kPciIds;
using testkit::PciFunction;
using testkit::ReadHostFile;
using testkit::RunShell;
using testkit::ShellRun;

const char kKernel[] = "6.1.0-18-amd64";

HardwareSources Sources(const CFakeSysfs& tree) {
  return {tree.Root(), {tree.Path("pci.ids")}, kKernel, false, ""};
}

// The identifier blocks of the report that the enumeration writes for a model.
std::string IdentifierBlocks(const std::shared_ptr<platform::d3d8::CRuntimeModel>& model) {
  IDirect3D8* direct3D = platform::d3d8::CreateDirect3D8(model);
  const vexaSDK::DX8::CDGEnumMode enumeration(direct3D);
  direct3D->Release();
  std::ostringstream stream;
  enumeration.WriteDeviceInfo(stream);
  const std::string text = stream.str();
  std::string blocks;
  for (std::size_t at = text.find("< Device Info >\n"); at != std::string::npos;
       at = text.find("< Device Info >\n", at + 1)) {
    blocks += text.substr(at, text.find("\n\n", at) + 2 - at);
  }
  return blocks;
}

std::string ModeList(const std::vector<D3DDISPLAYMODE>& modes) {
  std::string list;
  for (const D3DDISPLAYMODE& mode : modes) {
    list += std::to_string(mode.Width) + "x" + std::to_string(mode.Height) + "@" +
            std::to_string(mode.RefreshRate) + (mode.Format == D3DFMT_X8R8G8B8 ? " X8R8G8B8" : "") +
            (mode.Format == D3DFMT_R5G6B5 ? " R5G6B5" : "") + "\n";
  }
  return list;
}

// Both formats of each resolution, X8R8G8B8 first, refresh rate 0.
std::string HostModes(const std::vector<const char*>& resolutions) {
  std::string list;
  for (const char* format : {" X8R8G8B8\n", " R5G6B5\n"}) {
    for (const char* resolution : resolutions) list += std::string(resolution) + "@0" + format;
  }
  return list;
}

std::string DefaultModes() { return ModeList(platform::d3d8::MakeDefaultModel()->adapters[0].modes); }

void WithoutBootVga(CFakeSysfs& tree) {
  tree.File("pci.ids", kPciIds)
      .Pci("0000:03:00.0", {"0x030200\n", "0x10de\n", "0x1c82\n", "0x10de\n", "0x11bf\n", "0xa1\n", nullptr})
      .Driver("0000:03:00.0", "nouveau", "nouveau")
      .Pci("0000:00:02.0", {"0x030000\n", "0x1234\n", "0x1111\n", "0x1af4\n", "0x1100\n", "0x02\n", nullptr});
}

void Garbage(CFakeSysfs& tree) {
  tree.File("pci.ids", "\xff\xfe\x00garbage\n\t\t\t\n10de\n")
      .Pci("0000:00:02.0",
           {"0x030000\n", "0x\n", "0x1234567890\n", "0x10000\n", "\xff\x01\n", "0x100\n", "yes\n"})
      .Pci("0000:00:03.0",
           {"0x03zz00\xff\n", "0x10de\n", "0x1c03\n", "0x1458\n", "0x3710\n", "0xa1\n", "1\n"})
      .Driver("0000:00:02.0", "bochs\n-drm\x1b", nullptr)
      .File("module/bochs\n_drm\x1b/version", "\x1b[2J\xff\n")
      .Card("card0", "0000:00:02.0")
      .Output("card0-HDMI-A-1", "connected\n",
              "0x0\n-1x768\n1024x\nx768\n99999x99999\n1024x768x60\n\xff\xfe\n1280x1024 junk\n 800x600 "
              "\n640x480i\n")
      .Output("card0-HDMI-A-2", "connected\x1b[0m\n", "1600x1200\n")
      .Link("class/drm/card1/device", "../../../bus/pci/devices/..")
      .Output("card1-DP-1", "connected\n", "2048x1536\n");
}

// A megabyte of one line, then a megabyte of distinct resolutions.
void HugeModes(CFakeSysfs& tree) {
  std::string many;
  for (unsigned width = 1; many.size() < 1024 * 1024; ++width) many += std::to_string(width) + "x1\n";
  tree.File("pci.ids", kPciIds)
      .Pci("0000:00:02.0", {"0x030000\n", "0x1af4\n", "0x1050\n", "0x1af4\n", "0x1100\n", "0x01\n", "1\n"})
      .Driver("0000:00:02.0", "bochs-drm", "bochs")
      .File("module/bochs/version", "1\n")
      .Card("card0", "0000:00:02.0")
      .Output("card0-Virtual-0", "connected\n", std::string(1024 * 1024, '1'))
      .Output("card0-Virtual-1", "connected\n", many);
}

struct TreeCase {
  const char* name;
  void (*build)(CFakeSysfs&);
  const char* blocks;
  std::vector<std::string> modes;  // per adapter
  std::vector<const char*> current;
};

std::vector<TreeCase> TreeCases() {
  std::vector<const char*> first256;
  static std::vector<std::string> names;
  if (names.empty()) {
    for (unsigned width = 1; width <= kMaxResolutions; ++width) names.push_back(std::to_string(width) + "x1");
  }
  for (const std::string& name : names) first256.push_back(name.c_str());
  return {
      {"TwoCards",
       AddTwoCards,
       "< Device Info >\n"
       "Device: NVIDIA Corporation GP106 [GeForce GTX 1060 6GB]\n"
       "Driver: nvidia\n"
       "Version: 535.104.5.0\n"
       "VendorId: 0x000010DE\n"
       "DeviceId: 0x00001C03\n"
       "SubSysId: 0x37101458\n"
       "Revision: 161\n"
       "DeviceIdentifier: DA60DC1E-CE7F-8696-BBA2-9767E5A79535\n"
       "WHQLLevel: 0\n"
       "\n"
       "< Device Info >\n"
       "Device: Intel Corporation HD Graphics 620\n"
       "Driver: i915\n"
       "Version: 6.1.0.18\n"
       "VendorId: 0x00008086\n"
       "DeviceId: 0x00005916\n"
       "SubSysId: 0x22128086\n"
       "Revision: 2\n"
       "DeviceIdentifier: 655CA946-D2BD-89D8-BBD8-90239CA09B47\n"
       "WHQLLevel: 0\n"
       "\n",
       {HostModes({"2560x1440", "1920x1080"}), HostModes({"1920x1080", "1600x900", "1280x720"})},
       {"2560x1440@0 X8R8G8B8\n", "1920x1080@0 X8R8G8B8\n"}},
      {"WithoutBootVga",
       WithoutBootVga,
       "< Device Info >\n"
       "Device: Vendor 1234 Device 1111\n"
       "Driver: \n"
       "Version: 0.0.0.0\n"
       "VendorId: 0x00001234\n"
       "DeviceId: 0x00001111\n"
       "SubSysId: 0x11001AF4\n"
       "Revision: 2\n"
       "DeviceIdentifier: 3F99B68C-1E29-8D60-BF77-8BF08E9BBF27\n"
       "WHQLLevel: 0\n"
       "\n"
       "< Device Info >\n"
       "Device: NVIDIA Corporation GP107 [GeForce GTX 1050 Ti]\n"
       "Driver: nouveau\n"
       "Version: 6.1.0.18\n"
       "VendorId: 0x000010DE\n"
       "DeviceId: 0x00001C82\n"
       "SubSysId: 0x11BF10DE\n"
       "Revision: 161\n"
       "DeviceIdentifier: A06B4B17-B934-8752-BFDE-310C7F849FF1\n"
       "WHQLLevel: 0\n"
       "\n",
       {DefaultModes(), DefaultModes()},
       {"1024x768@60 X8R8G8B8\n", "1024x768@60 X8R8G8B8\n"}},
      {"Garbage",
       Garbage,
       "< Device Info >\n"
       "Device: \n"
       "Driver: bochs?-drm?\n"
       "Version: 2.0.0.0\n"
       "VendorId: 0x00000000\n"
       "DeviceId: 0x00000000\n"
       "SubSysId: 0x00000000\n"
       "Revision: 0\n"
       "DeviceIdentifier: B8CFE018-C81D-8D04-B406-C0C5143CCDDB\n"
       "WHQLLevel: 0\n"
       "\n",
       {HostModes({"800x600", "640x480"})},
       {"800x600@0 X8R8G8B8\n"}},
      {"HugeModes",
       HugeModes,
       "< Device Info >\n"
       "Device: Vendor 1af4 Device 1050\n"
       "Driver: bochs-drm\n"
       "Version: 1.0.0.0\n"
       "VendorId: 0x00001AF4\n"
       "DeviceId: 0x00001050\n"
       "SubSysId: 0x11001AF4\n"
       "Revision: 1\n"
       "DeviceIdentifier: E5A867C8-C776-84D9-82E7-9FFD42A05406\n"
       "WHQLLevel: 0\n"
       "\n",
       {HostModes(first256)},
       {"1x1@0 X8R8G8B8\n"}},
  };
}

TEST(HostHardwareTest, FakeTreesGiveTheirIdentifiersAndModes) {
  const CHostFiles disk;
  for (const TreeCase& c : TreeCases()) {
    CFakeSysfs tree;
    c.build(tree);
    for (const IFileAccess* files : std::initializer_list<const IFileAccess*>{&disk, &tree.Memory()}) {
      const char* where = files == &disk ? " on disk" : " in memory";
      const std::shared_ptr<platform::d3d8::CRuntimeModel> model = MakeHostModel(*files, Sources(tree));
      EXPECT_EQ(c.blocks, IdentifierBlocks(model)) << c.name << where;
      ASSERT_EQ(c.modes.size(), model->adapters.size()) << c.name << where;
      for (std::size_t i = 0; i < c.modes.size(); ++i) {
        const platform::d3d8::AdapterModel& adapter = model->adapters[i];
        EXPECT_EQ(c.modes[i], ModeList(adapter.modes)) << c.name << where << " adapter " << i;
        EXPECT_EQ(c.current[i], ModeList({adapter.current})) << c.name << where << " adapter " << i;
        EXPECT_FALSE(adapter.hal.available) << "no Direct3D driver on the host";
        EXPECT_TRUE(adapter.ref.available);
      }
    }
  }
}

// The X server's current mode is the boot device's current one, not the
// first mode its outputs list; its refresh rate is the server's (Xvfb gives
// none or its own).
TEST(HostHardwareTest, CurrentModeComesFromTheXServer) {
  const testkit::CXvfb xvfb(VEXA_WITH_XVFB);
  if (xvfb.Display().empty()) GTEST_SKIP() << "Xvfb is missing";
  const testkit::CScopedVariable display("DISPLAY", xvfb.Display().c_str());
  const std::optional<DisplayMode> server = XCurrentMode(HardwareSources().xTimeLimitMs);
  ASSERT_TRUE(server.has_value());
  const std::string rate = "@" + std::to_string(server->refreshRate);
  CFakeSysfs tree;
  AddQemuCard(tree);
  HardwareSources sources = Sources(tree);
  sources.askX = true;
  const std::shared_ptr<platform::d3d8::CRuntimeModel> model = MakeHostModel(tree.Memory(), sources);
  ASSERT_EQ(1u, model->adapters.size());
  EXPECT_EQ("1024x768" + rate + " X8R8G8B8\n", ModeList({model->adapters[0].current}));
  EXPECT_EQ(vexaSDK::System::ReplaceAll(HostModes({"1280x800", "1024x768"}), "1024x768@0", "1024x768" + rate),
            ModeList(model->adapters[0].modes));
}

// Such a server costs the time limit, then the kernel's preferred mode
// stands in for the current one.
TEST(HostHardwareTest, SilentXServerIsGivenUpOn) {
  const testkit::CSilentXServer server(10);
  ASSERT_FALSE(server.Display().empty()) << "no free X display port";
  const testkit::CScopedVariable display("DISPLAY", server.Display().c_str());
  CFakeSysfs tree;
  AddQemuCard(tree);
  HardwareSources sources = Sources(tree);
  sources.askX = true;
  sources.xTimeLimitMs = 300;
  const auto start = std::chrono::steady_clock::now();
  const std::shared_ptr<platform::d3d8::CRuntimeModel> model = MakeHostModel(tree.Memory(), sources);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), 5000);
  ASSERT_EQ(1u, model->adapters.size());
  EXPECT_EQ("1280x800@0 X8R8G8B8\n", ModeList({model->adapters[0].current}));
}

TEST(HostHardwareTest, NoDisplayControllerKeepsTheDefaultModel) {
  CFakeSysfs tree;
  tree.Pci("0000:00:1f.3", {"0x040300\n", "0x8086\n", "0xa170\n", "0x8086\n", "0x2212\n", "0x31\n", nullptr});
  const CHostFiles disk;
  const std::string expected = IdentifierBlocks(platform::d3d8::MakeDefaultModel());
  EXPECT_EQ(expected, IdentifierBlocks(MakeHostModel(disk, Sources(tree))));
  EXPECT_EQ(expected, IdentifierBlocks(MakeHostModel(disk, {tree.Path("absent"), {}, kKernel, false, ""})));
}

TEST(HostHardwareTest, ControllersBeyondTheLimitAreLeftOut) {
  CFakeSysfs tree;
  for (unsigned slot = 0; slot < kMaxDisplayControllers + 4; ++slot) {
    char address[16];
    std::snprintf(address, sizeof address, "0000:%02x:00.0", slot);
    tree.Pci(address, {"0x030000\n", "0x1234\n", "0x1111\n", "0x0\n", "0x0\n", "0x0\n",
                       slot == kMaxDisplayControllers + 2 ? "1\n" : "0\n"});
  }
  const std::vector<DisplayController> controllers = ReadDisplayControllers(tree.Memory(), Sources(tree));
  ASSERT_EQ(kMaxDisplayControllers, controllers.size());
  EXPECT_EQ("0000:12:00.0", controllers[0].address) << "the boot device is never the one left out";
  EXPECT_EQ("0000:00:00.0", controllers[1].address);
  EXPECT_EQ("0000:0e:00.0", controllers.back().address);
}

TEST(HostHardwareTest, PciNamesComeFromTheFirstReadableDatabase) {
  CFakeSysfs tree;
  tree.File("pci.ids", kPciIds)
      .File("other.ids", "1234  Technical Corp.\n\t1111  QEMU Virtual Video Controller\n")
      .File("long.ids", std::string(2 * 1024 * 1024, 'a') + "\n1234  After A Long Line\n")
      .File("endless.ids", std::string(20 * 1024 * 1024, '\n') + "1234  Too Far\n");
  const std::string ids = tree.Path("pci.ids"), other = tree.Path("other.ids"),
                    missing = tree.Path("none.ids");
  struct Case {
    std::vector<std::string> databases;
    unsigned vendor;
    std::optional<unsigned> device;
    const char* name;
  } const cases[] = {
      {{ids}, 0x10de, 0x1c03, "NVIDIA Corporation GP106 [GeForce GTX 1060 6GB]"},
      {{ids}, 0x10de, 0x1c82, "NVIDIA Corporation GP107 [GeForce GTX 1050 Ti]"},  // CR LF line end
      {{ids}, 0x10de, 0x3710, "NVIDIA Corporation Device 3710"},                  // a subsystem is no device
      {{ids}, 0x8086, 0x1c03, "Intel Corporation a device of the next vendor"},
      {{ids}, 0x10de, 0x5916, "NVIDIA Corporation Device 5916"},  // the vendor's block has ended
      {{ids}, 0x8086, std::nullopt, "Intel Corporation"},
      {{ids}, 0x0300, 0x0000, "Vendor 0300 Device 0000"},  // class lines name no vendor
      {{ids}, 0x1234, 0x1111, "Vendor 1234 Device 1111"},
      {{missing, other}, 0x1234, 0x1111, "Technical Corp. QEMU Virtual Video Controller"},
      {{ids, other}, 0x1234, 0x1111, "Vendor 1234 Device 1111"},  // the first readable one decides
      {{tree.Path("long.ids")}, 0x1234, 0x1, "After A Long Line Device 0001"},
      {{tree.Path("endless.ids")}, 0x1234, 0x1, "Vendor 1234 Device 0001"},
      {{tree.Root()}, 0xabcd, 0x1, "Vendor abcd Device 0001"},  // a folder is no database
  };
  const CHostFiles disk;
  for (const Case& c : cases) {
    EXPECT_EQ(c.name, PciDeviceName(disk, c.databases, c.vendor, c.device)) << c.name;
    EXPECT_EQ(c.name, PciDeviceName(tree.Memory(), c.databases, c.vendor, c.device)) << c.name;
  }
}

// The tool as built, run over a fake tree: whether it prints the "DeviceInfo"
// section or appends it to the report on the desktop, the section shows the
// fake card (the blocks above check the content of such blocks) and its
// outputs' modes.
TEST(HostHardwareTest, ToolReportsTheControllersUnderSysfsPath) {
  CFakeSysfs tree;
  AddQemuCard(tree);
  const std::string home = tree.Path("home");
  ASSERT_EQ(0, mkdir(home.c_str(), 0700));
  ASSERT_EQ(0, mkdir((home + "/Desktop").c_str(), 0700));
  const ShellRun run = RunShell(tree, "printf 'y\\nn\\n' | env -u DISPLAY -u WAYLAND_DISPLAY HOME='" + home +
                                          "' XDG_CONFIG_HOME='" + home + "/.config' SYSFS_PATH='" +
                                          tree.Root() + "' '" VEXA_ENV_CHECKER "'");
  EXPECT_EQ(0, run.exitCode) << run.errors;
  const std::string text = run.out + FromCrLf(ReadHostFile(home + "/Desktop/envInfo.txt"));
  // The blocks the model of this tree gives, named from this machine's own
  // PCI name database as the tool names them.
  const std::string expected = IdentifierBlocks(
      MakeHostModel(CHostFiles(), {tree.Root(), HostHardwareSources().pciIds, kKernel, false, ""}));
  ASSERT_EQ(0u, expected.find("< Device Info >\nDevice: "));
  const std::size_t block = text.find("< Device Info >\n");
  ASSERT_NE(std::string::npos, block) << text;
  EXPECT_EQ(expected, text.substr(block, text.find("\n\n", block) + 2 - block));
  EXPECT_NE(std::string::npos, text.find("\n 1024 x 768 (D3DFMT_R5G6B5 - D3DFMT_R5G6B5) (0Hz)\n"));
  EXPECT_NE(std::string::npos, text.find("\n 1280 x 800 (D3DFMT_X8R8G8B8 - D3DFMT_A8R8G8B8) (0Hz)\n"));
}

}  // namespace
}  // namespace platform::posix
