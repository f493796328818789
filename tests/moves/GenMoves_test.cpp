#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TestUtil.h"
#include "board/Board.h"
#include "board/Squares.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"

namespace {

using MoveSet = std::set<std::string>;

std::string Text(const MoveRec &M) { return SquaresToStr(M.FromSq, M.ToSq).c_str(); }

// Row Ply in list order.
std::vector<MoveRec> Row(uint16_t N) {
  return std::vector<MoveRec>(&Game.St.MoveList[Game.St.Ply][1],
                              &Game.St.MoveList[Game.St.Ply][1] + N);
}

std::vector<std::string> Texts(const std::vector<MoveRec> &Moves) {
  std::vector<std::string> T;
  for (const MoveRec &M : Moves) T.push_back(Text(M));
  return T;
}

// The generated entry with this text (the test fails if there is none).
MoveRec Find(uint16_t N, const std::string &MoveText) {
  for (const MoveRec &M : Row(N))
    if (Text(M) == MoveText) return M;
  ADD_FAILURE() << MoveText << " not generated";
  return NoMove;
}

bool Has(uint16_t N, const std::string &MoveText) {
  for (const MoveRec &M : Row(N))
    if (Text(M) == MoveText) return true;
  return false;
}

// Plays a move of the game on Data[0], as the game loop does: the generated
// record, so the flags are the generator's.
void Play(const std::string &MoveText) {
  const uint16_t N = GenMoveList(Game.St, Str4());
  MakeMove(Game.St, Find(N, MoveText), false);
}

// ---- an independent reference: every pseudo-legal move found by scanning
// the 64 squares, with its own attack test ----------------------------------
bool Own(int8_t P, bool White) { return White ? (P >= 1 && P <= 6) : P >= 9; }
bool Foe(int8_t P, bool White) { return P != Empty && !Own(P, White); }
bool On(int R, int F) { return R >= 0 && R < 8 && F >= 0 && F < 8; }

const int KnightD[8][2] = {{1, 2}, {2, 1}, {-1, 2}, {-2, 1}, {1, -2}, {2, -1}, {-1, -2}, {-2, -1}};
const int KingD[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

bool RefAttacked(int Sq, bool ByWhite) {
  const int R = Sq / 8, F = Sq % 8;
  for (int S = 0; S < 64; ++S) {
    const int8_t P = PieceOn(Game.Here(), S);
    if (!Own(P, ByWhite)) continue;
    const int DR = R - S / 8, DF = F - S % 8;
    switch (P & 7) {
    case WPawn:
      if (DR == (ByWhite ? 1 : -1) && (DF == 1 || DF == -1)) return true;
      break;
    case WNight:
      if (DR * DR + DF * DF == 5) return true;
      break;
    case WKing:
      if (DR * DR + DF * DF <= 2 && (DR || DF)) return true;
      break;
    default: {
      const bool Diag = DR != 0 && (DR == DF || DR == -DF);
      const bool Line = (DR == 0) != (DF == 0);
      const int T = P & 7;
      if (!((Diag && T != WRook) || (Line && T != WBishop))) break;
      const int SR = (DR > 0) - (DR < 0), SF = (DF > 0) - (DF < 0);
      int CR = S / 8 + SR, CF = S % 8 + SF;
      bool Clear = true;
      for (; CR != R || CF != F; CR += SR, CF += SF)
        if (PieceOn(Game.Here(), CR * 8 + CF) != Empty) Clear = false;
      if (Clear) return true;
    }
    }
  }
  return false;
}

MoveSet ReferenceMoves(bool CapturesOnly) {
  MoveSet Out;
  const bool White = Game.St.WhosMove == WMove;
  const DataType &D = Game.Here();
  auto Add = [&](int From, int To) {
    const int8_t T = PieceOn(D, To);
    const bool Victim = Foe(T, White) && (T & 7) != WKing;
    if (!CapturesOnly || Victim) Out.insert(SquaresToStr(From, To).c_str());
  };
  for (int S = 0; S < 64; ++S) {
    const int8_t P = PieceOn(D, S);
    if (!Own(P, White)) continue;
    const int R = S / 8, F = S % 8;
    const int Type = P & 7;
    if (Type == WPawn) {
      const int Dir = White ? 1 : -1;
      const bool OneFree = On(R + Dir, F) && PieceOn(D, (R + Dir) * 8 + F) == Empty;
      if (OneFree && !CapturesOnly) {
        Add(S, (R + Dir) * 8 + F);
        if (R == (White ? 1 : 6) && PieceOn(D, (R + 2 * Dir) * 8 + F) == Empty)
          Add(S, (R + 2 * Dir) * 8 + F);
      }
      for (int DF : {-1, 1}) {
        if (!On(R + Dir, F + DF)) continue;
        const int To = (R + Dir) * 8 + F + DF;
        const int8_t T = PieceOn(D, To);
        if ((Foe(T, White) && (T & 7) != WKing) || (!CapturesOnly && To == D.EnPasSq)) Add(S, To);
      }
      continue;
    }
    if (Type == WNight || Type == WKing) {
      for (const auto &V : Type == WNight ? KnightD : KingD) {
        if (!On(R + V[0], F + V[1])) continue;
        const int To = (R + V[0]) * 8 + F + V[1];
        const int8_t T = PieceOn(D, To);
        if (Own(T, White) || (Type == WKing && (T & 7) == WKing)) continue;
        Add(S, To);
      }
      continue;
    }
    for (const auto &V : KingD) {
      const bool Diag = V[0] != 0 && V[1] != 0;
      if ((Type == WBishop && !Diag) || (Type == WRook && Diag)) continue;
      for (int CR = R + V[0], CF = F + V[1]; On(CR, CF); CR += V[0], CF += V[1]) {
        const int8_t T = PieceOn(D, CR * 8 + CF);
        if (Own(T, White)) break;
        Add(S, CR * 8 + CF);
        if (T != Empty) break;
      }
    }
  }
  // Castling: right kept, king at home, squares between empty, king's path unattacked.
  if (!CapturesOnly) {
    const int Home = White ? 4 : 60;
    const uint8_t KBit = White ? 1 : 4, QBit = White ? 2 : 8;
    if (PieceOn(D, Home) == (White ? WKing : BKing)) {
      auto Free = [&](int S) { return PieceOn(D, Home + S) == Empty; };
      auto Safe = [&](int S) { return !RefAttacked(Home + S, !White); };
      if ((D.CastleStat & KBit) && Free(1) && Free(2) && Safe(0) && Safe(1) && Safe(2))
        Out.insert(SquaresToStr(Home, Home + 2).c_str());
      if ((D.CastleStat & QBit) && Free(-1) && Free(-2) && Free(-3) && Safe(0) && Safe(-1) &&
          Safe(-2))
        Out.insert(SquaresToStr(Home, Home - 2).c_str());
    }
  }
  return Out;
}

MoveSet AsSet(uint16_t N) {
  MoveSet S;
  for (const MoveRec &M : Row(N)) EXPECT_TRUE(S.insert(Text(M)).second) << "twice: " << Text(M);
  return S;
}

// ---- the whole move set ----------------------------------------------------

// Ten white queens (eight of them beyond the list slots) give far more than
// 100 moves; so does the same for Black.
const char *const ManyQueens = "q3k3/1Q4Q1/3Q4/Q6Q/2Q2Q2/4Q3/1Q3Q2/R3K2R w KQ - 0 1";
const char *const ManyBlackQueens = "r3k2r/1q3q2/4q3/2q2q2/q6q/3q4/1q4q1/Q3K3 b kq - 0 1";

TEST(GenMoveList, GeneratesExactlyThePseudoLegalMoves) {
  const struct {
    const char *Fen;
    const char *Before; // moves played first, to get an en-passant square
  } Cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", ""},
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", ""},
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", "A2A4"},
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", "E1D1"},
      // Pawns on both seventh ranks, next to pieces to take on promotion.
      {"n1n1k2r/1P4P1/8/8/8/8/p1p5/1N2K2R w Kk - 0 1", ""},
      {"n1n1k2r/1P4P1/8/8/8/8/p1p5/1N2K2R b Kk - 0 1", ""},
      // A knight and a rook give check; the king may not step next to the other king.
      {"8/8/8/3k4/1N6/3K4/8/3R4 w - - 0 1", ""},
      {ManyQueens, ""},
      {ManyBlackQueens, ""},
      // Without kings: no king moves, no castling, nothing read out of range.
      {"8/8/8/3q4/8/8/PP6/R3K3 b Q - 0 1", ""},
      {"8/8/8/3q4/8/8/PP6/R7 w - - 0 1", ""},
      // Pawns set up on their last rank have nothing ahead of them.
      {"P3k2P/8/8/8/8/8/8/p3K2p w - - 0 1", ""},
      {"P3k2P/8/8/8/8/8/8/p3K2p b - - 0 1", ""},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::string(C.Fen) + " after " + C.Before);
    SetFen(C.Fen);
    for (const char *P = C.Before; *P; P += 4) Play(std::string(P, 4));
    const uint16_t N = GenMoveList(Game.St, Str4());
    EXPECT_EQ(N, Game.St.MoveListIndex);
    EXPECT_EQ(AsSet(N), ReferenceMoves(false));
    const uint16_t NC = GenCaptureList(Game.St);
    EXPECT_EQ(AsSet(NC), ReferenceMoves(true));
  }
}

