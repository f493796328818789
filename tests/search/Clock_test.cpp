// The search's time: what a move may spend on a game clock, and the
// deadlines one search takes from its limits, a ponder search's included.
#include <gtest/gtest.h>

#include <string>

#include "TestUtil.h"
#include "platform/Clock.h"
#include "search/Clock.h"

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
      {10000, 100, 0, (10000 - 550) / 18 + 75}, // 10 s + 0.1 s at the start
      {60000, 600, 0, (60000 - 3050) / 18 + 450},
      {60000, 0, 40, (60000 - 3050) / 40},
      {60000, 0, 1, 60000 - 3050}, // the last move before the control
      {800, 100, 0, (800 - 90) / 18 + 75},
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
  // Every move to its stop, or every move failing low to the later stop.
  for (const bool FailingLow : {false, true}) {
    int64_t Clock = 10000;
    for (int Move = 0; Move < 300; ++Move) {
      const ClockTimes T = ClockBudget(static_cast<uint64_t>(Clock), 100, 0);
      Clock -= static_cast<int64_t>(FailingLow ? T.FailLowStopMs : T.StopMs) + 30;
      ASSERT_GT(Clock, 0) << "flagged at move " << Move << (FailingLow ? ", failing low" : "");
      Clock += 100;
    }
  }
}

// No iteration starts after 0.6 budgets; the search stops at two budgets, or
// five while the root fails low, or at what the clock holds after its
// reserve when that is less.
TEST(MoveBudget, IterationsStartEarlyAndStopLate) {
  const struct {
    uint64_t Left, Inc;
    uint32_t ToGo;
    uint64_t IterationMs, StopMs, FailLowStopMs;
  } Cases[] = {
      {10000, 100, 0, 600 * 3 / 5, 1200, 3000},   // budget (10000 - 550) / 18 + 75 = 600
      {2000, 0, 0, 102 * 3 / 5, 204, 510},        // (2000 - 150) / 18 = 102
      {60000, 0, 1, 56950 * 3 / 5, 56950, 56950}, // the last move before the control
      {120, 100, 0, 64 * 3 / 5, 64, 64},          // the budget is all there is
      {10, 0, 0, 1, 1, 1},                        // nothing left: the shortest search
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::to_string(C.Left) + " + " + std::to_string(C.Inc));
    const ClockTimes T = ClockBudget(C.Left, C.Inc, C.ToGo);
    EXPECT_EQ(T.IterationMs, C.IterationMs);
    EXPECT_EQ(T.StopMs, C.StopMs);
    EXPECT_EQ(T.FailLowStopMs, C.FailLowStopMs);
  }
}

// The increment xboard's adapter leaves unsaid shows as the clock's growth
// over the last move; a clock that grew as a new game or time control makes
// it, or did not grow, shows none.
TEST(MoveTimes, AnUnsaidIncrementIsReadFromTheClock) {
  const struct {
    uint64_t Before, Spent, Now, Inc;
  } Cases[] = {
      {10000, 300, 9800, 100}, // 10 s + 0.1 s
      {10000, 300, 9700, 0},   // no increment
      {10000, 300, 9600, 0},   // the interface's lag took more
      {800, 50, 850, 100},     // late in the game
      {900, 50, 10000, 0},     // a new game
      {10000, 2000, 9000, 0},  // a second or more is no fraction
      {300, 40, 360, 100},     // the increment is a third of the clock
      {500, 0, 1100, 0},       // more than half of the clock
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::to_string(C.Before) + " - " + std::to_string(C.Spent) + " -> " +
                 std::to_string(C.Now));
    EXPECT_EQ(UnsaidIncrementMs(C.Before, C.Spent, C.Now), C.Inc);
  }
}

// Two searches on a clock without an increment: the second counts the one
// the clock shows, unless a new game came between them.
TEST(MoveTimes, TheClocksGrowthCountsUntilANewGame) {
  SearchLimits L;
  L.OnClock = true;
  for (const bool NewGame : {false, true}) {
    SCOPED_TRACE(NewGame ? "a new game between" : "the same game");
    L.ClockMs = 10000;
    L.StartTick = GetTickCount64() - 300; // the move took 300 ms
    StartMoveClock(L);
    StopMoveClock();
    if (NewGame) ForgetLastMove();
    L.ClockMs = 9800; // 10 s - 0.3 s + 0.1 s
    L.StartTick = 0;
    StartMoveClock(L);
    SearchLimits Said = L;
    const uint64_t Plain = MoveTimesFor(Said).StopMs;
    Said.IncMs = 100;
    const uint64_t WithInc = MoveTimesFor(Said).StopMs;
    if (NewGame) {
      EXPECT_EQ(MoveTimeMs, Plain);
    } else {
      // The 300 ms are read late by the test's own steps: the increment a
      // little more (the stop moves by 1.5 ms a millisecond of increment).
      EXPECT_GT(WithInc, Plain);
      EXPECT_GE(MoveTimeMs, WithInc);
      EXPECT_LE(MoveTimeMs, WithInc + 150);
    }
    StopMoveClock();
    ForgetLastMove();
  }
}

