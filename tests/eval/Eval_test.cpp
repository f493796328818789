#include <gtest/gtest.h>

#include "TestUtil.h"
#include "board/Types.h"
#include "eval/Eval.h"

namespace {
constexpr int16_t Lo = -30000, Hi = 30000;

// The position with the phase forced, evaluated with a window that never
// triggers the lazy cut-off.
int16_t FullEval(const char *Fen, bool InEndGame) {
  SetFen(Fen);
  Game.St.EndGame = InEndGame;
  return EvalPosition(Game.Here(), Game.St.WhosMove, Game.St.EndGame, Lo, Hi);
}

// Start position less Black's a8 rook: Material 500; positionally White pays
// 30 for both rights, Black keeps only its king-side right and so gets its
// f7 g7 h7 shield (-18): 500 - 30 - 18 = 452 from White's side.
constexpr const char *RookUp = "1nbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQk - 0 1";
constexpr const char *RookUpBlackToMove = "1nbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQk - 0 1";

struct EvalCase {
  const char *Fen;
  bool InEndGame;
  int16_t Expected;
  const char *Why;
};

TEST(EvalPosition, WholePositionsAddUpTheirTerms) {
  const EvalCase Cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", false, 0, "start, white"},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", false, 0, "start, black"},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", true, 0, "start, endgame"},
      {RookUp, false, 452, "rook up, white to move"},
      {RookUpBlackToMove, false, -452, "rook up, black to move"},
      // King tables counted twice: g1 is 30 (MG) and -10 (EG); c7 reads c2, 0 in both.
      {"8/2k5/8/8/8/8/8/6K1 w - - 0 1", false, 60, "king g1, middlegame"},
      {"8/2k5/8/8/8/8/8/6K1 w - - 0 1", true, -20, "king g1, endgame"},
      {"8/2k5/8/8/8/8/8/6K1 b - - 0 1", false, -60, "king g1, middlegame, black to move"},
      {"8/2k5/8/8/8/8/8/6K1 b - - 0 1", true, 20, "king g1, endgame, black to move"},
      // c2 10, c3 -10, c4 0; three pawns on a file cost 40.
      {"4k3/8/8/8/2P5/2P5/2P5/4K3 w - - 0 1", false, 300 - 40, "tripled c-pawns"},
      // Adds h2 5, h3 5 and 20 for the doubled h-file.
      {"4k3/8/8/8/2P5/2P4P/2P4P/4K3 w - - 0 1", false, 500 + 10 - 60, "two doubled files"},
      {"4k3/2p5/2p5/2p5/8/8/8/4K3 b - - 0 1", false, 300 - 40, "black tripled, black to move"},
      // c1 and f1 read -10 each in the bishop table.
      {"4k3/8/8/8/8/8/8/2B1KB2 w - - 0 1", false, 660 - 20 + 30, "bishop pair"},
      {"4k3/8/8/8/8/8/8/2B1K3 w - - 0 1", false, 330 - 10, "one bishop"},
      {"2b1kb2/8/8/8/8/8/8/4K3 w - - 0 1", false, -(660 - 20 + 30), "black bishop pair"},
      // Queens beyond the two list slots: a1 -20, b1 -10, c1 -10, d1 -5.
      {"4k3/8/8/8/8/8/8/QQQ1K3 w - - 0 1", false, 2700 - 40, "three white queens"},
      {"4k3/8/8/8/8/8/8/QQQQK3 w - - 0 1", false, 3600 - 45, "four white queens"},
      {"qqq1k3/8/8/8/8/8/8/4K3 w - - 0 1", false, -(2700 - 40), "three black queens"},
      {"qqq1k3/8/8/8/8/8/8/4K3 b - - 0 1", false, 2700 - 40, "three black queens, black to move"},
  };
  for (const EvalCase &C : Cases) {
    SCOPED_TRACE(C.Why);
    EXPECT_EQ(FullEval(C.Fen, C.InEndGame), C.Expected) << C.Fen;
  }
}

struct LazyCase {
  const char *Fen;
  bool InEndGame;
  int16_t Alpha, Beta;
  int16_t Expected;
};

