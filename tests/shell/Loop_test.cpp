// The game loop driven by a scripted keyboard on the in-memory screen: the
// command table, the T and X settings, typed moves, the computer's turn and
// the end of the input. Each test runs in its own directory with a small book.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "board/Board.h"
#include "board/Squares.h"
#include "board/Types.h"
#include "board/Zorbist.h"
#include "game/Engine.h"
#include "game/Game.h"
#include "game/TakeBack.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"
#include "platform/MemScreen.h"
#include "platform/Terminal.h"
#include "seam/Seam.h"
#include "search/Search.h"
#include "shell/Console.h"
#include "shell/InfoPanel.h"
#include "shell/Loop.h"
#include "shell/Screen.h"

namespace {

// Every game reset of these tests resets the console's own state too.
const bool ConsoleHooked = (ResetFrontEndState = ResetConsole, true);

constexpr const char *StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq";
constexpr const char *AfterE2E4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq";
constexpr const char *AfterE7E5 = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq";
// White to move and checkmated: the computer has no move, book or search.
constexpr const char *WhiteMated = "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq -";

std::vector<std::string> Messages;

void RecordMessage(const char *S) {
  Messages.emplace_back(S);
  ConsoleErrorMsg(S);
}

class LoopTest : public ::testing::Test {
protected:
  MemScreen S;
  std::filesystem::path OldDir, Dir;

  void SetUp() override {
    OldDir = std::filesystem::current_path();
    char Template[] = "/tmp/torvane3-loop-XXXXXX";
    ASSERT_NE(mkdtemp(Template), nullptr);
    Dir = Template;
    std::filesystem::current_path(Dir);
    WriteFile("book.txt", "E2E4E7E5\n");

    Restart();
    Quit = false;
    MyMove = NoMove;
    FrontEndType F = {};
    F.ErrorMsg = RecordMessage;
    F.ShowInfo = WriteInfoToScreen;
    InstallFrontEnd(F);
  }
  void TearDown() override {
    ResetFrontEnd();
    UseDevice(nullptr);
    std::filesystem::current_path(OldDir);
    std::filesystem::remove_all(Dir);
  }

