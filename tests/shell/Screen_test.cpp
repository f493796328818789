// The console screen read back from the in-memory screen: the board, the menu
// and the status line cell by cell, one-line messages, and the console's side
// of the engine's front-end seam.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestUtil.h"
#include "board/Types.h"
#include "platform/MemScreen.h"
#include "platform/Terminal.h"
#include "seam/Seam.h"
#include "search/SearchState.h"
#include "shell/Console.h"
#include "shell/Screen.h"

namespace {

// A memory screen that remembers what row 14 showed the first time the program
// asked the keyboard for something, i.e. what a message showed while it waited.
// With EndWhenEmpty false an empty script means "no key yet" rather than the
// end of the input.
class SpyScreen final : public TermDevice {
public:
  MemScreen Mem;
  std::string RowAtWait;
  int KeyRequests = 0;
  bool EndWhenEmpty = true;

  void PutCell(int X, int Y, char Ch, int Fg, int Bg) override { Mem.PutCell(X, Y, Ch, Fg, Bg); }
  void MoveCursor(int X, int Y) override { Mem.MoveCursor(X, Y); }
  void Flush() override {}
  bool KeyWaiting() override {
    Note();
    return EndWhenEmpty || Mem.KeysLeft() > 0;
  }
  int GetKey() override {
    Note();
    return Mem.GetKey();
  }

private:
  void Note() {
    if (KeyRequests++ == 0) RowAtWait = Mem.Row(14);
  }
};

class ScreenTest : public ::testing::Test {
protected:
  SpyScreen Spy;
  MemScreen &S = Spy.Mem;

  void SetUp() override {
    UseDevice(&Spy);
    ResetGame();
    InstallConsoleFrontEnd();
  }
  void TearDown() override {
    ResetFrontEnd();
    UseDevice(nullptr);
  }

