#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>

#include "TestUtil.h"
#include "board/Attacks.h"
#include "board/Board.h"
#include "board/Squares.h"
#include "board/Zorbist.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"
#include "search/SearchState.h"

namespace {

// The generated record for a move text, so that the flags are the generator's.
MoveRec Generated(const std::string &MoveText) {
  const uint16_t N = GenMoveList(Game.St, Str4());
  for (uint16_t I = 1; I <= N; ++I)
    if (MoveText ==
        SquaresToStr(Game.St.MoveList[Game.St.Ply][I].FromSq, Game.St.MoveList[Game.St.Ply][I].ToSq)
            .c_str())
      return Game.St.MoveList[Game.St.Ply][I];
  ADD_FAILURE() << MoveText << " not generated";
  return NoMove;
}

// BoardFen without the blank it leaves when no right is kept.
std::string Placement() {
  std::string S = BoardFen();
  S.erase(S.find_last_not_of(' ') + 1);
  return S;
}

// A move of the game, made in place on Data[0].
void Play(const std::string &MoveText) { MakeMove(Game.St, Generated(MoveText), false); }

// Board, lists and key agree: every piece on the board is listed exactly once
// under its own code, the king in slot 0, extra queens only behind two listed
// ones, and the key is the one computed from scratch.
testing::AssertionResult Consistent() {
  const DataType &D = Game.Here();
  std::multiset<std::pair<int, int>> OnBoard, Listed;
  for (int Sq = 0; Sq < 64; ++Sq)
    if (PieceOn(D, Sq) != Empty) OnBoard.insert({PieceOn(D, Sq), Sq});
  for (int I = 0; I < 8; ++I) {
    if (D.WPawnList[I] != -1) Listed.insert({WPawn, D.WPawnList[I]});
    if (D.BPawnList[I] != -1) Listed.insert({BPawn, D.BPawnList[I]});
  }
  for (int Slot = 0; Slot < 2; ++Slot)
    for (int8_t P = WNight; P <= WKing; ++P) {
      if (D.WPieceList[Slot][PIdx(P)] != -1) Listed.insert({P, D.WPieceList[Slot][PIdx(P)]});
      const int8_t B = static_cast<int8_t>(P + 8);
      if (D.BPieceList[Slot][PIdx(B)] != -1) Listed.insert({B, D.BPieceList[Slot][PIdx(B)]});
    }
  if (D.WExtraCount > MaxExtra || D.BExtraCount > MaxExtra)
    return testing::AssertionFailure() << "extra count out of range";
  for (int I = 0; I < D.WExtraCount; ++I) Listed.insert({PieceOn(D, D.WExtra[I]), D.WExtra[I]});
  for (int I = 0; I < D.BExtraCount; ++I) Listed.insert({PieceOn(D, D.BExtra[I]), D.BExtra[I]});
  if (OnBoard != Listed) return testing::AssertionFailure() << "lists differ from the board";
  if (D.WPieceList[1][PIdx(WKing)] != -1 || D.BPieceList[1][PIdx(BKing)] != -1)
    return testing::AssertionFailure() << "king outside slot 0";
  if ((D.WExtraCount &&
       (D.WPieceList[0][PIdx(WQueen)] == -1 || D.WPieceList[1][PIdx(WQueen)] == -1)) ||
      (D.BExtraCount &&
       (D.BPieceList[0][PIdx(BQueen)] == -1 || D.BPieceList[1][PIdx(BQueen)] == -1)))
    return testing::AssertionFailure() << "extra queen while a slot is free";
  if (D.HashKey != CalcBrdKey(Game.Here())) return testing::AssertionFailure() << "key out of step";
  return testing::AssertionSuccess();
}

TEST(MakeMove, PlaysTheMove) {
  const struct {
    const char *Fen;
    const char *Before; // moves of the game played first
    const char *Move;
    const char *After; // placement, side and castling rights
    int8_t EnPasSq;
    int Nodes; // a castling counts the rook's move too
  } Cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "", "E2E4",
       "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq", 20, 1},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "E2E4", "D7D5",
       "rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq", 43, 1},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "", "E2E3",
       "rnbqkbnr/pppppppp/8/8/8/4P3/PPPP1PPP/RNBQKBNR b KQkq", -1, 1},
      // Castling moves the rook as a move of its own and drops both rights.
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "", "E1G1", "r3k2r/8/8/8/8/8/8/R4RK1 b kq", -1, 2},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "", "E1C1", "r3k2r/8/8/8/8/8/8/2KR3R b kq", -1, 2},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "", "E8G8", "r4rk1/8/8/8/8/8/8/R3K2R w KQ", -1, 2},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "", "E8C8", "2kr3r/8/8/8/8/8/8/R3K2R w KQ", -1, 2},
      // Rights lost by moving the king or a rook, or by losing a rook.
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "", "H1H2", "r3k2r/8/8/8/8/8/7R/R3K3 b Qkq", -1, 1},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "", "A1B1", "r3k2r/8/8/8/8/8/8/1R2K2R b Kkq", -1, 1},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "", "E1F1", "r3k2r/8/8/8/8/8/8/R4K1R b kq", -1, 1},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "", "H8H1", "r3k3/8/8/8/8/8/8/R3K2r w Qq", -1, 1},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "", "A1A8", "R3k2r/8/8/8/8/8/8/4K2R b Kk", -1, 1},
      {"r3k2r/8/8/8/8/8/1B6/4K3 w kq - 0 1", "", "B2H8", "r3k2B/8/8/8/8/8/8/4K3 b q", -1, 1},
      // En passant takes the pawn behind the target square, for either side.
      {"4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1", "D7D5", "E5D6", "4k3/8/3P4/8/8/8/8/4K3 b", -1, 1},
      {"4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1", "E2E4", "D4E3", "4k3/8/8/8/8/4p3/8/4K3 w", -1, 1},
      // Any other move forgets the en-passant square.
      {"4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1", "D7D5", "E1D1", "4k3/8/8/3pP3/8/8/8/3K4 b", -1, 1},
      // Promotion is to a queen, with or without a capture (which may take a right).
      {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "", "B7B8", "1Q2k3/8/8/8/8/8/8/4K3 b", -1, 1},
      {"r3k2r/6P1/8/8/8/8/8/4K3 w kq - 0 1", "", "G7H8", "r3k2Q/8/8/8/8/8/8/4K3 b q", -1, 1},
      {"4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "", "A2A1", "4k3/8/8/8/8/8/8/q3K3 w", -1, 1},
      // A third queen goes to the extra list; nothing listed is overwritten.
      {"4k3/6P1/8/8/8/8/Q7/1Q2K3 w - - 0 1", "", "G7G8", "4k1Q1/8/8/8/8/8/Q7/1Q2K3 b", -1, 1},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::string(C.Fen) + " after " + C.Before + ": " + C.Move);
    SetFen(C.Fen);
    for (const char *P = C.Before; *P; P += 4) Play(std::string(P, 4));
    const int8_t Side = Game.St.WhosMove;
    const uint64_t N0 = Game.St.Nodes, Q0 = Game.St.QNodes;
    Play(C.Move);
    EXPECT_EQ(Placement(), C.After);
    EXPECT_EQ(Game.St.Data[0].EnPasSq, C.EnPasSq);
    EXPECT_EQ(Game.St.Nodes - N0, static_cast<uint64_t>(C.Nodes));
    EXPECT_EQ(Game.St.QNodes, Q0);
    EXPECT_EQ(Game.St.WhosMove, -Side);
    EXPECT_TRUE(Consistent());
  }
}

