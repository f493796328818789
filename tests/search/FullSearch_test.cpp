// The UCI engine's own search: what it plays where the console's search and
// evaluation know too little.
#include <gtest/gtest.h>

#include <string>

#include "TestUtil.h"
#include "board/Squares.h"
#include "search/Search.h"
#include "search/SearchState.h"

namespace {

MoveRec FullSearchMove(const char *Fen, uint64_t Nodes, uint8_t Depth = NoFixedDepth) {
  SetFen(Fen);
  SearchLimits L;
  L.FirstDepth = 1;
  L.Nodes = Nodes;
  L.Depth = Depth;
  SearchSettings S;
  S.FullStrength = true;
  S.DrawRules = true;
  return SearchMove(Game.St, L, S);
}

// Ahead in material, each side to move could trade into an ending that
// cannot be won (two knights, the rook pawn with the wrong bishop, a lone
// bishop); it keeps the pieces, and its score says it is still ahead.
TEST(FullSearch, KeepsTheWinningChancesInsteadOfTradingIntoADrawnEnding) {
  const struct {
    const char *Fen;
    const char *Trade;
    int MinScore;
  } Cases[] = {
      {"5r2/4k3/8/8/3NN3/2K5/8/5R2 w - - 0 1", "F1F8", 200},
      {"5r2/8/2k5/3nn3/8/8/4K3/5R2 b - - 0 1", "F8F1", 200},
      {"2kr4/8/8/P7/8/4B3/8/3R2K1 w - - 0 1", "D1D8", 200},
      // Rook and bishop against rook is near a draw itself, but not a dead one.
      {"8/5R2/8/8/2B5/8/5r2/K5k1 w - - 0 1", "F7F2", 30},
  };
  for (const auto &C : Cases) {
    const MoveRec M = FullSearchMove(C.Fen, 200000);
    const std::string Played = SquaresToStr(M.FromSq, M.ToSq).c_str();
    EXPECT_NE(Played, C.Trade) << C.Fen;
    EXPECT_GE(Game.St.PVScore, C.MinScore) << C.Fen << " " << Played;
  }
}

// Mates in one, found and scored as mates by the shallowest search that can:
// a side in check at the horizon is mated when nothing gets it out, so one
// ply finds a mate in one, and two plies see the side to move mated.
TEST(FullSearch, FindsMatesInOneAtTheShallowestDepth) {
  const struct {
    const char *Fen;
    const char *Move;
    int Score;
  } Cases[] = {
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "A1A8", MateScore - 1},
      {"k7/8/1K6/8/8/8/8/7R w - - 0 1", "H1H8", MateScore - 1},
      {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", "H5F7",
       MateScore - 1},
      {"r5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", "A8A1", MateScore - 1},
      // The only move, and the rook mates on the next: mated in one.
      {"k7/8/1K6/8/8/8/8/7R b - - 0 1", "A8B8", 2 - MateScore},
  };
  for (const auto &C : Cases) {
    const bool Mates = C.Score > 0;
    const MoveRec M = FullSearchMove(C.Fen, 0, Mates ? 1 : 2);
    EXPECT_EQ(std::string(SquaresToStr(M.FromSq, M.ToSq).c_str()), C.Move) << C.Fen;
    EXPECT_EQ(Game.St.PVScore, C.Score) << C.Fen;
  }
}

} // namespace