SearchLimits Limits(uint64_t TimeMs, bool OnClock, uint64_t ClockMs, uint64_t IncMs,
                    uint32_t MovesToGo) {
  SearchLimits L;
  L.TimeMs = TimeMs;
  L.OnClock = OnClock;
  L.ClockMs = ClockMs;
  L.IncMs = IncMs;
  L.MovesToGo = MovesToGo;
  return L;
}

// Each kind of limit gives its deadlines: a fixed time stops at its end, a
// game clock at its budget's stop one tick late and starts no iteration after
// the budget's first part, and a ponder search has none until its ponderhit,
// and then the same, the time pondered counting as the move's.
TEST(MoveTimes, EachLimitGivesItsDeadlines) {
  const ClockTimes Ten = ClockBudget(10000, 100, 0);
  const ClockTimes Last = ClockBudget(60000, 0, 1000);
  const struct Case {
    const char *What;
    SearchLimits L;
    uint64_t IterationMs, StopMs, FailLowStopMs;
  } Cases[] = {
      {"nothing", SearchLimits{}, NoTimeLimitMs, NoTimeLimitMs, NoTimeLimitMs},
      {"a fixed time", Limits(2001, false, 0, 0, 0), NoTimeLimitMs, 2001, 2001},
      {"a clock", Limits(0, true, 10000, 100, 0), Ten.IterationMs, Ten.StopMs + 1,
       Ten.FailLowStopMs + 1},
      {"a fixed time before the clock", Limits(300, true, 10000, 0, 0), NoTimeLimitMs, 300, 300},
      {"moves to go beyond 1000 are 1000", Limits(0, true, 60000, 0, 5000000), Last.IterationMs,
       Last.StopMs + 1, Last.FailLowStopMs + 1},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.What);
    const ClockTimes T = MoveTimesFor(C.L);
    EXPECT_EQ(T.IterationMs, C.IterationMs);
    EXPECT_EQ(T.StopMs, C.StopMs);
    EXPECT_EQ(T.FailLowStopMs, C.FailLowStopMs);
    for (const bool Ponder : {false, true}) {
      SearchLimits L = C.L;
      L.Ponder = Ponder;
      // Started 5 s ago: the deadlines count from the tick the front end gave.
      L.StartTick = GetTickCount64() - 5000;
      StartMoveClock(L);
      EXPECT_EQ(ClockPondering(), Ponder);
      EXPECT_EQ(MoveTimeMs, Ponder ? NoTimeLimitMs : C.StopMs);
      EXPECT_EQ(IterationTimeLeft(), Ponder || C.IterationMs > 5000);
      // A root failing low while pondering leaves the search unlimited; from
      // the ponderhit on it stops at the later deadline until it no longer fails.
      RootFailingLow(true);
      EXPECT_EQ(MoveTimeMs, Ponder ? NoTimeLimitMs : C.FailLowStopMs);
      ClockPonderHit();
      EXPECT_FALSE(ClockPondering());
      EXPECT_EQ(MoveTimeMs, C.FailLowStopMs);
      RootFailingLow(false);
      // The 5 s pondered count as the move's: a clock's budget has passed.
      EXPECT_EQ(MoveTimeMs, C.StopMs);
      EXPECT_EQ(IterationTimeLeft(), C.IterationMs > 5000);
    }
  }
}

// Iterations start later while the root's move keeps changing: 2.5 times
// the usual time after a change, and half a time less after each iteration
// that kept the move. Never past the stop; a fixed time and a ponder search
// before its ponderhit have no such deadline, and each search starts settled.
TEST(MoveTimes, AChangingMoveStartsIterationsLater) {
  const ClockTimes Ten = ClockBudget(10000, 100, 0);
  const ClockTimes Last = ClockBudget(60000, 0, 1); // the last move before the control
  const uint64_t X = Ten.IterationMs;
  const SearchLimits Game = Limits(0, true, 10000, 100, 0);
  const struct Case {
    const char *What;
    SearchLimits L;
    bool Ponder;
    std::string Changes; // c: the move changed, k: kept, h: the ponderhit
    uint64_t Deadline;
  } Cases[] = {
      {"a new search", Game, false, "", X},
      {"settled", Game, false, "kk", X},
      {"just changed", Game, false, "kc", X * 5 / 2},
      {"kept once since", Game, false, "ck", 2 * X},
      {"kept twice since", Game, false, "ckk", X * 3 / 2},
      {"kept three times since", Game, false, "ckkk", X},
      {"changed again", Game, false, "ckc", X * 5 / 2},
      {"never past the stop", Limits(0, true, 60000, 0, 1), false, "c", Last.StopMs + 1},
      {"a fixed time", Limits(2001, false, 0, 0, 0), false, "c", NoTimeLimitMs},
      {"pondering", Game, true, "c", NoTimeLimitMs},
      {"changed while pondering", Game, true, "ch", X * 5 / 2},
      {"kept after the ponderhit", Game, true, "chk", 2 * X},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.What);
    SearchLimits L = C.L;
    L.Ponder = C.Ponder;
    // Each search starts settled, whatever the last one left.
    StartMoveClock(L);
    RootBestChanged(true);
    StopMoveClock();
    StartMoveClock(L);
    for (const char Step : C.Changes)
      if (Step == 'h')
        ClockPonderHit();
      else
        RootBestChanged(Step == 'c');
    EXPECT_EQ(IterationDeadlineMs(), C.Deadline);
    StopMoveClock();
  }
}

} // namespace