TEST(GenMoveList, LongListsStayInTheirRowAndLoseNothing) {
  for (const char *Fen : {ManyQueens, ManyBlackQueens}) {
    SCOPED_TRACE(Fen);
    SetFen(Fen);
    ASSERT_GT(Game.St.Data[0].WExtraCount + Game.St.Data[0].BExtraCount, 0);
    // The next ply's row must come out untouched.
    std::memset(static_cast<void *>(Game.St.MoveList[1]), 0x5A, sizeof Game.St.MoveList[1]);
    const uint16_t N = GenMoveList(Game.St, Str4());
    EXPECT_GT(N, 100);
    for (std::size_t B = 0; B < sizeof Game.St.MoveList[1]; ++B)
      ASSERT_EQ(reinterpret_cast<const unsigned char *>(Game.St.MoveList[1])[B], 0x5A) << B;
    // Every entry comes out once, also those past the hundredth.
    MoveSet Picked;
    for (uint16_t I = 0; I < N; ++I) {
      const MoveRec M = GetAMove(Game.St, N);
      ASSERT_NE(M.ToSq, -1);
      EXPECT_TRUE(Picked.insert(Text(M)).second);
    }
    EXPECT_EQ(Picked, ReferenceMoves(false));
    EXPECT_EQ(GetAMove(Game.St, N).ToSq, -1);
  }
}