TEST(EvalPosition, LazyCutOffAnswersFromMaterialOutsideTheEndgame) {
  const LazyCase Cases[] = {
      {RookUp, false, 900, 1000, 900},
      {RookUpBlackToMove, false, -1000, -900, -900},
      // The margins are strict: 500 + 300 < 800 fails, 500 - 300 > 200 fails.
      {RookUp, false, 800, 1000, 452},
      {RookUp, false, 801, 1000, 801},
      {RookUp, false, -1000, 200, 452},
      {RookUp, false, -1000, 199, 199},
      {RookUpBlackToMove, false, -1000, -800, -452},
      {RookUpBlackToMove, false, -1000, -801, -801},
      {RookUpBlackToMove, false, -200, 1000, -452},
      {RookUpBlackToMove, false, -199, 1000, -199},
      // The endgame always evaluates in full, even far outside the window.
      {RookUp, true, 900, 1000, 452},
      {RookUpBlackToMove, true, -1000, -900, -452},
      {RookUp, true, -1000, 199, 452},
  };
  for (const LazyCase &C : Cases) {
    SetFen(C.Fen);
    Game.St.EndGame = C.InEndGame;
    EXPECT_EQ(EvalPosition(Game.Here(), Game.St.WhosMove, Game.St.EndGame, C.Alpha, C.Beta),
              C.Expected)
        << C.Fen << " window (" << C.Alpha << ", " << C.Beta << ") endgame " << C.InEndGame;
  }
}

struct CastleCase {
  const char *Fen;
  uint8_t CastleStat;
  int Delta; // against the same position with no rights at all
  const char *Why;
};

TEST(EvalPosition, CastlingRightsAndPawnShields) {
  const CastleCase Cases[] = {
      {"4k3/8/8/8/8/5N2/5PPP/4K3 w - - 0 1", 2, 24, "white queen-side right: f2 g2 h2 f3"},
      {"4k3/8/8/8/8/5N2/5PPP/4K3 w - - 0 1", 3, -30, "both white rights: penalty only"},
      {"4k3/8/8/8/8/5N2/5PPP/4K3 w - - 0 1", 1, 0, "white king-side right looks at a2 b2 c2 c3"},
      {"4k3/8/8/8/8/5N2/5PPP/4K3 b - - 0 1", 2, -24, "the same shield, black to move"},
      {"4k3/8/8/8/8/8/5PPP/4K3 w - - 0 1", 2, 18, "pawns without the knight"},
      {"4k3/8/8/8/8/5n2/5PPP/4K3 w - - 0 1", 2, 18, "a black knight on f3 is no shield"},
      {"4k3/8/8/8/8/2N5/PPP5/4K3 w - - 0 1", 1, 24, "white king-side right: a2 b2 c2 c3"},
      {"4k3/8/8/8/8/2N5/PPP5/4K3 w - - 0 1", 2, 0, "white queen-side right looks at f2 g2 h2 f3"},
      {"4k3/5ppp/5n2/8/8/8/8/4K3 w - - 0 1", 4, -24, "black king-side right: f7 g7 h7 f6"},
      {"4k3/5ppp/5n2/8/8/8/8/4K3 w - - 0 1", 12, 30, "both black rights: penalty only"},
      {"4k3/5ppp/8/8/8/8/8/4K3 w - - 0 1", 8, 0, "black queen-side right: f7 g7 h7 not looked at"},
      {"4k3/ppp5/2n5/8/8/8/8/4K3 w - - 0 1", 8, -24, "black queen-side right: a7 b7 c7 c6"},
      {"4k3/ppp5/2n5/8/8/8/8/4K3 w - - 0 1", 4, 0, "black king-side right looks at f7 g7 h7 f6"},
      {"4k3/5ppp/5n2/8/8/5N2/5PPP/4K3 w - - 0 1", 2 | 4, 0, "both shields cancel"},
      {"4k3/5ppp/5n2/8/8/5N2/5PPP/4K3 w - - 0 1", 3 | 4, -30 - 24, "white penalty, black shield"},
  };
  for (const CastleCase &C : Cases) {
    SCOPED_TRACE(C.Why);
    SetFen(C.Fen);
    Game.St.EndGame = false;
    Game.St.Data[0].CastleStat = 0;
    const int Without = EvalPosition(Game.Here(), Game.St.WhosMove, Game.St.EndGame, Lo, Hi);
    Game.St.Data[0].CastleStat = C.CastleStat;
    EXPECT_EQ(EvalPosition(Game.Here(), Game.St.WhosMove, Game.St.EndGame, Lo, Hi) - Without,
              C.Delta)
        << C.Fen;
  }
}

TEST(EvalPosition, EvaluatesTheRecordAtTheCurrentPly) {
  SetFen("4k3/8/8/8/2P5/2P5/2P5/4K3 w - - 0 1");
  const DataType Tripled = Game.St.Data[0];
  SetFen("8/2k5/8/8/8/8/8/6K1 w - - 0 1");
  Game.St.EndGame = false;
  Game.St.Data[1] = Tripled;
  Game.St.Ply = 1;
  EXPECT_EQ(EvalPosition(Game.Here(), Game.St.WhosMove, Game.St.EndGame, Lo, Hi), 260);
  Game.St.Ply = 0;
  EXPECT_EQ(EvalPosition(Game.Here(), Game.St.WhosMove, Game.St.EndGame, Lo, Hi), 60);
}
} // namespace
