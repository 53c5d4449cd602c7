#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "vexaSDK/dx/dx8_3d/testing/vexaTestEnumMode.h"
#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"
#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"

namespace vexaSDK {
namespace DX8 {
namespace {

using testkit::CTestEnumMode;
using testkit::CTestModeInfo;

const D3DFORMAT kDXT1 = static_cast<D3DFORMAT>(0x31545844);
const D3DFORMAT kDXT5 = static_cast<D3DFORMAT>(0x35545844);

D3DADAPTER_IDENTIFIER8 Identifier(const char* description, const char* driver) {
  D3DADAPTER_IDENTIFIER8 id = {};
  std::strcpy(id.Description, description);
  std::strcpy(id.Driver, driver);
  return id;
}

D3DADAPTER_IDENTIFIER8 AdapterA() {
  D3DADAPTER_IDENTIFIER8 id = Identifier("RADEON 9800 PRO", "ati2dvag.dll");
  id.DriverVersion.HighPart = (6 << 16) | 14;
  id.DriverVersion.LowPart = (10 << 16) | 6545;
  id.VendorId = 0x1002;
  id.DeviceId = 0x4E48;
  id.SubSysId = 0;
  id.Revision = 161;
  id.DeviceIdentifier = {0xD7B71EE2, 0x0E48, 0x11CF, {0xA0, 0xBC, 0x3F, 0x7C, 0x0A, 0xC2, 0xCB, 0x35}};
  id.WHQLLevel = 1;
  return id;
}

D3DADAPTER_IDENTIFIER8 AdapterB() {
  D3DADAPTER_IDENTIFIER8 id = Identifier("", "vga.dll");
  id.VendorId = 0x10DE;
  id.DeviceId = 0xFFFFFFFF;
  id.SubSysId = 0x12345678;
  id.DeviceIdentifier = {0x1, 0x2, 0xA, {5, 5, 5, 5, 5, 5, 5, 5}};
  id.WHQLLevel = 19990101;
  return id;
}

CTestModeInfo RichRecord() {
  CTestModeInfo r(0, D3DDEVTYPE_HAL, FALSE, AdapterA());
  r.MultiSample(D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8,
                {D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_2_SAMPLES, D3DMULTISAMPLE_4_SAMPLES})
      .MultiSample(D3DFMT_R5G6B5, D3DFMT_R5G6B5, {})
      .MultiSample(D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, {D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_2_SAMPLES})
      .DepthStencil(D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, {D3DFMT_D16, D3DFMT_D24X8})
      .DepthStencil(D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, {D3DFMT_D24S8})
      .DepthStencil(D3DFMT_R5G6B5, D3DFMT_R5G6B5, {D3DFMT_D16})
      .Formats(kRenderTargetFormats, D3DFMT_X8R8G8B8, {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5})
      .Formats(kRenderTargetFormats, D3DFMT_R5G6B5, {})
      .Formats(kTextureFormats, kDXT1, {D3DFMT_A8})
      .Formats(kTextureFormats, D3DFMT_R5G6B5, {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5})
      .Formats(kTextureFormats, D3DFMT_X8R8G8B8, {D3DFMT_A8R8G8B8, kDXT1, kDXT5})
      .Mode(1600, 1200, 60, D3DFMT_A1R5G5B5, D3DFMT_R5G6B5)
      .Mode(640, 480, 60, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8)
      .Mode(640, 480, 75, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8)
      .Mode(800, 600, 60, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8)
      .Mode(800, 600, 60, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8)
      .Mode(1024, 768, 75, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8);
  return r;
}

std::string CapsText(D3DDEVTYPE type, UINT adapter) {
  D3DCAPS8 caps = {};
  caps.DeviceType = type;
  caps.AdapterOrdinal = adapter;
  std::ostringstream out;
  WriteDeviceCaps(out, caps);
  return out.str();
}

const char kEmptyTables[] =
    "< MultiSampleType Info >\n"
    "< DepthStencilFormat Info >\n"
    "< RenderTargetFormats >\n"
    "< TextureFormats >\n"
    "< CubeTextureFormats >\n"
    "< VolumeTextureFormats >\n"
    "< RenderTarget TextureFormats >\n"
    "< RenderTarget CubeTextureFormats >\n"
    "< RenderTarget VolumeTextureFormats >\n";

std::string EmptySection(D3DDEVTYPE type, bool windowed, UINT adapter) {
  return std::string("***** ") + (type == D3DDEVTYPE_REF ? "D3DDEVTYPE_REF" : "D3DDEVTYPE_HAL") +
         (windowed ? " Window" : " FullScreen") + " Mode Info *****\n\n" + kEmptyTables +
         CapsText(type, adapter) + "< DisplayMode Info >\n\n";
}

const char kBlockA[] =
    "< Device Info >\n"
    "Device: RADEON 9800 PRO\n"
    "Driver: ati2dvag.dll\n"
    "Version: 6.14.10.6545\n"
    "VendorId: 0x00001002\n"
    "DeviceId: 0x00004E48\n"
    "SubSysId: 0x00000000\n"
    "Revision: 161\n"
    "DeviceIdentifier: D7B71EE2-0E48-11CF-A0BC-3F7C0AC2CB35\n"
    "WHQLLevel: 1\n"
    "\n";

const char kBlockB[] =
    "< Device Info >\n"
    "Device: \n"
    "Driver: vga.dll\n"
    "Version: 0.0.0.0\n"
    "VendorId: 0x000010DE\n"
    "DeviceId: 0xFFFFFFFF\n"
    "SubSysId: 0x12345678\n"
    "Revision: 0\n"
    "DeviceIdentifier: 00000001-0002-000A-0505-050505050505\n"
    "WHQLLevel: 19990101\n"
    "\n";

const char kRichTablesHead[] =
    "***** D3DDEVTYPE_HAL FullScreen Mode Info *****\n"
    "\n"
    "< MultiSampleType Info >\n"
    "Mode: D3DFMT_X8R8G8B8 - D3DFMT_A8R8G8B8\n"
    " D3DMULTISAMPLE_NONE\n"
    " D3DMULTISAMPLE_2_SAMPLES\n"
    "\n"
    "Mode: D3DFMT_X8R8G8B8 - D3DFMT_X8R8G8B8\n"
    " D3DMULTISAMPLE_NONE\n"
    " D3DMULTISAMPLE_2_SAMPLES\n"
    " D3DMULTISAMPLE_4_SAMPLES\n"
    "\n"
    "Mode: D3DFMT_R5G6B5 - D3DFMT_R5G6B5\n"
    "\n"
    "< DepthStencilFormat Info >\n"
    "Mode: D3DFMT_X8R8G8B8 - D3DFMT_A8R8G8B8\n"
    " D3DFMT_D16\n"
    " D3DFMT_D24X8\n"
    "\n"
    "Mode: D3DFMT_X8R8G8B8 - D3DFMT_X8R8G8B8\n"
    " D3DFMT_D24S8\n"
    "\n"
    "Mode: D3DFMT_R5G6B5 - D3DFMT_R5G6B5\n"
    " D3DFMT_D16\n"
    "\n"
    "< RenderTargetFormats >\n"
    "Mode: D3DFMT_X8R8G8B8\n"
    " D3DFMT_A8R8G8B8\n"
    " D3DFMT_X8R8G8B8\n"
    " D3DFMT_R5G6B5\n"
    "\n"
    "Mode: D3DFMT_R5G6B5\n"
    "\n"
    "< TextureFormats >\n"
    "Mode: D3DFMT_X8R8G8B8\n"
    " D3DFMT_A8R8G8B8\n"
    " D3DFMT_DXT1\n"
    " D3DFMT_DXT5\n"
    "\n"
    "Mode: D3DFMT_R5G6B5\n"
    " D3DFMT_R5G6B5\n"
    " D3DFMT_X1R5G5B5\n"
    "\n"
    "Mode: D3DFMT_DXT1\n"
    " D3DFMT_A8\n"
    "\n"
    "< CubeTextureFormats >\n"
    "< VolumeTextureFormats >\n"
    "< RenderTarget TextureFormats >\n"
    "< RenderTarget CubeTextureFormats >\n"
    "< RenderTarget VolumeTextureFormats >\n";

const char kRichModes[] =
    "< DisplayMode Info >\n"
    " 1600 x 1200 (D3DFMT_A1R5G5B5 - D3DFMT_R5G6B5) (60Hz)\n"
    " 640 x 480 (D3DFMT_X8R8G8B8 - D3DFMT_X8R8G8B8) (60Hz)\n"
    " 640 x 480 (D3DFMT_X8R8G8B8 - D3DFMT_X8R8G8B8) (75Hz)\n"
    " 800 x 600 (D3DFMT_X8R8G8B8 - D3DFMT_X8R8G8B8) (60Hz)\n"
    " 800 x 600 (D3DFMT_X8R8G8B8 - D3DFMT_A8R8G8B8) (60Hz)\n"
    " 1024 x 768 (D3DFMT_X8R8G8B8 - D3DFMT_A8R8G8B8) (75Hz)\n"
    "\n";

CTestEnumMode TwoAdapters() {
  CTestEnumMode enumeration;
  enumeration.Adapter(AdapterA(), {RichRecord(), CTestModeInfo(0, D3DDEVTYPE_HAL, TRUE, AdapterA()),
                                   CTestModeInfo(0, D3DDEVTYPE_REF, FALSE, AdapterA())
                                       .MultiSample(D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, {D3DMULTISAMPLE_NONE})
                                       .DepthStencil(D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, {})
                                       .Mode(640, 480, 0, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8),
                                   CTestModeInfo(0, D3DDEVTYPE_REF, TRUE, AdapterA())});
  enumeration.Adapter(AdapterB(), {CTestModeInfo(1, D3DDEVTYPE_HAL, FALSE, AdapterB()),
                                   CTestModeInfo(1, D3DDEVTYPE_HAL, TRUE, AdapterB()),
                                   CTestModeInfo(1, D3DDEVTYPE_REF, FALSE, AdapterB()),
                                   CTestModeInfo(1, D3DDEVTYPE_REF, TRUE, AdapterB())
                                       .Mode(1280, 1024, 85, D3DFMT_R5G6B5, D3DFMT_R5G6B5)});
  return enumeration;
}

TEST(DeviceReportTest, TwoAdaptersEachFollowedByTheirOwnSections) {
  const std::string expected =
      std::string(kBlockA) + kRichTablesHead + CapsText(D3DDEVTYPE_HAL, 0) + kRichModes +
      EmptySection(D3DDEVTYPE_HAL, true, 0) +
      "***** D3DDEVTYPE_REF FullScreen Mode Info *****\n\n"
      "< MultiSampleType Info >\nMode: D3DFMT_X8R8G8B8 - D3DFMT_X8R8G8B8\n D3DMULTISAMPLE_NONE\n\n"
      "< DepthStencilFormat Info >\nMode: D3DFMT_X8R8G8B8 - D3DFMT_X8R8G8B8\n\n"
      "< RenderTargetFormats >\n< TextureFormats >\n< CubeTextureFormats >\n< VolumeTextureFormats >\n"
      "< RenderTarget TextureFormats >\n< RenderTarget CubeTextureFormats >\n"
      "< RenderTarget VolumeTextureFormats >\n" +
      CapsText(D3DDEVTYPE_REF, 0) +
      "< DisplayMode Info >\n 640 x 480 (D3DFMT_X8R8G8B8 - D3DFMT_X8R8G8B8) (0Hz)\n\n" +
      EmptySection(D3DDEVTYPE_REF, true, 0) + kBlockB + EmptySection(D3DDEVTYPE_HAL, false, 1) +
      EmptySection(D3DDEVTYPE_HAL, true, 1) + EmptySection(D3DDEVTYPE_REF, false, 1) +
      "***** D3DDEVTYPE_REF Window Mode Info *****\n\n" + kEmptyTables + CapsText(D3DDEVTYPE_REF, 1) +
      "< DisplayMode Info >\n 1280 x 1024 (D3DFMT_R5G6B5 - D3DFMT_R5G6B5) (85Hz)\n\n";

  std::ostringstream out;
  TwoAdapters().WriteDeviceInfo(out);
  EXPECT_EQ(expected, out.str());
}

TEST(DeviceReportTest, NoIdentifiersNoTextEvenWithRecords) {
  // Records whose identifier is missing: nothing may be written for them.
  struct : CTestEnumMode {
    void DropIdentifiers() { identifiers_.clear(); }
  } orphaned;
  orphaned.Adapter(AdapterA(), {RichRecord()});
  orphaned.DropIdentifiers();
  std::ostringstream out;
  orphaned.WriteDeviceInfo(out);
  EXPECT_EQ("", out.str());
  EXPECT_EQ(' ', out.fill());
}

// Counts flushes and remembers what had been written at each.
class FlushRecorder : public std::stringbuf {
 public:
  std::vector<std::size_t> flushedAt;

