#include <gtest/gtest.h>

#include "vexaSDK/TTL/vexaCallback.h"
#include "vexaSDK/TTL/vexaSmartPtr.h"

namespace vexaSDK {
namespace TTL {
namespace {

int freeCalls = 0;
void WINAPI CountCall() { ++freeCalls; }
bool WINAPI IsEven(DWORD value) { return value % 2 == 0; }

struct Target {
  int calls = 0;
  bool answer = true;
  std::string seen;
  void Touch() { ++calls; }
  bool Answer() {
    ++calls;
    return answer;
  }
  bool Start(smart_ptr<int>& parameters, std::string& name, DWORD version) {
    seen = name + ":" + std::to_string(*parameters) + ":" + std::to_string(version);
    return version == 220;
  }
};

const char kBindMessage[] = "メンバ関数へのfunction_callbackに対してbindを行なった\r\n";

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(CallbackTest, FreeFunctionKindsRefuseBind) {
  freeCalls = 0;
  smart_ptr<function_callback<void>> plain(make_callback(&CountCall));
  plain->invoke();
  plain->invoke();
  EXPECT_EQ(2, freeCalls);
  free_function_callback1 even(&IsEven, 4);
  even.invoke();
  EXPECT_TRUE(even.result);
  Target target;
  for (auto bindOn : {+[](Target*t, function_callback<void>&c) { c.bind(t); }}) {
    try {
      bindOn(&target, *plain);
      FAIL();
    } catch (const Common::CRuntimeException& e) {
      EXPECT_TRUE(EndsWith(e.what(), kBindMessage)) << e.what();
    }
  }
  EXPECT_THROW(even.bind(&target), Common::CRuntimeException);
  even.invoke();
  EXPECT_TRUE(even.result) << "a refused bind leaves the callback as it was";
}

TEST(CallbackTest, ResultFollowsEveryInvokeAndBindRedirects) {
  Target first, second;
  member_function_callback<bool, Target> answer(&Target::Answer, &first);
  answer.invoke();
  EXPECT_TRUE(answer.result);
  first.answer = false;
  answer.invoke();
  EXPECT_FALSE(answer.result);
  answer.bind(&second);
  answer.invoke();
  EXPECT_TRUE(answer.result);
  EXPECT_EQ(2, first.calls);
  EXPECT_EQ(1, second.calls);

  member_function_callback<void, Target> touch(&Target::Touch, &first);
  touch.bind(&second);
  touch.invoke();
  EXPECT_EQ(2, second.calls);
}

TEST(CallbackTest, StoredArgumentsShareTheirBlockUntilDestroyed) {
  smart_ptr<int> parameters(new int(5));
  Target target;
  auto* start =
      new member_function_callback3<Target, smart_ptr<int>>(&Target::Start, &target, parameters, "", 220);
  {
    smart_ptr<function_callback<bool>> holder(start);
    parameters.reset(new int(6));  // the callback keeps its own share of 5
    holder->invoke();
    EXPECT_TRUE(holder->result);
    EXPECT_EQ(":5:220", target.seen);
  }
  EXPECT_EQ(6, *parameters);
}

TEST(CallbackTest, ExceptionsPassThroughAndKeepTheResult) {
  struct Thrower {
    bool Fail() { throw "failed"; }
  } thrower;
  member_function_callback<bool, Thrower> callback(&Thrower::Fail, &thrower);
  callback.result = true;
  EXPECT_THROW(callback.invoke(), const char*);
  EXPECT_TRUE(callback.result);
}

}  // namespace
}  // namespace TTL
}  // namespace vexaSDK
