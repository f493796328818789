#include "fulleval/FullEval.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "TestUtil.h"
#include "board/Types.h"
#include "fulleval/Terms.h"
#include "fulleval/Tuning.h"

namespace {
// The en-passant square of a FEN's fourth field, -1 for "-"; SetFen leaves it out.
int8_t EpOf(const char *Fen) {
  const char *S = Fen;
  for (int Spaces = 0; *S && Spaces < 3; ++S) Spaces += *S == ' ';
  if (S[0] < 'a' || S[0] > 'h') return -1;
  return static_cast<int8_t>((S[1] - '1') * 8 + S[0] - 'a');
}

// FEN set up as the game's position, side to move's score.
int16_t Eval(const char *Fen) {
  SetFen(Fen);
  Game.Here().EnPasSq = EpOf(Fen);
  return FullEval(Game.Here(), Game.St.WhosMove);
}

// The same from White's side.
int WhiteEval(const char *Fen) {
  const int16_t E = Eval(Fen);
  return Game.St.WhosMove == WMove ? E : -E;
}

// The colour-flipped FEN: ranks in reverse, colours and side swapped,
// castling and en passant mirrored.
std::string Mirror(const char *Fen) {
  std::string In(Fen), Ranks[8], Out;
  const size_t Space = In.find(' ');
  int R = 0;
  for (size_t I = 0; I < Space; ++I) {
    if (In[I] == '/')
      ++R;
    else
      Ranks[R] += In[I];
  }
  for (int I = 7; I >= 0; --I) {
    for (char C : Ranks[I]) Out += std::isalpha(C) ? C ^ 32 : C;
    Out += I ? '/' : ' ';
  }
  const char Side = In[Space + 1];
  Out += Side == 'w' ? "b " : "w ";
  std::string Castle;
  for (const char *C = "KQkq"; *C; ++C)
    if (In.find(*C ^ 32, Space + 3) < In.find(' ', Space + 3)) Castle += *C;
  Out += Castle.empty() ? "-" : Castle;
  const int8_t Ep = EpOf(Fen);
  if (Ep < 0) return Out + " - 0 1";
  return Out + ' ' + char('a' + Ep % 8) + char('1' + 7 - Ep / 8) + " 0 1";
}

TEST(FullEvalMirror, ColourFlippedPositionsScoreTheSame) {
  const char *Cases[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3",
      "r1bqkbnr/1ppp1ppp/p1n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b Kq - 0 4",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - 0 1",
      "r1b1k2r/ppppnppp/2n2q2/2b5/3NP3/2P1B3/PP3PPP/RN1QKB1R b KQkq - 0 1",
      "6k1/R4ppp/8/3N4/2b5/8/5PPP/6K1 w - - 0 1",   // rook on the seventh, outpost
      "8/5pk1/6p1/R7/5P2/6PK/r7/8 w - - 0 1",       // rook ending
      "8/8/1p2k3/p1p5/P1P1K3/1P6/8/8 b - - 0 1",    // pawn ending
      "r5k1/5pp1/6p1/7p/6P1/8/5PP1/R5K1 w - - 0 1", // two pawns on a file by each king
      "8/8/8/8/2P5/5k2/8/K7 w - - 0 1",             // the rule of the square, a move late
      "8/2P5/8/8/8/8/5k2/K7 b - - 0 1",             // the rule of the square
      "1k6/8/8/P7/8/2K5/8/2B5 w - - 0 1",           // wrong rook pawn
      "8/8/4k3/8/8/4K3/8/2NN4 b - - 0 1",           // two knights
      "8/5k2/8/3b1P2/3B1P2/8/5K2/8 w - - 0 1",      // opposite bishops
      "k7/8/8/8/8/8/8/3BNK2 w - - 0 1",             // bishop and knight
      "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",    // promotions
  };
  for (const char *Fen : Cases) {
    const std::string Flipped = Mirror(Fen);
    EXPECT_EQ(Eval(Fen), Eval(Flipped.c_str())) << Fen << " against " << Flipped;
  }
}

struct Verdict {
  const char *Fen;
  int Lo, Hi; // White's score within [Lo, Hi]
  const char *Why;
};

TEST(FullEvalEndings, DrawnAndWonEndingsAreScoredAsSuch) {
  const Verdict Cases[] = {
      {"8/8/4k3/8/8/4K3/8/2NN4 w - - 0 1", -10, 10, "two knights cannot mate"},
      {"8/8/4k3/8/8/4K3/8/2B5 w - - 0 1", -10, 10, "a lone bishop"},
      {"1k6/8/8/P7/8/2K5/8/2B5 w - - 0 1", -10, 10, "rook pawn, wrong bishop, king in front"},
      {"1k6/8/8/P7/8/2K5/8/3B4 w - - 0 1", 250, 2000, "rook pawn, the bishop covers a8"},
      {"1k6/8/8/P7/8/2K5/8/8 w - - 0 1", -10, 10, "rook pawn alone, king in front"},
      {"8/k7/8/P7/8/2K5/8/2B5 w - - 0 1", -10, 10, "the king on a7 holds the corner too"},
      {"8/8/8/P3k3/8/2K5/8/2B5 w - - 0 1", 250, 2000, "the king too far from the corner"},
      {"4k3/8/8/8/8/8/r7/2B1K2R w - - 0 1", 0, 100, "rook and bishop against rook"},
      {"4k3/8/8/8/8/8/8/2B1K2R w - - 0 1", 700, 3000, "the same against a bare king"},
      {"8/5k2/8/3b1P2/3B1P2/8/5K2/8 w - - 0 1", 0, 90, "opposite bishops, two pawns up"},
      {"8/5k2/8/4bP2/3B1P2/8/5K2/8 w - - 0 1", 150, 600, "bishops of one colour, two pawns up"},
      {"8/8/8/3k4/8/8/7Q/4K3 w - - 0 1", 800, 3000, "queen against a bare king"},
  };
  for (const Verdict &C : Cases) {
    const int E = WhiteEval(C.Fen);
    EXPECT_GE(E, C.Lo) << C.Why << ": " << C.Fen;
    EXPECT_LE(E, C.Hi) << C.Why << ": " << C.Fen;
  }
}

TEST(FullEvalEndings, TheBareKingIsDrivenToTheRightCorner) {
  // Queen and king stay put while the lone king walks from the centre into a corner.
  const char *Walk[] = {"8/8/8/3k4/8/8/7Q/6K1 w - - 0 1", "8/8/2k5/8/8/8/7Q/6K1 w - - 0 1",
                        "8/1k6/8/8/8/8/7Q/6K1 w - - 0 1", "k7/8/8/8/8/8/7Q/6K1 w - - 0 1"};
  for (int I = 1; I < 4; ++I) EXPECT_GT(WhiteEval(Walk[I]), WhiteEval(Walk[I - 1])) << Walk[I];
  // A light-squared bishop mates on a8 or h1, a dark one on a1 or h8.
  const char *Light[4] = {"k7/8/8/8/3K4/8/4N3/5B2 w - - 0 1", "8/8/8/8/3K4/8/4N3/5B1k w - - 0 1",
                          "7k/8/8/8/3K4/8/4N3/5B2 w - - 0 1", "8/8/8/8/3K4/8/4N3/k4B2 w - - 0 1"};
  const char *Dark[4] = {"8/8/8/8/3K4/8/4N3/k3B3 w - - 0 1", "7k/8/8/8/3K4/8/4N3/4B3 w - - 0 1",
                         "k7/8/8/8/3K4/8/4N3/4B3 w - - 0 1", "8/8/8/8/3K4/8/4N3/4B2k w - - 0 1"};
  for (const char *const *Corners : {Light, Dark})
    for (int Right = 0; Right < 2; ++Right)
      for (int Wrong = 2; Wrong < 4; ++Wrong)
        EXPECT_GT(WhiteEval(Corners[Right]), WhiteEval(Corners[Wrong])) << Corners[Right];
}

TEST(FullEvalTerms, SignsAndOrders) {
  // A passed pawn far up is worth more than one at home.
  EXPECT_GT(WhiteEval("4k3/8/2P5/8/8/8/8/4K3 b - - 0 1"),
            WhiteEval("4k3/8/8/8/8/2P5/8/4K3 b - - 0 1"));
  // The same for Black, seen from Black's side.
  EXPECT_GT(Eval("4k3/8/8/8/8/2p5/8/4K3 b - - 0 1"), Eval("4k3/8/2p5/8/8/8/8/4K3 b - - 0 1"));
  // A rook on the open d-file against the same rook behind its own e-pawn.
  EXPECT_GT(WhiteEval("3r2k1/pp3ppp/4p3/8/8/4P3/PP3PPP/3R2K1 w - - 0 1"),
            WhiteEval("3r2k1/pp3ppp/4p3/8/8/4P3/PP3PPP/4R1K1 w - - 0 1"));
  // Black's knight on d5, attacked by the d1 rook: worse for Black undefended
  // (rook on a4) than defended (rook on a5).
  EXPECT_GT(WhiteEval("6k1/5ppp/8/3n4/r7/8/5PPP/3R2K1 w - - 0 1"),
            WhiteEval("6k1/5ppp/8/r2n4/8/8/5PPP/3R2K1 w - - 0 1"));
  // The side to move gets the tempo; the start position is otherwise even.
  const int16_t Start = Eval("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  EXPECT_EQ(Start, Weights::Tempo.Mg);
}

struct Feature {
  const char *Fen;
  Term T;
  int Index;
  int Times; // White's count minus Black's
  const char *Why;
};

// Each rule that decides whether a term counts, on a position that meets it
// or just fails it.
TEST(FullEvalTerms, EachRuleCountsWhereItHolds) {
  const Feature Cases[] = {
      {"4k3/8/8/8/8/2P5/8/4K3 w - - 0 1", Term::PassedRank, 2, 1, "lone pawn c3"},
      {"4k3/8/3p4/8/8/2P5/8/4K3 w - - 0 1", Term::PassedRank, 2, 0, "d6 guards c3's path"},
      {"4k3/8/8/8/8/2P5/2P5/4K3 w - - 0 1", Term::PassedRank, 1, 0, "c2 behind c3 is not passed"},
      {"4k3/8/8/8/8/2P5/2P5/4K3 w - - 0 1", Term::Doubled, 0, 1, "c2 has c3 ahead"},
      {"4k3/8/2n5/8/8/2P5/8/4K3 w - - 0 1", Term::PassedFree, 2, 0, "a knight on its path"},
      {"4k3/8/8/8/8/2P5/8/4K3 w - - 0 1", Term::PassedEnemyKing, 2, 4, "e8 is four from c4"},
      {"4k3/8/8/8/8/2P5/8/4K3 w - - 0 1", Term::PassedOwnKing, 2, 3, "e1 is three from c4"},
      {"4k3/8/8/8/3P4/2P5/8/4K3 w - - 0 1", Term::PassedProtected, 0, 1, "c3 defends d4"},
      {"8/8/8/8/2P5/8/5k2/K7 b - - 0 1", Term::PassedUnstoppable, 0, 1, "outside the square"},
      {"8/8/8/8/2P5/5k2/8/K7 b - - 0 1", Term::PassedUnstoppable, 0, 0, "f3 to move catches it"},
      {"8/8/8/8/2P5/5k2/8/K7 w - - 0 1", Term::PassedUnstoppable, 0, 1, "but not a move late"},
      {"4k3/5p2/8/8/8/8/P1P5/4K3 w - - 0 1", Term::Isolated, 0, 1, "a2 and c2 less f7"},
      {"4k3/8/8/2p5/8/1P6/P7/4K3 w - - 0 1", Term::Backward, 0, 0, "a2 can support b3"},
      {"4k3/8/8/8/2p5/P7/1P6/4K3 w - - 0 1", Term::Backward, 0, 1, "b2 left behind, c4 holds b3"},
      {"4k3/8/8/8/8/1PP5/8/4K3 w - - 0 1", Term::Connected, 2, 2, "a phalanx counts both"},
      {"4k3/8/8/8/2P5/1P6/8/4K3 w - - 0 1", Term::Connected, 3, 1, "b3 supports c4"},
      {"4k3/pp6/8/8/8/8/8/R3K3 w - - 0 1", Term::RookHalfOpen, 0, 1, "enemy pawns only"},
      {"4k3/8/8/8/8/8/P7/R3K3 w - - 0 1", Term::RookHalfOpen, 0, 0, "own pawn on its file"},
      {"4k3/pp6/8/8/8/8/8/2R1K3 w - - 0 1", Term::RookOpen, 0, 1, "no pawn on c"},
      {"6k1/R7/8/8/8/8/8/6K1 w - - 0 1", Term::RookSeventh, 0, 1, "king on the eighth"},
      {"8/R5k1/8/8/8/8/8/6K1 w - - 0 1", Term::RookSeventh, 0, 0, "king beside it"},
      {"6k1/5ppp/8/3N4/4P3/8/8/6K1 w - - 0 1", Term::KnightOutpost, 0, 1, "d5, e4 behind"},
      {"6k1/2p2ppp/8/3N4/4P3/8/8/6K1 w - - 0 1", Term::KnightOutpost, 0, 0, "c7-c6 drives it"},
      {"6k1/8/8/3n4/8/8/8/3R2K1 w - - 0 1", Term::Hanging, 0, 1, "d5 undefended"},
      {"6k1/8/4p3/3n4/8/8/8/3R2K1 w - - 0 1", Term::Hanging, 0, 0, "e6 defends d5"},
      {"6k1/8/4p3/3n4/8/8/8/3R2K1 w - - 0 1", Term::ThreatByRook, 1, 0, "defended knight"},
      {"6k1/8/4p3/3q4/8/8/8/3R2K1 w - - 0 1", Term::ThreatByRook, 4, 1, "a queen, defended"},
      {"6k1/8/8/3b4/4P3/8/8/6K1 w - - 0 1", Term::ThreatByPawn, 1, 1, "e4 hits d5"},
      {"6k1/8/4p3/3r4/8/4N3/8/6K1 w - - 0 1", Term::ThreatByMinor, 3, 1, "a rook, defended"},
      {"6k1/8/4p3/3b4/8/4N3/8/6K1 w - - 0 1", Term::ThreatByMinor, 2, 0, "a bishop, defended"},
      {"4k3/8/2p5/8/3N4/8/8/4K3 w - - 0 1", Term::KnightMobility, 7, 1, "c6 holds b5"},
      {"4k3/8/8/8/8/8/8/QQQ1K3 w - - 0 1", Term::Material, 4, 3, "a third queen"},
      {"6k1/8/8/8/8/8/8/2B1KB2 w - - 0 1", Term::BishopPair, 0, 1, "both colours"},
      {"6k1/8/8/8/8/8/8/4KBB1 w - - 0 1", Term::BishopPair, 0, 1, "f1 light, g1 dark"},
      {"6k1/8/8/8/8/8/8/3BKB2 w - - 0 1", Term::BishopPair, 0, 0, "d1 and f1 both light"},
      {"6k1/5ppp/8/8/8/8/5PPP/6K1 w - - 0 1", Term::KingShelter, 1, 0, "equal shelters cancel"},
      {"6k1/5ppp/8/8/8/7P/5PP1/6K1 w - - 0 1", Term::KingShelter, 2, 1, "h3 for White"},
      {"6k1/8/8/8/8/6p1/5P1P/6K1 w - - 0 1", Term::KingStorm, 2, 1, "g3 in White's face"},
      {"6k1/8/8/8/8/8/8/4K2R w - - 0 1", Term::SafeCheck, 2, 1, "Rg1 is safe, h8 the king's"},
      {"6k1/8/8/8/7q/8/5PPP/3r1RK1 w - - 0 1", Term::KingDanger, 13, 1,
       "queen 5 + 4 squares, rook 3 + 1"},
      {"6k1/8/8/8/7q/8/5PPP/5RK1 w - - 0 1", Term::KingDanger, 9, 0, "the queen alone"},
  };
  EvalTrace T;
  for (const Feature &C : Cases) {
    SetFen(C.Fen);
    TraceEval(Game.Here(), Game.St.WhosMove, T);
    EXPECT_EQ(T.Coef[TermOffset(C.T) + C.Index], C.Times) << C.Why << ": " << C.Fen;
  }
}
} // namespace
