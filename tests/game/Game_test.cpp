// The game's door: what it refuses, and that a refusal changes nothing.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>

#include "TestUtil.h"
#include "game/Game.h"
#include "game/TakeBack.h"

namespace {

// The key is left out: an abandoned edit draws new keys, as every set-up does.
bool SameGame(const DataType &D, int8_t Side, uint16_t Moves) {
  return std::memcmp(&D, &Data[0], offsetof(DataType, HashKey)) == 0 && WhosMove == Side &&
         MoveNum == Moves;
}

// Each case sets up a position, asks for one change and names the answer;
// a refused change leaves position, side and move count exactly as they were.
TEST(Game, RefusalsChangeNothing) {
  const struct Case {
    const char *Fen;
    const char *What;
    std::function<int()> Ask; // the refusal as a number, 0: done
    int Expected;
  } Cases[] = {
      {"4k3/8/8/8/8/8/4P3/4K3 w -", "a step too far",
       [] { return int(PlayMove("E2E5", 0, false)); }, int(MoveRefusal::Illegal)},
      {"4k3/8/8/8/8/8/4r3/4K3 w -", "a king into check",
       [] { return int(PlayMove("E1F2", 0, false)); }, int(MoveRefusal::Illegal)},
      {"4k3/8/8/8/8/8/4P3/4K3 w -", "a black move on White's turn",
       [] { return int(PlayMove("E8E7", 0, false)); }, int(MoveRefusal::Illegal)},
      {"4k3/8/8/8/8/8/4P3/4K3 w -", "a piece letter without a promotion",
       [] { return int(PlayMove("E2E4", 'n', false)); }, int(MoveRefusal::NotPromotion)},
      {"4k3/8/8/8/8/8/4P3/4K3 w -", "a takeback with no move made",
       [] { return TakeBack() ? 0 : 1; }, 1},
      {"4k3/8/8/8/8/8/8/4K3 w -", "a pawn on its first rank", [] { return int(EditPut(WPawn, 3)); },
       int(EditRefusal::PawnOnEdge)},
      {"4k3/8/8/8/8/8/8/4K3 w -", "a second king", [] { return int(EditPut(WKing, 27)); },
       int(EditRefusal::TooMany)},
      {"4k3/8/8/8/8/8/PPPPPPPP/4K3 w -", "a ninth pawn", [] { return int(EditPut(WPawn, 27)); },
       int(EditRefusal::TooMany)},
      {"4k3/8/8/8/8/8/8/4K3 w -", "a king the side to move can take",
       [] { return int(EditPut(WRook, 4 + 8 * 4)) + int(EditCommit()); },
       int(EditRefusal::KingEnPrise)},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.What);
    SetFen(C.Fen);
    EditBegin();
    const DataType Before = Data[0];
    const int8_t Side = WhosMove;
    EXPECT_EQ(C.Ask(), C.Expected);
    // The open edit of the last case is abandoned: the position it began with.
    if (C.Expected == int(EditRefusal::KingEnPrise)) EditAbandon();
    EXPECT_TRUE(SameGame(Before, Side, MoveNum)) << BoardFen();
  }
}

// What is done counts: a move steps the count and passes the turn, an
// under-promotion puts the chosen piece, and a takeback undoes both.
TEST(Game, MovesCountAndTakeBackUndoes) {
  SetFen("4k3/1P6/8/8/8/8/8/4K3 w -");
  InitTakeBackStack();
  const DataType Start = Data[0];
  ASSERT_EQ(PlayMove("B7B8", 'n', false), MoveRefusal::None);
  AddToTakeBackStack();
  EXPECT_EQ(PieceOn(Data[0], 57), WNight);
  EXPECT_EQ(MoveNum, 1);
  EXPECT_EQ(WhosMove, BMove);
  EXPECT_EQ(GameHistory().HalfMoveClock, 0u) << "a pawn move resets the count";
  EXPECT_TRUE(TakeBack());
  EXPECT_EQ(std::memcmp(&Start, &Data[0], offsetof(DataType, HashKey)), 0);
  EXPECT_EQ(MoveNum, 0);
  EXPECT_EQ(WhosMove, WMove);
}

// A FEN's en-passant square stands only behind a pawn that has just made
// its double step over it.
TEST(Game, EnPassantSquaresMustFitTheBoard) {
  const struct {
    const char *Fen;
    int8_t Ep;
    bool Kept;
  } Cases[] = {
      {"4k3/8/8/3pP3/8/8/8/4K3 w - -", 43, true},    // d6 after d7-d5
      {"4k3/8/8/3pP3/8/8/8/4K3 w - -", 19, false},   // d3: the wrong side's rank
      {"4k3/3n4/8/3pP3/8/8/8/4K3 w - -", 43, false}, // d7 is not empty
      {"4k3/8/8/4P3/8/8/8/4K3 w - -", 43, false},    // no pawn on d5
      {"4k3/8/8/8/3Pp3/8/8/4K3 b - -", 19, true},    // d3 after d2-d4
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    ParsedFEN P;
    const char *Why = nullptr;
    ASSERT_TRUE(ParseFEN(C.Fen, P, Why));
    bool Kept = false;
    ASSERT_TRUE(SetupGame(P, C.Ep, 0, 1, Kept));
    EXPECT_EQ(Kept, C.Kept);
    EXPECT_EQ(Data[0].EnPasSq, C.Kept ? C.Ep : -1);
  }
}

} // namespace
