#include <gtest/gtest.h>

#include "TestUtil.h"
#include "board/Squares.h"
#include "eval/LookUpTables.h"

namespace {

int8_t Sq(const char *Name) { return static_cast<int8_t>((Name[1] - '1') * 8 + (Name[0] - 'a')); }

// Cells read back from the tables as printed: rank 8 at the top, a1 = 0, and
// the cells that break the left-right symmetry taken as they stand.
TEST(PieceSquareTables, Cells) {
  const struct {
    const char *Table;
    const char *Square;
    bool Black; // a black piece reads the entry of the mirrored square
    int Expected;
  } Cases[] = {
      {"pawn", "e2", false, -20},   {"pawn", "e7", true, -20},     {"pawn", "e4", false, 20},
      {"pawn", "e7", false, 50},    {"pawn", "a8", false, 99},     {"pawn", "c3", false, -10},
      {"pawn", "h6", false, 10},    {"pawn", "d5", true, 20},      {"pawn", "a1", false, 0},
      {"knight", "a1", false, -50}, {"knight", "b8", true, -40},   {"knight", "d5", false, 20},
      {"knight", "b3", false, 5},   {"knight", "b6", false, 0},    {"knight", "c6", true, 10},
      {"bishop", "b3", false, 10},  {"bishop", "b6", false, 0},    {"bishop", "b2", false, 5},
      {"bishop", "c8", true, -10},  {"bishop", "a1", false, -20},  {"rook", "h2", false, 0},
      {"rook", "a2", false, -5},    {"rook", "h3", false, -5},     {"rook", "h4", false, 0},
      {"rook", "h5", false, -5},    {"rook", "b7", false, 10},     {"rook", "a7", false, 5},
      {"rook", "h7", true, 0},      {"rook", "e1", false, 0},      {"queen", "d1", false, -5},
      {"queen", "b3", false, 5},    {"queen", "b6", false, 0},     {"queen", "c2", false, 5},
      {"queen", "d2", false, 0},    {"queen", "a5", false, -5},    {"queen", "a4", false, 0},
      {"queen", "d8", true, -5},    {"king_mg", "g1", false, 30},  {"king_mg", "g8", true, 30},
      {"king_mg", "a2", false, 20}, {"king_mg", "e4", false, -40}, {"king_mg", "e5", false, -50},
      {"king_mg", "c1", false, 10}, {"king_eg", "g1", false, -10}, {"king_eg", "d4", false, 15},
      {"king_eg", "e4", false, 15}, {"king_eg", "e5", false, 15},  {"king_eg", "d5", false, 10},
      {"king_eg", "e4", true, 15},  {"king_eg", "d4", true, 10},   {"king_eg", "b6", false, -2},
      {"king_eg", "c6", false, 7},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::string(C.Table) + " " + C.Square + (C.Black ? " (black)" : ""));
    const int8_t S = C.Black ? Flip(Sq(C.Square)) : Sq(C.Square);
    const std::string T = C.Table;
    int V = 0;
    if (T == "pawn") V = PST_Pawn[S];
    if (T == "knight") V = PST_Knight[S];
    if (T == "bishop") V = PST_Bishop[S];
    if (T == "rook") V = PST_Rook[S];
    if (T == "queen") V = PST_Queen[S];
    if (T == "king_mg") V = PST_King_MG[S];
    if (T == "king_eg") V = PST_King_EG[S];
    EXPECT_EQ(V, C.Expected);
  }
}

TEST(PieceSquareTables, LookupByCode) {
  const struct {
    int8_t Code;
    const char *Square;
    bool EndGameFlag;
    int Expected;
  } Cases[] = {
      {WPawn, "e4", false, 20},   {BPawn, "e4", false, 20},   {WNight, "a1", false, -50},
      {BNight, "b1", false, -40}, {WBishop, "b3", false, 10}, {BRook, "b7", false, 10},
      {WQueen, "c2", false, 5},   {WKing, "g1", false, 30},   {BKing, "g1", false, 30},
      {WKing, "g1", true, -10},   {BKing, "e4", true, 15},    {WQueen, "c2", true, 5},
      {Empty, "e4", false, 0},    {7, "e4", false, 0},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::to_string(C.Code) + " " + C.Square);
    EXPECT_EQ(PST(C.Code, Sq(C.Square), C.EndGameFlag), C.Expected);
  }
  EXPECT_EQ(PST(WKing, -1, false), 0);
  EXPECT_EQ(PST(WKing, -1, true), 0);
  EXPECT_EQ(PST(BPawn, -1, false), 0);
}

} // namespace