  static void WriteFile(const char *Name, const std::string &Text) {
    std::ofstream(Name, std::ios::binary) << Text;
  }
  static std::string ReadFile(const char *Name) {
    std::ifstream In(Name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(In), {});
  }
  std::string Text(int Y, int X, std::size_t Len) const {
    return std::string(S.Row(Y, X)).substr(0, Len);
  }
  // Runs the whole program on the typed keys; they must end the game.
  void Play(const std::string &Keys) {
    S.Type(Keys.c_str());
    RunGame();
  }
  // A fresh game on a screen whose script is used up, for the next row of a table.
  void Restart() {
    while (S.KeysLeft() > 0) S.GetKey();
    UseDevice(&S);
    ResetGame();
    Messages.clear();
  }
  void Pass(const std::string &Keys) {
    S.Type(Keys.c_str());
    GamePass();
  }
  // Passes of the game loop until the keys are used up and the human is to
  // move; after each the game goes on and its key fits its placement.
  void PassesChecked(const std::string &Keys) {
    S.Type(Keys.c_str());
    while (S.KeysLeft() > 0 || !HumansMove) {
      GamePass();
      ASSERT_FALSE(Quit);
      ASSERT_EQ(Game.St.Data[0].HashKey, CalcBrdKey(Game.Here()));
    }
  }
};

int Kings() {
  int N = 0;
  for (int Sq = 0; Sq < 64; ++Sq) N += (PieceOn(Game.St.Data[0], Sq) & 7) == WKing;
  return N;
}

using Msgs = std::vector<std::string>;
const Msgs NoMsgs;
const Msgs IllegalCommand = {"Illegal Command"};
const Msgs IllegalMove = {"Illegal Move"};

TEST_F(LoopTest, StartUpClearsDrawsAndReadsUntilQuit) {
  GotoXY(70, 20);
  Write("junk");
  SetFen("4k3/8/8/8/8/8/8/4K3 b - -");
  Quit = true; // left over; start-up must clear it or "q" is never read
  Play("t5\rq\r");
  EXPECT_EQ(Text(20, 70, 4), "    ");
  EXPECT_STREQ(BoardFen(), StartFen);
  EXPECT_EQ(Text(2, 1, 25), "8 r  n  b  q  k  b  n  r ");
  EXPECT_EQ(Text(11, 6, 19), "Move Time = 5 secs ");
  EXPECT_EQ(Text(13, 49, 8), "Move: q ");
  EXPECT_EQ(S.KeysLeft(), 0u);
  EXPECT_TRUE(Quit);
  EXPECT_EQ(Messages, NoMsgs);
}

TEST_F(LoopTest, TimeAndDepthSettings) {
  const struct {
    const char *Lines;
    uint16_t Time;
    uint8_t Depth;
    const char *Status; // row 11 from column 6
    Msgs Errors;
  } Cases[] = {
      {"t5", 5, 255, "Move Time = 5 secs    ", NoMsgs},
      {"T1000", 100, 255, "Move Time = 100 secs    ", NoMsgs},
      {"t999", 999, 255, "Move Time = 999 secs    ", NoMsgs},
      {"t05", 5, 255, "Move Time = 5 secs    ", NoMsgs},
      {"t0", 0, 255, "Move Time = 0 secs    ", NoMsgs},
      {"x6", 65000, 6, "Fixed Depth = 6     ", NoMsgs},
      {"X255", 65000, 255, "Move Time = 65000 secs    ", NoMsgs},
      {"x0", 65000, 0, "Fixed Depth = 0     ", NoMsgs},
      {"X1000", 65000, 100, "Fixed Depth = 100     ", NoMsgs},
      {"x6\rt5", 5, 255, "Move Time = 5 secs    ", NoMsgs},
      {"t5\rx6", 65000, 6, "Fixed Depth = 6     ", NoMsgs},
      {"t7\rt", 7, 255, "Move Time = 7 secs    ", IllegalCommand},
      {"t7\rx", 7, 255, "Move Time = 7 secs    ", IllegalCommand},
      {"t7\rtabc", 7, 255, "Move Time = 7 secs    ", IllegalCommand},
      {"t7\rt-5", 7, 255, "Move Time = 7 secs    ", IllegalCommand},
      {"t7\rt+5", 7, 255, "Move Time = 7 secs    ", IllegalCommand},
      {"t7\rt5x", 7, 255, "Move Time = 7 secs    ", IllegalCommand},
      {"t7\rt 5", 7, 255, "Move Time = 7 secs    ", IllegalCommand},
      {"x6\rx-1", 65000, 6, "Fixed Depth = 6     ", IllegalCommand},
      {"x6\rx256", 65000, 6, "Fixed Depth = 6     ", IllegalCommand},
      {"x6\rx999", 65000, 6, "Fixed Depth = 6     ", IllegalCommand},
      {"x6\rxyz", 65000, 6, "Fixed Depth = 6     ", IllegalCommand},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Lines);
    Restart();
    Play(std::string(C.Lines) + "\rq\r");
    EXPECT_EQ(MoveTime, C.Time);
    EXPECT_EQ(FixedDepth, C.Depth);
    EXPECT_EQ(Text(11, 6, std::string(C.Status).size()), C.Status);
    EXPECT_EQ(Messages, C.Errors);
    EXPECT_EQ(S.KeysLeft(), 0u);
  }
}

TEST_F(LoopTest, LinesThatAreNoCommand) {
  const char *Lines[] = {"", " t5", "   ", "a", "j", "z", "J", "1", "?", "#quit", "9e2e4"};
  for (const char *Line : Lines) {
    SCOPED_TRACE(std::string("[") + Line + "]");
    Restart();
    const int8_t Index = Game.TBIndex;
    Pass(std::string(Line) + "\r");
    EXPECT_EQ(Messages, IllegalCommand);
    EXPECT_STREQ(BoardFen(), StartFen);
    EXPECT_EQ(Game.TBIndex, Index) << "not a move: nothing pushed";
    EXPECT_EQ(MoveTime, 60);
    EXPECT_EQ(FixedDepth, 255);
    EXPECT_FALSE(Quit);
    EXPECT_EQ(Text(14, 49, 32), std::string(32, ' ')) << "message cleared";
  }
}

