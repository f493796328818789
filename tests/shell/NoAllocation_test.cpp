// Nothing is allocated while the game runs: a scripted game through the whole
// program (book, search, takeback, position file, editor, evaluation screen)
// counts every call of operator new and of malloc and its kin.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "AllocCount.h"
#include "TestUtil.h"
#include "board/Types.h"
#include "platform/MemScreen.h"
#include "platform/Random.h"
#include "seam/Seam.h"
#include "shell/Loop.h"
#include "shell/Pgn.h"
#include "shell/Screen.h"

namespace {

TEST(NoAllocation, AScriptedGameAllocatesNothing) {
  TempDir Dir;
  ASSERT_EQ(std::system("cp " TORVANE_TEST_DATA "/../../book.txt ."), 0);
  WriteFile("game.fen", "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4");
  static MemScreen Screen;
  ResetGame();
  UseDevice(&Screen);
  InstallConsoleFrontEnd();
  Screen.Type("e2e4\r" // the book answers
              "x4\r"   // a fixed depth keeps the searches short
              "g1f3\r" // the book or the search answers
              "b\rb\r" // take back
              "w\rr\r" // write and read game.fen: the search answers for Black next
              "p\r"    // the computer moves for White
              "zz\r\r" // a bad command and its message
              "e\r\r"  // the evaluation screen
              "s\rc\rwke1\rbke8\rwqd1\rwm\rq\r" // the editor, White to move
              "d1d8\r"                          // the search answers
              "n\rp\r" // a new game: the computer's first move from the table
              "q\r");
  const long Before = AllocationCount();
  RunGame();
  const long During = AllocationCount() - Before;
  UseDevice(nullptr);
  ResetFrontEnd();
  EXPECT_EQ(Screen.KeysLeft(), 0u) << "the whole script was played";
  EXPECT_STREQ(std::string(Screen.Row(2, 49)).substr(0, 6).c_str(), "Nodes:") << "a search ran";
  EXPECT_STREQ(std::string(Screen.Row(14, 49)).substr(0, 6).c_str(), "Move: ");
  EXPECT_EQ(During, 0) << "allocations while the game ran";
}

// The same with the PGN record: each game left is written in the game.
TEST(NoAllocation, KeepingThePgnRecordAllocatesNothing) {
  TempDir Dir;
  ASSERT_EQ(std::system("cp " TORVANE_TEST_DATA "/../../book.txt ."), 0);
  WriteFile("game.fen", "7k/8/6K1/8/8/8/8/R7 w - -");
  static MemScreen Screen;
  ResetGame();
  UseDevice(&Screen);
  InstallConsoleFrontEnd();
  ASSERT_TRUE(PgnOpen("games.pgn"));
  Screen.Type("x2\re2e4\rg1f3\rb\rb\rp\r" // moves, takebacks, the roles change
              "r\ra1b1\rb1b8\rb\rb\r"     // a mate written, then taken back
              "b1b7\rs\rq\r"              // played on, and the editor leaves it
              "e\r\rn\rq\r");
  const long Before = AllocationCount();
  RunGame();
  const long During = AllocationCount() - Before;
  PgnClose();
  UseDevice(nullptr);
  ResetFrontEnd();
  EXPECT_EQ(Screen.KeysLeft(), 0u) << "the whole script was played";
  const std::string Text = ReadFile("games.pgn");
  EXPECT_NE(Text.find("2. Rb8# 1-0"), std::string::npos) << Text;
  EXPECT_NE(Text.find("2. Rb7 "), std::string::npos) << Text;
  EXPECT_EQ(During, 0) << "allocations while the game ran";
}

} // namespace
