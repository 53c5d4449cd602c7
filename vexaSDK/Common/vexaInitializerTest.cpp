#include <gtest/gtest.h>

#include "vexaSDK/Common/testing/vexaLogReader.h"
#include "vexaSDK/Common/vexaInitializer.h"

namespace vexaSDK {
namespace Common {
namespace {

// A subsystem whose start, end and check the test scripts.
struct Subsystem {
  bool startResult = true;
  bool checkResult = true;
  bool throwOnStart = false;
  bool throwOnEnd = false;
  int starts = 0, ends = 0, checks = 0;
  bool Start() {
    ++starts;
    if (throwOnStart) VEXA_THROW(CRuntimeException, "start failed");
    return startResult;
  }
  void End() {
    ++ends;
    if (throwOnEnd) throw "end failed";
  }
  bool Check() {
    ++checks;
    return checkResult;
  }
};

using BoolCallback = TTL::member_function_callback<bool, Subsystem>;
using VoidCallback = TTL::member_function_callback<void, Subsystem>;

TTL::smart_ptr<IInitializer> Make(Subsystem& s, bool finalizeAfterFailure, bool withCheck = false) {
  return TTL::smart_ptr<IInitializer>(new CInitializer(
      finalizeAfterFailure, CInitializer::bool_callback(new BoolCallback(&Subsystem::Start, &s)),
      CInitializer::void_callback(new VoidCallback(&Subsystem::End, &s)),
      withCheck ? CInitializer::bool_callback(new BoolCallback(&Subsystem::Check, &s))
                : CInitializer::bool_callback()));
}

// Callbacks that note when they are destroyed.
std::string destroyed;
template <class R>
struct NamedCallback : TTL::function_callback<R> {
  explicit NamedCallback(char name) : name(name) {}
  ~NamedCallback() override { destroyed += name; }
  void invoke() override {}
  char name;
};

TEST(InitializerTest, DestructionReleasesCheckThenEndThenStart) {
  destroyed.clear();
  {
    CInitializer init(false, CInitializer::bool_callback(new NamedCallback<bool>('s')),
                      CInitializer::void_callback(new NamedCallback<void>('e')),
                      CInitializer::bool_callback(new NamedCallback<bool>('c')));
    EXPECT_EQ("", destroyed) << "the initialiser holds the only references";
  }
  EXPECT_EQ("ces", destroyed);
}

TEST(InitializerTest, WithoutCallbacksStartSucceeds) {
  CInitializer empty(false, {}, {}, {});
  EXPECT_FALSE(empty.IsInitialized());
  EXPECT_TRUE(empty.Initialize());
  EXPECT_TRUE(empty.IsInitialized());
  empty.Finalize();
  EXPECT_FALSE(empty.IsInitialized());
}

TEST(InitializerTest, EndRunsOnceAfterSuccess) {
  Subsystem s;
  TTL::smart_ptr<IInitializer> init = Make(s, false);
  EXPECT_TRUE(init->Initialize());
  init->Finalize();
  init->Finalize();
  init.release();
  EXPECT_EQ(1, s.ends);
}

TEST(InitializerTest, FailedStartEndsOnlyWhenAsked) {
  for (bool flag : {false, true}) {
    Subsystem s;
    s.startResult = false;
    {
      TTL::smart_ptr<IInitializer> init = Make(s, flag);
      EXPECT_FALSE(init->Initialize());
      EXPECT_FALSE(init->IsInitialized());
    }  // destruction finalizes
    EXPECT_EQ(flag ? 1 : 0, s.ends) << flag;
  }
}

TEST(InitializerTest, CheckRunsEvenAfterAFailedStart) {
  Subsystem s;
  s.startResult = false;
  TTL::smart_ptr<IInitializer> init = Make(s, false, true);
  EXPECT_FALSE(init->Initialize());
  EXPECT_EQ(1, s.checks);
  s.startResult = true;
  s.checkResult = false;
  EXPECT_FALSE(init->Initialize()) << "a failing check fails the start";
  s.checkResult = true;
  EXPECT_TRUE(init->Initialize());
  EXPECT_EQ(3, s.starts);
}

TEST(InitializerTest, ThrowingStartIsLoggedAndReportedFalse) {
  const testkit::CLogReader log;
  Subsystem s;
  s.throwOnStart = true;
  TTL::smart_ptr<IInitializer> init = Make(s, false);
  EXPECT_FALSE(init->Initialize());
  const std::string added = log.Added();
  EXPECT_EQ(0u, added.find("exception CatchHandler vexaInitializer.cpp("));
  EXPECT_NE(std::string::npos, added.find("error : CRuntimeException\r\nstart failed\r\n"));
  init.release();
  EXPECT_EQ(0, s.ends);
}

TEST(InitializerTest, ThrowingEndLeavesFinalizeButNotTheDestructor) {
  Subsystem s;
  s.throwOnEnd = true;
  {
    CInitializer init(false, CInitializer::bool_callback(new BoolCallback(&Subsystem::Start, &s)),
                      CInitializer::void_callback(new VoidCallback(&Subsystem::End, &s)), {});
    EXPECT_TRUE(init.Initialize());
    EXPECT_THROW(init.Finalize(), const char*);
    EXPECT_TRUE(init.IsInitialized()) << "state unchanged by the failed end";
    const testkit::CLogReader log;
  }  // the destructor tries again and logs instead of throwing
  EXPECT_EQ(2, s.ends);
}

}  // namespace
}  // namespace Common
}  // namespace vexaSDK