TEST_F(LoopTest, KeyThatDismissesAMessageStartsTheNextLine) {
  Play("j\rx6\rq\r");
  EXPECT_EQ(Messages, IllegalCommand);
  EXPECT_EQ(FixedDepth, 6);
}

TEST_F(LoopTest, QuitByFirstLetterStopsReading) {
  const char *Lines[] = {"q", "Q", "QUIT", "quit", "Quite so"};
  for (const char *Line : Lines) {
    SCOPED_TRACE(Line);
    Restart();
    Play(std::string(Line) + "\rt5\r");
    EXPECT_TRUE(Quit);
    EXPECT_EQ(MoveTime, 60);
    EXPECT_EQ(S.KeysLeft(), 3u) << "the line after Q is never read";
  }
}

TEST_F(LoopTest, NewGameRestoresTheStartAndTheBook) {
  const char *Lines[] = {"n", "NEW"};
  for (const char *Line : Lines) {
    SCOPED_TRACE(Line);
    SetFen("4k3/8/8/8/8/8/8/4K3 b - -");
    Game.InLibrary = false;
    Game.OpeningStr = "E2E4";
    Pass(std::string(Line) + "\r");
    EXPECT_STREQ(BoardFen(), StartFen);
    EXPECT_TRUE(Game.InLibrary);
    EXPECT_STREQ(Game.OpeningStr.c_str(), "");
    EXPECT_TRUE(HumansMove);
    EXPECT_EQ(Text(2, 1, 25), "8 r  n  b  q  k  b  n  r ");
  }
}

TEST_F(LoopTest, PlayHandsTheTurnOver) {
  const char *Lines[] = {"p", "PLAY"};
  for (const char *Line : Lines) {
    SCOPED_TRACE(Line);
    ResetGame();
    const int8_t Index = Game.TBIndex;
    Pass(std::string(Line) + "\r");
    EXPECT_FALSE(HumansMove);
    EXPECT_EQ(Game.TBIndex, Index);
    EXPECT_STREQ(BoardFen(), StartFen);
  }
}

TEST_F(LoopTest, DebugAndEvalChangeNothingInTheGame) {
  const char *Lines[] = {"d", "e", "E2"};
  for (const char *Line : Lines) {
    SCOPED_TRACE(Line);
    Restart();
    Messages.clear();
    const int8_t Index = Game.TBIndex;
    Pass(std::string(Line) + "\r\r");
    EXPECT_EQ(Messages, NoMsgs);
    EXPECT_EQ(Game.TBIndex, Index);
    EXPECT_STREQ(BoardFen(), StartFen);
    EXPECT_TRUE(HumansMove);
    EXPECT_EQ(Text(9, 1, 25), "1 R  N  B  Q  K  B  N  R ") << "redrawn";
  }
}

TEST_F(LoopTest, WriteAndReadThePositionFile) {
  SetFen("4k3/8/8/8/8/8/4P3/4K3 b - -");
  Pass("WRITE\r");
  EXPECT_EQ(ReadFile("game.fen").substr(0, 24), "4k3/8/8/8/8/8/4P3/4K3 b ");

  ResetGame();
  WriteFile("game.fen", "4k3/8/8/8/8/8/3p4/4K3 w - -\n");
  Pass("r\r");
  EXPECT_STREQ(BoardFen(), "4k3/8/8/8/8/8/3p4/4K3 w ");
  EXPECT_FALSE(Game.InLibrary);
  EXPECT_EQ(Messages, NoMsgs);
  EXPECT_EQ(Text(2, 1, 25), "8             k          ");
  EXPECT_EQ(Text(8, 1, 25), "2          p             ");
}

// A FIFO named game.fen would block an open for ever; it is refused at once
// with the usual messages, and the game stays as it was.
TEST_F(LoopTest, AGameFileThatIsNoPlainFileIsRefusedAtOnce) {
  ASSERT_EQ(mkfifo("game.fen", 0644), 0);
  alarm(10); // a blocked open ends the test instead of hanging it
  const struct {
    const char *Line, *Message;
  } Cases[] = {{"w\r", "Write Failed"}, {"r\r", "No Board File Found"}};
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Line);
    Restart();
    Pass(C.Line);
    EXPECT_EQ(Messages, Msgs{C.Message});
    EXPECT_STREQ(BoardFen(), StartFen);
  }
  alarm(0);
}

