#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "TestUtil.h"
#include "board/Squares.h"
#include "game/Engine.h"
#include "game/Game.h"
#include "hash/TT.h"
#include "search/Clock.h"
#include "search/Search.h"
#include "search/SearchState.h"

namespace {

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
    for (int I = 0; I < 4; ++I) Game.St.PV[0][I] = C.Line[I] ? C.Line[I] : "";
    DataType Before;
    std::memcpy(static_cast<void *>(&Before), &Game.St.Data[0], sizeof Before);
    Walked.clear();
    const uint32_t N = WalkReportedLine(C.Len, Record);
    EXPECT_EQ(Walked, C.Walked);
    EXPECT_EQ(N, static_cast<uint32_t>(std::count(Walked.begin(), Walked.end(), ' ')));
    EXPECT_EQ(std::memcmp(&Before, &Game.St.Data[0], sizeof Before), 0);
    EXPECT_EQ(Game.St.Ply, 0);
    EXPECT_EQ(WalkReportedLine(C.Len, nullptr), N);
  }
}

// A search that keeps its table for the next one and is stopped midway
// leaves no entry of a node it left unfinished, whose score would be that of
// the moves searched so far. The next search then scores the position within
// a pawn of a deep search's score, wherever the stop came (before, 1. e4 e5
// 2. Nf3 d5 stopped at 5331 nodes made the next search see +3.05 where the
// position is +0.60).
TEST(KeptTable, AStoppedSearchLeavesOnlyWhatItProved) {
  const struct {
    const char *Fen;
    int Stops; // node limits 1777, 2 x 1777, ...
  } Cases[] = {
      {"rnbqkbnr/ppp2ppp/8/3pp3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 0 3", 6},
      {"r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N2N2/PP2BPPP/R2QKB1R w KQ - 0 9", 4},
      {"3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - - 0 1", 4},
  };
  ASSERT_EQ(SetThreads(1), 1);
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    SetFen(C.Fen);
    SearchLimits Deep = FixedDepthLimits(9);
    Deep.FirstDepth = 1;
    Think(Deep, SearchSettings());
    const int Value = Game.St.PVScore;
    SearchSettings Keep;
    Keep.KeepTable = true;
    Keep.DrawRules = true;
    for (int K = 1; K <= C.Stops; ++K) {
      SCOPED_TRACE(K);
      ClearTable();
      SearchLimits Stopped = FixedDepthLimits(20);
      Stopped.FirstDepth = 1;
      Stopped.Nodes = 1777u * static_cast<unsigned>(K);
      Think(Stopped, Keep);
      SearchLimits Next = FixedDepthLimits(2);
      Next.FirstDepth = 1;
      Think(Next, Keep);
      EXPECT_LE(std::abs(Game.St.PVScore - Value), 100);
    }
  }
}

} // namespace

namespace {

// An earlier search of the game stored an entry for a position that is now
// two plies from a third repetition: Black, a rook and a knight up, plays
// Kf8, and White draws with Ra8+ Ke7 Ra7+. The entry, made when that
// position was the root, says Black wins; near the root it only orders the
// moves, and the repetition is found.
TEST(KeptTable, AnEarlierSearchsEntryHidesNoRepetitionNearTheRoot) {
  const char *X = "R4k2/5ppp/8/2p1p3/2rn4/8/8/1K6 b"; // after Kf8 Ra8+
  const char *Played[] = {"A8A7", "E7F6", "A7A6", "F6F5", "A6A7",
                          "F5E6", "A7A6", "E6E7", "A6A7"}; // the second Ra7+
  const ShortStr Kf8[] = {"E7F8"};
  const struct {
    bool OnlyKf8;
    int MinScore, MaxScore;
  } Cases[] = {{true, 0, 0}, {false, 500, 2000}};
  ASSERT_EQ(SetThreads(1), 1);
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.OnlyKf8 ? "Kf8 only" : "every move");
    const char *Why = nullptr;
    ASSERT_TRUE(LoadPosition("R7/4kppp/8/2p1p3/2rn4/8/8/1K6 w - - 3 50", Why));
    for (const char *M : Played) ASSERT_EQ(PlayMove(M), MoveRefusal::None) << M;
    ASSERT_EQ(PlayMove("E7F8"), MoveRefusal::None);
    ASSERT_EQ(PlayMove("A7A8"), MoveRefusal::None);
    ASSERT_EQ(std::string(BoardFen()).rfind(X, 0), 0u) << BoardFen();
    const uint64_t KeyX = Game.St.Data[0].HashKey;
    ASSERT_TRUE(TakeBack() && TakeBack());
    AddToTT(BMove, KeyX, 900, Exact, 15, "F8E7", BKing);
    SearchSettings Keep;
    Keep.KeepTable = true;
    Keep.DrawRules = true;
    SearchLimits L = FixedDepthLimits(8);
    L.FirstDepth = 1;
    if (C.OnlyKf8) {
      L.SearchMoves = Kf8;
      L.NumSearchMoves = 1;
    }
    const ThinkResult R = Think(L, Keep);
    EXPECT_GE(Game.St.PVScore, C.MinScore);
    EXPECT_LE(Game.St.PVScore, C.MaxScore);
    if (!C.OnlyKf8) {
      EXPECT_FALSE(R.Best.FromSq == SquareOf('E', '7') && R.Best.ToSq == SquareOf('F', '8'));
    }
  }
}

} // namespace

namespace {

// On a game clock the search runs on while the root's best so far scores
// well below the last iteration's (Black, +12.05 at depth 9 with Bxe3, sees
// at depth 10 that it allows a perpetual and finds Bc4 at +11.30): the
// search then ends with the later stop in force, and with the usual one
// when the last iteration held its score. Bxe3 came back at depth 8 and held
// at 9, and Bc4 is new at 10: iterations may start later, less so at 9.
TEST(ClockedSearch, ARootThatFailsLowHoldsTheLaterStop) {
  const char *Fen = "r5kr/pp4pp/1n6/4Q3/q7/4R1P1/3bbP1P/2R3K1 b - - 0 31";
  const struct {
    uint8_t Depth;
    bool FailsLow;
    uint64_t IterationTimes; // in halves of the usual deadline
  } Cases[] = {{9, false, 4}, {10, true, 5}};
  ASSERT_EQ(SetThreads(1), 1);
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Depth);
    SetFen(Fen);
    SearchLimits L;
    L.FirstDepth = 1;
    L.Depth = C.Depth;
    L.OnClock = true;
    L.ClockMs = 600000;
    SearchSettings S;
    S.DrawRules = true;
    ForgetLastMove(); // no increment read from the clock of the row before
    Think(L, S);
    const ClockTimes T = MoveTimesFor(L);
    ASSERT_LT(T.StopMs, T.FailLowStopMs);
    EXPECT_EQ(MoveTimeMs, C.FailsLow ? T.FailLowStopMs : T.StopMs) << Game.St.PVScore;
    EXPECT_EQ(IterationDeadlineMs(), T.IterationMs * C.IterationTimes / 2);
  }
}

} // namespace
