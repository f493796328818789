#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>

#include "TestUtil.h"
#include "board/Squares.h"
#include "book/Opening.h"
#include "game/Game.h"
#include "game/TakeBack.h"
#include "moves/Move.h"
#include "platform/Random.h"
#include "seam/Seam.h"

namespace {

// Records the messages and the book lines the engine hands to its front end.
struct BookFrontEnd {
  BookFrontEnd() {
    Messages = 0;
    Lines = 0;
    LastMessage.clear();
    LastLine.clear();
    FrontEndType F = {};
    F.ErrorMsg = [](const char *S) {
      ++Messages;
      LastMessage = S;
    };
    F.ShowBookLine = [](const char *S) {
      ++Lines;
      LastLine = S;
    };
    InstallFrontEnd(F);
  }
  ~BookFrontEnd() { ResetFrontEnd(); }
  static inline int Messages = 0, Lines = 0;
  static inline std::string LastMessage, LastLine;
};

// A new game, then the moves of Line played on the board and recorded as the
// game loop records them while the book is in use.
void PlayLine(const std::string &Line) {
  ResetGame();
  for (std::size_t I = 0; I + 4 <= Line.size(); I += 4) {
    const ShortStr Move = Line.substr(I, 4).c_str();
    ASSERT_TRUE(IsLegalMove(Game.St, Move)) << Move.c_str();
    MakeMove(Game.St, MoveStrToMoveRec(Game.Here(), Game.St.WhosMove, Move), false);
    Game.OpeningStr.Append(Move);
  }
}

// Everything a lookup must leave as it found it.
struct GameState {
  GameState() {
    std::memcpy(static_cast<void *>(&D), &Game.St.Data[0], sizeof D);
    Side = Game.St.WhosMove, P = Game.St.Ply, Line = Game.OpeningStr.c_str();
  }
  bool Same() const {
    return std::memcmp(&D, &Game.St.Data[0], sizeof D) == 0 && Side == Game.St.WhosMove &&
           P == Game.St.Ply && Line == Game.OpeningStr.c_str();
  }
  DataType D;
  int8_t Side;
  uint8_t P;
  std::string Line;
};

// The answers of Draws lookups after the moves played, with their counts.
std::map<std::string, int> Draw(int Draws) {
  const GameState Before;
  std::map<std::string, int> Seen;
  for (int I = 0; I < Draws; ++I) {
    ++Seen[GetLibraryMove(Game.St, Game.OpeningStr).c_str()];
    EXPECT_TRUE(Before.Same()) << "a lookup changed the game";
  }
  return Seen;
}

std::set<std::string> Keys(const std::map<std::string, int> &M) {
  std::set<std::string> S;
  for (const auto &[K, V] : M) S.insert(K);
  return S;
}

// The 63 moves of a knight dance: Black to move, 252 characters of played line.
std::string KnightDance() {
  std::string S;
  for (int I = 0; I < 15; ++I) S += "G1F3G8F6F3G1F6G8";
  return S + "G1F3G8F6F3G1";
}

TEST(Opening, ChoosesUniformlyAmongTheRunOfMatchingLines) {
  TempDir Dir;
  BookFrontEnd Front;
  // Lines 10 to 12 are the only ones that begin with E2E4E7E5; lines 1 to 9
  // share shorter beginnings with them.
  WriteFile("book.txt", "C2C4E7E5\nD2D4D7D5\nD2D4G8F6C2C4\nE2E4\nE2E4C7C5G1F3\nE2E4C7C6\n"
                        "E2E4D7D5\nE2E4E7E6\nE2E4E7E6D2D4\nE2E4E7E5G1F3B8C6\nE2E4E7E5B1C3\n"
                        "E2E4E7E5F1C4F8C5\nG1F3D7D5\n");
  PlayLine("E2E4E7E5");
  const auto Seen = Draw(3000);
  EXPECT_EQ(Keys(Seen), (std::set<std::string>{"G1F3", "B1C3", "F1C4"}));
  for (const auto &[Move, Count] : Seen) {
    EXPECT_GT(Count, 870) << Move; // a third of 3000, within five deviations
    EXPECT_LT(Count, 1130) << Move;
  }
  EXPECT_EQ(LibStartLine, 10);
  EXPECT_EQ(LibFinishLine, 12);
  EXPECT_EQ(Front.Lines, 3000) << "every chosen line is shown";
  EXPECT_EQ(Front.Messages, 0);
}

TEST(Opening, ShownLineIsTheChosenLineFromTheStart) {
  TempDir Dir;
  BookFrontEnd Front;
  WriteFile("book.txt", "E2E4E7E5G1F3B8C6\nE2E4E7E5B1C3\n");
  PlayLine("E2E4E7E5");
  for (int I = 0; I < 50; ++I) {
    const ShortStr Move = GetLibraryMove(Game.St, Game.OpeningStr);
    EXPECT_EQ(Front.LastLine,
              std::string("E2E4E7E5") + Move.c_str() + (Move == "G1F3" ? "B8C6" : ""));
  }
}

// Each book is looked up after the moves played; every listed answer must come
// up and no other, and the window must end on the run's lines.
TEST(Opening, BookShapes) {
  std::string Long(255, 'X');
  const char GarbageBytes[] = "\0\xff\x1b[2J\nE2E4\0E7E5\nE2E4\xc3\xa9\xc3\xa9\n\x80\x81\x82";
  const std::string Garbage(GarbageBytes, sizeof GarbageBytes - 1);
  const struct {
    const char *Name;
    std::string Book;
    std::string Played;
    std::set<std::string> Answers;
    int32_t Start, Finish;
  } Cases[] = {
      {"one matching line", "D2D4D7D5\nE2E4E7E5G1F3\nC2C4E7E5\n", "E2E4", {"E7E5"}, 2, 2},
      {"only the first run counts",
       "D2D4D7D5\nE2E4E7E5\nE2E4C7C5\nD2D4G8F6\nE2E4D7D5\n",
       "E2E4",
       {"E7E5", "C7C5"},
       2,
       3},
      {"line ends after the played moves", "D2D4\nE2E4\nE2E3\n", "E2E4", {"A1A1"}, 2, 2},
      {"ending and going on in one run", "E2E4\nE2E4E7E5\n", "E2E4", {"A1A1", "E7E5"}, 1, 2},
      {"lower case never matches", "e2e4e7e5\ne2e4c7c5\n", "E2E4", {"A1A1"}, 2, 1},
      {"empty file", "", "E2E4", {"A1A1"}, 0, -1},
      {"no match at all", "D2D4D7D5\nC2C4\n", "E2E4", {"A1A1"}, 2, 1},
      {"no match, a legal move in its place", "D2D4E7E5\n", "E2E4", {"A1A1"}, 1, 0},
      {"no line end after the last line", "E2E4E7E5", "E2E4", {"E7E5"}, 1, 1},
      {"CR LF line ends", "D2D4D7D5\r\nE2E4E7E5\r\nE2E4C7C5\r\n", "E2E4", {"E7E5", "C7C5"}, 2, 3},
      {"CR line ends", "E2E4E7E5\rE2E4C7C5\r", "E2E4", {"E7E5", "C7C5"}, 1, 2},
      {"CR LF right after the played moves", "E2E4E7E5\r\n", "E2E4E7E5", {"A1A1"}, 1, 1},
      {"binary garbage", Garbage, "E2E4", {"A1A1"}, 2, 3},
      // The tail beyond 255 characters is dropped, not read as a line of its own.
      {"line longer than 255", Long + "E2E4E7E5\nE2E4E7E5G1F3\n", "E2E4E7E5", {"G1F3"}, 2, 2},
      // 252 played characters: the cut leaves the partial move E7E of E7E5.
      {"cut inside the next move", KnightDance() + "E7E5D7D5\n", KnightDance(), {"A1A1"}, 1, 1},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Name);
    TempDir Dir;
    BookFrontEnd Front;
    WriteFile("book.txt", C.Book.data(), C.Book.size());
    PlayLine(C.Played);
    EXPECT_EQ(Keys(Draw(200)), C.Answers);
    EXPECT_EQ(LibStartLine, C.Start);
    EXPECT_EQ(LibFinishLine, C.Finish);
    EXPECT_EQ(Front.Lines, C.Start <= C.Finish ? 200 : 0) << "a line is shown only when chosen";
    EXPECT_EQ(Front.Messages, 0);
  }
}