// ---- the order of generation ----------------------------------------------

TEST(GenMoveList, FixedOrder) {
  const struct {
    const char *Fen;
    const char *Before;
    std::vector<std::string> Expected;
  } Cases[] = {
      // Pawn list a..h, each pawn single then double step; then the knights.
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
       "",
       {"A2A3", "A2A4", "B2B3", "B2B4", "C2C3", "C2C4", "D2D3", "D2D4", "E2E3", "E2E4",
        "F2F3", "F2F4", "G2G3", "G2G4", "H2H3", "H2H4", "B1A3", "B1C3", "G1F3", "G1H3"}},
      // Black's steps mirror White's; the pawn that moved keeps its list entry.
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
       "E2E4",
       {"A7A6", "A7A5", "B7B6", "B7B5", "C7C6", "C7C5", "D7D6", "D7D5", "E7E6", "E7E5",
        "F7F6", "F7F5", "G7G6", "G7G5", "H7H6", "H7H5", "B8A6", "B8C6", "G8F6", "G8H6"}},
      // Single step, then the diagonals (7 before 9); knights, rooks, bishops,
      // queen (diagonal rays before straight ones), king steps, castling last.
      {"4k3/8/8/8/8/1p1p4/2P5/R1N1KB1Q w - - 0 1",
       "",
       {"C2C3", "C2C4", "C2B3", "C2D3", "C1A2", "C1E2", "C1B3", "C1D3", "A1B1", "A1A2",
        "A1A3", "A1A4", "A1A5", "A1A6", "A1A7", "A1A8", "F1G2", "F1H3", "F1E2", "F1D3",
        "H1G2", "H1F3", "H1E4", "H1D5", "H1C6", "H1B7", "H1A8", "H1G1", "H1H2", "H1H3",
        "H1H4", "H1H5", "H1H6", "H1H7", "H1H8", "E1E2", "E1F2", "E1D1", "E1D2"}},
      // A knight in the corner: two targets, in the order of the offset table.
      {"4k3/8/8/8/8/8/8/N3K3 w - - 0 1",
       "",
       {"A1C2", "A1B3", "E1E2", "E1F2", "E1F1", "E1D1", "E1D2"}},
      // A rook hemmed in by its own pawn takes on b1 and has no other move.
      {"4k3/8/8/8/8/8/P7/Rn2K3 w - - 0 1",
       "",
       {"A2A3", "A2A4", "A1B1", "E1E2", "E1F2", "E1F1", "E1D1", "E1D2"}},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::string(C.Fen) + " after " + C.Before);
    SetFen(C.Fen);
    for (const char *P = C.Before; *P; P += 4) Play(std::string(P, 4));
    EXPECT_EQ(Texts(Row(GenMoveList(Game.St, Str4()))), C.Expected);
  }
}

