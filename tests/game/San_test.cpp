// Moves of the game's position in SAN, as the PGN record writes them: the
// piece, the square it leaves where another of its kind could go there too,
// captures (en passant included), castling and the queen a pawn becomes.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "board/Types.h"
#include "game/Game.h"
#include "game/San.h"

namespace {

TEST(MoveSAN, EachKindOfMove) {
  const struct {
    const char *Fen;
    int8_t Ep; // the en-passant square, -1: none
    const char *Move;
    const char *San; // "": no legal move
  } Cases[] = {
      {"4k3/8/8/8/8/8/8/R3K2R w KQ -", -1, "E1G1", "O-O"},
      {"4k3/8/8/8/8/8/8/R3K2R w KQ -", -1, "E1C1", "O-O-O"},
      {"4k3/8/8/8/8/8/8/R3K2R w KQ -", -1, "E1F1", "Kf1"},
      {"4k3/8/8/8/8/8/8/1N2KN2 w - -", -1, "B1D2", "Nbd2"},
      {"4k3/8/8/8/R7/8/8/R3K3 w - -", -1, "A1A2", "R1a2"},
      {"4k3/8/8/8/8/Q7/8/Q1Q1K3 w - -", -1, "A1B2", "Qa1b2"},
      {"4k3/8/8/8/8/Q7/8/Q1Q1K3 w - -", -1, "C1B1", "Qcb1"},
      // The knight on e2 is pinned: only the one on b1 goes to c3.
      {"4k3/4r3/8/8/8/8/4N3/1N2K3 w - -", -1, "B1C3", "Nc3"},
      {"4k3/8/8/4p3/8/5N2/8/4K3 w - -", -1, "F3E5", "Nxe5"},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - -", 43, "E5D6", "exd6"},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - -", -1, "E5E6", "e6"},
      {"1r2k3/P7/8/8/8/8/8/4K3 w - -", -1, "A7B8", "axb8=Q"},
      {"1r2k3/P7/8/8/8/8/8/4K3 w - -", -1, "A7A8", "a8=Q"},
      {"4k3/8/8/8/8/8/p7/4K3 b - -", -1, "A2A1", "a1=Q"},
      {"4k3/8/8/8/8/8/8/4K3 w - -", -1, "E1E3", ""},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::string(C.Fen) + " " + C.Move);
    SetFen(C.Fen);
    Game.St.Data[0].EnPasSq = C.Ep;
    const std::string Before = BoardFen();
    char San[SanSize];
    EXPECT_EQ(MoveSAN(C.Move, San), C.San[0] != '\0');
    EXPECT_STREQ(San, C.San);
    EXPECT_EQ(BoardFen(), Before) << "the position is left as it was";
  }
}

TEST(SideToMoveCanMove, MateStalemateAndPlay) {
  const struct {
    const char *Fen;
    bool CanMove;
  } Cases[] = {
      {"R5k1/5ppp/8/8/8/8/5PPP/6K1 b - -", false}, // mated
      {"7k/8/6Q1/8/8/8/8/6K1 b - -", false},       // stalemated
      {"7k/8/8/6Q1/8/8/8/6K1 b - -", true},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    SetFen(C.Fen);
    EXPECT_EQ(SideToMoveCanMove(), C.CanMove);
  }
}

} // namespace
