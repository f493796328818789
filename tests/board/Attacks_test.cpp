#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestUtil.h"
#include "board/Attacks.h"
#include "board/Board.h"

namespace {

int8_t Sq(const char *Name) { return static_cast<int8_t>((Name[1] - '1') * 8 + (Name[0] - 'a')); }

TEST(Attacked, BySide) {
  const struct {
    const char *Fen;
    int8_t Enemy;
    std::vector<const char *> Yes, No;
  } Cases[] = {
      // The start position.
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
       WMove,
       {"e3", "d3", "h3"},
       {"e5", "e4", "a4"}},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
       BMove,
       {"e6", "f6", "a6"},
       {"e3", "e5"}},
      // Pawns take diagonally forward only, and never across the edge.
      {"4k3/8/8/4p3/8/8/8/4K3 w - - 0 1", BMove, {"d4", "f4"}, {"d6", "f6", "e4", "e6"}},
      {"4k3/8/8/8/P7/8/7P/4K3 w - - 0 1", WMove, {"b5", "g3"}, {"h4", "a4", "h5", "a3", "b4"}},
      {"4k3/p6p/8/8/8/8/8/4K3 w - - 0 1", BMove, {"b6", "g6"}, {"h5", "a7", "a6", "a5", "h6"}},
      // A king reaches its eight neighbours and nothing else, not across the edge.
      {"8/8/8/8/4k3/8/8/K7 w - - 0 1",
       BMove,
       {"d3", "e3", "f3", "d4", "f4", "d5", "e5", "f5"},
       {"e4", "c4", "g4", "e6", "e2", "c2", "g6"}},
      {"8/8/8/8/8/8/8/K6k w - - 0 1", WMove, {"a2", "b1", "b2"}, {"h1", "h2", "a1", "c1"}},
      {"8/8/8/8/7K/8/8/k7 w - - 0 1", WMove, {"g3", "g4", "g5", "h3", "h5"}, {"a4", "a5", "a3"}},
      // Knights: the board edge breaks squares that are 6, 10, 15 or 17 apart.
      {"4k3/8/8/8/8/8/8/4K1N1 w - - 0 1", WMove, {"e2", "f3", "h3"}, {"g3", "a3", "g2"}},
      {"4k3/8/8/8/7N/8/8/4K3 w - - 0 1",
       WMove,
       {"g6", "f5", "f3", "g2"},
       {"b4", "b6", "a3", "a7", "b5"}},
      {"4k3/8/8/8/8/8/8/N3K3 w - - 0 1", WMove, {"b3", "c2"}, {"h2", "g1", "g2"}},
      // Rooks stop at the first piece, which is itself attacked.
      {"4k3/8/8/8/p7/8/8/R3K3 w - - 0 1",
       WMove,
       {"a2", "a3", "a4", "b1", "c1", "d1"},
       {"a5", "b2", "g1", "h1"}},
      {"7k/8/8/8/8/8/8/4K2R w - - 0 1", WMove, {"h7", "h8", "f1", "g1"}, {"a1", "a2", "b2"}},
      // Bishops: the diagonal, clear, and no wrap from one edge to the other.
      {"4k3/8/8/8/8/8/8/B3K3 w - - 0 1", WMove, {"h8", "b2", "d4"}, {"a2", "b1", "h1"}},
      {"4k3/8/8/8/3p4/8/8/B3K3 w - - 0 1", WMove, {"b2", "c3", "d4"}, {"e5", "h8"}},
      {"4k3/8/8/8/8/8/7B/4K3 w - - 0 1", WMove, {"g1", "g3", "b8"}, {"a4", "a3", "h1"}},
      {"4k3/8/8/8/8/8/8/4K2b b - - 0 1", BMove, {"g2", "a8"}, {"a2", "h2", "g1"}},
      // Queens both ways; a piece in between hides the target.
      {"4k3/8/8/8/3Q4/8/8/4K3 w - - 0 1",
       WMove,
       {"d8", "a4", "h8", "a1", "g1", "h4"},
       {"e6", "c2", "b8"}},
      {"4k3/8/8/8/3q4/4P3/8/4K3 b - - 0 1", BMove, {"e3", "d1", "h8"}, {"f2", "g1", "e2"}},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::string(C.Fen) + (C.Enemy == WMove ? " by White" : " by Black"));
    SetFen(C.Fen);
    for (const char *S : C.Yes) EXPECT_TRUE(Attacked(Game.Here(), Sq(S), C.Enemy)) << S;
    for (const char *S : C.No) EXPECT_FALSE(Attacked(Game.Here(), Sq(S), C.Enemy)) << S;
  }
}

TEST(Attacked, QueensBeyondTheListSlots) {
  // h8 and a1 take the two queen slots; the b1 queen is an extra one, and it
  // alone attacks b5, b7 and f5.
  SetFen("4k2Q/8/8/8/8/8/8/QQ2K3 b - - 0 1");
  ASSERT_EQ(Game.St.Data[0].WExtraCount, 1);
  ASSERT_EQ(Game.St.Data[0].WExtra[0], Sq("b1"));
  for (const char *S : {"b5", "b7", "f5"}) EXPECT_TRUE(Attacked(Game.Here(), Sq(S), WMove)) << S;
  EXPECT_FALSE(Attacked(Game.Here(), Sq("c4"), WMove));
  SetFen("qq2k3/8/8/8/8/8/8/4K2q w - - 0 1");
  ASSERT_EQ(Game.St.Data[0].BExtraCount, 1);
  EXPECT_TRUE(Attacked(Game.Here(), Sq("h4"), BMove));
  EXPECT_TRUE(Attacked(Game.Here(), Sq("e1"), BMove));
  EXPECT_TRUE(InCheck(Game.Here(), WMove));
}

TEST(InCheck, KingOfEitherSide) {
  const struct {
    const char *Fen;
    bool White, Black;
  } Cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", false, false},
      {"4k3/8/8/8/8/8/4q3/4K3 w - - 0 1", true, false},
      {"4k3/8/8/8/8/8/8/R3K2r w - - 0 1", true, false},
      {"4k3/8/8/8/8/8/8/R3KN1r w - - 0 1", false, false},
      {"4k3/3P4/8/8/8/8/8/4K3 w - - 0 1", false, true},
      {"4k3/4P3/8/8/8/8/8/4K3 w - - 0 1", false, false},
      {"4k3/8/3N4/8/8/8/8/4K3 w - - 0 1", false, true},
      {"4k3/8/8/8/8/8/8/4K2B w - - 0 1", false, false},
      {"4k3/8/8/8/B7/8/8/4K3 w - - 0 1", false, true},
      // A side without a king is never in check.
      {"8/8/8/8/8/8/4q3/8 w - - 0 1", false, false},
      {"Q7/8/8/8/8/8/8/8 b - - 0 1", false, false},
      {"8/8/8/8/8/8/8/8 w - - 0 1", false, false},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    SetFen(C.Fen);
    EXPECT_EQ(InCheck(Game.Here(), WMove), C.White);
    EXPECT_EQ(InCheck(Game.Here(), BMove), C.Black);
  }
}

} // namespace