TEST_F(LoopTest, ReadWithoutAFileKeepsThePosition) {
  Pass("r\r");
  EXPECT_EQ(Messages, Msgs{"No Board File Found"});
  EXPECT_STREQ(BoardFen(), StartFen);
  EXPECT_TRUE(Game.InLibrary);
}

TEST_F(LoopTest, SetupOpensTheEditor) {
  const char *Lines[] = {"s", "SAVE"};
  for (const char *Line : Lines) {
    SCOPED_TRACE(Line);
    Restart();
    Pass(std::string(Line) + "\rq\r");
    EXPECT_EQ(S.KeysLeft(), 0u) << "the editor read its own entry";
    EXPECT_FALSE(Game.InLibrary);
    EXPECT_TRUE(HumansMove);
    EXPECT_STREQ(BoardFen(), StartFen);
  }
}

TEST_F(LoopTest, TypedMoves) {
  const struct {
    const char *Line;
    const char *Fen; // the position afterwards
    Msgs Errors;
    const char *Opening; // OpeningStr afterwards
  } Cases[] = {
      {"e2e4", AfterE2E4, NoMsgs, "E2E4"},
      {"E2E4", AfterE2E4, NoMsgs, "E2E4"},
      {"g1f3", "rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R b KQkq", NoMsgs, "G1F3"},
      {"E2E5", StartFen, IllegalMove, "E2E5"},
      {"e2e4x", StartFen, IllegalMove, "E2E4X"},
      {"E2E4 ", StartFen, IllegalMove, "E2E4 "},
      {"A1A1", StartFen, IllegalMove, "A1A1"},
      {"E7E5", StartFen, IllegalMove, "E7E5"},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Line);
    Restart();
    Pass(std::string(C.Line) + "\r");
    EXPECT_STREQ(BoardFen(), C.Fen);
    EXPECT_EQ(Messages, C.Errors);
    EXPECT_STREQ(Game.OpeningStr.c_str(), C.Opening) << "appended before the legality test";
    EXPECT_EQ(Game.TBIndex, 1) << "every move-shaped text is pushed";
    EXPECT_EQ(HumansMove, !C.Errors.empty()) << "a made move passes the turn";
  }
}

TEST_F(LoopTest, TypedMoveOutOfTheBookLeavesTheOpeningLine) {
  Game.InLibrary = false;
  Pass("e2e4\r");
  EXPECT_STREQ(BoardFen(), AfterE2E4);
  EXPECT_STREQ(Game.OpeningStr.c_str(), "");
}

TEST_F(LoopTest, ComputerWithoutAMovePassesTheTurnBack) {
  const char *Books[] = {"E2E4E7E5\n", ""};
  for (const char *Book : Books) {
    WriteFile("book.txt", Book);
    SetFen(WhiteMated);
    Game.OpeningStr = "F2F3E7E5G2G4D8H4";
    HumansMove = false;
    GotoXY(49, 14);
    Write("Move: A7A6");
    const int8_t Index = Game.TBIndex;
    GamePass();
    EXPECT_TRUE(HumansMove);
    EXPECT_EQ(MyMove.ToSq, -1);
    EXPECT_EQ(Game.TBIndex, Index + 1) << "a computer turn is pushed even without a move";
    EXPECT_EQ(Text(14, 49, 10), "Move: A7A6") << "nothing printed";
    EXPECT_STREQ(Game.OpeningStr.c_str(), "F2F3E7E5G2G4D8H4A1A1");
    EXPECT_FALSE(Game.InLibrary);
  }
}

