#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "TestUtil.h"
#include "platform/Clock.h"
#include "search/Clock.h"
#include "search/SearchState.h"

namespace {

// Fills every cell of the table with a text naming its place.
void FillPV() {
  char Text[8];
  for (int R = 0; R <= MaxPly; ++R)
    for (int C = 0; C <= MaxPly; ++C) {
      std::snprintf(Text, sizeof Text, "%c%03d", 'a' + R % 26, C);
      Game.St.PV[R][C] = Text;
    }
}

TEST(UpdatePV, RecordsTheMoveAndCopiesTheLineBelow) {
  const struct {
    uint8_t D;
    int16_t Depth;
    int LastCopied; // highest column copied from row D + 1
  } Cases[] = {
      {0, 4, 4},
      {3, 1, 4},
      {10, 0, 10},
      // Near the end of the table the copy stops at its last column.
      {95, 10, 100},
      {99, 5, 100},
      {100, 10, 100},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE("ply " + std::to_string(C.D) + " depth " + std::to_string(C.Depth));
    FillPV();
    PVType Before;
    std::memcpy(static_cast<void *>(&Before), &Game.St.PV, sizeof Game.St.PV);
    Game.St.CurrentDepth = C.Depth;
    UpdatePV(Game.St, "E2E4", C.D);
    for (int R = 0; R <= MaxPly; ++R)
      for (int Col = 0; Col <= MaxPly; ++Col) {
        const Str4 &Got = Game.St.PV[R][Col];
        if (R == C.D && Col == C.D)
          EXPECT_TRUE(Got == "E2E4");
        else if (R == C.D && Col > C.D && Col <= C.LastCopied)
          EXPECT_TRUE(Got == Before[C.D + 1][Col]) << Col;
        else
          ASSERT_TRUE(Got == Before[R][Col]) << R << "," << Col;
      }
  }
}

TEST(UpdatePV, IgnoresAPlyOutsideTheTable) {
  FillPV();
  PVType Before;
  std::memcpy(static_cast<void *>(&Before), &Game.St.PV, sizeof Game.St.PV);
  Game.St.CurrentDepth = 3;
  UpdatePV(Game.St, "E2E4", MaxPly + 1);
  EXPECT_EQ(std::memcmp(&Before, &Game.St.PV, sizeof Game.St.PV), 0);
}

TEST(ClearPV, EmptiesEveryCell) {
  FillPV();
  ClearPV(Game.St);
  for (const auto &Row : Game.St.PV)
    for (const Str4 &M : Row) ASSERT_TRUE(M.Empty());
}

// Elapsed seconds for a start Ms milliseconds ago. Retried until no tick
// passes between setting the start and reading the clock, so that the
// answer is for exactly Ms.
uint64_t SecondsAfter(uint64_t Ms) {
  for (int Try = 0; Try < 1000; ++Try) {
    const uint64_t Now = GetTickCount64();
    StartTime = Now - Ms;
    const uint64_t S = Clock(Elapsed);
    if (StopTime == Now) return S;
  }
  ADD_FAILURE() << "the tick never held still";
  return 0;
}

TEST(Clock, WholeSecondsTruncated) {
  const struct {
    uint64_t Ms;
    uint64_t Seconds;
  } Cases[] = {{0, 0}, {999, 0}, {1000, 1}, {1999, 1}, {2000, 2}, {61999, 61}};
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Ms);
    EXPECT_EQ(SecondsAfter(C.Ms), C.Seconds);
    EXPECT_EQ(Delta, static_cast<int64_t>(C.Ms));
  }
}

TEST(Clock, StartReturnsZeroAndRestarts) {
  StartTime = 0;
  const uint64_t Before = GetTickCount64();
  EXPECT_EQ(Clock(Start), 0u);
  const uint64_t After = GetTickCount64();
  EXPECT_GE(StartTime, Before);
  EXPECT_LE(StartTime, After);
}

// Elapsed seconds above MoveTime: with 5 s allowed, 5.999 s is not yet over.
TEST(TimesUp, OnlyPastTheMoveTime) {
  const struct {
    uint16_t Move;
    uint64_t Ms;
    bool Up;
  } Cases[] = {{5, 5900, false},  {5, 5999, false},         {5, 6000, true},
               {0, 999, false},   {0, 1000, true},          {60, 60999, false},
               {60, 61000, true}, {65000, 65000999, false}, {65000, 65001000, true}};
  const uint64_t SavedMoveTimeMs = MoveTimeMs;
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::to_string(C.Move) + " s at " + std::to_string(C.Ms) + " ms");
    MoveTimeMs = SecondsRuleMs(C.Move);
    bool Up = false;
    int Try = 0;
    for (; Try < 1000; ++Try) {
      const uint64_t Now = GetTickCount64();
      StartTime = Now - C.Ms;
      Up = TimesUp();
      if (StopTime == Now) break;
    }
    ASSERT_LT(Try, 1000);
    EXPECT_EQ(Up, C.Up);
  }
  MoveTimeMs = SavedMoveTimeMs;
}

} // namespace
