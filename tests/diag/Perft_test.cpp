#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "board/Squares.h"
#include "diag/Perft.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"
#include "search/SearchState.h"

namespace {

#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
constexpr bool SlowBuild = true;
#else
constexpr bool SlowBuild = false;
#endif
// Rows with more leaves than this run only in the deep test below; the
// sanitizer build keeps to the shallow ones.
constexpr uint64_t UnitLimit = SlowBuild ? 250000 : 5000000;

struct Row {
  std::string Fen;
  uint8_t Depth;
  uint64_t Nodes;
};

std::vector<Row> ReadCases(const char *Name) {
  std::ifstream In(std::string(TORVANE_TEST_DATA) + "/" + Name);
  EXPECT_TRUE(In.good()) << Name;
  std::vector<Row> Rows;
  std::string Line;
  std::getline(In, Line); // the header
  while (std::getline(In, Line)) {
    if (Line.empty()) continue;
    std::istringstream F(Line);
    Row R;
    std::string Depth, Nodes;
    std::getline(F, R.Fen, '\t');
    std::getline(F, Depth, '\t');
    std::getline(F, Nodes, '\t');
    R.Depth = static_cast<uint8_t>(std::stoi(Depth));
    R.Nodes = std::stoull(Nodes);
    Rows.push_back(R);
  }
  EXPECT_FALSE(Rows.empty()) << Name;
  return Rows;
}

// Perft(St, Depth, X) with its console listing.
std::string Listing(uint8_t Depth, uint8_t X, uint64_t &Total) {
  testing::internal::CaptureStdout();
  Total = Perft(Game.St, Depth, X);
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

// Plays moves of the game on Data[0] (for an en-passant square).
void Play(const std::string &MoveText) {
  const uint16_t N = GenMoveList(Game.St, Str4());
  for (uint16_t I = 1; I <= N; ++I) {
    const MoveRec &M = Game.St.MoveList[0][I];
    if (MoveText == SquaresToStr(M.FromSq, M.ToSq).c_str()) return MakeMove(Game.St, M, false);
  }
  ADD_FAILURE() << MoveText << " not generated";
}

TEST(Perft, ReferenceCounts) {
  for (const char *File :
       {"perft_cases.tsv", "perft_cases_third_queen.tsv", "perft_cases_third_piece.tsv"})
    for (const Row &R : ReadCases(File)) {
      if (R.Nodes > UnitLimit) continue;
      SCOPED_TRACE(R.Fen + " depth " + std::to_string(R.Depth));
      SetFen(R.Fen.c_str());
      EXPECT_EQ(Perft(Game.St, R.Depth, 0), R.Nodes);
      EXPECT_EQ(Game.St.Ply, 0);
    }
}

TEST(Perft, DeepReferenceCounts) {
  if (SlowBuild) GTEST_SKIP() << "deep counts run in the optimised build only";
  int Run = 0;
  for (const char *File :
       {"perft_cases.tsv", "perft_cases_third_queen.tsv", "perft_cases_third_piece.tsv"})
    for (const Row &R : ReadCases(File)) {
      if (R.Nodes <= UnitLimit) continue;
      SCOPED_TRACE(R.Fen + " depth " + std::to_string(R.Depth));
      SetFen(R.Fen.c_str());
      EXPECT_EQ(Perft(Game.St, R.Depth, 0), R.Nodes);
      ++Run;
    }
  EXPECT_GT(Run, 0) << "the start position to depth 6 belongs here";
}

TEST(Perft, Listing) {
  const struct {
    const char *Fen;
    const char *Before;
    uint8_t Depth;
    const char *Expected;
  } Cases[] = {
      // Best first by ordering score; equal scores in generation order.
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "", 1,
       " 1 D2D4         1    \n"
       " 2 E2E4         1     3 B1C3         1    \n"
       " 4 G1F3         1     5 A2A3         1    \n"
       " 6 H2H3         1     7 A2A4         1    \n"
       " 8 B2B4         1     9 C2C4         1    \n"
       "10 D2D3         1    11 E2E3         1    \n"
       "12 F2F4         1    13 G2G4         1    \n"
       "14 H2H4         1    15 B2B3         1    \n"
       "16 G2G3         1    17 C2C3         1    \n"
       "18 F2F3         1    19 B1A3         1    \n"
       "20 G1H3         1    "},
      // A capture is marked with x.
      {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "", 1,
       " 1 E4xD5         1    \n"
       " 2 E4E5         1     3 E1F1         1    \n"
       " 4 E1E2         1     5 E1F2         1    \n"
       " 6 E1D1         1     7 E1D2         1    \n"},
      // Subtree counts, listed at the top level only.
      {"7k/8/8/8/8/8/8/K7 w - - 0 1", "", 2,
       " 1 A1B1         3    \n"
       " 2 A1A2         3     3 A1B2         3    \n"},
      // The pinned knight's moves come first by score but are illegal: they
      // are neither listed nor numbered.
      {"4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1", "", 1,
       " 1 E1F1         1    \n"
       " 2 E1F2         1     3 E1D1         1    \n"
       " 4 E1D2         1    "},
      // Mate and stalemate: nothing to list.
      {"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 0 1", "", 1, ""},
      {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "", 1, ""},
      {"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 0 1", "", 3, ""},
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "", 0, ""},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    SetFen(C.Fen);
    // The order is that of a fresh program: no history from earlier searches.
    ClearHistory(Game.St);
    for (const char *P = C.Before; *P; P += 4) Play(std::string(P, 4));
    uint64_t Total = 0;
    EXPECT_EQ(Listing(C.Depth, C.Depth, Total), C.Expected);
    // The listed counts add up to the total (1 for depth 0).
    uint64_t Sum = 0;
    std::istringstream Items(C.Expected);
    std::string Number, Move;
    uint64_t Count;
    while (Items >> Number >> Move >> Count) Sum += Count;
    EXPECT_EQ(Total, C.Depth == 0 ? 1 : Sum);
  }
}