// The computer on its move time, stopped by the clock in the middle of an
// iteration: a search that took the scores of lines cut short played the
// knight for a pawn here (F6D5), or the rook (H8G8). Whatever iteration the
// clock cuts, the move played was searched to its end.
TEST_F(LoopTest, MoveTimeStopsTheSearchOnAMoveItSearched) {
  WriteFile("game.fen", "r1bqkb1r/pppppp1p/2n2np1/3P4/2P5/5P2/PP2P1PP/RNBQKBNR b KQkq -\n");
  Pass("t1\r");
  Pass("r\r");
  Pass("p\r");
  ASSERT_FALSE(HumansMove);
  GamePass();
  EXPECT_TRUE(HumansMove);
  const ShortStr Played = SquaresToStr(MyMove.FromSq, MyMove.ToSq);
  EXPECT_TRUE(IsMoveText(Played.c_str())) << Played.c_str();
  EXPECT_NE(Played, ShortStr("F6D5"));
  EXPECT_NE(Played, ShortStr("H8G8"));
}

// Two traps the README names: four characters shaped like a move make a
// move, whatever follows, and a refused move is a step that the next b
// takes back, leaving the board as it is.
TEST_F(LoopTest, AMoveShapedLineIsAMoveAndARefusedMoveIsAStepBack) {
  for (const char *Line : {"b1c3zz\r", "e2e4x\r"}) {
    SCOPED_TRACE(Line);
    Restart();
    Pass(Line);
    EXPECT_EQ(Messages, IllegalMove);
    EXPECT_STREQ(BoardFen(), StartFen);
  }
  Restart();
  Pass("x1\r"); // the computer answers at once: only the first iteration runs
  Pass("g1f3\r");
  GamePass();
  ASSERT_TRUE(HumansMove);
  const std::string AfterReply = BoardFen();
  Pass("e2e5\r\b"); // refused; the Backspace dismisses the message
  Pass("b\r");
  EXPECT_EQ(BoardFen(), AfterReply) << "the first b takes back the refused step";
  Pass("b\r");
  EXPECT_NE(BoardFen(), AfterReply) << "the second takes back the reply";
}

TEST_F(LoopTest, ComputerRepliesFromTheBook) {
  Play("e2e4\rq\r");
  EXPECT_STREQ(BoardFen(), AfterE7E5);
  EXPECT_EQ(Text(14, 49, 10), "Move: E7E5");
  EXPECT_STREQ(Game.OpeningStr.c_str(), "E2E4E7E5");
  EXPECT_TRUE(Game.InLibrary);
  EXPECT_TRUE(HumansMove);
  EXPECT_EQ(MyMove.FromSq, 52);
  EXPECT_EQ(MyMove.ToSq, 36);
}

TEST_F(LoopTest, TakeBackAfterTheComputersReply) {
  const struct {
    const char *Lines;
    const char *Fen;
    const char *Opening;
  } Cases[] = {
      {"e2e4\rb\r", AfterE2E4, "E2E4"},
      {"e2e4\rBACK\rb\r", StartFen, ""},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Lines);
    Restart();
    Play(std::string(C.Lines) + "q\r");
    EXPECT_STREQ(BoardFen(), C.Fen);
    EXPECT_STREQ(Game.OpeningStr.c_str(), C.Opening);
    EXPECT_TRUE(HumansMove) << "B does not change who types";
  }
}

TEST_F(LoopTest, CalcMoveAsksTheBookFirst) {
  const struct {
    const char *Fen;
    bool InBook;
    const char *Played;
    int8_t From, To;     // the answer's squares; -1 for no move
    const char *Opening; // OpeningStr afterwards
    bool StillInBook;
  } Cases[] = {
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -", true, "E2E4", 52, 36, "E2E4E7E5",
       true},
      {WhiteMated, true, "D2D4", -1, -1, "D2D4A1A1", false},
      {WhiteMated, true, "E2E4E7E5", -1, -1, "E2E4E7E5A1A1", false},
      {WhiteMated, false, "E2E4", -1, -1, "E2E4", false},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Played);
    SetFen(C.Fen);
    Game.InLibrary = C.InBook;
    Game.OpeningStr = C.Played;
    const MoveRec M = CalcMove(ConsoleLimits(MoveTime, FixedDepth));
    EXPECT_EQ(M.FromSq, C.From);
    EXPECT_EQ(M.ToSq, C.To);
    EXPECT_STREQ(Game.OpeningStr.c_str(), C.Opening);
    EXPECT_EQ(Game.InLibrary, C.StillInBook);
  }
}