// ---- single rules ----------------------------------------------------------

TEST(GenMoveList, PawnRules) {
  const struct {
    const char *Fen;
    const char *Before;
    std::vector<std::string> Present, Absent;
  } Cases[] = {
      // Blocked: neither the single nor the double step.
      {"4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1", "", {}, {"E2E3", "E2E4"}},
      // Only the double step blocked.
      {"4k3/8/8/8/4n3/8/4P3/4K3 w - - 0 1", "", {"E2E3"}, {"E2E4"}},
      // No double step off the second rank.
      {"4k3/8/8/8/8/4P3/8/4K3 w - - 0 1", "", {"E3E4"}, {"E3E5"}},
      // A pawn does not take the king, nor its own pieces, nor across the edge.
      {"8/8/n7/8/7P/3k1N2/P3P2n/4K3 w - - 0 1", "", {"A2A3"}, {"E2D3", "E2F3", "A2H2", "H4A6"}},
      // En passant onto the square passed over, and onto no other empty square.
      {"4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1", "D7D5", {"E5D6", "E5E6"}, {"E5F6"}},
      // The en-passant square is gone after any other move.
      {"4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1", "D7D5E1E2E8E7", {"E5E6"}, {"E5D6"}},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::string(C.Fen) + " after " + C.Before);
    SetFen(C.Fen);
    for (const char *P = C.Before; *P; P += 4) Play(std::string(P, 4));
    const uint16_t N = GenMoveList(Game.St, Str4());
    for (const std::string &M : C.Present) EXPECT_TRUE(Has(N, M)) << M;
    for (const std::string &M : C.Absent) EXPECT_FALSE(Has(N, M)) << M;
  }
}

TEST(GenMoveList, KingCapture) {
  // Knights, bishops, rooks and queens take the king; the king and pawns do not.
  const struct {
    const char *Fen;
    std::vector<std::string> Present, Absent;
  } Cases[] = {
      {"8/8/8/2Q5/3k4/2P1K3/8/8 w - - 0 1", {"C5D4"}, {"C3D4", "E3D4"}},
      {"8/8/8/8/3k4/1N6/5B2/3R1K2 w - - 0 1", {"B3D4", "F2D4", "D1D4"}, {}},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    SetFen(C.Fen);
    const uint16_t N = GenMoveList(Game.St, Str4());
    for (const std::string &M : C.Present) EXPECT_TRUE(Find(N, M).Capture) << M;
    for (const std::string &M : C.Absent) EXPECT_FALSE(Has(N, M)) << M;
    EXPECT_EQ(GenCaptureList(Game.St), 0) << "the capture list never takes the king";
  }
}