TEST(Opening, LineEndingAfterThePlayedMovesIsStillShown) {
  TempDir Dir;
  BookFrontEnd Front;
  WriteFile("book.txt", "D2D4D7D5\nE2E4E7E5\n");
  PlayLine("E2E4E7E5");
  EXPECT_STREQ(GetLibraryMove(Game.St, Game.OpeningStr).c_str(), "A1A1");
  EXPECT_EQ(Front.Lines, 1);
  EXPECT_EQ(Front.LastLine, "E2E4E7E5");
}

// A book answer that is no legal move here is no book move: the search takes
// over and the position is untouched. The line is still shown.
TEST(Opening, IllegalAnswersCountAsNoBookMove) {
  const struct {
    const char *Played;
    const char *Line;
    const char *Answer;
  } Cases[] = {
      {"E2E4", "E2E4Z9Z9", "A1A1"},                 // not a move text
      {"E2E4", "E2E4e7e5", "A1A1"},                 // lower case
      {"E2E4", "E2E4E7E", "A1A1"},                  // partial move at the end
      {"E2E4", "E2E4E5E4", "A1A1"},                 // from an empty square
      {"E2E4", "E2E4D2D4", "A1A1"},                 // the side that just moved
      {"E2E4", "E2E4E7E4", "A1A1"},                 // no such pawn move
      {"E2E4F7F6D1H5", "E2E4F7F6D1H5A7A6", "A1A1"}, // ignores the check
      {"E2E4F7F6D1H5", "E2E4F7F6D1H5E8F7", "A1A1"}, // king into the queen's line
      {"E2E4F7F6D1H5", "E2E4F7F6D1H5G7G6", "G7G6"}, // blocks the check
      {"E2E4", "E2E4E7E5X", "E7E5"},                // only four characters are the move
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Line);
    TempDir Dir;
    BookFrontEnd Front;
    WriteFile("book.txt", (std::string(C.Line) + "\n").c_str());
    PlayLine(C.Played);
    const GameState Before;
    EXPECT_STREQ(GetLibraryMove(Game.St, Game.OpeningStr).c_str(), C.Answer);
    EXPECT_TRUE(Before.Same());
    EXPECT_EQ(Front.LastLine, C.Line);
  }
}

