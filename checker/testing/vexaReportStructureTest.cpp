// The report grammar against reports of the default runtime: whole ones pass,
// and each way a report can be cut or garbled is named with its line.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "checker/testing/vexaReportStructure.h"
#include "platform/D3D8Model.h"
#include "vexaSDK/System/vexaPath.h"

namespace vexaEnvChecker {
namespace testkit {
namespace {

const char kDiagnostic[] = "------------------\r\nSystem Information\r\n------------------\r\n";

// The section the tool writes for the default runtime with `adapters` copies
// of its adapter.
std::string Section(std::size_t adapters) {
  std::shared_ptr<platform::d3d8::CRuntimeModel> model = platform::d3d8::MakeDefaultModel();
  model->adapters.resize(adapters, model->adapters.front());
  IDirect3D8* direct3D = platform::d3d8::CreateDirect3D8(model);
  const std::string text = DeviceInfoFileText(vexaSDK::DX8::CDGEnumMode(direct3D));
  direct3D->Release();
  return text;
}

std::string Report(const std::string& section) {
  return kDiagnostic + std::string(kDeviceInfoHeader) + section;
}

TEST(ReportStructureTest, WholeReportsPass) {
  EXPECT_EQ("", CheckReportStructure(Report(Section(1))));
  EXPECT_EQ("", CheckReportStructure(Report(Section(2))));
  EXPECT_EQ("", CheckReportStructure(Report(""))) << "a runtime without adapters leaves the section empty";
  EXPECT_EQ("", CheckReportStructure(kDeviceInfoHeader + Section(1))) << "dxdiag may have written nothing";
}

TEST(ReportStructureTest, EveryCutIsFound) {
  const std::string section = Section(1);
  // At each line end, where only what the grammar still wants can tell, and
  // in the middle of each line.
  for (std::size_t start = 0, end; (end = section.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    if (end + 2 < section.size()) {
      ASSERT_NE("", CheckReportStructure(Report(section.substr(0, end + 2)))) << "cut after byte " << end + 2;
    }
    ASSERT_NE("", CheckReportStructure(Report(section.substr(0, (start + end) / 2 + 1))))
        << "cut after byte " << (start + end) / 2 + 1;
  }
}

struct Garbling {
  const char* name;
  std::function<std::string(std::string)> change;
  const char* verdict;
};

std::string Replace(const std::string& text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  return at == std::string::npos ? text : text.substr(0, at) + to + text.substr(at + from.size());
}

TEST(ReportStructureTest, GarbledReportsAreNamedWithTheirLine) {
  const Garbling kCases[] = {
      {"no header", [](std::string r) { return Replace(r, "DeviceInfo\r\n", "Device Info\r\n"); },
       "no \"DeviceInfo\" header"},
      {"a bare line feed",
       [](std::string r) { return Replace(r, "Driver: vexa_d3d8\r\n", "Driver: vexa_d3d8\n"); },
       "line 3: a line end other than CR LF, found \"Driver: vexa_d3d8\nVersion: 1.0.0.1\""},
      {"no empty line after a block",
       [](std::string r) { return Replace(r, "WHQLLevel: 0\r\n\r\n", "WHQLLevel: 0\r\n"); },
       "line 11: expected \"\", found \"***** D3DDEVTYPE_HAL FullScreen Mode Info *****\""},
      {"records out of order",
       [](std::string r) { return Replace(r, "D3DDEVTYPE_HAL Window", "D3DDEVTYPE_REF Window"); },
       "line 104: expected \"***** D3DDEVTYPE_HAL Window Mode Info *****\", found \"***** D3DDEVTYPE_REF "
       "Window "
       "Mode Info *****\""},
      {"a lower-case identifier",
       [](std::string r) { return Replace(r, "VendorId: 0x00000000", "VendorId: 0x0000abcd"); },
       "line 5: not 8 hexadecimal digits, found \"VendorId: 0x0000abcd\""},
      {"flags out of table order",
       [](std::string r) {
         return Replace(r, "\tD3DCAPS2_CANRENDERWINDOWED\r\n\tD3DCAPS2_FULLSCREENGAMMA\r\n",
                        "\tD3DCAPS2_FULLSCREENGAMMA\r\n\tD3DCAPS2_CANRENDERWINDOWED\r\n");
       },
       "line 456: Caps2 flag \"D3DCAPS2_CANRENDERWINDOWED\" repeated or out of order, found "
       "\"\tD3DCAPS2_CANRENDERWINDOWED\""},
      {"a display mode without its rate",
       [](std::string r) {
         return Replace(r, " 640 x 480 (D3DFMT_X8R8G8B8 - D3DFMT_X8R8G8B8) (60Hz)", " 640 x 480");
       },
       "line 693: expected \" <width> x <height> (<format> - <format>) (<rate>Hz)\", found \" 640 x 480\""},
      {"a record missing", [](std::string r) { return r.substr(0, r.rfind("***** D3DDEVTYPE_REF Window")); },
       "line 718: the report ends early: expected \"***** D3DDEVTYPE_REF Window Mode Info *****\", found "
       "\"(end)\""},
      {"bytes after the last block", [](std::string r) { return r + "more\r\n"; },
       "line 1119: expected \"< Device Info >\", found \"more\""},
  };
  for (const Garbling& garbling : kCases) {
    EXPECT_EQ(garbling.verdict, CheckReportStructure(garbling.change(Report(Section(1))))) << garbling.name;
  }
}

}  // namespace
}  // namespace testkit
}  // namespace vexaEnvChecker