TEST(GenMoveList, Castling) {
  const struct {
    const char *Fen;
    bool KingSide, QueenSide;
  } Cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", true, true},
      {"r3k2r/8/8/8/8/8/8/R3K2R w Qkq - 0 1", false, true}, // right gone
      {"r3k2r/8/8/8/8/8/8/R3K2R w Kkq - 0 1", true, false},
      {"r3k2r/8/8/8/8/8/8/R3KB1R w KQkq - 0 1", false, true},  // f1 occupied
      {"r3k2r/8/8/8/8/8/8/R3K1NR w KQkq - 0 1", false, true},  // g1 occupied
      {"r3k2r/8/8/8/8/8/8/RN2K2R w KQkq - 0 1", true, false},  // b1 occupied
      {"r3k2r/8/8/8/8/8/8/R2QK2R w KQkq - 0 1", true, false},  // d1 occupied
      {"r3k2r/8/8/8/8/8/8/R1B1K2R w KQkq - 0 1", true, false}, // c1 occupied
      {"4k3/8/8/8/8/8/4r3/R3K2R w KQ - 0 1", false, false},    // in check
      {"4k3/8/8/8/8/8/5r2/R3K2R w KQ - 0 1", false, true},     // f1 attacked
      {"4k3/8/8/8/8/8/6r1/R3K2R w KQ - 0 1", false, true},     // g1 attacked
      {"4k3/8/8/8/8/8/3r4/R3K2R w KQ - 0 1", true, false},     // d1 attacked
      {"4k3/8/8/8/8/8/2r5/R3K2R w KQ - 0 1", true, false},     // c1 attacked
      {"4k3/8/8/8/8/8/1r6/R3K2R w KQ - 0 1", true, true},      // b1 attacked only
      {"4k3/8/8/8/8/8/r7/R3K2R w KQ - 0 1", true, true},       // a1 rook attacked
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", true, true},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQq - 0 1", false, true},
      {"r3kb1r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", false, true},
      {"r3k2r/5R2/8/8/8/8/8/4K3 b kq - 0 1", false, true},  // f8 attacked
      {"r3k2r/2R5/8/8/8/8/8/4K3 b kq - 0 1", true, false},  // c8 attacked
      {"r3k2r/1R6/8/8/8/8/8/4K3 b kq - 0 1", true, true},   // b8 attacked only
      {"r3k2r/4R3/8/8/8/8/8/4K3 b kq - 0 1", false, false}, // in check
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    SetFen(C.Fen);
    const bool White = Game.St.WhosMove == WMove;
    const uint16_t N = GenMoveList(Game.St, Str4());
    const std::string KS = White ? "E1G1" : "E8G8", QS = White ? "E1C1" : "E8C8";
    EXPECT_EQ(Has(N, KS), C.KingSide);
    EXPECT_EQ(Has(N, QS), C.QueenSide);
    // Castling comes last and carries its fixed score.
    const std::vector<MoveRec> Moves = Row(N);
    for (std::size_t I = 0; I < Moves.size(); ++I) {
      const bool IsCastle = Text(Moves[I]) == KS || Text(Moves[I]) == QS;
      EXPECT_EQ(Moves[I].Castle, IsCastle) << Text(Moves[I]);
      if (IsCastle) {
        EXPECT_EQ(Moves[I].MoveValue, 150);
        EXPECT_GE(I + 2, Moves.size()) << "castling after every other move";
      }
    }
  }
}

TEST(GenMoveList, CastlingTrustsTheRightsNotTheRook) {
  // The rights are the only record of the rooks: a right kept without its
  // rook still lets the king go.
  SetFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
  Game.St.Data[0].CastleStat = 3;
  const uint16_t N = GenMoveList(Game.St, Str4());
  EXPECT_TRUE(Has(N, "E1G1"));
  EXPECT_TRUE(Has(N, "E1C1"));
}

// ---- ordering scores -------------------------------------------------------

