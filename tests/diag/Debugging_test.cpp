#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "TestUtil.h"
#include "diag/Debugging.h"
#include "moves/GenMoves.h"

namespace {

const std::string Hyphens = "-----------------------------------\n";

bool Exists(const char *Name) {
  struct stat St;
  return stat(Name, &St) == 0 && S_ISREG(St.st_mode);
}

// Row 0 as the generator fills it, so that GetAMove sees its scores: E4E5
// (the pawn table's 25 on e5), E4xD5 (25 on d5, plus the pawn taken, 100, less
// 1 for the taker), then the king's moves, E1E2 first (0 in its table).
void FillRowZero() {
  SetFen("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1");
  ClearHistory(Game.St);
  Game.St.EndGame = false;
  GenMoveList(Game.St, Str4());
}

TEST(Debugging, MoveListFile) {
  const MoveRec Promotion = {55, 63, 900, false, false, true}; // H7H8
  const struct {
    const char *Name;
    uint8_t AtPly;
    uint8_t Index;
    bool TakeBest; // let GetAMove take the best entry first
    std::string Expected;
  } Cases[] = {
      {"no entries", 0, 0, false, "Ply=0\n" + Hyphens},
      {"three entries", 0, 3, false, "Ply=0\n1 E4E5  25\n2 E4xD5  124\n3 E1E2  0\n" + Hyphens},
      {"a taken entry", 0, 3, true, "Ply=0\n1 E4E5  25\n2 E4xD5  -32000\n3 E1E2  0\n" + Hyphens},
      {"fewer than filled", 0, 2, false, "Ply=0\n1 E4E5  25\n2 E4xD5  124\n" + Hyphens},
      {"the row of the current ply", 2, 1, false, "Ply=2\n1 H7H8  900\n" + Hyphens},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Name);
    TempDir Dir;
    FillRowZero();
    Game.St.MoveList[2][1] = Promotion;
    WriteFile("MoveList.txt", std::string(500, 'z').c_str()); // a longer old dump
    Game.St.Ply = C.AtPly;
    if (C.TakeBest) GetAMove(Game.St, 3);
    EXPECT_TRUE(WriteMoveList(Game.St, C.Index));
    Game.St.Ply = 0;
    EXPECT_EQ(ReadFile("MoveList.txt"), C.Expected);
  }
}

TEST(Debugging, HistoryFile) {
  const struct {
    const char *Name;
    int Set[6][3]; // code, square, counter; code -1 ends the list
    std::string Expected;
  } Cases[] = {
      {"all zero", {{-1, 0, 0}}, ""},
      {"codes 1 to 14 in order, squares as numbers",
       {{BKing, 62, 12345},
        {WNight, 21, 150},
        {WPawn, 28, 9},
        {WPawn, 0, 1},
        {7, 5, 3},
        {-1, 0, 0}},
       "Wpawn->0   1\nWpawn->28   9\nWknight->21 150\n->5   3\nBking->6212345\n"},
      {"codes 0 and 15 are not written", {{0, 10, 4}, {15, 3, 2}, {-1, 0, 0}}, ""},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Name);
    TempDir Dir;
    ResetGame();
    ClearHistory(Game.St);
    for (const auto &S : C.Set) {
      if (S[0] < 0) break;
      Game.St.HistTab[S[0]][S[1]] = static_cast<uint16_t>(S[2]);
    }
    WriteFile("History.txt", "Wpawn->1   1\nold dump\n");
    EXPECT_TRUE(WriteHistoryTable(Game.St));
    EXPECT_TRUE(Exists("History.txt"));
    EXPECT_EQ(ReadFile("History.txt"), C.Expected);
  }
}

// A dump that cannot be written says so by its result and changes nothing.
TEST(Debugging, UnwritableDumpFiles) {
  const struct {
    const char *Name;
    void (*Make)(const char *File);
  } Cases[] = {
      {"a directory in the way", [](const char *F) { ASSERT_EQ(mkdir(F, 0755), 0); }},
      {"a full device", [](const char *F) { ASSERT_EQ(symlink("/dev/full", F), 0); }},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Name);
    TempDir Dir;
    ResetGame();
    Game.St.MoveList[0][1] = {12, 28, 5, false, false, false};
    Game.St.HistTab[WPawn][28] = 9;
    C.Make("MoveList.txt");
    C.Make("History.txt");
    const Tables Before;
    EXPECT_FALSE(WriteMoveList(Game.St, 1));
    EXPECT_FALSE(WriteHistoryTable(Game.St));
    EXPECT_TRUE(Before.Same());
  }
}

} // namespace
