#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>

#include "TestUtil.h"
#include "board/Board.h"
#include "board/Zorbist.h"
#include "game/Game.h"
#include "game/History.h"
#include "game/TakeBack.h"

namespace {

int8_t Sq(const char *Name) { return static_cast<int8_t>((Name[1] - '1') * 8 + (Name[0] - 'a')); }

int8_t Slot(int8_t Code, int S) {
  const DataType &D = Game.Here();
  return Code < 9 ? D.WPieceList[S][PIdx(Code)] : D.BPieceList[S][PIdx(Code)];
}

TEST(StartPosition, BoardWordsListsAndGameState) {
  ResetGame();
  const DataType &D = Game.St.Data[0];
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
  EXPECT_EQ(Game.St.WhosMove, WMove);
  EXPECT_EQ(Game.MoveNum, 0);
  EXPECT_EQ(Game.St.Ply, 0);
  EXPECT_EQ(D.HashKey, CalcBrdKey(Game.Here()));
  EXPECT_NE(D.HashKey, 0u);
  EXPECT_TRUE(Game.InLibrary);
  EXPECT_EQ(Game.TBIndex, 0);
  EXPECT_EQ(TheGame().Count, 0);
  EXPECT_EQ(TheGame().Bottom.MoveNum, 0);
  EXPECT_EQ(TheGame().Bottom.Side, WMove);
}

TEST(Placement, PutAndRemoveKeepBoardListsAndKeyInStep) {
  SetFen("4k3/8/8/8/8/8/8/4K3 w - -");
  const uint64_t Bare = Game.St.Data[0].HashKey;
  struct {
    int8_t Code;
    int8_t Sq;
  } const Cases[] = {{WPawn, 12}, {BPawn, 52},  {WNight, 21}, {BBishop, 35},
                     {WRook, 0},  {BQueen, 59}, {WQueen, 63}};
  for (const auto &C : Cases) {
    PutPiece(Game.Here(), C.Code, C.Sq);
    EXPECT_EQ(PieceOn(Game.St.Data[0], C.Sq), C.Code);
    EXPECT_EQ(CountPieces(Game.Here(), C.Code), 1) << int(C.Code);
    EXPECT_EQ(Game.St.Data[0].HashKey, CalcBrdKey(Game.Here()));
    EXPECT_NE(Game.St.Data[0].HashKey, Bare);
    RemovePiece(Game.Here(), C.Sq);
    EXPECT_EQ(PieceOn(Game.St.Data[0], C.Sq), Empty);
    EXPECT_EQ(CountPieces(Game.Here(), C.Code), 0) << int(C.Code);
    EXPECT_EQ(Game.St.Data[0].HashKey, Bare) << "remove undoes put for code " << int(C.Code);
  }
}

TEST(Placement, PutEmptyOnlyClearsTheSquare) {
  ResetGame();
  const uint64_t Key = Game.St.Data[0].HashKey;
  PutPiece(Game.Here(), Empty, 1); // b1 knight
  EXPECT_EQ(PieceOn(Game.St.Data[0], 1), Empty);
  EXPECT_EQ(Slot(WNight, 0), 1) << "the list entry stays";
  EXPECT_EQ(Game.St.Data[0].HashKey, Key) << "the key stays";
}

TEST(Placement, RemoveOnEmptySquareChangesNothing) {
  ResetGame();
  const DataType Before = Game.St.Data[0];
  RemovePiece(Game.Here(), 27);
  EXPECT_EQ(std::memcmp(&Before, &Game.St.Data[0], sizeof Before), 0);
}

TEST(Placement, FreedSlotIsReused) {
  ResetGame();
  RemovePiece(Game.Here(), 0); // a1 rook, slot 0
  EXPECT_EQ(Slot(WRook, 0), -1);
  EXPECT_EQ(Slot(WRook, 1), 7);
  PutPiece(Game.Here(), WRook, 20);
  EXPECT_EQ(Slot(WRook, 0), 20);
  EXPECT_EQ(Slot(WRook, 1), 7);
  // A square in neither slot, as an extra's is: the slots stay.
  RemovePieceEntry(Game.St.Data[0], WRook, 33);
  EXPECT_EQ(Slot(WRook, 0), 20);
  EXPECT_EQ(Slot(WRook, 1), 7);
}

TEST(Placement, ZeroBoardDataKeepsKeyAndEnPassant) {
  ResetGame();
  Game.St.Data[0].EnPasSq = 20;
  const uint64_t Key = Game.St.Data[0].HashKey;
  ZeroBoardData(Game.Here());
  for (uint32_t W : Game.St.Data[0].Board) EXPECT_EQ(W, 0u);
  for (int S = 0; S < 2; ++S)
    for (int K = 0; K < 5; ++K) {
      EXPECT_EQ(Game.St.Data[0].WPieceList[S][K], -1);
      EXPECT_EQ(Game.St.Data[0].BPieceList[S][K], -1);
    }
  for (int I = 0; I < 8; ++I)
    EXPECT_EQ(Game.St.Data[0].WPawnList[I] & Game.St.Data[0].BPawnList[I], -1);
  EXPECT_EQ(Game.St.Data[0].CastleStat, 0);
  EXPECT_EQ(Game.St.Data[0].HashKey, Key);
  EXPECT_EQ(Game.St.Data[0].EnPasSq, 20);
  EXPECT_EQ(CalcBrdKey(Game.Here()), 0u) << "an empty board has key 0";
}

// Every piece on the board is listed once under its own code, an extra only
// while both slots of its kind are taken, and the key is the one from scratch.
testing::AssertionResult ListsInStep() {
  const DataType &D = Game.Here();
  std::multiset<std::pair<int, int>> OnBoard, Listed;
  for (int S = 0; S < 64; ++S)
    if (PieceOn(D, S) != Empty) OnBoard.insert({PieceOn(D, S), S});
  for (int I = 0; I < 8; ++I) {
    if (D.WPawnList[I] != -1) Listed.insert({WPawn, D.WPawnList[I]});
    if (D.BPawnList[I] != -1) Listed.insert({BPawn, D.BPawnList[I]});
  }
  for (int S = 0; S < 2; ++S)
    for (int8_t P : {WNight, WBishop, WRook, WQueen, WKing, BNight, BBishop, BRook, BQueen, BKing})
      if (Slot(P, S) != -1) Listed.insert({P, Slot(P, S)});
  for (bool White : {true, false})
    for (int I = 0; I < (White ? D.WExtraCount : D.BExtraCount); ++I) {
      const int8_t S = White ? D.WExtra[I] : D.BExtra[I];
      const int8_t P = PieceOn(D, S);
      if (P == Empty || IsWhiteCode(P) != White || Slot(P, 0) == -1 || Slot(P, 1) == -1)
        return testing::AssertionFailure() << "extra on " << int{S} << " with a slot free";
      Listed.insert({P, S});
    }
  if (OnBoard != Listed) return testing::AssertionFailure() << "lists differ from the board";
  if (D.HashKey != CalcBrdKey(Game.Here())) return testing::AssertionFailure() << "key out of step";
  return testing::AssertionSuccess();
}

// Two extras of one kind go in, then one of another kind; taking a listed
// piece refills its slot with the last extra of its own kind.
TEST(Placement, PiecesBeyondTwoOfAKindGoToTheExtraList) {
  constexpr const char *Twos = "rnbqkbnr/3q4/8/8/8/8/3Q4/RNBQKBNR w - -";
  const struct {
    int8_t Code, Other;
    const char *Slot0, *First, *Last, *OtherSq; // Slot0: the listed one in slot 0
  } Cases[] = {
      {WNight, WQueen, "b1", "c4", "d4", "e4"}, {WBishop, WNight, "c1", "c4", "d4", "e4"},
      {WRook, WBishop, "a1", "c4", "d4", "e4"}, {WQueen, WRook, "d2", "c4", "d4", "e4"},
      {BNight, BRook, "b8", "c5", "d5", "e5"},  {BBishop, BQueen, "c8", "c5", "d5", "e5"},
      {BRook, BNight, "a8", "c5", "d5", "e5"},  {BQueen, BBishop, "d8", "c5", "d5", "e5"},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(int{C.Code});
    SetFen(Twos);
    const int8_t S0 = Slot(C.Code, 0), S1 = Slot(C.Code, 1);
    PutPiece(Game.Here(), C.Code, Sq(C.First));
    PutPiece(Game.Here(), C.Code, Sq(C.Last));
    PutPiece(Game.Here(), C.Other, Sq(C.OtherSq));
    EXPECT_EQ(Slot(C.Code, 0), S0) << "an extra never overwrites a listed one";
    EXPECT_EQ(Slot(C.Code, 1), S1);
    EXPECT_EQ(CountPieces(Game.Here(), C.Code), 4);
    EXPECT_EQ(CountPieces(Game.Here(), C.Other), 3);
    EXPECT_TRUE(ListsInStep());
    ASSERT_EQ(S0, Sq(C.Slot0));
    RemovePiece(Game.Here(), Sq(C.Slot0));
    EXPECT_EQ(Slot(C.Code, 0), Sq(C.Last)) << "the last extra of the kind, not of the list";
    EXPECT_EQ(CountPieces(Game.Here(), C.Code), 3);
    EXPECT_EQ(CountPieces(Game.Here(), C.Other), 3);
    EXPECT_TRUE(ListsInStep());
    RemovePiece(Game.Here(), Sq(C.First));
    RemovePiece(Game.Here(), Sq(C.OtherSq));
    EXPECT_EQ(Game.St.Data[0].WExtraCount + Game.St.Data[0].BExtraCount, 0);
    EXPECT_TRUE(ListsInStep());
    RemovePiece(Game.Here(), Sq(C.Last));
    EXPECT_EQ(Slot(C.Code, 0), -1) << "no extra left to refill it";
    EXPECT_EQ(CountPieces(Game.Here(), C.Code), 1);
    EXPECT_TRUE(ListsInStep());
  }
}

// Each piece beyond two of its kind came from a pawn: those pieces and the
// pawns of a side together stay within eight.
TEST(Placement, RoomForPieceFollowsWhatPromotionsCanGive) {
  constexpr const char *Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
  constexpr const char *SevenPawns = "rnbqkbnr/1ppppppp/8/8/8/8/1PPPPPPP/RNBQKBNR w KQkq -";
  constexpr const char *ThirdKnight = "rnbqkbnr/1ppppppp/8/8/8/8/1PPPPPPP/RNBQKBNN w KQkq -";
  const struct {
    const char *Fen;
    int8_t Code;
    bool Room;
  } Cases[] = {
      {Start, WNight, false},       {Start, BRook, false},         {Start, BPawn, false},
      {Start, WKing, false},        {Start, WQueen, true},         {Start, 7, false},
      {SevenPawns, WNight, true},   {SevenPawns, BRook, true},     {SevenPawns, WPawn, true},
      {SevenPawns, BKing, false},   {ThirdKnight, WBishop, false}, {ThirdKnight, WPawn, false},
      {ThirdKnight, WNight, false}, {ThirdKnight, WRook, true},    {ThirdKnight, BBishop, true},
  };
  for (const auto &C : Cases) {
    SetFen(C.Fen);
    EXPECT_EQ(RoomForPiece(Game.Here(), C.Code), C.Room) << C.Fen << " code " << int{C.Code};
  }
}

using PlacementDeathTest = ::testing::Test;

TEST(PlacementDeathTest, ConsistencyChecksStopWithTheirMessages) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ResetGame();
  // Codes 7..9 stand for no piece.
  EXPECT_EXIT(PutPiece(Game.Here(), 7, 30), ::testing::ExitedWithCode(2),
              "Error in AddToPieceList");
  // A ninth extra piece, and a king past both slots.
  EXPECT_EXIT(
      {
        for (int8_t S = 16; S <= 16 + MaxExtra; ++S) PutPiece(Game.Here(), WNight, S);
      },
      ::testing::ExitedWithCode(2), "Error in AddToPieceList");
  EXPECT_EXIT(
      {
        PutPiece(Game.Here(), BKing, 30);
        PutPiece(Game.Here(), BKing, 31);
      },
      ::testing::ExitedWithCode(2), "Error in AddToPieceList");
  EXPECT_EXIT(
      {
        SetSquare(Game.St.Data[0], 20, 7); // a code that no list holds
        RemovePiece(Game.Here(), 20);
      },
      ::testing::ExitedWithCode(2), "Error in RemoveFromPieceList");
  EXPECT_EXIT(PutPiece(Game.Here(), WPawn, 30), ::testing::ExitedWithCode(2),
              "Error in AddToPawnList, i value > 7, white code");
  EXPECT_EXIT(PutPiece(Game.Here(), BPawn, 30), ::testing::ExitedWithCode(2),
              "Error in AddToPawnList, i value > 7, black code");
  EXPECT_EXIT(
      {
        Game.St.Data[0].Board[2] = 1; // a pawn on a3 that no list entry holds
        RemovePiece(Game.Here(), 16);
      },
      ::testing::ExitedWithCode(2), "error: in removefrompawnlist");
}

} // namespace