TEST(Opening, MissingBookGivesTheMessageAndNoMove) {
  const struct {
    const char *Name;
    void (*Make)();
  } Cases[] = {
      {"no file", [] {}},
      {"a directory", [] { ASSERT_EQ(mkdir("book.txt", 0755), 0); }},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Name);
    TempDir Dir;
    BookFrontEnd Front;
    C.Make();
    PlayLine("E2E4");
    const GameState Before;
    EXPECT_STREQ(GetLibraryMove(Game.St, Game.OpeningStr).c_str(), "A1A1");
    EXPECT_EQ(Front.Messages, 1);
    EXPECT_EQ(Front.LastMessage, "Missing Library File");
    EXPECT_EQ(Front.Lines, 0);
    EXPECT_TRUE(Before.Same());
  }
}

// Books of more than MaxOpenings lines: a lookup reads no line beyond it.
TEST(Opening, LinesBeyondMaxOpeningsAreNeverRead) {
  const struct {
    const char *Name;
    int32_t Filler; // lines before the tail
    const char *Tail;
    std::set<std::string> Answers;
    int32_t Start, Finish;
  } Cases[] = {
      {"no match within the lines read",
       MaxOpenings,
       "E2E4E7E5\n",
       {"A1A1"},
       MaxOpenings,
       MaxOpenings},
      {"first match on the last line read",
       MaxOpenings - 1,
       "E2E4E7E5\n",
       {"A1A1"},
       MaxOpenings,
       MaxOpenings},
      {"run cut at the last line read",
       MaxOpenings - 2,
       "E2E4E7E5\nE2E4C7C5\nE2E4D7D5\n",
       {"E7E5", "C7C5"},
       MaxOpenings - 1,
       MaxOpenings},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Name);
    TempDir Dir;
    BookFrontEnd Front;
    std::string Book;
    for (int32_t I = 0; I < C.Filler; ++I) Book += "A2A3\n";
    Book += C.Tail;
    WriteFile("book.txt", Book.data(), Book.size());
    PlayLine("E2E4");
    const int Draws = C.Answers.size() == 1 ? 1 : 40;
    EXPECT_EQ(Keys(Draw(Draws)), C.Answers);
    EXPECT_EQ(LibStartLine, C.Start);
    EXPECT_EQ(LibFinishLine, C.Finish);
    EXPECT_EQ(Front.Lines, C.Answers.count("A1A1") ? 0 : Draws);
  }
}

