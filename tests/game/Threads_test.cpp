#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TestUtil.h"
#include "board/Squares.h"
#include "game/Engine.h"
#include "moves/Move.h"
#include "search/Search.h"
#include "search/SearchState.h"
#include "search/Worker.h"

namespace {

std::string TextOf(const MoveRec &M) {
  return M.FromSq < 0 ? "none" : SquaresToStr(M.FromSq, M.ToSq).c_str();
}

// Searches on several threads that share the table: each limit holds for
// all of them together, the move and the line are the main thread's and
// legal, and what must repeat (a level, one thread) repeats.
TEST(Threads, EachLimitHoldsForAllThreadsTogether) {
  const char *Middle = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N2N2/PP2BPPP/R2QKB1R w KQ - 0 9";
  const char *MateIn3 = "r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1"; // F6A6 mates in 3
  ASSERT_EQ(SetThreads(4), 4);
  struct Case {
    const char *Name;
    const char *Fen;
    uint8_t Threads;
    uint64_t Nodes; // the node limit; 0: depth Depth
    uint8_t Depth;
    const char *Move; // the move that must be played; null: any legal one
    bool Keep;        // the table kept from the search before
  } const Cases[] = {
      {"nodes, one thread", Middle, 1, 200000, 0, nullptr, true},
      {"nodes, two threads", Middle, 2, 200000, 0, nullptr, true},
      {"nodes, four threads", Middle, 4, 200000, 0, nullptr, true},
      {"depth, two threads", Middle, 2, 0, 9, nullptr, true},
      {"depth, two threads, the table emptied", Middle, 2, 0, 9, nullptr, false},
      {"mate, two threads", MateIn3, 2, 0, 10, "F6A6", true},
      {"mate, four threads", MateIn3, 4, 0, 10, "F6A6", true},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.Name);
    SetFen(C.Fen);
    SearchLimits L;
    if (C.Keep) L.FirstDepth = 1; // else the console's first depth, 4
    if (C.Nodes > 0) L.Nodes = C.Nodes;
    if (C.Depth > 0) L.Depth = C.Depth;
    SearchSettings S;
    S.Threads = C.Threads;
    S.KeepTable = C.Keep;
    S.DrawRules = true;
    const ThinkResult R = Think(L, S);
    // A helper's deeper entry for the root never ends the main thread's
    // iteration without a line.
    if (C.Depth > 0 && !C.Move) {
      EXPECT_EQ(R.Depth, C.Depth);
    }
    EXPECT_TRUE(IsLegalMove(Game.St, SquaresToStr(R.Best.FromSq, R.Best.ToSq))) << TextOf(R.Best);
    if (C.Move) {
      EXPECT_EQ(TextOf(R.Best), C.Move);
      EXPECT_EQ(Game.St.PVScore, 10000 - 5);
    }
    // Every thread's nodes count towards the limit; each says its count
    // every CheckInterval nodes and stops soon after the main thread.
    if (C.Nodes > 0) {
      EXPECT_GE(R.Nodes + R.QNodes, C.Nodes);
      EXPECT_LE(R.Nodes + R.QNodes, C.Nodes + 4 * C.Threads * CheckInterval);
    }
    // The line shown is the main thread's and plays out from the root.
    EXPECT_EQ(WalkLegalPV(Game.St, static_cast<uint32_t>(R.Depth), nullptr) > 0, true);
    EXPECT_EQ(Game.St.PV[0][0], SquaresToStr(R.Best.FromSq, R.Best.ToSq));
  }

  // With helpers started, a search asked for one thread and a level's search
  // are the one-thread searches, node for node.
  const auto Count = [&](bool Level, uint8_t Threads) {
    SetFen(Middle);
    SearchLimits L;
    L.FirstDepth = 1;
    L.Depth = 8;
    SearchSettings S;
    S.Threads = Threads;
    if (Level) LimitStrength(L, S, 1500, 77);
    const ThinkResult R = Think(L, S);
    // The stop that ended the last search's helpers ends no later search
    // (a level has a depth of its own).
    if (!Level) {
      EXPECT_EQ(R.Depth, 8u);
    }
    return R.Nodes + R.QNodes;
  };
  const uint64_t One = Count(false, 1), Level = Count(true, 1);
  EXPECT_EQ(SetThreads(1), 1);
  EXPECT_EQ(Count(false, 1), One);
  EXPECT_EQ(Count(true, 1), Level);
  ASSERT_EQ(SetThreads(3), 3);
  EXPECT_EQ(Count(true, 3), Level);
  EXPECT_NE(Count(false, 3), One); // the helpers' nodes are counted
  EXPECT_EQ(Count(false, 1), One);
  EXPECT_EQ(SetThreads(1), 1);
}

// A move left because another thread searched it is searched once the
// node's other moves are done: on one thread, with every later move left so,
// each mate is still found, whatever the moves that wait at each ply.
TEST(Threads, AMoveLeftForAnotherThreadIsSearchedAfterTheOthers) {
  struct Case {
    const char *Fen;
    uint8_t Depth;
    const char *Move;
    int MateIn; // moves
  } const Cases[] = {
      {"r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1", 8, "F6A6", 3},
      {"2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - 0 1", 8, "G3G6", 2},
  };
  ASSERT_EQ(SetThreads(1), 1);
  Ctx.DeferAll = true;
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.Fen);
    SetFen(C.Fen);
    SearchLimits L;
    L.FirstDepth = 1;
    L.Depth = C.Depth;
    const ThinkResult R = Think(L, SearchSettings());
    EXPECT_EQ(TextOf(R.Best), C.Move);
    EXPECT_EQ(Game.St.PVScore, 10000 - (2 * C.MateIn - 1));
  }
  Ctx.DeferAll = false;
}

} // namespace