TEST_F(LoopTest, CommandLineIsPromptedEchoedAndUpperCased) {
  const struct {
    const char *Keys;
    const char *Cmd;  // what ReadLnCmd returns
    const char *Echo; // row 13 from column 49
  } Cases[] = {
      {"e2e4\r", "E2E4", "Move: e2e4"},
      {"quit\r", "QUIT", "Move: quit"},
      {"\r", "", "Move: "},
      {" t5\r", " T5", "Move:  t5"},
      {"abcdefghijklmnop\r", "ABCDEFGHIJ", "Move: abcdefghij"},
      {"e2e5\b4\r", "E2E4", "Move: e2e4"},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Keys);
    GotoXY(49, 13);
    Write("I'm Thinking.......");
    S.Type(C.Keys);
    ShortStr Cmd;
    ReadLnCmd(Cmd);
    EXPECT_STREQ(Cmd.c_str(), C.Cmd);
    const std::string Echo = C.Echo;
    EXPECT_EQ(Text(13, 49, 32), Echo + std::string(32 - Echo.size(), ' '));
  }
}

TEST_F(LoopTest, TenThousandCharacterLineKeepsTenAndTheLayout) {
  const std::string Long = "t12" + std::string(9997, '4');
  DisplayTheBoard();
  std::vector<std::string> Before;
  for (int Y = 1; Y <= 25; ++Y) Before.emplace_back(S.Row(Y));

  S.Type((Long + "\rq\r").c_str());
  ShortStr Cmd;
  ReadLnCmd(Cmd);
  EXPECT_STREQ(Cmd.c_str(), "T124444444");
  EXPECT_EQ(Text(13, 49, 32), "Move: t124444444" + std::string(16, ' '));
  for (int Y = 1; Y <= 25; ++Y) {
    if (Y == 13) continue;
    EXPECT_EQ(S.Row(Y), Before[Y - 1]) << "row " << Y;
  }
  ReadLnCmd(Cmd);
  EXPECT_STREQ(Cmd.c_str(), "Q") << "the rest of the long line was dropped";
}

TEST_F(LoopTest, TenThousandCharacterLineInTheGame) {
  Play("x6\rt12" + std::string(9997, '4') + "\rq\r");
  EXPECT_EQ(MoveTime, 124);
  EXPECT_EQ(FixedDepth, 255);
  EXPECT_EQ(Messages, NoMsgs);
  EXPECT_EQ(Text(11, 6, 24), "Move Time = 124 secs    ");
  EXPECT_EQ(Text(2, 1, 25), "8 r  n  b  q  k  b  n  r ");
}

TEST_F(LoopTest, EndOfInputEndsTheGame) {
  const struct {
    const char *Keys;
    uint16_t Time;
    Msgs Errors;
  } Cases[] = {
      {"", 60, NoMsgs},
      {"t5\r", 5, NoMsgs},
      {"t5", 5, NoMsgs},
      {"j\r", 60, IllegalCommand},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Keys);
    Restart();
    Play(C.Keys);
    EXPECT_TRUE(Quit);
    EXPECT_TRUE(InputClosed());
    EXPECT_EQ(MoveTime, C.Time);
    EXPECT_EQ(Messages, C.Errors);
  }
}

// R, S and N draw new keys; a position taken back from before them must get
// the key its placement has now, or the next search finds a broken key.
TEST_F(LoopTest, TakeBackAcrossNewKeysThenASearch) {
  std::vector<std::string> Scripts = {"e2e4\rw\rr\rb\rx4\rp\r",
                                      "x4\re2e4\rs\rq\rd2d4\rb\rb\rb\rp\r"};
  std::vector<std::string> Order = {"n", "r", "s\rq"};
  std::sort(Order.begin(), Order.end());
  do {
    Scripts.push_back("x4\rw\re2e4\r" + Order[0] + "\rd2d4\r" + Order[1] + "\rg1f3\r" + Order[2] +
                      "\rb\rb\rb\rb\rb\rb\rp\r");
  } while (std::next_permutation(Order.begin(), Order.end()));
  for (const std::string &Keys : Scripts) {
    SCOPED_TRACE(Keys);
    Restart();
    PassesChecked(Keys);
    EXPECT_EQ(Messages, NoMsgs);
    EXPECT_EQ(Kings(), 2);
  }
}