TEST(MakeMove, ThirdQueenKeepsTheListedOnes) {
  SetFen("4k3/6P1/8/8/8/8/Q7/1Q2K3 w - - 0 1");
  const int8_t Slot0 = Game.St.Data[0].WPieceList[0][PIdx(WQueen)];
  const int8_t Slot1 = Game.St.Data[0].WPieceList[1][PIdx(WQueen)];
  Play("G7G8");
  EXPECT_EQ(Game.St.Data[0].WPieceList[0][PIdx(WQueen)], Slot0);
  EXPECT_EQ(Game.St.Data[0].WPieceList[1][PIdx(WQueen)], Slot1);
  ASSERT_EQ(Game.St.Data[0].WExtraCount, 1);
  EXPECT_EQ(Game.St.Data[0].WExtra[0], 62);
  // The new queen is seen at once: it gives check along the eighth rank.
  EXPECT_TRUE(InCheck(Game.Here(), BMove));
}

TEST(MakeMove, CountsQuiescenceNodesApart) {
  SetFen("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1");
  const uint64_t N0 = Game.St.Nodes, Q0 = Game.St.QNodes;
  MakeMove(Game.St, Generated("E4D5"), true);
  EXPECT_EQ(Game.St.QNodes - Q0, 1u);
  EXPECT_EQ(Game.St.Nodes, N0);
}

