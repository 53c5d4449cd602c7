#include <gtest/gtest.h>

#include "vexaSDK/Common/testing/vexaLogReader.h"
#include "vexaSDK/Common/vexaException.h"
#include "vexaSDK/Thread/vexaCriticalSection.h"
#include "vexaSDK/Thread/vexaSingleton.h"

namespace vexaSDK {
namespace Thread {
namespace {

TEST(CriticalSectionTest, OwnerStaysUntilTheLastLeave) {
  CCriticalSection section;
  EXPECT_EQ(CCriticalSection::kNoOwner, section.OwnerThread());
  EXPECT_FALSE(section.IsLockedByCurrentThread());
  section.Enter();
  section.Enter();
  EXPECT_EQ(2, section.EnterCount());
  EXPECT_TRUE(section.IsLockedByCurrentThread());
  section.Leave();
  EXPECT_EQ(GetCurrentThreadId(), section.OwnerThread());
  section.Leave();
  EXPECT_EQ(CCriticalSection::kNoOwner, section.OwnerThread());
  EXPECT_EQ(0, section.EnterCount());
}

TEST(CriticalSectionTest, LeaveWithoutEnterThrowsAndKeepsTheSectionUsable) {
  CCriticalSection section;
  try {
    section.Leave();
    FAIL() << "no exception";
  } catch (const Common::CRuntimeException& e) {
    const std::string report = e.what();
    EXPECT_NE(std::string::npos, report.find("error : CRuntimeException\r\n"
                                             "CCriticalSectionをEnterしていないのにLeaveしている\r\n"));
  }
  EXPECT_EQ(0u, section.Lock(12345));
  EXPECT_EQ(TRUE, section.Unlock());
  EXPECT_EQ(nullptr, section.GetHandle());
  {
    CScopedLock lock(section);
    EXPECT_EQ(1, section.EnterCount());
  }
  EXPECT_EQ(0, section.EnterCount());
}

TEST(CriticalSectionTest, DestroyedWhileEnteredWritesOneLogEntry) {
  const Common::testkit::CLogReader log;
  {
    CCriticalSection section;
    section.Enter();
  }
  const std::string added = log.Added();
  EXPECT_EQ(0u, added.find("vexaCriticalSection.cpp("));
  EXPECT_NE(std::string::npos,
            added.find(")\r\nCCriticalSectionをEnterした回数だけLeaveしないまま終了している\r\n"));
  EXPECT_EQ(added.size(), added.find("\r\n", added.find(")\r\n") + 3) + 2) << "one entry of two lines";
}

// Tells whether its type's lock was held while it was being made.
struct Probe {
  Probe() : madeUnderLock(singleton<Probe>::Lock().IsLockedByCurrentThread()) { ++made; }
  bool madeUnderLock;
  static int made;
};
int Probe::made = 0;

struct LockedProbe : Probe {
  LockedProbe() { madeUnderLock = singleton<LockedProbe>::Lock().IsLockedByCurrentThread(); }
};

TEST(CriticalSectionTest, SingletonTakesItsLockOnlyInMultiThreadMode) {
  ASSERT_FALSE(IsMultiThreadMode());
  // The instances live for the whole process, so a repeated run of this
  // test finds them made; count from here.
  const int madeBefore = Probe::made;
  const bool firstUse = madeBefore == 0;
  Probe* first = singleton<Probe>::GetInstance();
  ASSERT_NE(nullptr, first);
  EXPECT_FALSE(first->madeUnderLock);
  EXPECT_EQ(CCriticalSection::kNoOwner, singleton<Probe>::Lock().OwnerThread())
      << "the lock was never entered";
  EXPECT_EQ(first, singleton<Probe>::GetInstance());
  EXPECT_EQ(firstUse ? 1 : madeBefore, Probe::made) << "made once, on first use";

  SetMultiThreadMode(true);
  LockedProbe* locked = singleton<LockedProbe>::GetInstance();
  SetMultiThreadMode(false);
  ASSERT_NE(nullptr, locked);
  EXPECT_TRUE(locked->madeUnderLock);
  EXPECT_EQ(0, singleton<LockedProbe>::Lock().EnterCount());
}

}  // namespace
}  // namespace Thread
}  // namespace vexaSDK
