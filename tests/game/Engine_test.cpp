#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "TestUtil.h"
#include "game/Engine.h"
#include "search/Counters.h"

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

// What a front end's ShowInfo sees of the reported line: each playable move
// with the piece that stands on its from-square in the position handed with
// it, so that the queen made on a8 is seen moving on; the walk ends at the
// first move that cannot be played, or at Len, and leaves the game as it was.
std::string Walked;
void Record(const DataType &Before, const Str4 &Move, uint32_t Index) {
  const int8_t From = static_cast<int8_t>((Move[1] - '1') * 8 + (Move[0] - 'A'));
  Walked +=
      std::to_string(Index) + ":" + Move.c_str() + "/" + PieceLetter[PieceOn(Before, From)] + " ";
}

TEST(WalkReportedLine, HandsEachMoveItsPosition) {
  const struct {
    const char *Line[4];
    uint32_t Len;
    const char *Walked;
  } Cases[] = {
      {{"A7A8", "E8D7", "A8A1"}, 3, "0:A7A8/P 1:E8D7/k 2:A8A1/Q "},
      {{"A7A8", "E8D7", "A8A1"}, 2, "0:A7A8/P 1:E8D7/k "},
      {{"A7A8", "E8E7", "E7E6"}, 3, "0:A7A8/P 1:E8E7/k "}, // Black moves twice
      {{"E1E2", "", "A7A8"}, 3, "0:E1E2/K "},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Walked);
    SetFen("4k3/P7/8/8/8/8/8/4K3 w -");
    for (int I = 0; I < 4; ++I) PV[0][I] = C.Line[I] ? C.Line[I] : "";
    DataType Game;
    std::memcpy(static_cast<void *>(&Game), &Data[0], sizeof Game);
    Walked.clear();
    const uint32_t N = WalkReportedLine(C.Len, Record);
    EXPECT_EQ(Walked, C.Walked);
    EXPECT_EQ(N, static_cast<uint32_t>(std::count(Walked.begin(), Walked.end(), ' ')));
    EXPECT_EQ(std::memcmp(&Game, &Data[0], sizeof Game), 0);
    EXPECT_EQ(Ply, 0);
    EXPECT_EQ(WalkReportedLine(C.Len, nullptr), N);
  }
}

} // namespace
