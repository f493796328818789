// The PGN record of torvane3 --pgn: whole console games driven by a scripted
// keyboard on the in-memory screen, and the file they leave.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "platform/MemScreen.h"
#include "platform/Terminal.h"
#include "seam/Seam.h"
#include "shell/Console.h"
#include "shell/Loop.h"
#include "shell/Pgn.h"
#include "shell/Screen.h"

namespace {
// The local day as the PGN's Date tag writes it.
std::string Today() {
  const std::time_t Now = std::time(nullptr);
  std::tm Local{};
  localtime_r(&Now, &Local);
  char Text[16];
  std::strftime(Text, sizeof Text, "%Y.%m.%d", &Local);
  return Text;
}

const bool ConsoleHooked = (ResetFrontEndState = ResetConsole, true);

std::vector<std::string> Messages;
void RecordMessage(const char *S) {
  Messages.emplace_back(S);
  ConsoleErrorMsg(S);
}

std::string Slurp(const char *Name) {
  std::ifstream In(Name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), {});
}

int CountOf(const std::string &Text, const std::string &Part) {
  int N = 0;
  for (std::size_t At = Text.find(Part); At != std::string::npos; At = Text.find(Part, At + 1)) ++N;
  return N;
}

class PgnTest : public ::testing::Test {
protected:
  MemScreen S;
  TempDir Dir;

  void SetUp() override {
    WriteFile("book.txt", "E2E4E7E5\n");
    UseDevice(&S);
    ResetGame();
    Messages.clear();
    FrontEndType F = {};
    F.ErrorMsg = RecordMessage;
    InstallFrontEnd(F);
  }
  void TearDown() override {
    PgnClose();
    ResetFrontEnd();
    UseDevice(nullptr);
  }
  // The whole program on the typed keys, recording into games.pgn.
  std::string Play(const char *Keys, const char *Fen = nullptr) {
    if (Fen) WriteFile("game.fen", Fen);
    // The human's name is the login's, as the environment gives it.
    setenv("LOGNAME", "ann", 1);
    EXPECT_TRUE(PgnOpen("games.pgn"));
    const std::string Before = Today();
    S.Type(Keys);
    RunGame();
    const std::string After = Today();
    EXPECT_EQ(S.KeysLeft(), 0u);
    // Each game is dated the day it is written: today, or tomorrow once
    // midnight has passed during the game.
    std::string Text = Slurp("games.pgn");
    for (const std::string &Day : {Before, After})
      Text = std::regex_replace(Text, std::regex("\\[Date \"" + Day + "\"\\]"), "[Date \"today\"]");
    return Text;
  }
};

constexpr const char *BackRankMate = "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - -";

TEST_F(PgnTest, AMateFromAPositionFileIsWrittenOnceAsItEnds) {
  const std::string Expected = "[Event \"Casual game\"]\n"
                               "[Site \"?\"]\n"
                               "[Date \"today\"]\n"
                               "[Round \"-\"]\n"
                               "[White \"ann\"]\n"
                               "[Black \"torvane3\"]\n"
                               "[Result \"1-0\"]\n"
                               "[SetUp \"1\"]\n"
                               "[FEN \"6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1\"]\n"
                               "[PlyCount \"1\"]\n"
                               "\n"
                               "1. Ra8# 1-0\n"
                               "\n";
  // The computer has no answer, and Q leaves a game already written.
  EXPECT_EQ(Play("r\ra1a8\rq\r", BackRankMate), Expected);
}

