#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "TestUtil.h"
#include "diag/BenchPositions.h"
#include "moves/Move.h"
#include "search/Search.h"
#include "search/SearchState.h"

namespace {
// The node count of the bench positions at a small fixed depth: the same
// figure that `bench 6` prints as its signature. It changes only together
// with an intended change of the search, the evaluation or the move order.
constexpr uint64_t PinnedSignature = 238717;

TEST(Signature, BenchNodeCountIsPinned) {
  uint64_t Signature = 0;
  for (const BenchPosition &P : BenchPositions) {
    SetFen(P.Fen);
    SearchMove(Game.St, PrepareBenchSearch(Game.St.Data[0], SignatureDepth));
    std::printf("%-12s %8" PRIu64 " %8" PRIu64 "\n", P.Name, Game.St.Nodes, Game.St.QNodes);
    Signature += Game.St.Nodes + Game.St.QNodes;
  }
  EXPECT_EQ(Signature, PinnedSignature);
}

// Two runs of the same search in one process count the same nodes: nothing
// carried over from one search (history, table, line) changes the next.
TEST(Signature, RepeatedSearchCountsTheSame) {
  const BenchPosition &P = BenchPositions[4];
  SetFen(P.Fen);
  const SearchLimits L = PrepareBenchSearch(Game.St.Data[0], SignatureDepth + 1);
  uint64_t Counts[2];
  for (uint64_t &Count : Counts) {
    SearchMove(Game.St, L);
    Count = Game.St.Nodes + Game.St.QNodes;
  }
  EXPECT_EQ(Counts[0], Counts[1]);
}
} // namespace