TEST(GenMoveList, OrderingScores) {
  const struct {
    const char *Fen;
    const char *Before;
    const char *TTMove;
    const char *Move;
    int16_t Value;
    bool Capture, Promotion;
    bool EndGameFlag = false;
  } Cases[] = {
      // Quiet moves: the destination's table entry, seen from the mover's side.
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "", "", "E2E4", 20, false,
       false},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "", "", "G1F3", 10, false,
       false},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", "", "", "B8C6", 10, false,
       false}, // 42 reads the knight table at 42 xor 56 = 18
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", "", "", "A7A6", 5, false, false},
      // Queens use the bishop's table on diagonals and the rook's on lines.
      {"4k3/8/8/8/8/8/8/3QK3 w - - 0 1", "", "", "D1B3", 10, false, false},
      {"4k3/8/8/8/8/8/8/3QK3 w - - 0 1", "", "", "D1D3", 0, false, false},
      // The king's table follows the endgame flag.
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "", "", "E1F1", 10, false, false, false},
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "", "", "E1F1", -10, false, false, true},
      // Captures: victim's value less the attacker's type.
      {"4k3/8/8/4r3/8/5N2/8/4K3 w - - 0 1", "", "", "F3E5", 20 + 500 - 2, true, false},
      {"4k3/8/8/3q4/4P3/8/8/4K3 w - - 0 1", "", "", "E4D5", 25 + 900 - 1, true, false},
      {"4k3/8/8/3q4/8/8/8/3QK3 w - - 0 1", "", "", "D1D5", 0 + 900 - 5, true, false},
      // The table move: 1001 for a quiet move, plus the capture term for a capture.
      {"4k3/8/8/8/8/8/8/4K1N1 w - - 0 1", "", "G1F3", "G1F3", 1001, false, false},
      {"4k3/8/8/4r3/8/5N2/8/4K3 w - - 0 1", "", "F3E5", "F3E5", 1001 + 500 - 2, true, false},
      {"4k3/8/8/8/8/8/8/4K1N1 w - - 0 1", "", "g1f3", "G1F3", 10, false, false},
      {"4k3/8/8/8/8/8/8/4K1N1 w - - 0 1", "", "A1A1", "G1F3", 10, false, false},
      // Promotions: 1000, capture or not, table move or not.
      {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "", "", "B7B8", 1000, false, true},
      {"r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "", "", "B7A8", 1000, true, true},
      {"r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "", "B7A8", "B7A8", 1000, true, true},
      {"4k3/8/8/8/8/8/6p1/4K3 b - - 0 1", "", "", "G2G1", 1000, false, true},
      // En passant: the pawn's table entry plus 99; a knight going there gets nothing extra.
      {"4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1", "D7D5", "", "E5D6", 30 + 99, true, false},
      {"4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1", "D7D5", "E5D6", "E5D6", 1001 + 99, true, false},
      {"4k3/3p4/8/4P3/8/2N5/8/4K3 b - - 0 1", "D7D5", "", "C3D5", 20 + 100 - 2, true, false},
      {"4k3/3p4/8/4P3/4N3/8/8/4K3 b - - 0 1", "D7D5", "", "E4D6", 15, false, false},
      // Castling: 150, or 1001 as the table move.
      {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "", "", "E1G1", 150, false, false},
      {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "", "E1G1", "E1G1", 1001, false, false},
      // Taking the king: a knight puts the king's value on it.
      {"8/8/8/3k4/1N6/8/8/4K3 w - - 0 1", "", "", "B4D5", 20 + 10000 - 2, true, false},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::string(C.Fen) + " after " + C.Before + " table move " + C.TTMove + ": " +
                 C.Move);
    SetFen(C.Fen);
    ClearHistory(Game.St);
    for (const char *P = C.Before; *P; P += 4) Play(std::string(P, 4));
    Game.St.EndGame = C.EndGameFlag;
    const uint16_t N = GenMoveList(Game.St, Str4(C.TTMove));
    const MoveRec M = Find(N, C.Move);
    EXPECT_EQ(M.MoveValue, C.Value);
    EXPECT_EQ(M.Capture, C.Capture);
    EXPECT_EQ(M.Promotion, C.Promotion);
    Game.St.EndGame = false;
  }
}

TEST(GenMoveList, HistoryTerm) {
  // The counter of the moving piece's code at the real (unmirrored) square.
  const struct {
    const char *Fen;
    const char *Move;
    int8_t Code;
    int8_t Sq;
    int16_t Table;
  } Cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "E2E4", WPawn, 28, 20},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", "E7E5", BPawn, 36, 20},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", "G8F6", BNight, 45, 10},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Move);
    SetFen(C.Fen);
    ClearHistory(Game.St);
    Game.St.HistTab[C.Code][C.Sq] = 37;
    // Decoys: the mirrored square and the other colour's code.
    Game.St.HistTab[C.Code][C.Sq ^ 56] = 500;
    Game.St.HistTab[C.Code ^ 8][C.Sq] = 700;
    const uint16_t N = GenMoveList(Game.St, Str4());
    EXPECT_EQ(Find(N, C.Move).MoveValue, C.Table + 37);
    ClearHistory(Game.St);
  }
}

// ---- GetAMove --------------------------------------------------------------

// The order GetAMove must give a row: by score, best first, ties in list order.
std::vector<MoveRec> ByScore(std::vector<MoveRec> Moves) {
  std::stable_sort(Moves.begin(), Moves.end(),
                   [](const MoveRec &A, const MoveRec &B) { return A.MoveValue > B.MoveValue; });
  return Moves;
}

