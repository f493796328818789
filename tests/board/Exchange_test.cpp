// The exchange on one square, on positions where a wrong step of the count
// (a slider left unseen behind a piece, the wrong cheapest piece, a side made
// to take when standing pays) gives another figure.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "board/Exchange.h"
#include "board/Squares.h"

namespace {
struct ExchangeCase {
  const char *Fen;
  const char *Move; // from and to, upper case
  int Gain;
};

const ExchangeCase Cases[] = {
    // An undefended pawn: won outright.
    {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "E4D5", 100},
    // A pawn defended by a pawn, taken by the queen: queen for pawn.
    {"4k3/8/2p5/3p4/8/8/3Q4/4K3 w - - 0 1", "D2D5", 100 - 900},
    // Knight takes a pawn defended by a bishop: knight for pawn.
    {"4k3/8/5b2/8/3p4/8/4N3/4K3 w - - 0 1", "E2D4", 100 - 320},
    // Rook takes a rook, the queen behind the first rook (x-ray) wins the recapture.
    {"3rk3/8/8/8/8/8/3R4/3QK3 w - - 0 1", "D2D8", 500},
    // Two rooks against two on a defended pawn: the first rook is lost for it.
    {"3r2k1/3r4/8/3p4/8/8/3R4/3RK3 w - - 0 1", "D2D5", 100 - 500},
    // Three against two: the pawn is won, and the trades are even.
    {"3r2k1/3r4/8/3p4/8/3R4/3R4/3QK3 w - - 0 1", "D3D5", 100},
    // The defender stops where taking back loses: pawn takes knight, the bishop
    // behind does not take back on a square the rook covers.
    {"4k3/8/8/3n4/2P5/8/8/3RK3 w - - 0 1", "C4D5", 320},
    // The cheapest defender takes first: bishop takes knight, recaptured by
    // the pawn, not by the queen.
    {"3qk3/8/4p3/3n4/8/8/6B1/4K3 w - - 0 1", "G2D5", 320 - 330},
    // En passant: the pawn taken is not on the square it moves to (the
    // game's reader leaves the field out, so the test sets it).
    {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "E5D6", 100},
    // The pawn taken en passant opens the file for the rook behind it.
    {"3rk3/8/8/3pP3/8/8/8/3RK3 w - d6 0 1", "E5D6", 100},
    // The rook steps off the file and its own move lets the rook behind it
    // take: the square looked unattacked before the move.
    {"4k3/8/8/8/3R4/8/K7/3r4 w - - 0 1", "D4D5", -500},
    // A quiet move to an attacked square loses the piece.
    {"4k3/8/8/2p5/8/8/8/3RK3 w - - 0 1", "D1D4", -500},
    // Black to move: the doubled rooks with the queen behind.
    {"3qk3/3r4/3r4/8/3P4/8/3R4/3RK3 b - - 0 1", "D6D4", 100},
};

TEST(Exchange, GainOfEachExchange) {
  for (const ExchangeCase &C : Cases) {
    SetFen(C.Fen);
    DataType D = Game.Here();
    if (const char *Ep = std::strstr(C.Fen, " d6 ")) D.EnPasSq = SquareOf('D', Ep[2]);
    const int8_t From = SquareOf(C.Move[0], C.Move[1]), To = SquareOf(C.Move[2], C.Move[3]);
    EXPECT_EQ(StaticExchange(D, From, To), C.Gain) << C.Fen << " " << C.Move;
  }
}
} // namespace
