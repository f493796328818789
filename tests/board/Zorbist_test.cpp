#include <gtest/gtest.h>

#include <algorithm>

#include "TestUtil.h"
#include "board/Board.h"
#include "board/Zorbist.h"
#include "game/NewGame.h"

namespace {

TEST(Zorbist, OnlyTheTwelvePieceCodesOnRealSquaresHoldKeys) {
  ResetGame();
  int NonZero = 0;
  for (int P = -128; P < 128; ++P)
    for (int Sq = -128; Sq < 128; ++Sq) {
      const uint64_t K = ZorbistKey(static_cast<int8_t>(P), static_cast<int8_t>(Sq));
      const bool Piece = (P >= 1 && P <= 6) || (P >= 9 && P <= 14);
      if (!Piece || Sq < 0 || Sq > 63) {
        ASSERT_EQ(K, 0u) << P << "," << Sq;
        continue;
      }
      ++NonZero;
      EXPECT_NE(K >> 32, 0xFFFFFFFFu) << "high half below 4294967295";
      EXPECT_NE(K & 0xFFFFFFFFu, 0xFFFFFFFFu) << "low half below 4294967295";
    }
  EXPECT_EQ(NonZero, 768);
}

TEST(Zorbist, KeysAreDistinctAndFreshEveryGame) {
  ResetGame();
  const uint64_t First = Game.St.Data[0].HashKey;
  const uint64_t Knight = ZorbistKey(WNight, 21);
  SetupStartPosition();
  EXPECT_NE(Game.St.Data[0].HashKey, First) << "a new game draws a fresh table";
  EXPECT_NE(ZorbistKey(WNight, 21), Knight);
  EXPECT_EQ(Game.St.Data[0].HashKey, CalcBrdKey(Game.Here()));
  // 768 keys drawn at random: a repeat would mean a broken generator.
  uint64_t Seen[768];
  int N = 0;
  for (int P = 1; P <= 14; ++P)
    for (int Sq = 0; Sq < 64; ++Sq)
      if (P != 7 && P != 8) Seen[N++] = ZorbistKey(static_cast<int8_t>(P), static_cast<int8_t>(Sq));
  std::sort(Seen, Seen + N);
  EXPECT_EQ(std::adjacent_find(Seen, Seen + N), Seen + N);
}

TEST(Zorbist, KeyDependsOnPlacementOnly) {
  SetFen("4k3/8/8/8/8/8/4P3/4K3 w - -");
  const uint64_t White = Game.St.Data[0].HashKey;
  // Same placement reached in another order, other side to move and rights.
  ZeroBoardData(Game.Here());
  Game.St.Data[0].HashKey = 0;
  PutPiece(Game.Here(), WPawn, 12);
  PutPiece(Game.Here(), BKing, 60);
  PutPiece(Game.Here(), WKing, 4);
  Game.St.Data[0].CastleStat = 15;
  Game.St.Data[0].EnPasSq = 20;
  Game.St.WhosMove = BMove;
  EXPECT_EQ(Game.St.Data[0].HashKey, White) << "nothing but the placement enters the key";
}

} // namespace
