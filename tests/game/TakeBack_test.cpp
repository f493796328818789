#include <gtest/gtest.h>

#include <cstring>

#include "TestUtil.h"
#include "board/Squares.h"
#include "game/Game.h"
#include "game/TakeBack.h"
#include "hash/TT.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"
#include "search/SearchState.h"

namespace {

// Plays a move text on the game's position as the game loop does.
void Play(const char *Text) {
  ASSERT_EQ(PlayMove(Text), MoveRefusal::None) << Text;
  AddToTakeBackStack(Text);
}

TEST(TakeBack, StepsBackOneHalfMoveAtATime) {
  ResetGame();
  const DataType Start = Game.St.Data[0];
  Play("E2E4");
  const DataType AfterE4 = Game.St.Data[0];
  Play("E7E5");
  EXPECT_EQ(Game.TBIndex, 2);
  TakeBackMove();
  EXPECT_EQ(std::memcmp(&Game.St.Data[0], &AfterE4, sizeof AfterE4), 0);
  EXPECT_EQ(Game.St.WhosMove, BMove);
  EXPECT_EQ(Game.MoveNum, 1);
  TakeBackMove();
  EXPECT_EQ(std::memcmp(&Game.St.Data[0], &Start, sizeof Start), 0);
  EXPECT_EQ(Game.MoveNum, 0);
  // Nothing left to take back: only the tables are cleared.
  AddToTT(Game.St.WhosMove, Game.St.Data[0].HashKey, 10, Exact, 3, ShortStr(), 0);
  Game.St.PV[0][0] = "E2E4";
  Game.St.HistTab[WPawn][28] = 9;
  TakeBackMove();
  EXPECT_EQ(std::memcmp(&Game.St.Data[0], &Start, sizeof Start), 0);
  FullTTType E{};
  E.Key = Game.St.Data[0].HashKey;
  GetFromTT(E, Game.St.WhosMove);
  EXPECT_EQ(E.Node, None);
  EXPECT_TRUE(Game.St.PV[0][0].Empty());
  EXPECT_EQ(Game.St.HistTab[WPawn][28], 0);
}

TEST(TakeBack, WhileInTheBookTheLineIsShortened) {
  ResetGame();
  Play("E2E4");
  Play("E7E5");
  EXPECT_STREQ(Game.OpeningStr.c_str(), "E2E4E7E5");
  TakeBackMove();
  EXPECT_STREQ(Game.OpeningStr.c_str(), "E2E4");
  Game.InLibrary = false;
  TakeBackMove();
  EXPECT_STREQ(Game.OpeningStr.c_str(), "E2E4") << "out of the book the line is left alone";
}

TEST(TakeBack, FullStackKeepsTheStartAndDropsEntryOne) {
  ResetGame();
  // Knights out and back: 18 positions offered (start + 17 pushes).
  const char *Moves[] = {"G1F3", "G8F6", "F3G1", "F6G8", "B1C3", "B8C6", "C3B1", "C6B8", "G1F3",
                         "G8F6", "F3G1", "F6G8", "B1C3", "B8C6", "C3B1", "C6B8", "G1F3"};
  for (const char *M : Moves) Play(M);
  EXPECT_EQ(Game.TBIndex, 15);
  EXPECT_EQ(Game.MoveNum, 17);
  for (int I = 0; I < 14; ++I) TakeBackMove();
  EXPECT_EQ(Game.TBIndex, 1);
  EXPECT_EQ(Game.MoveNum, 3) << "the oldest push still held is the position after the third move";
  TakeBackMove();
  EXPECT_EQ(Game.TBIndex, 0);
  EXPECT_EQ(Game.MoveNum, 0) << "the fifteenth takeback returns straight to the start";
}

} // namespace