 protected:
  int sync() override {
    flushedAt.push_back(str().size());
    return 0;
  }
};

TEST(DeviceReportTest, FlushesOnlyAtBlockEndsAndDisplayModes) {
  FlushRecorder buffer;
  std::ostream out(&buffer);
  RichRecord().WriteModeInfo(out);
  const std::string text = buffer.str();
  // 3 multisample + 3 depth-stencil + 5 format entries, the caps block, six
  // display modes and the end of the display-mode block.
  ASSERT_EQ(19u, buffer.flushedAt.size());
  for (std::size_t at : buffer.flushedAt) {
    const bool blockEnd = text.compare(at - 2, 2, "\n\n") == 0;
    const bool modeLine = text.compare(at - 4, 4, "Hz)\n") == 0;
    EXPECT_TRUE(blockEnd || modeLine) << text.substr(0, at);
  }
  EXPECT_EQ(text.size(), buffer.flushedAt.back());
}

// A disk that fills up: every write of the buffer fails, by throwing or by
// writing nothing, and counts the attempt.
struct DiskFull {};
class FullDiskBuffer : public std::streambuf {
 public:
  explicit FullDiskBuffer(bool throws) : throws_(throws) {}
  int writes = 0;

 protected:
  std::streamsize xsputn(const char*, std::streamsize) override {
    ++writes;
    if (throws_) throw DiskFull();
    return 0;
  }
  int_type overflow(int_type) override {
    ++writes;
    if (throws_) throw DiskFull();
    return traits_type::eof();
  }

