// The refresh rate of an X RandR mode, from its timings and mode flags.
#include <gtest/gtest.h>

#include "platform/posix/internal/HostHardware.h"

namespace platform::posix {
namespace {

// The mode flags as RandR publishes them.
const unsigned long kInterlace = 0x10;
const unsigned long kDoubleScan = 0x20;

TEST(DisplayModeTest, RefreshRateFollowsTheModeFlags) {
  struct Case {
    const char* mode;
    unsigned long dotClock;
    unsigned hTotal, vTotal;
    unsigned long flags;
    unsigned hertz;
  } const cases[] = {
      {"1920x1080", 148500000, 2200, 1125, 0, 60},
      {"1920x1080i", 74250000, 2200, 1125, kInterlace, 60},
      {"320x240d", 25175000, 800, 262, kDoubleScan, 60},
      {"1366x768", 85500000, 1792, 798, 0, 60},  // 59.79 rounds up
      {"no line length", 85500000, 0, 798, 0, 0},
      {"no lines", 85500000, 1792, 0, kInterlace, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.hertz, XModeRefreshRate(c.dotClock, c.hTotal, c.vTotal, c.flags)) << c.mode;
  }
}

}  // namespace
}  // namespace platform::posix
