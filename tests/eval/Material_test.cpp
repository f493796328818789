#include <gtest/gtest.h>

#include "TestUtil.h"
#include "board/Board.h"
#include "eval/Material.h"

namespace {

TEST(Material, CountAndEndGame) {
  const struct {
    const char *Fen;
    int White, Black;
    bool EndGameExpected;
  } Cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 4000, 4000, false},
      // Without the queen: 3100 is not yet the endgame; 2600 is, whatever Black has.
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR w KQkq - 0 1", 3100, 4000, false},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBN1 w Qkq - 0 1", 2600, 4000, true},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBN1 b Qkq - 0 1", 2600, 4000, true},
      // The same for Black.
      {"rnb1kbn1/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQq - 0 1", 4000, 2600, true},
      // Exactly 3000 is not below the line.
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPP1/RNB1KBNR w KQkq - 0 1", 3000, 4000, false},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPP2/RNB1KBNR w KQkq - 0 1", 2900, 4000, true},
      // Two rooks, a knight, a bishop and five pawns.
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPP3/R1B1K1NR w KQkq - 0 1", 2150, 4000, true},
      // A queen in the first slot holds the endgame off even with little else.
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/3QK3 w kq - 0 1", 1700, 4000, false},
      // Bare kings.
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", 0, 0, true},
      // Queens beyond the two list slots count too.
      {"4k3/8/8/8/8/8/8/QQQ1K3 w - - 0 1", 2700, 0, true},
      {"qqqqk3/8/8/8/8/8/8/4K3 w - - 0 1", 0, 3600, true},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    SetFen(C.Fen);
    EXPECT_EQ(WhiteMaterial(Game.Here()), C.White);
    EXPECT_EQ(BlackMaterial(Game.Here()), C.Black);
    EXPECT_EQ(CalcMaterial(Game.Here()), C.White - C.Black);
    EXPECT_EQ(IsEndGame(Game.Here()), C.EndGameExpected);
  }
}

TEST(Material, OnlyTheFirstQueenSlotHoldsTheEndgameOff) {
  // a1 takes queen slot 0, d1 slot 1. Losing the a1 queen leaves a queen on
  // the board, but only in slot 1: White counts as being in its endgame.
  SetFen("rnbqkbnr/pppppppp/8/8/8/8/8/Q2QK3 w kq - 0 1");
  ASSERT_EQ(Game.St.Data[0].WPieceList[0][PIdx(WQueen)], 0);
  EXPECT_FALSE(IsEndGame(Game.Here()));
  RemovePiece(Game.Here(), 0);
  ASSERT_EQ(Game.St.Data[0].WPieceList[0][PIdx(WQueen)], -1);
  ASSERT_EQ(Game.St.Data[0].WPieceList[1][PIdx(WQueen)], 3);
  EXPECT_EQ(WhiteMaterial(Game.Here()), 900);
  EXPECT_TRUE(IsEndGame(Game.Here()));
}

} // namespace