// Games whose computer moves come from the book or a shallow search: the
// parts of the text that the case is about.
TEST_F(PgnTest, WhatEachGameLeavesInTheFile) {
  const struct {
    const char *Name;
    const char *Fen; // game.fen, or null
    const char *Keys;
    int Games;                       // games in the file
    std::vector<const char *> Parts; // regular expressions the file matches
  } Cases[] = {
      {"no move, nothing written", nullptr, "x1\rn\rq\r", 0, {}},
      {"a stalemate from the editor",
       nullptr,
       "x1\rs\rc\rwkg1\rwqf7\rbkh8\rwm\rq\rf7g6\rq\r",
       1,
       {R"(\[Result "1/2-1/2"\]\n\[SetUp "1"\]\n\[FEN "7k/5Q2/8/8/8/8/8/6K1 w - - 0 1"\])",
        "\n1\\. Qg6 1/2-1/2\n\n$"}},
      {"takebacks, a refused move among them, leave the game as it stands",
       nullptr,
       "x1\re2e4\rg1f3\rb\rb\re2e5\rb\rb\rq\r",
       1,
       {R"(\[Result "\*"\]\n\[PlyCount "1"\]\n\n1\. e4 \*\n\n$)"}},
      {"a takeback changes the roles, and the comment says so",
       nullptr,
       "x1\re2e4\rb\rc7c5\rq\r",
       1,
       {R"(\[White "ann"\]\n\[Black "torvane3"\])",
        R"(1\. e4 \{from here ann plays Black and torvane3 White\} 1\.\.\. c5 2\. \w+ \*)"}},
      {"P hands White to the computer",
       nullptr,
       "x1\re2e4\rp\rq\r",
       1,
       {R"(\[PlyCount "3"\])",
        R"(\n1\. e4 e5 \{from here torvane3 plays White and ann Black\} 2\. \w+ \*\n)"}},
      // Black's only move is Kg8; the computer's empty turn after the mate is
      // a step for B that changes nothing.
      {"a mate taken back and played on is written again in full",
       "7k/8/6K1/8/8/8/8/R7 w - -",
       "x1\rr\ra1b1\rb1b8\rb\rb\rb1b7\rq\r",
       2,
       {R"(\n1\. Rb1 Kg8 2\. Rb8# 1-0\n\n\[Event)",
        R"(\[PlyCount "4"\]\n\n1\. Rb1 Kg8 2\. Rb7 K[fh]8 \*\n\n$)"}},
      // The set-up game had no move; b goes back into the game before it.
      {"b past R goes back into the game before it, written again once played on",
       "4k3/8/8/8/8/8/8/4K2R w K -",
       "x1\re2e4\rr\rb\rd7d5\rq\r",
       2,
       {R"(^(?![\s\S]*SetUp)[\s\S]*\n1\. e4 e5 \*\n)",
        R"(\[PlyCount "3"\]\n\n1\. e4 \{[^}]*\} 1\.\.\. d5 2\. \S+ \*\n\n$)"}},
      {"N, R and S each leave a game",
       "4k3/8/8/8/8/8/8/4K2R w K -",
       "x1\re2e4\rn\rd2d4\rr\re1g1\rs\rq\rq\r",
       3,
       {R"(1\. e4 e5 \*)", R"(1\. d4 \S+ \*)", R"(1\. O-O \S+ \*)"}},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Name);
    std::remove("games.pgn");
    ResetGame();
    const std::string Text = Play(C.Keys, C.Fen);
    EXPECT_EQ(CountOf(Text, "[Event "), C.Games) << Text;
    for (const char *Part : C.Parts)
      EXPECT_TRUE(std::regex_search(Text, std::regex(Part))) << Part << "\n" << Text;
    PgnClose();
  }
}

TEST_F(PgnTest, AnotherProgramsTextStaysAndMovesBreakBeforeEightyColumns) {
  // A line without its end: the game starts on a line of its own after it.
  WriteFile("games.pgn", "% kept");
  // P forty times: the computer plays every move, and the roles change each time.
  std::string Keys = "x1\r";
  for (int I = 0; I < 40; ++I) Keys += "p\r";
  const std::string Text = Play((Keys + "q\r").c_str());
  EXPECT_EQ(Text.rfind("% kept\n[Event \"Casual game\"]\n", 0), 0u) << Text;
  EXPECT_EQ(CountOf(Text, "[Event "), 1);
  const std::string Moves = Text.substr(Text.find("\n\n") + 2);
  EXPECT_GE(CountOf(Moves, "{from here "), 30) << Moves;
  EXPECT_GE(CountOf(Moves, "\n"), 30) << "the moves take lines of their own:\n" << Moves;
  for (std::size_t At = 0, End; At < Moves.size(); At = End + 1) {
    End = Moves.find('\n', At);
    EXPECT_LE(End - At, 80u) << Moves.substr(At, End - At);
  }
}

TEST_F(PgnTest, AFileThatCannotBeWrittenIsSaidOnceAndTheGameIsPlayed) {
  mkdir("games.pgn", 0755);
  EXPECT_FALSE(PgnOpen("games.pgn"));
  S.Type("e2e4\rq\r");
  RunGame();
  // The games are played unrecorded: nothing more is said, at Q either.
  EXPECT_EQ(Messages, std::vector<std::string>{"Games Not Saved: Is a directory"});
  EXPECT_EQ(PgnLastFailure(), nullptr);
  struct stat St {};
  EXPECT_TRUE(stat("games.pgn", &St) == 0 && S_ISDIR(St.st_mode));
  EXPECT_STREQ(BoardFen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq");
}

} // namespace

namespace {
// The editor and r take positions no PGN reader takes: a game from one is
// played but not written, and the console says so once; the next game from
// a start every reader takes is written as ever.
TEST_F(PgnTest, AGameNoReaderCouldStartIsSaidAndNotWritten) {
  const struct {
    const char *Fen;
    const char *Keys;
  } Cases[] = {
      {"8/8/8/8/8/8/8/4K3 w - -", "x1\rr\re1e2\rn\re2e4\rq\r"},     // no black king
      {"P3k3/8/8/8/8/8/8/4K2p w - -", "x1\rr\re1d2\rn\re2e4\rq\r"}, // pawns on rank 8 and 1
      {"4k3/8/8/8/8/8/8/4K3 w - -", "x1\rr\re1d2\rn\re2e4\rq\r"},   // a start readers take
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    std::remove("games.pgn");
    ResetGame();
    Messages.clear();
    const std::string Text = Play(C.Keys, C.Fen);
    const bool Legal = C.Fen[0] == '4';
    EXPECT_EQ(CountOf(Text, "[Event "), Legal ? 2 : 1) << Text;
    EXPECT_EQ(std::count(Messages.begin(), Messages.end(), "Game Not Saved: no legal PGN start"),
              Legal ? 0 : 1);
    EXPECT_TRUE(std::regex_search(Text, std::regex(R"(\n1\. e4 e5 \*\n\n$)"))) << Text;
    PgnClose();
  }
}
} // namespace