  std::string Text(int Y, int X, std::size_t Len) const {
    return std::string(S.Row(Y, X)).substr(0, Len);
  }
  void Put(int X, int Y, const char *T) {
    GotoXY(X, Y);
    Write(T);
  }
};

std::string Blanks(std::size_t N) { return std::string(N, ' '); }

TEST_F(ScreenTest, StartPositionRowsReadAsTheBoardFromWhitesSide) {
  DisplayTheBoard();
  const struct {
    int Row;
    std::string Text; // from column 1 to column 27, the board window's width
  } Rows[] = {
      {1, Blanks(27)},
      {2, "8 r  n  b  q  k  b  n  r   "},
      {3, "7 p  p  p  p  p  p  p  p   "},
      {4, "6" + Blanks(26)},
      {6, "4" + Blanks(26)},
      {8, "2 P  P  P  P  P  P  P  P   "},
      {9, "1 R  N  B  Q  K  B  N  R   "},
      {10, "  a  b  c  d  e  f  g  h   "},
  };
  for (const auto &R : Rows) EXPECT_EQ(Text(R.Row, 1, 27), R.Text) << "row " << R.Row;
}

TEST_F(ScreenTest, SquaresPiecesAndLabelsHaveTheirColours) {
  DisplayTheBoard();
  const struct {
    int X, Y;
    char Ch;
    int Fg, Bg;
    const char *What;
  } Cells[] = {
      {1, 2, '8', White, Black, "rank digit 8"},
      {1, 9, '1', White, Black, "rank digit 1"},
      {2, 2, ' ', Black, Green, "left blank of a8"},
      {3, 2, 'r', Black, Green, "a8"},
      {4, 2, ' ', Black, Green, "right blank of a8"},
      {6, 2, 'n', Black, Brown, "b8"},
      {12, 2, 'q', Black, Brown, "d8"},
      {15, 2, 'k', Black, Green, "e8"},
      {24, 2, 'r', Black, Brown, "h8"},
      {3, 3, 'p', Black, Brown, "a7"},
      {6, 3, 'p', Black, Green, "b7"},
      {12, 6, ' ', Black, Brown, "empty d4"},
      {15, 6, ' ', Black, Green, "empty e4"},
      {3, 8, 'P', White, Green, "a2"},
      {2, 9, ' ', White, Brown, "left blank of a1"},
      {3, 9, 'R', White, Brown, "a1"},
      {12, 9, 'Q', White, Green, "d1"},
      {15, 9, 'K', White, Brown, "e1"},
      {24, 9, 'R', White, Green, "h1"},
      {25, 9, ' ', White, Green, "right blank of h1"},
      {3, 10, 'a', White, Black, "file letter a"},
      {24, 10, 'h', White, Black, "file letter h"},
      {30, 2, 'n', White, Black, "first menu line"},
      {6, 11, 'M', White, Black, "status line"},
  };
  for (const auto &C : Cells) {
    const Cell &Got = S.At(C.X, C.Y);
    EXPECT_EQ(Got.Ch, C.Ch) << C.What;
    EXPECT_EQ(Got.Fg, C.Fg) << C.What;
    EXPECT_EQ(Got.Bg, C.Bg) << C.What;
  }
}

TEST_F(ScreenTest, PieceColourFollowsTheSideNotTheRank) {
  SetFen("Q7/7k/8/8/8/8/p7/7K w - -");
  DisplayTheBoard();
  EXPECT_EQ(Text(2, 1, 25), "8 Q" + Blanks(22));
  EXPECT_EQ(Text(3, 1, 25), "7" + Blanks(22) + "k ");
  EXPECT_EQ(Text(8, 1, 25), "2 p" + Blanks(22));
  const struct {
    int X, Y;
    char Ch;
    int Fg, Bg;
  } Cells[] = {
      {3, 2, 'Q', White, Green},  {24, 3, 'k', Black, Green}, {3, 8, 'p', Black, Green},
      {24, 9, 'K', White, Green}, {3, 3, ' ', Black, Brown},  {24, 2, ' ', Black, Brown},
  };
  for (const auto &C : Cells) {
    const Cell &Got = S.At(C.X, C.Y);
    EXPECT_EQ(Got.Ch, C.Ch) << C.X << "," << C.Y;
    EXPECT_EQ(Got.Fg, C.Fg) << C.X << "," << C.Y;
    EXPECT_EQ(Got.Bg, C.Bg) << C.X << "," << C.Y;
  }
}

TEST_F(ScreenTest, MenuHasItsNineLinesFromColumn30) {
  Put(30, 12, "left over text");
  Put(30, 13, "more");
  DisplayTheBoard();
  const char *Menu[] = {"n: New Game",      "b: TakeBack",      "p: Play    ",
                        "s: Setup   ",      "w: Write game",    "r: Read game",
                        "t: Move Time(tx)", "x: Fixed Ply(xx)", "q: Quit"};
  for (int I = 0; I < 9; ++I) {
    const std::string Line = Menu[I];
    EXPECT_EQ(Text(I + 2, 30, 19), Line + Blanks(19 - Line.size())) << "row " << I + 2;
  }
  for (int Y = 11; Y <= 13; ++Y) EXPECT_EQ(Text(Y, 30, 19), Blanks(19)) << "row " << Y;
}

TEST_F(ScreenTest, StatusLineShowsTheLimitWithoutLeftovers) {
  const struct {
    uint16_t Time;
    uint8_t Depth;
    std::string Text;
  } Cases[] = {
      {60, 255, "Move Time = 60 secs    "},       {5, 255, "Move Time = 5 secs    "},
      {65000, 255, "Move Time = 65000 secs    "}, {65000, 6, "Fixed Depth = 6     "},
      {65000, 0, "Fixed Depth = 0     "},         {65000, 254, "Fixed Depth = 254     "},
  };
  for (const auto &C : Cases) {
    // First the widest status text, so anything it leaves behind would show.
    MoveTime = 65000;
    FixedDepth = 255;
    DisplayTheBoard();
    MoveTime = C.Time;
    FixedDepth = C.Depth;
    DisplayTheBoard();
    EXPECT_EQ(Text(11, 1, 31), Blanks(5) + C.Text + Blanks(26 - C.Text.size())) << C.Text;
  }
}

TEST_F(ScreenTest, RedrawClearsTheBoardAndMenuWindowsOnly) {
  DisplayTheBoard();
  Put(1, 1, "EG");
  Put(26, 5, "x");
  Put(40, 12, "y");
  Put(28, 5, "z");
  Put(49, 5, "panel");
  Put(49, 14, "Move: E7E5");
  DisplayTheBoard();
  const struct {
    int X, Y;
    char Ch;
    const char *What;
  } Cells[] = {
      {1, 1, ' ', "endgame marker"},  {2, 1, ' ', "endgame marker"},   {26, 5, ' ', "board window"},
      {40, 12, ' ', "menu window"},   {28, 5, 'z', "between windows"}, {49, 5, 'p', "search panel"},
      {49, 14, 'M', "last move row"},
  };
  for (const auto &C : Cells) EXPECT_EQ(S.At(C.X, C.Y).Ch, C.Ch) << C.What;
}

TEST_F(ScreenTest, RedrawLeavesTheFullScreenInLowVideo) {
  DisplayTheBoard();
  GotoXY(70, 20);
  Write('Z');
  const Cell &C = S.At(70, 20);
  EXPECT_EQ(C.Ch, 'Z');
  EXPECT_EQ(C.Fg, LightGray);
  EXPECT_EQ(C.Bg, Black);
}

TEST_F(ScreenTest, MessageEndsAtColumn80AndTheKeyStaysPending) {
  const struct {
    const char *Msg;
    int Col; // where the message starts
  } Cases[] = {
      {"Illegal Command", 49},     {"Illegal Move", 49},         {"", 49},
      {"No Board File Found", 45}, {"Missing Library File", 44},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Msg);
    UseDevice(&Spy);
    Spy.KeyRequests = 0;
    Put(1, 14, "#");
    Put(49, 14, "Move: E7E5");
    S.Type("k");
    ErrorMsg(C.Msg);

    std::string Shown = "#" + Blanks(79);
    const std::string Msg = std::string(C.Msg) + ": (Press any key)";
    Shown.replace(C.Col - 1, Msg.size(), Msg);
    EXPECT_EQ(Spy.RowAtWait, Shown);
    EXPECT_EQ(Text(15, 1, 80), Blanks(80)) << "nothing wraps onto row 15";
    EXPECT_EQ(Text(14, 1, 80), "#" + Blanks(79)) << "the message row is cleared";
    EXPECT_TRUE(KeyPressed());
    EXPECT_EQ(ReadKey(), 'k');
  }
}

