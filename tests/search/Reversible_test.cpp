#include <gtest/gtest.h>

#include "TestUtil.h"
#include "board/Zorbist.h"
#include "search/Reversible.h"

namespace {
int8_t Sq(const char *Name) { return static_cast<int8_t>((Name[1] - '1') * 8 + (Name[0] - 'a')); }

// A quiet move found by the change it makes to the key: only a piece of the
// side to move, only along an open line, either way between the squares.
TEST(ReversibleMoves, FoundByTheKeyChangeOfAQuietMove) {
  const struct {
    const char *Fen;
    int8_t Piece;
    const char *A, *B;
    bool Found;
  } Cases[] = {
      {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", WRook, "a1", "a8", true},
      {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", WRook, "a8", "a1", true},
      {"4k3/8/8/8/p7/8/8/R3K3 w - - 0 1", WRook, "a1", "a8", false},    // blocked on a4
      {"4k3/8/8/8/8/8/8/R3K3 b - - 0 1", WRook, "a1", "a8", false},     // not Black's rook
      {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", WRook, "a1", "b2", false},     // no rook move
      {"4k3/8/8/8/8/2p5/8/1N2K3 w - - 0 1", WNight, "b1", "c3", false}, // c3 is taken
      {"4k3/8/8/8/8/8/1p6/1N2K3 w - - 0 1", WNight, "b1", "c3", true},  // a knight jumps
      {"4k3/8/8/8/8/8/8/4K2b b - - 0 1", BBishop, "h1", "a8", true},
      {"4k3/8/8/3P4/8/8/8/4K2b b - - 0 1", BBishop, "h1", "a8", false}, // blocked on d5
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::string(C.Fen) + " " + C.A + C.B);
    SetFen(C.Fen);
    // A set-up may draw new keys.
    PrepareReversibleMoves();
    MoveRec M{};
    const uint64_t Change = ZorbistKey(C.Piece, Sq(C.A)) ^ ZorbistKey(C.Piece, Sq(C.B));
    ASSERT_EQ(ReversibleMoveFor(Game.St.Data[0], Game.St.WhosMove, Change, M), C.Found);
    if (!C.Found) continue;
    // From the square the piece stands on.
    const bool OnA = PieceOn(Game.St.Data[0], Sq(C.A)) == C.Piece;
    EXPECT_EQ(M.FromSq, OnA ? Sq(C.A) : Sq(C.B));
    EXPECT_EQ(M.ToSq, OnA ? Sq(C.B) : Sq(C.A));
  }
}
} // namespace