// The positions no sequence of legal moves can mate in, and their nearest
// neighbours that still can.
TEST(Placement, NoMatingMaterialIsTheDeadPositionsOfTheRules) {
  const struct {
    const char *Fen;
    bool Dead;
  } Cases[] = {
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", true},
      {"4k3/8/8/8/8/8/8/2B1K3 w - - 0 1", true},
      {"4k3/8/8/8/8/8/8/1n2K3 b - - 0 1", true},
      // bishops of both sides, all on light squares (b1, c4, f1), then one on c1
      {"4k3/8/8/8/2B5/8/8/4Kb2 w - - 0 1", true},
      {"4k3/8/8/8/2B5/8/8/1b2KB2 w - - 0 1", true},
      {"4k3/8/8/8/2B5/8/8/2b1K3 w - - 0 1", false},
      {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", false},
      {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", false},
      {"4k3/8/8/8/8/8/8/1N2Kn2 w - - 0 1", false},
      {"4k3/8/8/8/8/8/8/1N2KB2 w - - 0 1", false},
      {"4k3/8/8/8/8/8/8/3RK3 w - - 0 1", false},
      {"4k3/8/8/8/8/8/8/3qK3 w - - 0 1", false},
  };
  for (const auto &C : Cases) {
    SetFen(C.Fen);
    EXPECT_EQ(NoMatingMaterial(Game.St.Data[0]), C.Dead) << C.Fen;
  }
}
