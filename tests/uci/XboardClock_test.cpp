// The xboard time controls as the limits of the engine's next move.
#include <gtest/gtest.h>

#include "uci/XboardClock.h"

namespace {

using Uci::XboardClock;

TEST(XboardClock, LevelsAreReadInMinutesSecondsAndDecimals) {
  struct Case {
    const char *Mps, *Base, *Inc;
    bool Ok;
    uint32_t Moves;
    uint64_t BaseMs, IncMs;
  } Cases[] = {
      {"40", "5", "0", true, 40, 300000, 0},    {"40", "0:20", "0", true, 40, 20000, 0},
      {"0", "2", "12", true, 0, 120000, 12000}, {"0", "1", "0.1", true, 0, 60000, 100},
      {"0", "0.5", "0", true, 0, 30000, 0},     {"30", "1:30", "2.5", true, 30, 90000, 2500},
      {"x", "5", "0", false, 0, 0, 0},          {"40", "5:xx", "0", false, 0, 0, 0},
      {"40", "-5", "0", false, 0, 0, 0},        {"40", "5", "", false, 0, 0, 0},
      {"40", "99999", "0", false, 0, 0, 0},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(std::string(C.Mps) + " " + C.Base + " " + C.Inc);
    XboardClock X;
    X.MoveMs = 5000;
    EXPECT_EQ(Uci::ReadLevel(C.Mps, C.Base, C.Inc, X), C.Ok);
    if (!C.Ok) {
      EXPECT_EQ(X.BaseMs, XboardClock{}.BaseMs) << "unchanged on a refusal";
      EXPECT_EQ(X.MoveMs, 5000u);
      continue;
    }
    EXPECT_EQ(X.MovesPerSession, C.Moves);
    EXPECT_EQ(X.BaseMs, C.BaseMs);
    EXPECT_EQ(X.IncMs, C.IncMs);
    EXPECT_EQ(X.MoveMs, 0u) << "a level replaces st";
  }
}

// With moves per session the clock knows the moves left to the next control,
// counted from the game's start; the time is the last one the interface gave.
TEST(XboardClock, MovesLeftToTheNextControl) {
  struct Case {
    uint32_t Mps, Made;
    int64_t LeftMs;
    uint32_t ToGo;
    uint64_t ClockMs;
  } Cases[] = {
      {40, 0, -1, 40, 300000},      {40, 1, 250000, 39, 250000}, {40, 39, 1000, 1, 1000},
      {40, 40, 300000, 40, 300000}, {40, 79, 500, 1, 500},       {1, 7, 3000, 1, 3000},
      {0, 25, 42000, 0, 42000},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(std::to_string(C.Mps) + " moves, " + std::to_string(C.Made) + " made");
    XboardClock X;
    X.MovesPerSession = C.Mps;
    X.LeftMs = C.LeftMs;
    const SearchLimits L = Uci::XboardMoveLimits(X, C.Made);
    EXPECT_TRUE(L.OnClock);
    EXPECT_EQ(L.MovesToGo, C.ToGo);
    EXPECT_EQ(L.ClockMs, C.ClockMs);
    EXPECT_EQ(L.TimeMs, 0u);
  }
  // st: a fixed time a move, whatever the level; sd: a depth.
  XboardClock X;
  X.MoveMs = 2500;
  X.Depth = 7;
  const SearchLimits L = Uci::XboardMoveLimits(X, 3);
  EXPECT_FALSE(L.OnClock);
  EXPECT_EQ(L.TimeMs, 2501u);
  EXPECT_EQ(L.Depth, 7);
}

} // namespace