TEST_F(ScreenTest, MessageTooLongForTheRowIsCut) {
  const std::string Long(100, 'm');
  S.Type("k");
  ErrorMsg(Long.c_str());
  EXPECT_EQ(Spy.RowAtWait, std::string(63, 'm') + ": (Press any key)");
  EXPECT_EQ(Text(15, 1, 80), Blanks(80));
}

TEST_F(ScreenTest, ThinkingLineReplacesThePrompt) {
  Put(49, 13, "Move: E2E4");
  ShowThinking();
  EXPECT_EQ(Text(13, 49, 20), "I'm Thinking....... ");
}

TEST_F(ScreenTest, BookLineShowsAtMost13MovesOnRow23) {
  const struct {
    const char *Line;
    std::string Shown; // row 23 from column 2
  } Cases[] = {
      {"E2E4E7E5", "Opening: E2E4 E7E5 "},
      {"E2E4E7", "Opening: E2E4 E7 "},
      {"", "Opening: "},
      {"E2E4E7E5G1F3B8C6F1B5A7A6B5A4G8F6E1G1F8E7F1E1B7B5A4B3D7D6C2C3",
       "Opening: E2E4 E7E5 G1F3 B8C6 F1B5 A7A6 B5A4 G8F6 E1G1 F8E7 F1E1 B7B5 A4B3 "},
  };
  for (const auto &C : Cases) {
    Put(1, 23, std::string(80, 'x').c_str());
    ShowBookLine(C.Line);
    EXPECT_EQ(S.At(1, 23).Ch, 'x') << C.Line;
    EXPECT_EQ(Text(23, 2, 79), C.Shown + Blanks(79 - C.Shown.size())) << C.Line;
  }
}

TEST_F(ScreenTest, OnlyLowerCasePStopsTheSearch) {
  const struct {
    const char *Keys;
    std::vector<bool> Polls; // answers of successive polls
  } Cases[] = {
      {"p", {true}},
      {"P", {false}},
      {"xp", {false, true}},
      {"\rp", {false, true}},
  };
  for (const auto &C : Cases) {
    UseDevice(&Spy);
    S.Type(C.Keys);
    for (std::size_t I = 0; I < C.Polls.size(); ++I)
      EXPECT_EQ(PollStop(), C.Polls[I]) << C.Keys << " poll " << I;
  }
}

TEST_F(ScreenTest, PollWithNoKeyDoesNotWaitOrConsume) {
  Spy.EndWhenEmpty = false;
  EXPECT_FALSE(PollStop());
  EXPECT_FALSE(InputClosed());
  S.Type("p");
  EXPECT_TRUE(PollStop());
}

} // namespace
