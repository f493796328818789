#include <gtest/gtest.h>

#include <string>

#include "game/Engine.h"

namespace {

// Whatever the clock says, a budget leaves a reserve on it and is at least 1 ms.
TEST(MoveBudget, NeverSpendsTheReserve) {
  for (uint64_t Left : {0ull, 1ull, 49ull, 60ull, 100ull, 500ull, 1000ull, 10000ull, 600000ull})
    for (uint64_t Inc : {0ull, 100ull, 1000ull, 5000ull})
      for (uint32_t ToGo : {0u, 1u, 2u, 40u}) {
        SCOPED_TRACE(std::to_string(Left) + " + " + std::to_string(Inc) + " / " +
                     std::to_string(ToGo));
        const uint64_t B = MoveBudgetMs(Left, Inc, ToGo);
        EXPECT_GE(B, 1u);
        if (Left >= 100) {
          EXPECT_LE(B, Left - 50 - Left / 20);
        }
      }
}

TEST(MoveBudget, SharesTheClockOverTheMovesToCome) {
  const struct {
    uint64_t Left, Inc;
    uint32_t ToGo;
    uint64_t Budget;
  } Cases[] = {
      {10000, 100, 0, (10000 - 550) / 30 + 75}, // 10 s + 0.1 s at the start
      {60000, 600, 0, (60000 - 3050) / 30 + 450},
      {60000, 0, 40, (60000 - 3050) / 40},
      {60000, 0, 1, 60000 - 3050}, // the last move before the control
      {800, 100, 0, (800 - 90) / 30 + 75},
      {120, 100, 0, 120 - 56}, // the increment alone would overdraw it
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::to_string(C.Left) + " + " + std::to_string(C.Inc));
    EXPECT_EQ(MoveBudgetMs(C.Left, C.Inc, C.ToGo), C.Budget);
  }
}

// A whole game at 10 s + 0.1 s where every move runs to its hard stop plus
// 30 ms of delay: the clock never runs out.
TEST(MoveBudget, SurvivesAWholeFastGame) {
  int64_t Clock = 10000;
  for (int Move = 0; Move < 300; ++Move) {
    Clock -= static_cast<int64_t>(ClockBudget(static_cast<uint64_t>(Clock), 100, 0).StopMs) + 30;
    ASSERT_GT(Clock, 0) << "flagged at move " << Move;
    Clock += 100;
  }
}

// No iteration starts after 0.6 budgets; the search stops at two budgets, or
// at what the clock holds after its reserve when that is less.
TEST(MoveBudget, IterationsStartEarlyAndStopLate) {
  const struct {
    uint64_t Left, Inc;
    uint32_t ToGo;
    uint64_t IterationMs, StopMs;
  } Cases[] = {
      {10000, 100, 0, 390 * 3 / 5, 780},   // budget (10000 - 550) / 30 + 75 = 390
      {60000, 0, 1, 56950 * 3 / 5, 56950}, // the last move before the control
      {120, 100, 0, 64 * 3 / 5, 64},       // the budget is all there is
      {10, 0, 0, 1, 1},                    // nothing left: the shortest search
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::to_string(C.Left) + " + " + std::to_string(C.Inc));
    const ClockTimes T = ClockBudget(C.Left, C.Inc, C.ToGo);
    EXPECT_EQ(T.IterationMs, C.IterationMs);
    EXPECT_EQ(T.StopMs, C.StopMs);
  }
}

} // namespace