TEST(GetAMove, BestFirstWithTiesInListOrder) {
  // Rows of 3, 8 (one whole block of scores), 9, 20 and 48 entries.
  const char *Fens[] = {
      "4k3/8/8/8/8/8/8/7K w - - 0 1",
      "4k3/8/8/8/3K4/8/8/8 w - - 0 1",
      "4k3/8/8/8/3K4/P7/8/8 w - - 0 1",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
  };
  bool SawTie = false;
  for (const char *Fen : Fens) {
    SCOPED_TRACE(Fen);
    SetFen(Fen);
    ClearHistory(Game.St);
    const uint16_t N = GenMoveList(Game.St, Str4());
    const std::vector<MoveRec> Want = ByScore(Row(N));
    for (std::size_t I = 1; I < Want.size(); ++I)
      SawTie = SawTie || Want[I].MoveValue == Want[I - 1].MoveValue;
    for (const MoveRec &W : Want) {
      const MoveRec M = GetAMove(Game.St, N);
      EXPECT_EQ(Text(M), Text(W));
      EXPECT_EQ(M.MoveValue, W.MoveValue) << "the score it had before the pick";
    }
    for (uint16_t I = 1; I <= N; ++I) EXPECT_EQ(Game.St.MoveList[0][I].MoveValue, Sentinal);
    const MoveRec None = GetAMove(Game.St, N);
    EXPECT_EQ(None.FromSq, -1);
    EXPECT_EQ(None.ToSq, -1);
    EXPECT_EQ(None.MoveValue, -999);
  }
  EXPECT_TRUE(SawTie) << "the rows must hold equal scores";
}

TEST(GetAMove, AScoreJustAboveTheSentinelIsAMove) {
  SetFen("4k3/8/8/8/8/8/8/7K w - - 0 1");
  ClearHistory(Game.St);
  uint16_t N = GenMoveList(Game.St, Str4());
  // The history term brings each score down to Sentinal + 1 (the counters wrap).
  for (const MoveRec &M : Row(N))
    Game.St.HistTab[WKing][M.ToSq] = static_cast<uint16_t>(Sentinal + 1 - M.MoveValue);
  N = GenMoveList(Game.St, Str4());
  const std::vector<MoveRec> Listed = Row(N);
  for (const MoveRec &W : Listed) {
    ASSERT_EQ(W.MoveValue, Sentinal + 1);
    EXPECT_EQ(Text(GetAMove(Game.St, N)), Text(W));
  }
  EXPECT_EQ(GetAMove(Game.St, N).ToSq, -1);
  ClearHistory(Game.St);
}

TEST(GetAMove, LooksOnlyAtTheCountedEntries) {
  SetFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  ClearHistory(Game.St);
  uint16_t N = GenMoveList(Game.St, Str4());
  // The last entry as the table move scores above all the others.
  const std::string Last = Text(Game.St.MoveList[0][N]);
  N = GenMoveList(Game.St, Str4(Last.c_str()));
  ASSERT_EQ(Text(Game.St.MoveList[0][N]), Last);
  ASSERT_EQ(Game.St.MoveList[0][N].MoveValue, 1001);
  const std::vector<MoveRec> Want = ByScore(Row(static_cast<uint16_t>(N - 1)));
  const MoveRec M = GetAMove(Game.St, static_cast<uint16_t>(N - 1));
  EXPECT_EQ(Text(M), Text(Want[0]));
  EXPECT_EQ(Game.St.MoveList[0][N].MoveValue, 1001) << "the uncounted entry is left alone";
  // An empty count finds nothing and marks entry 1.
  ASSERT_NE(Game.St.MoveList[0][1].MoveValue, Sentinal);
  const MoveRec None = GetAMove(Game.St, 0);
  EXPECT_EQ(None.ToSq, -1);
  EXPECT_EQ(None.MoveValue, -999);
  EXPECT_EQ(Game.St.MoveList[0][1].MoveValue, Sentinal);
}

// ---- history ---------------------------------------------------------------