// Positions no game reaches: an eleventh queen to be, a king the side to
// move could take. R refuses them and the game goes on from where it was.
TEST_F(LoopTest, PositionFilesThatCannotBePlayedAreRefused) {
  const char *Files[] = {"QQQQQQQQ/QQ1P4/8/8/8/8/5ppp/K6k w - - 0 1",
                         "k6K/5PPP/8/8/8/8/qq1p4/qqqqqqqq b - - 0 1", "8/8/8/8/8/8/3R2kK/8 w -",
                         "8/1n6/8/8/5b1P/8/1K6/2q5 b KQkq"};
  for (const char *Fen : Files) {
    SCOPED_TRACE(Fen);
    Restart();
    WriteFile("game.fen", Fen);
    PassesChecked("r\rx4\rp\rw\r");
    EXPECT_EQ(Messages, Msgs{"Bad Board File"});
    EXPECT_EQ(Game.MoveNum, 1) << "the computer moved in the start position";
    EXPECT_EQ(ReadFile("game.fen").substr(0, 9), "rnbqkbnr/");
  }
}

// The line ends with the mating move; the table's stale entries after it are
// not shown.
TEST_F(LoopTest, TheLineShownAfterAMateEndsAtTheMate) {
  for (const char *Fen : {"7k/8/6K1/8/8/8/8/R7 w - -", "6k1/8/6K1/8/8/8/8/R7 w - -"}) {
    SCOPED_TRACE(Fen);
    Restart();
    SetFen(Fen);
    PassesChecked("x4\rp\r");
    const std::string Row = Text(23, 2, 79);
    EXPECT_EQ(Row, "PV:  A1A8" + std::string(70, ' '));
  }
}