TEST(Perft, EnPassantThatOpensTheRankIsIllegal) {
  const struct {
    const char *Fen;
    bool EnPassantListed;
  } Cases[] = {
      // Taking d5 en passant would leave the a5 king open to the h5 rook.
      {"8/3p4/8/K3P2r/8/8/8/7k b - - 0 1", false},
      {"8/3p4/8/K3P3/8/8/8/7k b - - 0 1", true},
      {"8/3p4/8/K3P3/8/8/8/7r b - - 0 1", true},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    SetFen(C.Fen);
    Play("D7D5");
    uint64_t Total = 0;
    const std::string Out = Listing(1, 1, Total);
    EXPECT_EQ(Out.find("E5xD6") != std::string::npos, C.EnPassantListed) << Out;
    EXPECT_NE(Out.find("E5E6"), std::string::npos) << Out;
  }
}

TEST(Perft, PositionsWithoutAKing) {
  const struct {
    const char *Fen;
    uint64_t Depth1; // counted by hand
  } Cases[] = {
      {"8/8/8/8/8/8/8/R6r w - - 0 1", 14},
      // White may take the black king at once: the tree goes on without it.
      {"4k3/8/8/8/8/8/4R3/4K3 w - - 0 1", 17},
      {"8/8/8/8/3k4/8/8/7R b - - 0 1", 8},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    SetFen(C.Fen);
    EXPECT_EQ(Perft(Game.St, 1, 0), C.Depth1);
    uint64_t Total = 0;
    const std::string Out = Listing(3, 3, Total);
    uint64_t Sum = 0;
    std::istringstream Items(Out);
    std::string Number, Move;
    uint64_t Count;
    while (Items >> Number >> Move >> Count) Sum += Count;
    EXPECT_EQ(Total, Sum);
    EXPECT_GT(Total, C.Depth1);
    EXPECT_EQ(Game.St.Ply, 0);
  }
}

TEST(Perft, LeavesTheGameStateAsItWas) {
  const struct {
    const char *Fen;
    uint8_t Depth;
  } Cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", 1},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", 1},
      {"4k3/8/8/8/8/8/4r3/R3K2R w KQ - 0 1", 1},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 2},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    SetFen(C.Fen);
    const int8_t Side = Game.St.WhosMove;
    // Every move made is a node, illegal ones included; a castling is two.
    const uint16_t N = GenMoveList(Game.St, Str4());
    uint64_t Made = 0;
    for (uint16_t I = 1; I <= N; ++I) Made += Game.St.MoveList[0][I].Castle ? 2 : 1;
    // From the start: 20 moves, each answered by 20.
    if (C.Depth == 2) Made = 20 + 20 * 20;
    const uint64_t N0 = Game.St.Nodes;
    Perft(Game.St, C.Depth, 0);
    EXPECT_EQ(Game.St.Nodes - N0, Made);
    EXPECT_EQ(Game.St.Ply, 0);
    EXPECT_EQ(Game.St.WhosMove, Side);
  }
}

} // namespace