TEST(UnmakeMove, CopyAndDiscardRestoresEverything) {
  for (const char *Fen : {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                          "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1",
                          "4k3/6P1/8/8/8/8/Q7/1Q2K3 w - - 0 1"}) {
    SCOPED_TRACE(Fen);
    SetFen(Fen);
    DataType Saved;
    std::memcpy(static_cast<void *>(&Saved), &Game.St.Data[0], sizeof Saved);
    const uint16_t N = GenMoveList(Game.St, Str4());
    for (uint16_t I = 0; I < N; ++I) {
      const MoveRec M = GetAMove(Game.St, N);
      const int8_t Side = Game.St.WhosMove;
      ++Game.St.Ply;
      Game.Here() = Game.St.Data[Game.St.Ply - 1];
      MakeMove(Game.St, M, false);
      EXPECT_TRUE(Consistent()) << SquaresToStr(M.FromSq, M.ToSq).c_str();
      UnmakeMove(Game.St);
      EXPECT_EQ(Game.St.Ply, 0);
      EXPECT_EQ(Game.St.WhosMove, Side);
      EXPECT_EQ(std::memcmp(&Saved, &Game.St.Data[0], sizeof Saved), 0);
    }
  }
}

// Walks the legal tree and checks board, lists and key at every node.
void Walk(int Depth, int &ExtraSeen) {
  ASSERT_TRUE(Consistent()) << Placement();
  ExtraSeen += Game.Here().WExtraCount + Game.Here().BExtraCount > 0;
  if (Depth == 0) return;
  const uint16_t N = GenMoveList(Game.St, Str4());
  for (uint16_t I = 0; I < N; ++I) {
    const MoveRec M = GetAMove(Game.St, N);
    ++Game.St.Ply;
    Game.Here() = Game.St.Data[Game.St.Ply - 1];
    MakeMove(Game.St, M, false);
    if (!InCheck(Game.Here(), static_cast<int8_t>(-Game.St.WhosMove))) Walk(Depth - 1, ExtraSeen);
    UnmakeMove(Game.St);
    if (testing::Test::HasFatalFailure()) return;
  }
}

TEST(MakeMove, ThirdQueenInsideATreeKeepsEverythingInStep) {
  for (const char *Fen :
       {"4k3/6P1/8/8/8/8/Q7/1Q2K3 w - - 0 1", "4k3/3q4/8/8/8/8/2p4p/R3K1R1 b Q - 0 1"}) {
    SCOPED_TRACE(Fen);
    SetFen(Fen);
    int ExtraSeen = 0;
    Walk(3, ExtraSeen);
    EXPECT_GT(ExtraSeen, 0) << "the tree must reach a third queen";
  }
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
    const DataType Before = Game.St.Data[0];
    const int8_t Side = Game.St.WhosMove;
    EXPECT_EQ(IsLegalMove(Game.St, C.Move), C.Legal) << C.Fen << " " << C.Move;
    EXPECT_EQ(std::memcmp(&Before, &Game.St.Data[0], sizeof Before), 0)
        << "the test changes nothing";
    EXPECT_EQ(Game.St.WhosMove, Side);
    EXPECT_EQ(Game.St.Ply, 0);
  }
}

} // namespace
