#include <gtest/gtest.h>

#include <cstring>

#include "TestUtil.h"
#include "board/Board.h"
#include "board/Zorbist.h"
#include "game/TakeBack.h"

namespace {

int8_t Slot(int8_t Code, int S) {
  const DataType &D = Data[Ply];
  return Code < 9 ? D.WPieceList[S][PIdx(Code)] : D.BPieceList[S][PIdx(Code)];
}

TEST(StartPosition, BoardWordsListsAndGameState) {
  ResetGame();
  const DataType &D = Data[0];
  const uint32_t Words[8] = {0x42365324, 0x11111111, 0, 0, 0, 0, 0x99999999, 0xCABEDBAC};
  for (int R = 0; R < 8; ++R) EXPECT_EQ(D.Board[R], Words[R]) << "rank " << R;
  for (int I = 0; I < 8; ++I) {
    EXPECT_EQ(D.WPawnList[I], 8 + I);
    EXPECT_EQ(D.BPawnList[I], 48 + I);
  }
  struct {
    int8_t Code;
    int8_t S0, S1;
  } const Lists[] = {{WNight, 1, 6},   {WBishop, 2, 5},  {WRook, 0, 7},     {WQueen, 3, -1},
                     {WKing, 4, -1},   {BNight, 57, 62}, {BBishop, 58, 61}, {BRook, 56, 63},
                     {BQueen, 59, -1}, {BKing, 60, -1}};
  for (const auto &L : Lists) {
    EXPECT_EQ(Slot(L.Code, 0), L.S0) << int(L.Code);
    EXPECT_EQ(Slot(L.Code, 1), L.S1) << int(L.Code);
  }
  EXPECT_EQ(D.EnPasSq, -1);
  EXPECT_EQ(D.CastleStat, 15);
  EXPECT_EQ(WhosMove, WMove);
  EXPECT_EQ(MoveNum, 0);
  EXPECT_EQ(Ply, 0);
  EXPECT_EQ(D.HashKey, CalcBrdKey());
  EXPECT_NE(D.HashKey, 0u);
  EXPECT_TRUE(InLibrary);
  EXPECT_EQ(TBIndex, 0);
  EXPECT_EQ(TakeBackStack[0].M, 0);
  EXPECT_EQ(TakeBackStack[0].W, WMove);
}

TEST(Placement, PutAndRemoveKeepBoardListsAndKeyInStep) {
  SetFen("4k3/8/8/8/8/8/8/4K3 w - -");
  const uint64_t Bare = Data[0].HashKey;
  struct {
    int8_t Code;
    int8_t Sq;
  } const Cases[] = {{WPawn, 12}, {BPawn, 52},  {WNight, 21}, {BBishop, 35},
                     {WRook, 0},  {BQueen, 59}, {WQueen, 63}};
  for (const auto &C : Cases) {
    PutPiece(C.Code, C.Sq);
    EXPECT_EQ(PieceOn(Data[0], C.Sq), C.Code);
    EXPECT_EQ(CountPieces(C.Code), 1) << int(C.Code);
    EXPECT_EQ(Data[0].HashKey, CalcBrdKey());
    EXPECT_NE(Data[0].HashKey, Bare);
    RemovePiece(C.Sq);
    EXPECT_EQ(PieceOn(Data[0], C.Sq), Empty);
    EXPECT_EQ(CountPieces(C.Code), 0) << int(C.Code);
    EXPECT_EQ(Data[0].HashKey, Bare) << "remove undoes put for code " << int(C.Code);
  }
}

TEST(Placement, PutEmptyOnlyClearsTheSquare) {
  ResetGame();
  const uint64_t Key = Data[0].HashKey;
  PutPiece(Empty, 1); // b1 knight
  EXPECT_EQ(PieceOn(Data[0], 1), Empty);
  EXPECT_EQ(Slot(WNight, 0), 1) << "the list entry stays";
  EXPECT_EQ(Data[0].HashKey, Key) << "the key stays";
}

TEST(Placement, RemoveOnEmptySquareChangesNothing) {
  ResetGame();
  const DataType Before = Data[0];
  RemovePiece(27);
  EXPECT_EQ(std::memcmp(&Before, &Data[0], sizeof Before), 0);
}

TEST(Placement, FreedSlotIsReused) {
  ResetGame();
  RemovePiece(0); // a1 rook, slot 0
  EXPECT_EQ(Slot(WRook, 0), -1);
  EXPECT_EQ(Slot(WRook, 1), 7);
  PutPiece(WRook, 20);
  EXPECT_EQ(Slot(WRook, 0), 20);
  EXPECT_EQ(Slot(WRook, 1), 7);
  // A square in neither slot: nothing changes.
  RemoveFromPieceList(WRook, 33);
  EXPECT_EQ(Slot(WRook, 0), 20);
  EXPECT_EQ(Slot(WRook, 1), 7);
}

TEST(Placement, ZeroBoardDataKeepsKeyAndEnPassant) {
  ResetGame();
  Data[0].EnPasSq = 20;
  const uint64_t Key = Data[0].HashKey;
  ZeroBoardData();
  for (uint32_t W : Data[0].Board) EXPECT_EQ(W, 0u);
  for (int S = 0; S < 2; ++S)
    for (int K = 0; K < 5; ++K) {
      EXPECT_EQ(Data[0].WPieceList[S][K], -1);
      EXPECT_EQ(Data[0].BPieceList[S][K], -1);
    }
  for (int I = 0; I < 8; ++I) EXPECT_EQ(Data[0].WPawnList[I] & Data[0].BPawnList[I], -1);
  EXPECT_EQ(Data[0].CastleStat, 0);
  EXPECT_EQ(Data[0].HashKey, Key);
  EXPECT_EQ(Data[0].EnPasSq, 20);
  EXPECT_EQ(CalcBrdKey(), 0u) << "an empty board has key 0";
}

TEST(Placement, QueensBeyondTwoGoToTheExtraList) {
  SetFen("4k3/8/8/8/8/8/8/QQ2K3 w - -");
  PutPiece(WQueen, 20);
  PutPiece(WQueen, 21);
  EXPECT_EQ(Slot(WQueen, 0), 0);
  EXPECT_EQ(Slot(WQueen, 1), 1) << "a third queen never overwrites a listed one";
  ASSERT_EQ(Data[0].WExtraCount, 2);
  EXPECT_EQ(CountPieces(WQueen), 4);
  EXPECT_EQ(Data[0].HashKey, CalcBrdKey());
  // Taking a listed queen refills its slot from the extra list.
  RemovePiece(0);
  EXPECT_EQ(CountPieces(WQueen), 3);
  EXPECT_NE(Slot(WQueen, 0), -1);
  EXPECT_EQ(Data[0].WExtraCount, 1);
  EXPECT_EQ(Data[0].HashKey, CalcBrdKey());
  RemovePiece(20);
  RemovePiece(21);
  RemovePiece(1);
  EXPECT_EQ(CountPieces(WQueen), 0);
  EXPECT_EQ(Data[0].WExtraCount, 0);
}

TEST(Placement, RoomForPieceFollowsTheListLimits) {
  SetFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  EXPECT_FALSE(RoomForPiece(WNight));
  EXPECT_FALSE(RoomForPiece(BPawn));
  EXPECT_FALSE(RoomForPiece(WKing));
  EXPECT_TRUE(RoomForPiece(WQueen));
  EXPECT_FALSE(RoomForPiece(7));
  RemovePiece(1);
  EXPECT_TRUE(RoomForPiece(WNight));
}

using PlacementDeathTest = ::testing::Test;

TEST(PlacementDeathTest, ConsistencyChecksStopWithTheirMessages) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ResetGame();
  EXPECT_EXIT(AddToPieceList(BPawn, 30), ::testing::ExitedWithCode(2), "Error in AddToPieceList");
  EXPECT_EXIT(AddToPieceList(WNight, 30), ::testing::ExitedWithCode(2), "Error in AddToPieceList");
  EXPECT_EXIT(RemoveFromPieceList(WPawn, 8), ::testing::ExitedWithCode(2),
              "Error in RemoveFromPieceList");
  EXPECT_EXIT(AddToPawnList(1), ::testing::ExitedWithCode(2), "error: in AddToPawnList");
  EXPECT_EXIT(PutPiece(WPawn, 30), ::testing::ExitedWithCode(2),
              "Error in AddToPawnList, i value > 7, white code");
  EXPECT_EXIT(PutPiece(BPawn, 30), ::testing::ExitedWithCode(2),
              "Error in AddToPawnList, i value > 7, black code");
  EXPECT_EXIT(RemoveFromPawnList(1), ::testing::ExitedWithCode(2), "error: in removefrompawnlist");
  EXPECT_EXIT(
      {
        Data[0].Board[2] = 1; // a pawn on a3 that no list entry holds
        RemoveFromPawnList(16);
      },
      ::testing::ExitedWithCode(2), "error: in removefrompawnlist");
}

} // namespace
