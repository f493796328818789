#include <gtest/gtest.h>

#include <cstring>

#include "TestUtil.h"
#include "board/Squares.h"
#include "hash/TT.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"
#include "moves/TakeBack.h"
#include "search/Counters.h"

namespace {

// Plays a move text on the game's position as the game loop does.
void Play(const char *Text) {
  ASSERT_TRUE(IsLegalMove(Text)) << Text;
  MakeMove(MoveStrToMoveRec(Text), false);
  AddToTakeBackStack();
}

TEST(TakeBack, StepsBackOneHalfMoveAtATime) {
  ResetGame();
  const DataType Start = Data[0];
  Play("E2E4");
  const DataType AfterE4 = Data[0];
  Play("E7E5");
  EXPECT_EQ(TBIndex, 2);
  TakeBackMove();
  EXPECT_EQ(std::memcmp(&Data[0], &AfterE4, sizeof AfterE4), 0);
  EXPECT_EQ(WhosMove, BMove);
  EXPECT_EQ(MoveNum, 1);
  TakeBackMove();
  EXPECT_EQ(std::memcmp(&Data[0], &Start, sizeof Start), 0);
  EXPECT_EQ(MoveNum, 0);
  // Nothing left to take back: only the tables are cleared.
  AddToTT(Data[0].HashKey, 10, Exact, 3, ShortStr(), 0);
  PV[0][0] = "E2E4";
  HistTab[WPawn][28] = 9;
  TakeBackMove();
  EXPECT_EQ(std::memcmp(&Data[0], &Start, sizeof Start), 0);
  FullTTType E{};
  E.Key = Data[0].HashKey;
  GetFromTT(E);
  EXPECT_EQ(E.Node, None);
  EXPECT_TRUE(PV[0][0].Empty());
  EXPECT_EQ(HistTab[WPawn][28], 0);
}

TEST(TakeBack, WhileInTheBookTheLineIsShortened) {
  ResetGame();
  OpeningStr = "E2E4E7E5";
  Play("E2E4");
  Play("E7E5");
  TakeBackMove();
  EXPECT_STREQ(OpeningStr.c_str(), "E2E4");
  InLibrary = false;
  TakeBackMove();
  EXPECT_STREQ(OpeningStr.c_str(), "E2E4") << "out of the book the line is left alone";
}

TEST(TakeBack, FullStackKeepsTheStartAndDropsEntryOne) {
  ResetGame();
  // Knights out and back: 18 positions offered (start + 17 pushes).
  const char *Moves[] = {"G1F3", "G8F6", "F3G1", "F6G8", "B1C3", "B8C6", "C3B1", "C6B8", "G1F3",
                         "G8F6", "F3G1", "F6G8", "B1C3", "B8C6", "C3B1", "C6B8", "G1F3"};
  for (const char *M : Moves) Play(M);
  EXPECT_EQ(TBIndex, 15);
  EXPECT_EQ(TakeBackStack[0].M, 0) << "the start position stays at the bottom";
  EXPECT_EQ(TakeBackStack[1].M, 3) << "entry 1 is the position after the third move";
  EXPECT_EQ(TakeBackStack[15].M, 17);
  for (int I = 0; I < 14; ++I) TakeBackMove();
  EXPECT_EQ(TBIndex, 1);
  EXPECT_EQ(MoveNum, 3);
  TakeBackMove();
  EXPECT_EQ(TBIndex, 0);
  EXPECT_EQ(MoveNum, 0) << "the fifteenth takeback returns straight to the start";
}

TEST(Legality, TypedMoveTexts) {
  struct {
    const char *Fen;
    const char *Move;
    bool Legal;
  } const Cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "E2E5", false},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "E2E4", true},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "G1F3", true},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "E1E2", false},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "E2E4X", false},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "E7E5", false},
      {"4r1k1/8/8/8/8/8/4B3/4K3 w -", "E2D3", false}, // pinned bishop
      {"4r1k1/8/8/8/8/8/4B3/4K3 w -", "E1D2", true},
      {"4k3/8/8/8/8/8/8/4K2R w K", "E1G1", true},
      {"4k3/8/8/8/8/8/8/4K2R w -", "E1G1", false},
      {"4k3/8/8/8/8/5r2/8/4K2R w K", "E1G1", false}, // the f3 rook guards f1
      // A diagram no door lets in: the king that could be taken never is.
      {"8/8/8/8/8/8/3R2kK/8 w -", "D2G2", false},
      {"8/1n6/8/8/5b1P/8/1K6/2q5 b -", "C1B2", false},
      {"8/1n6/8/8/5b1P/8/1K6/2q5 b -", "B7D6", true},
  };
  for (const auto &C : Cases) {
    SetFen(C.Fen);
    const DataType Before = Data[0];
    const uint16_t Num = MoveNum;
    EXPECT_EQ(IsLegalMove(C.Move), C.Legal) << C.Fen << " " << C.Move;
    EXPECT_EQ(std::memcmp(&Before, &Data[0], sizeof Before), 0) << "the test changes nothing";
    EXPECT_EQ(MoveNum, Num);
    EXPECT_EQ(Ply, 0);
  }
}

} // namespace