TEST(AddToHistory, RaisesAndHalves) {
  const struct {
    uint16_t Start; // counter of the white knight on f3 before
    int8_t Depth;
    uint16_t After; // that counter after
    uint16_t Other; // another counter (black queen on a1), 7 before
  } Cases[] = {
      {0, 3, 9, 7},   // 9: no halving
      {90, 3, 99, 7}, // exactly 99 stays
      {95, 3, 52, 3}, // 104 halves the whole table
      {0, 10, 50, 3}, // 100 > 99
  };
  for (const auto &C : Cases) {
    SetFen("4k3/8/8/8/8/8/8/4K1N1 w - - 0 1");
    ClearHistory(Game.St);
    Game.St.HistTab[WNight][21] = C.Start;
    Game.St.HistTab[BQueen][0] = 7;
    Game.St.HistTab[7][5] = 40; // no piece has code 7: never halved
    const uint16_t N = GenMoveList(Game.St, Str4());
    // The caller has unmade the move: the knight is still on g1.
    AddToHistory(Game.St, Find(N, "G1F3"), C.Depth);
    EXPECT_EQ(Game.St.HistTab[WNight][21], C.After);
    EXPECT_EQ(Game.St.HistTab[BQueen][0], C.Other);
    EXPECT_EQ(Game.St.HistTab[7][5], 40);
    ClearHistory(Game.St);
    EXPECT_EQ(Game.St.HistTab[WNight][21], 0);
    EXPECT_EQ(Game.St.HistTab[BQueen][0], 0);
  }
}

// ---- capture generation ----------------------------------------------------

TEST(GenCaptureList, Rules) {
  const struct {
    const char *Fen;
    const char *Before;
    std::vector<std::string> Expected; // in list order
  } Cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "", {}},
      // Edge pawns look at one diagonal only, never across the edge.
      {"4k3/8/8/8/n7/1b6/P6r/4K3 w - - 0 1", "", {"A2B3"}},
      {"4k3/8/8/8/n7/6b1/7P/4K3 w - - 0 1", "", {"H2G3"}},
      // The king ends a ray: no capture of it, nothing behind it.
      {"8/8/8/8/R2k1n2/8/8/4K3 w - - 0 1", "", {}},
      // Captures onto the last rank promote; the push does not appear.
      {"r1n1k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "", {"B7A8", "B7C8"}},
      // No en passant here.
      {"4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1", "D7D5", {}},
      // Order: pawns, then per slot knight, bishop, rook, queen (king after
      // slot 0); a queen and a rook on the same victim give two entries.
      {"4k3/8/5p2/3p3n/p3Npp1/1P6/5p2/R1BQK2R w - - 0 1",
       "",
       {"B3A4", "E4F6", "E4F2", "C1F4", "A1A4", "D1G4", "D1D5", "E1F2", "H1H5"}},
      {"4k3/8/8/8/r7/8/8/R2QK3 w - - 0 1", "", {"A1A4", "D1A4"}},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::string(C.Fen) + " after " + C.Before);
    SetFen(C.Fen);
    for (const char *P = C.Before; *P; P += 4) Play(std::string(P, 4));
    const uint16_t N = GenCaptureList(Game.St);
    EXPECT_EQ(Texts(Row(N)), C.Expected);
    for (const MoveRec &M : Row(N)) EXPECT_TRUE(M.Capture) << Text(M);
  }
}

TEST(GenCaptureList, Scores) {
  const struct {
    const char *Fen;
    const char *TTMove; // text left in HashMove by a full generation before
    const char *Move;
    int16_t Value;
  } Cases[] = {
      // Queens score with the queen's own table here (d3: queen 5, rook 0).
      {"4k3/8/8/8/8/3n4/8/3QK3 w - - 0 1", "", "D1D3", 5 + 320 - 5},
      {"4k3/8/8/8/8/8/5n2/4QK2 w - - 0 1", "", "E1F2", 5 + 320 - 5},
      {"4k3/8/8/8/8/8/8/q2QK3 w - - 0 1", "", "D1A1", -20 + 900 - 5},
      {"4k3/8/8/8/8/3n4/8/3QK3 w - - 0 1", "D1D3", "D1D3", 1001 + 320 - 5},
      {"4k3/1P6/8/8/8/8/6b1/5K2 b - - 0 1", "", "G2B7", 5 + 100 - 3},
      {"r1n1k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "", "B7C8", 1000},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::string(C.Fen) + ": " + C.Move);
    SetFen(C.Fen);
    ClearHistory(Game.St);
    GenMoveList(Game.St, Str4(C.TTMove));
    const uint16_t N = GenCaptureList(Game.St);
    EXPECT_EQ(Find(N, C.Move).MoveValue, C.Value);
  }
}

} // namespace