 private:
  bool throws_;
};

TEST(DeviceReportTest, AFailingStreamPassesItsFirstFailureOn) {
  const CTestEnumMode enumeration = TwoAdapters();
  {
    FullDiskBuffer buffer(true);
    std::ostream out(&buffer);
    out.exceptions(std::ios::badbit);
    EXPECT_THROW(enumeration.WriteDeviceInfo(out), DiskFull) << "the buffer's own exception, unchanged";
    EXPECT_EQ(1, buffer.writes) << "nothing is written again after the failure";
  }
  {
    FullDiskBuffer buffer(false);
    std::ostream out(&buffer);
    out.exceptions(std::ios::badbit);
    EXPECT_THROW(enumeration.WriteDeviceInfo(out), std::ios::failure);
    EXPECT_EQ(1, buffer.writes);
  }
  {
    FullDiskBuffer buffer(true);
    std::ostream out(&buffer);  // the stream's default: failures only set its state
    EXPECT_NO_THROW(enumeration.WriteDeviceInfo(out));
    EXPECT_TRUE(out.bad());
  }
  // The writers that end without a flush hand over their text as well.
  for (int writer = 0; writer < 4; ++writer) {
    FullDiskBuffer buffer(true);
    std::ostream out(&buffer);
    out.exceptions(std::ios::badbit);
    static const CapsFlagName kTable[] = {{0x1, "ONE"}};
    switch (writer) {
      case 0:
        EXPECT_THROW(WriteCapsFlags(out, 1, "L", kTable, 1), DiskFull);
        break;
      case 1:
        EXPECT_THROW(WriteFormatList(out, FormatTable(), "TextureFormats"), DiskFull);
        break;
      case 2:
        EXPECT_THROW(CTestModeInfo(0, D3DDEVTYPE_HAL, FALSE).WriteMultiSampleInfo(out), DiskFull);
        break;
      case 3:
        EXPECT_THROW(CTestModeInfo(0, D3DDEVTYPE_HAL, FALSE).WriteDepthStencilInfo(out), DiskFull);
        break;
    }
    EXPECT_EQ(1, buffer.writes) << writer;
  }
}

TEST(DeviceReportTest, StreamFormatIsTheCallersAgainAfterward) {
  std::ostringstream out;
  const std::ios::fmtflags before = out.flags();
  CTestEnumMode enumeration;
  enumeration.Adapter(AdapterA(), {RichRecord()});
  enumeration.WriteDeviceInfo(out);
  EXPECT_EQ(before, out.flags());
  EXPECT_EQ('0', out.fill());
  out.str("");
  out << 1e10 << ' ' << 255;
  EXPECT_EQ("1e+10 255", out.str());
}

// Every quarter is an unsigned 16-bit number, also where the high part's sign
// bit is set.
TEST(DeviceReportTest, DriverVersionQuartersAreUnsigned) {
  D3DADAPTER_IDENTIFIER8 id = AdapterB();
  id.DriverVersion.HighPart = static_cast<LONG>(0x8001FFFEu);
  id.DriverVersion.LowPart = 0xFFFF0001u;
  CTestEnumMode enumeration;
  enumeration.Adapter(id, {});
  std::ostringstream out;
  enumeration.WriteDeviceInfo(out);
  EXPECT_NE(std::string::npos, out.str().find("\nVersion: 32769.65534.65535.1\n")) << out.str();
}

TEST(DeviceReportTest, UnterminatedTextsStopAtTheirField) {
  D3DADAPTER_IDENTIFIER8 id = AdapterA();
  std::memset(id.Description, 'D', sizeof id.Description);
  std::memset(id.Driver, 'R', sizeof id.Driver);
  CTestEnumMode enumeration;
  enumeration.Adapter(id, {});
  std::ostringstream out;
  enumeration.WriteDeviceInfo(out);
  const std::string text = out.str();
  EXPECT_NE(std::string::npos, text.find("Device: " + std::string(512, 'D') + "\nDriver: "));
  EXPECT_NE(std::string::npos, text.find("Driver: " + std::string(512, 'R') + "\nVersion: "));
}

TEST(DeviceReportTest, SingleWritersOnTheirOwn) {
  std::ostringstream mode;
  CDisplayMode(1024, 768, 75, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8).WriteDisplayMode(mode);
  EXPECT_EQ(" 1024 x 768 (D3DFMT_X8R8G8B8 - D3DFMT_A8R8G8B8) (75Hz)\n", mode.str());

  FormatTable table;
  table[D3DFMT_R5G6B5] = {};
  std::ostringstream list;
  WriteFormatList(list, table, "TextureFormats");
  EXPECT_EQ("< TextureFormats >\nMode: D3DFMT_R5G6B5\n\n", list.str());

  std::ostringstream multi, depth;
  const CTestModeInfo record = RichRecord();
  record.WriteMultiSampleInfo(multi);
  record.WriteDepthStencilInfo(depth);
  const std::string head = kRichTablesHead;
  const std::size_t multiStart = head.find("< MultiSampleType");
  const std::size_t depthStart = head.find("< DepthStencilFormat");
  EXPECT_EQ(head.substr(multiStart, depthStart - multiStart), multi.str());
  EXPECT_EQ(head.substr(depthStart, head.find("< RenderTargetFormats") - depthStart), depth.str());
}

}  // namespace
}  // namespace DX8
}  // namespace vexaSDK