// A few hundred random command lines, position files and editor entries:
// the game never stops, never takes a king and its key always fits.
TEST_F(LoopTest, RandomCommandLinesNeverStopTheGameOrBreakTheKey) {
  std::mt19937 Rng(20261207);
  auto Pick = [&](int N) { return static_cast<int>(Rng() % static_cast<unsigned>(N)); };
  auto RandomSquare = [&] {
    return std::string(1, static_cast<char>('a' + Pick(8))) + static_cast<char>('1' + Pick(8));
  };
  auto RandomFen = [&] {
    std::string Board(64, '.');
    auto Put = [&](char C) {
      for (int Try = 0; Try < 100; ++Try) {
        const int Sq = Pick(64);
        if (Board[Sq] == '.') {
          Board[Sq] = C;
          return;
        }
      }
    };
    if (Pick(8)) Put('K');
    if (Pick(8)) Put('k');
    if (Pick(6) == 0) {
      // More queens and pawns than a side can ever hold as queens.
      const char Q = Pick(2) ? 'Q' : 'q';
      for (int I = 0; I < 10; ++I) Put(Q);
      Put(Q == 'Q' ? 'P' : 'p');
    } else {
      const std::string Pieces = "PPPPNNBBRRQpppppnnbbrrq";
      for (int I = Pick(12); I > 0; --I) Put(Pieces[Pick(static_cast<int>(Pieces.size()))]);
    }
    std::string Fen;
    for (int Rank = 7; Rank >= 0; --Rank) {
      int Run = 0;
      for (int File = 0; File < 8; ++File) {
        const char C = Board[Rank * 8 + File];
        if (C == '.') {
          ++Run;
          continue;
        }
        if (Run) Fen += static_cast<char>('0' + Run);
        Run = 0;
        Fen += C;
      }
      if (Run) Fen += static_cast<char>('0' + Run);
      if (Rank) Fen += '/';
    }
    Fen += Pick(2) ? " w " : " b ";
    Fen += Pick(2) ? "KQkq" : "-";
    if (Pick(8) == 0) Fen[Pick(static_cast<int>(Fen.size()))] = static_cast<char>(Pick(256));
    return Fen;
  };
  // A legal move of the side to move, or any move-shaped text when there is none.
  auto RandomMove = [&] {
    std::vector<std::string> Legal;
    const uint16_t N = GenMoveList(Game.St, Str4());
    std::vector<std::string> Texts;
    for (uint16_t I = 0; I < N; ++I) {
      const MoveRec M = GetAMove(Game.St, N);
      Texts.emplace_back(SquaresToStr(M.FromSq, M.ToSq).c_str());
    }
    for (const std::string &T : Texts)
      if (IsLegalMove(Game.St, T.c_str())) Legal.push_back(T);
    if (Legal.empty() || Pick(5) == 0) return RandomSquare() + RandomSquare();
    return Legal[Pick(static_cast<int>(Legal.size()))];
  };
  auto RandomEditorEntry = [&]() -> std::string {
    switch (Pick(5)) {
    case 0:
      return Pick(4) ? RandomSquare() : "c";
    case 1:
      return Pick(2) ? "wm" : "bm";
    default:
      return std::string(Pick(2) ? "w" : "b") + "pnbrqk"[Pick(6)] + RandomSquare();
    }
  };

  Restart();
  PassesChecked("x4\r");
  for (int Line = 0; Line < 300; ++Line) {
    std::string Keys;
    const int Kind = Pick(20);
    const bool Move = Kind < 8;
    if (Move) {
      Keys = RandomMove();
    } else if (Kind < 11) {
      Keys = "b";
    } else if (Kind < 12) {
      Keys = "n";
    } else if (Kind < 14) {
      if (Pick(4)) WriteFile("game.fen", RandomFen());
      Keys = "r";
    } else if (Kind < 15) {
      Keys = "w";
    } else if (Kind < 17) {
      Keys = "s";
      for (int I = Pick(10); I > 0; --I) Keys += "\r" + RandomEditorEntry();
      Keys += "\rq";
      // Leaving may be refused: then the board is cleared and left, or, when
      // the keys end first, the position S was typed in comes back.
      if (Pick(2)) Keys += "\rc\rq";
    } else if (Kind < 18) {
      Keys = "x4";
    } else {
      Keys = "p";
    }
    SCOPED_TRACE(std::to_string(Line) + ": " + Keys);
    // Each line on a fresh keyboard: what the editor leaves unread is dropped,
    // and a message at the end of the keys ends nothing.
    while (S.KeysLeft() > 0) S.GetKey();
    UseDevice(&S);
    const int KingsBefore = Kings();
    S.Type((Keys + "\r").c_str());
    GamePass();
    ASSERT_FALSE(Quit);
    ASSERT_EQ(Game.St.Data[0].HashKey, CalcBrdKey(Game.Here()));
    if (Move) {
      ASSERT_EQ(Kings(), KingsBefore);
    }
    while (!HumansMove) {
      const int Before = Kings();
      GamePass();
      ASSERT_FALSE(Quit);
      ASSERT_EQ(Game.St.Data[0].HashKey, CalcBrdKey(Game.Here()));
      ASSERT_EQ(Kings(), Before) << "the computer took a king";
    }
  }
}

TEST(UpperCaseTest, OnlyLettersAToZChange) {
  const struct {
    const char *In, *Out;
  } Cases[] = {
      {"e2e4", "E2E4"}, {"Quit", "QUIT"}, {"`az{", "`AZ{"},           {"AZ@[", "AZ@["},
      {" x ", " X "},   {"", ""},         {"\xe9t\xff", "\xe9T\xff"},
  };
  for (const auto &C : Cases) EXPECT_STREQ(UpperCase(Str255(C.In)).c_str(), C.Out) << C.In;
}

TEST(IsMoveCmdTest, LetterDigitLetterDigit) {
  const struct {
    const char *S;
    bool Move;
  } Cases[] = {
      {"E2E4", true},  {"A1A1", true},  {"H8H8", true},  {"A8H1", true},  {"E2E4X", true},
      {"E2", false},   {"", false},     {"E2E", false},  {"I2E4", false}, {"@2E4", false},
      {"E9E4", false}, {"E0E4", false}, {"E2I4", false}, {"E2E9", false}, {"E2E0", false},
      {"e2e4", false}, {"E2 4", false}, {"22E4", false}, {"EEE4", false},
  };
  for (const auto &C : Cases) EXPECT_EQ(IsMoveCmd(Str4(C.S)), C.Move) << C.S;
}

} // namespace
