// The identifier record a driver would report for a display controller.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/internal/HostHardware.h"

namespace platform::posix {
namespace {

TEST(HostModelTest, DriverVersionsPackFourNumbers) {
  struct Case {
    const char* text;
    const char* version;
  } const cases[] = {
      {"6.1.0-18-amd64", "6.1.0.18"},
      {"535.104.05", "535.104.5.0"},
      {"1.2.3.4.5", "1.2.3.4"},
      {"v2", "2.0.0.0"},
      {"", "0.0.0.0"},
      {"65535.65536.99999999999999999999.0007", "65535.65535.65535.7"},
      {"-1", "1.0.0.0"},
  };
  for (const Case& c : cases) {
    const LARGE_INTEGER packed = PackDriverVersion(c.text);
    const DWORD high = static_cast<DWORD>(packed.HighPart);
    const std::string version = std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." +
                                std::to_string(packed.LowPart >> 16) + "." +
                                std::to_string(packed.LowPart & 0xFFFF);
    EXPECT_EQ(c.version, version) << c.text;
  }
}

TEST(HostModelTest, IdentifierTextsAreCutWholeInCodePage932) {
  DisplayController controller;
  controller.driver = std::string(600, 'd');
  // 255 two-byte characters fill 510 bytes; the next one no longer fits.
  std::string name;
  for (int i = 0; i < 300; ++i) name += u8"表";
  controller.name = "x" + name;
  const D3DADAPTER_IDENTIFIER8 identifier = IdentifierOf(controller);
  EXPECT_EQ(std::string(511, 'd'), identifier.Driver);
  std::string expected = "x";
  for (int i = 0; i < 255; ++i) expected += "\x95\x5C";
  EXPECT_EQ(expected, identifier.Description);
  // The report outlives the process, so what code page 932 lacks is '?'.
  controller.name = u8"Grafik für Jürgen";
  controller.driver = u8"büro";
  EXPECT_EQ("Grafik f?r J?rgen", std::string(IdentifierOf(controller).Description));
  EXPECT_EQ("b?ro", std::string(IdentifierOf(controller).Driver));
}

}  // namespace
}  // namespace platform::posix
