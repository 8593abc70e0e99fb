#include "common/HiTimer.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "common/Consts.h"
#include "common/Errors.h"

#include "support/TempDir.h"

namespace kirpo {
namespace {

struct HiTimerTest : ::testing::Test {
  test::ScopedManualClock clock{1000};
  HiTimerService timers;
  std::vector<int> calls;
  HiTimerService::Callback Record(int tag) {
    return [this, tag](int32_t*) { calls.push_back(tag); };
  }
};

TEST_F(HiTimerTest, FirstCallComesOneIntervalAfterRegistration) {
  timers.AddHiTimer(10, false, nullptr, Record(1), 16);
  clock->Advance(15);
  timers.IdleHandler();
  EXPECT_TRUE(calls.empty());
  clock->Advance(1);
  timers.IdleHandler();
  EXPECT_EQ(calls, std::vector<int>{1});
  EXPECT_EQ(timers.NextDue(), 1032);
}

TEST_F(HiTimerTest, RunOnceEntryEndsTheWalkAndLeavesEarlierEntriesForTheNextCall) {
  timers.AddHiTimer(1, false, nullptr, Record(1), 10);
  timers.AddHiTimer(2, true, nullptr, Record(2), 10);
  clock->Advance(10);
  timers.IdleHandler();
  EXPECT_EQ(calls, std::vector<int>{2});
  EXPECT_EQ(timers.Count(), 1u);
  timers.IdleHandler();
  EXPECT_EQ(calls, (std::vector<int>{2, 1}));
}

TEST_F(HiTimerTest, RemoveTakesOnlyTheFirstEntryWithTheId) {
  timers.AddHiTimer(7, false, nullptr, Record(1), 10);
  timers.AddHiTimer(7, false, nullptr, Record(2), 10);
  timers.RemoveHiTimer(7);
  timers.RemoveHiTimer(99);  // unknown ids are ignored
  clock->Advance(10);
  timers.IdleHandler();
  EXPECT_EQ(calls, std::vector<int>{2});
}

TEST_F(HiTimerTest, SlowCallbackIsNotCaughtUp) {
  int32_t status = 0;
  timers.AddHiTimer(3, false, &status, [&](int32_t* s) { ++*s; }, 10);
  clock->Advance(95);  // nine intervals late
  timers.IdleHandler();
  timers.IdleHandler();
  EXPECT_EQ(status, 1);
  clock->Advance(10);
  timers.IdleHandler();
  EXPECT_EQ(status, 2);
}

TEST_F(HiTimerTest, CallbackMayRemoveItselfOrAnEarlierEntry) {
  timers.AddHiTimer(1, false, nullptr, Record(1), 10);
  timers.AddHiTimer(2, false, nullptr, [&](int32_t*) {
    calls.push_back(2);
    timers.RemoveHiTimer(1);
    timers.RemoveHiTimer(2);
  }, 10);
  clock->Advance(10);
  timers.IdleHandler();
  EXPECT_EQ(calls, std::vector<int>{2});
  EXPECT_EQ(timers.Count(), 0u);
}

TEST_F(HiTimerTest, AFailingCallbackEndsTheProgramAsTheFrameWouldAndFatalErrorsKeepTheirCode) {
  struct Case {
    std::function<void()> fail;
    int code;
    const char* text;
  } cases[] = {
      {[] { throw std::runtime_error("boom"); }, ExitFrame, "Idle: boom"},
      {[] { throw 7; }, ExitFrame, "Idle: unknown error"},
      {[] { FatalError(ExitAudioPlay, "Error playing stream!"); }, ExitAudioPlay, "Error playing stream!"},
  };
  for (const Case& c : cases) {
    HiTimerService service;
    service.AddHiTimer(1, false, nullptr, [&](int32_t*) { c.fail(); }, 10);
    clock->Advance(10);
    try {
      service.IdleHandler();
      ADD_FAILURE() << c.text << ": swallowed";
    } catch (const FatalErrorException& e) {
      EXPECT_EQ(e.Code(), c.code);
      EXPECT_STREQ(e.what(), c.text);
    }
  }
}

TEST(ClockTest, TicksBetweenIsTheAbsoluteDifference) {
  EXPECT_EQ(TicksBetween(5, 3), 2);
  EXPECT_EQ(TicksBetween(3, 5), 2);
  EXPECT_EQ(TicksBetween(-4, 4), 8);
}

}  // namespace
}  // namespace kirpo