TEST(Opening, FirstMoveFollowsTheWeightsWithoutTheFile) {
  TempDir Dir; // no book.txt here
  BookFrontEnd Front;
  ResetGame();
  SetFixedSeed(2024);
  const auto Seen = Draw(16000);
  // Share in sixteenths of the draws.
  const std::map<std::string, int> Weight = {{"E2E4", 4}, {"D2D4", 4}, {"C2C4", 2}, {"G1F3", 2},
                                             {"B2B3", 1}, {"F2F4", 1}, {"G2G3", 1}, {"E2E3", 1}};
  EXPECT_EQ(Keys(Seen), Keys(Weight));
  for (const auto &[Move, W] : Weight) {
    const int Expected = 1000 * W;
    EXPECT_NEAR(Seen.count(Move) ? Seen.at(Move) : 0, Expected, W >= 2 ? 300 : 170) << Move;
  }
  EXPECT_EQ(Front.Messages, 0);
  EXPECT_EQ(Front.Lines, 0);
  EXPECT_EQ(LibStartLine, 1);
  EXPECT_EQ(LibFinishLine, MaxOpenings);
}

TEST(Opening, FirstMoveIsTestedLikeAnyBookMove) {
  TempDir Dir;
  // No moves recorded, but Black to move: none of White's first moves is legal.
  SetFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq");
  Game.OpeningStr.Clear();
  EXPECT_EQ(Keys(Draw(100)), (std::set<std::string>{"A1A1"}));
}

TEST(Opening, ShippedBookAnswersTheKingsPawn) {
  TempDir Dir;
  BookFrontEnd Front;
  std::filesystem::copy_file(TORVANE_TEST_DATA "/../../book.txt", "book.txt");
  PlayLine("E2E4");
  for (int I = 0; I < 20; ++I) {
    const ShortStr Move = GetLibraryMove(Game.St, Game.OpeningStr);
    EXPECT_FALSE(Move == "A1A1");
    EXPECT_TRUE(IsLegalMove(Game.St, Move)) << Move.c_str();
    EXPECT_EQ(Front.LastLine.substr(0, 8), std::string("E2E4") + Move.c_str());
  }
  EXPECT_EQ(Front.Messages, 0);
}

TEST(Opening, ANewGamePutsTheBookBackInUse) {
  ResetGame();
  Game.InLibrary = false;
  Game.OpeningStr = "E2E4E7E5";
  LibStartLine = 7;
  LibFinishLine = 3;
  NewGame();
  EXPECT_TRUE(Game.InLibrary);
  EXPECT_TRUE(Game.OpeningStr.Empty());
  EXPECT_EQ(LibStartLine, 1);
  EXPECT_EQ(LibFinishLine, MaxOpenings);
}

} // namespace
