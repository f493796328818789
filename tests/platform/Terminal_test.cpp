// The terminal operations, read back from the in-memory screen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "platform/MemScreen.h"
#include "platform/Terminal.h"

namespace {

class TerminalTest : public ::testing::Test {
protected:
  void SetUp() override { UseDevice(Scr.get()); }
  void TearDown() override { UseDevice(nullptr); }

  // N characters of row Y from column X.
  std::string Text(int Y, int X, int N) const { return std::string(Scr->Row(Y, X), N); }

  // Fills the whole screen with Ch so that every blanked cell shows.
  void Fill(char Ch) {
    const std::string Line(ScreenCols, Ch);
    for (int Y = 1; Y <= ScreenRows; ++Y) {
      GotoXY(1, Y);
      Write(Line.c_str());
    }
  }

  std::string ReadOne(std::size_t Cap, bool *Ok = nullptr) {
    std::string Buf(Cap, '\0');
    std::size_t Len = 99;
    const bool R = ReadLine(Buf.data(), Cap, Len);
    if (Ok) *Ok = R;
    return Buf.substr(0, Len);
  }

  std::unique_ptr<MemScreen> Scr = std::make_unique<MemScreen>();
};

// ---- windows and the cursor ----------------------------------------------------

TEST_F(TerminalTest, CursorIsRelativeToTheWindow) {
  ASSERT_TRUE(Window(10, 5, 20, 8));
  EXPECT_EQ(WhereX(), 1);
  EXPECT_EQ(Scr->CursorY, 5);
  GotoXY(3, 2);
  Write("ab");
  EXPECT_EQ(Scr->At(12, 6).Ch, 'a');
  EXPECT_EQ(Scr->At(13, 6).Ch, 'b');
  EXPECT_EQ(WhereX(), 5);
  EXPECT_EQ(Scr->CursorX, 14);
  EXPECT_EQ(Scr->CursorY, 6);
}

TEST_F(TerminalTest, GotoOutsideTheWindowIsIgnored) {
  ASSERT_TRUE(Window(10, 5, 20, 8));
  GotoXY(4, 3);
  const int Bad[][2] = {{0, 1}, {1, 0}, {12, 1}, {1, 5}, {-3, 2}};
  for (const auto &P : Bad) {
    GotoXY(P[0], P[1]);
    EXPECT_EQ(WhereX(), 4) << P[0] << "," << P[1];
    EXPECT_EQ(Scr->CursorY, 7) << P[0] << "," << P[1];
  }
  GotoXY(11, 4); // the bottom-right corner is inside
  EXPECT_EQ(WhereX(), 11);
  EXPECT_EQ(Scr->CursorY, 8);
}

TEST_F(TerminalTest, TextWrapsAtTheWindowsRightEdge) {
  Fill('.');
  ASSERT_TRUE(Window(10, 5, 14, 8));
  Write("abcdefg");
  EXPECT_EQ(Text(5, 9, 7), ".abcde.");
  EXPECT_EQ(Text(6, 9, 7), ".fg....");
  EXPECT_EQ(WhereX(), 3);
  EXPECT_EQ(Scr->CursorY, 6);
}

TEST_F(TerminalTest, FillingARowWrapsOnlyWhenTheNextCharacterComes) {
  ASSERT_TRUE(Window(10, 5, 14, 8));
  Write("abcde");
  EXPECT_EQ(WhereX(), 6);
  EXPECT_EQ(Scr->CursorY, 5);
  EXPECT_EQ(Scr->CursorX, 14); // shown on the last column meanwhile
  WriteLn();                   // one line end, not two
  Write("f");
  EXPECT_EQ(Scr->At(10, 6).Ch, 'f');
  EXPECT_EQ(Scr->At(10, 7).Ch, ' ');
}

TEST_F(TerminalTest, LineEndGoesToColumnOneOfTheNextWindowRow) {
  ASSERT_TRUE(Window(30, 2, 48, 13));
  Write("n: New Game");
  WriteLn();
  Write("b: TakeBack");
  EXPECT_EQ(Text(2, 30, 11), "n: New Game");
  EXPECT_EQ(Text(3, 30, 11), "b: TakeBack");
  EXPECT_EQ(WhereX(), 12);
  EXPECT_EQ(Scr->CursorY, 3);
}

TEST_F(TerminalTest, TheBottomRightCellCanBeFilledWithoutScrolling) {
  Write("x");
  GotoXY(80, 25);
  Write("Z");
  EXPECT_EQ(Scr->At(1, 1).Ch, 'x');
  EXPECT_EQ(Scr->At(80, 25).Ch, 'Z');
}

// Past the window's last row its contents move up one row; the screen around
// the window stays as it was.
TEST_F(TerminalTest, WritingPastTheLastRowScrollsOnlyTheWindow) {
  Fill('.');
  ASSERT_TRUE(Window(3, 2, 6, 4));
  TextBackground(2);
  Write("aaaabbbbcccc");
  EXPECT_EQ(Text(4, 2, 6), ".cccc.");
  Write("d");
  EXPECT_EQ(Text(1, 2, 6), "......");
  EXPECT_EQ(Text(2, 2, 6), ".bbbb.");
  EXPECT_EQ(Text(3, 2, 6), ".cccc.");
  EXPECT_EQ(Text(4, 2, 6), ".d   .");
  EXPECT_EQ(Text(5, 2, 6), "......");
  EXPECT_EQ(Scr->At(5, 4).Bg, 2); // the fresh row is in the current background
  EXPECT_EQ(WhereX(), 2);
  EXPECT_EQ(Scr->CursorY, 4);
  WriteLn();
  EXPECT_EQ(Text(2, 2, 6), ".cccc.");
  EXPECT_EQ(Text(3, 2, 6), ".d   .");
  EXPECT_EQ(Text(4, 2, 6), ".    .");
  EXPECT_EQ(WhereX(), 1);
  EXPECT_EQ(Scr->CursorY, 4);
}

TEST_F(TerminalTest, ScrollingKeepsTheColoursOfTheRowsItMoves) {
  ASSERT_TRUE(Window(1, 1, 80, 2));
  GotoXY(1, 2);
  TextColor(Yellow);
  TextBackground(Green);
  Write("up");
  TextColor(LightGray);
  TextBackground(Black);
  WriteLn();
  EXPECT_EQ(Scr->At(1, 1).Ch, 'u');
  EXPECT_EQ(Scr->At(1, 1).Fg, Yellow);
  EXPECT_EQ(Scr->At(1, 1).Bg, Green);
  EXPECT_EQ(Scr->At(1, 2).Ch, ' ');
  EXPECT_EQ(Scr->At(1, 2).Bg, Black);
}

TEST_F(TerminalTest, ClearScreenClearsOnlyTheWindow) {
  Fill('x');
  ASSERT_TRUE(Window(1, 1, 27, 10));
  GotoXY(5, 5);
  TextColor(White);
  TextBackground(Yellow);
  ClrScr();
  EXPECT_EQ(WhereX(), 1);
  EXPECT_EQ(Scr->CursorY, 1);
  EXPECT_EQ(Text(1, 1, 28), std::string(27, ' ') + "x");
  EXPECT_EQ(Text(10, 1, 28), std::string(27, ' ') + "x");
  EXPECT_EQ(Text(11, 1, 28), std::string(28, 'x'));
  EXPECT_EQ(Scr->At(27, 10).Bg, Brown);
  EXPECT_EQ(Scr->At(27, 10).Fg, White);
  EXPECT_EQ(Scr->At(28, 10).Bg, Black);
}

TEST_F(TerminalTest, ClearToEndOfLineStopsAtTheWindowsRightEdge) {
  Fill('x');
  ASSERT_TRUE(Window(30, 2, 48, 13));
  GotoXY(5, 3);
  ClrEol();
  EXPECT_EQ(Text(4, 28, 23), "xxxxxx" + std::string(15, ' ') + "xx");
  EXPECT_EQ(Text(3, 28, 23), std::string(23, 'x'));
  EXPECT_EQ(WhereX(), 5);
  EXPECT_EQ(Scr->CursorY, 4);
}

TEST_F(TerminalTest, ClearToEndOfLineOnTheFullScreen) {
  Fill('x');
  GotoXY(49, 14);
  ClrEol();
  EXPECT_EQ(Text(14, 1, 80), std::string(48, 'x') + std::string(32, ' '));
  EXPECT_EQ(Scr->CursorX, 49);
  EXPECT_EQ(Scr->CursorY, 14);
}

struct WindowCase {
  int X1, Y1, X2, Y2;
  bool Fits;
};

TEST_F(TerminalTest, AWindowThatDoesNotFitIsRefusedAndTheOldOneStays) {
  const WindowCase Cases[] = {
      {1, 1, 80, 25, true},  {80, 25, 80, 25, true},  {5, 7, 5, 7, true},    {0, 1, 80, 25, false},
      {1, 0, 80, 25, false}, {1, 1, 81, 25, false},   {1, 1, 80, 26, false}, {10, 5, 9, 8, false},
      {10, 5, 20, 4, false}, {-5, -5, 10, 10, false}, {81, 1, 81, 1, false}, {1, 26, 1, 26, false},
  };
  for (const WindowCase &C : Cases) {
    SCOPED_TRACE(testing::Message() << C.X1 << "," << C.Y1 << "," << C.X2 << "," << C.Y2);
    Scr->Clear();
    ASSERT_TRUE(Window(30, 2, 48, 13));
    GotoXY(3, 4);
    EXPECT_EQ(Window(C.X1, C.Y1, C.X2, C.Y2), C.Fits);
    Write("w");
    if (C.Fits) {
      EXPECT_EQ(Scr->At(C.X1, C.Y1).Ch, 'w');
    } else {
      EXPECT_EQ(Scr->At(32, 5).Ch, 'w'); // the old window and its cursor
      ClrScr();
      EXPECT_EQ(Scr->At(32, 5).Ch, ' ');
    }
    Window(1, 1, 80, 25);
  }
}

// ---- colours ---------------------------------------------------------------------

TEST_F(TerminalTest, TheBackgroundKeepsOnlyItsLowThreeBits) {
  const int Cases[][2] = {{0, 0}, {2, 2}, {7, 7}, {8, 0}, {14, 6}, {15, 7}, {10, 2}};
  for (const auto &C : Cases) {
    TextBackground(C[0]);
    Write("b");
    EXPECT_EQ(Scr->At(WhereX() - 1, Scr->CursorY).Bg, C[1]) << "background " << C[0];
  }
}

TEST_F(TerminalTest, HighAndLowVideoSetAndClearTheIntensityBit) {
  struct {
    int Color;
    void (*Video)();
    int Shown;
  } const Cases[] = {
      {LightGray, HighVideo, White}, {White, LowVideo, LightGray}, {Black, HighVideo, 8},
      {Yellow, LowVideo, Brown},     {Brown, LowVideo, Brown},     {9, HighVideo, 9},
      {Green, HighVideo, 10},        {8, LowVideo, Black},
  };
  for (const auto &C : Cases) {
    TextColor(C.Color);
    C.Video();
    Write("v");
    EXPECT_EQ(Scr->At(WhereX() - 1, Scr->CursorY).Fg, C.Shown) << "colour " << C.Color;
  }
}

TEST_F(TerminalTest, EachCellKeepsTheColoursItWasWrittenIn) {
  TextColor(White);
  TextBackground(Green);
  Write("P");
  TextColor(Black);
  TextBackground(Yellow);
  Write("p");
  EXPECT_EQ(Scr->At(1, 1).Fg, White);
  EXPECT_EQ(Scr->At(1, 1).Bg, Green);
  EXPECT_EQ(Scr->At(2, 1).Fg, Black);
  EXPECT_EQ(Scr->At(2, 1).Bg, Brown);
  EXPECT_EQ(Scr->At(3, 1).Fg, LightGray); // untouched cells keep the start colours
  EXPECT_EQ(Scr->At(3, 1).Bg, Black);
}

TEST_F(TerminalTest, SwitchingDeviceResetsWindowCursorAndColours) {
  Window(30, 2, 48, 13);
  GotoXY(4, 4);
  TextColor(Yellow);
  TextBackground(Green);
  auto Other = std::make_unique<MemScreen>();
  Other->PutCell(40, 20, 'z', 1, 1);
  UseDevice(Other.get());
  Write("r");
  EXPECT_EQ(Other->At(1, 1).Ch, 'r');
  EXPECT_EQ(Other->At(1, 1).Fg, LightGray);
  EXPECT_EQ(Other->At(1, 1).Bg, Black);
  EXPECT_EQ(Other->At(40, 20).Ch, ' '); // the new device starts blank
  UseDevice(nullptr);
}

// ---- writing text and numbers ----------------------------------------------------

TEST_F(TerminalTest, BytesThatCouldDisturbTheTerminalShowAsQuestionMarks) {
  Write("a\tb\x1b[2J\x7f\x80\xff\r\nz");
  EXPECT_EQ(Text(1, 1, 14), "a?b?[2J?????z ");
  Write('\a');
  EXPECT_EQ(Scr->At(14, 1).Ch, '?');
}

TEST_F(TerminalTest, WritesAFixedText) {
  const FixedStr<10> S = "Move: ";
  GotoXY(49, 14);
  Write(S);
  Write("E7E5");
  EXPECT_EQ(Text(14, 49, 11), "Move: E7E5 ");
}

TEST_F(TerminalTest, IntegersAreRightAlignedInTheirWidth) {
  struct {
    int64_t V;
    int Width;
    const char *Shown;
  } const Cases[] = {
      {0, 0, "0"},
      {60, 0, "60"},
      {42, 5, "   42"},
      {-42, 5, "  -42"},
      {-7, 0, "-7"},
      {123456, 3, "123456"},
      {99, 2, "99"},
      {5, -3, "5"},
      {std::numeric_limits<int64_t>::min(), 0, "-9223372036854775808"},
      {std::numeric_limits<int64_t>::max(), 21, "  9223372036854775807"},
  };
  for (const auto &C : Cases) {
    Scr->Clear();
    GotoXY(1, 1);
    WriteInt(C.V, C.Width);
    const std::string Want = C.Shown;
    EXPECT_EQ(Text(1, 1, static_cast<int>(Want.size()) + 1), Want + " ") << C.V;
    EXPECT_EQ(WhereX(), static_cast<int>(Want.size()) + 1) << C.V;
  }
}

TEST_F(TerminalTest, UnsignedNumbersAreRightAlignedInTheirWidth) {
  struct {
    uint64_t V;
    int Width;
    const char *Shown;
  } const Cases[] = {
      {0, 3, "  0"},
      {7, 0, "7"},
      {1234567, 10, "   1234567"},
      {std::numeric_limits<uint64_t>::max(), 0, "18446744073709551615"},
      {std::numeric_limits<uint64_t>::max(), 5, "18446744073709551615"},
  };
  for (const auto &C : Cases) {
    Scr->Clear();
    GotoXY(1, 1);
    WriteUInt(C.V, C.Width);
    const std::string Want = C.Shown;
    EXPECT_EQ(Text(1, 1, static_cast<int>(Want.size()) + 1), Want + " ") << C.V;
  }
}

TEST_F(TerminalTest, FixedPointNumbersAreRoundedAndRightAligned) {
  struct {
    double V;
    int Width, Decimals;
    const char *Shown;
  } const Cases[] = {
      {3.14159, 6, 2, "  3.14"},
      {2.5, 0, 1, "2.5"},
      {-1.256, 7, 2, "  -1.26"},
      {0.999, 0, 2, "1.00"},
      {9.96, 4, 1, "10.0"},
      {-0.001, 0, 2, "0.00"},
      {0.04, 0, 2, "0.04"},
      {1.49, 3, 0, "  1"},
      {12.0, 0, 3, "12.000"},
      {1234.5678, 4, 2, "1234.57"},
      {0.000123456, 0, 9, "0.000123456"},
      {1e30, 4, 1, "****"},
      {std::nan(""), 3, 2, "***"},
      {-std::numeric_limits<double>::infinity(), 0, 2, "*"},
  };
  for (const auto &C : Cases) {
    Scr->Clear();
    GotoXY(1, 1);
    WriteFixed(C.V, C.Width, C.Decimals);
    const std::string Want = C.Shown;
    EXPECT_EQ(Text(1, 1, static_cast<int>(Want.size()) + 1), Want + " ")
        << C.V << " width " << C.Width << " decimals " << C.Decimals;
  }
}

// ---- the line editor ---------------------------------------------------------------

TEST_F(TerminalTest, ALineIsEchoedAtTheCursor) {
  GotoXY(49, 13);
  Write("Move: ");
  Scr->Type("e2e4\r");
  EXPECT_EQ(ReadOne(10), "e2e4");
  EXPECT_EQ(Text(13, 49, 11), "Move: e2e4 ");
  EXPECT_EQ(WhereX(), 59); // the line end itself is not echoed
  EXPECT_EQ(Scr->CursorY, 13);
}

TEST_F(TerminalTest, BackspaceRemovesTheLastCharacterAndItsEcho) {
  struct {
    const char *Keys;
    const char *Line;
    const char *Shown;
  } const Cases[] = {
      {"e2x\be4\r", "e2e4", "e2e4  "},
      {"e2x\x7f"
       "e4\r",
       "e2e4", "e2e4  "},
      {"\b\b\x7f"
       "ab\r",
       "ab", "ab    "},
      {"abc\b\b\b\b\r", "", "      "},
      {"abc\b\r", "ab", "ab    "},
  };
  for (const auto &C : Cases) {
    Scr->Clear();
    GotoXY(54, 13);
    Write(":");
    Scr->Type(C.Keys);
    EXPECT_EQ(ReadOne(10), C.Line) << C.Keys;
    EXPECT_EQ(Text(13, 54, 7), std::string(":") + C.Shown) << C.Keys;
    EXPECT_EQ(WhereX(), 55 + static_cast<int>(std::string(C.Line).size())) << C.Keys;
  }
}

TEST_F(TerminalTest, BackspaceFollowsTheEchoBackAcrossAWrap) {
  ASSERT_TRUE(Window(1, 1, 3, 3));
  Scr->Type("abcd\b\b\r");
  EXPECT_EQ(ReadOne(10), "ab");
  EXPECT_EQ(Text(1, 1, 3), "ab ");
  EXPECT_EQ(Text(2, 1, 3), "   ");
  EXPECT_EQ(WhereX(), 3);
  EXPECT_EQ(Scr->CursorY, 1);
}

// A line longer than the capacity keeps and shows only its first characters,
// however long it is, and the next line starts clean.
TEST_F(TerminalTest, OnlyTheFirstCapCharactersAreKeptAndEchoed) {
  Fill('#');
  GotoXY(55, 13);
  ClrEol();
  const std::string Long(10000, 'k');
  Scr->Type((Long + "\rnext\r").c_str());
  EXPECT_EQ(ReadOne(10), std::string(10, 'k'));
  EXPECT_EQ(Text(13, 50, 31), "#####" + std::string(10, 'k') + std::string(16, ' '));
  EXPECT_EQ(Text(12, 1, 80), std::string(80, '#'));
  EXPECT_EQ(Text(14, 1, 80), std::string(80, '#'));
  EXPECT_EQ(WhereX(), 65);
  EXPECT_EQ(Scr->CursorY, 13);
  EXPECT_EQ(ReadOne(10), "next");
}

TEST_F(TerminalTest, BackspaceAfterTheCutRemovesTheLastKeptCharacter) {
  Scr->Type("abcdef\bx\r");
  EXPECT_EQ(ReadOne(4), "abcx");
  EXPECT_EQ(Text(1, 1, 6), "abcx  ");
}

TEST_F(TerminalTest, ControlBytesAreKeptButEchoedAsQuestionMarks) {
  const char Keys[] = "a\x1b[A\x01\xff\0z\r";
  Scr->Type(Keys, sizeof Keys - 1);
  EXPECT_EQ(ReadOne(20), std::string("a\x1b[A\x01\xff\0z", 8));
  EXPECT_EQ(Text(1, 1, 9), "a?[A???z ");
}

TEST_F(TerminalTest, EachKindOfLineEndEndsOneLine) {
  struct {
    const char *Keys;
    const char *Lines[4];
  } const Cases[] = {
      {"ab\r\ncd\r\n", {"ab", "cd"}},   {"ab\ncd\n", {"ab", "cd"}},
      {"ab\rcd\r", {"ab", "cd"}},       {"ab\r\r\ncd\r", {"ab", "", "cd"}},
      {"ab\n\rcd\n", {"ab", "", "cd"}}, {"ab\n\ncd", {"ab", "", "cd"}},
      {"\r\n\r\nq", {"", "", "q"}},
  };
  for (const auto &C : Cases) {
    auto Fresh = std::make_unique<MemScreen>();
    UseDevice(Fresh.get());
    Fresh->Type(C.Keys);
    for (const char *Want : C.Lines) {
      if (!Want) break;
      bool Ok = false;
      EXPECT_EQ(ReadOne(10, &Ok), Want) << C.Keys;
      EXPECT_TRUE(Ok) << C.Keys;
    }
    bool Ok = true;
    EXPECT_EQ(ReadOne(10, &Ok), "") << C.Keys;
    EXPECT_FALSE(Ok) << C.Keys << ": the script has ended";
    UseDevice(Scr.get());
  }
}

TEST_F(TerminalTest, TheEndOfInputEndsAnUnfinishedLineAndThenEveryRead) {
  Scr->Type("abc");
  EXPECT_FALSE(InputClosed());
  bool Ok = false;
  EXPECT_EQ(ReadOne(10, &Ok), "abc");
  EXPECT_TRUE(Ok);
  EXPECT_EQ(ReadOne(10, &Ok), "");
  EXPECT_FALSE(Ok);
  EXPECT_TRUE(InputClosed());
  EXPECT_EQ(ReadKey(), -1);
  EXPECT_EQ(ReadKey(), -1);
  EXPECT_TRUE(KeyPressed()); // so a poll never waits for a key that cannot come
  WaitForKey();
}

TEST_F(TerminalTest, AnEmptyScriptHasEndedAtOnce) {
  bool Ok = true;
  EXPECT_EQ(ReadOne(10, &Ok), "");
  EXPECT_FALSE(Ok);
  EXPECT_TRUE(InputClosed());
}

TEST_F(TerminalTest, OnlyBackspacesStillMakeALine) {
  Scr->Type("\b");
  bool Ok = false;
  EXPECT_EQ(ReadOne(10, &Ok), "");
  EXPECT_TRUE(Ok); // a key of the line was read before the input ended
}

// ---- keys --------------------------------------------------------------------------

TEST_F(TerminalTest, TheKeyThatEndsAWaitIsTheFirstOfTheNextLine) {
  GotoXY(49, 14);
  Write("Illegal Command: (Press any key)");
  Scr->Type("e2e4\r");
  WaitForKey();
  WaitForKey(); // a second wait sees the same key
  EXPECT_TRUE(KeyPressed());
  GotoXY(55, 13);
  EXPECT_EQ(ReadOne(10), "e2e4");
  EXPECT_EQ(Text(13, 55, 5), "e2e4 ");
  EXPECT_EQ(Text(14, 49, 32), "Illegal Command: (Press any key)");
}

TEST_F(TerminalTest, KeyPressedDoesNotConsumeTheKey) {
  Scr->Type("pq");
  EXPECT_TRUE(KeyPressed());
  EXPECT_TRUE(KeyPressed());
  EXPECT_EQ(ReadKey(), 'p');
  EXPECT_EQ(ReadKey(), 'q');
  EXPECT_FALSE(InputClosed());
  EXPECT_EQ(ReadKey(), -1);
  EXPECT_TRUE(InputClosed());
}

TEST_F(TerminalTest, KeysAreBytesFromZeroTo255) {
  Scr->Type("\xff\x80\x01");
  EXPECT_EQ(ReadKey(), 255);
  EXPECT_EQ(ReadKey(), 128);
  EXPECT_EQ(ReadKey(), 1);
}

// A keyboard whose keys arrive only when the test releases them: reading a key
// that has not arrived would wait for ever, so it fails the test instead.
struct SlowKeyboard final : TermDevice {
  void PutCell(int, int, char, int, int) override {}
  void MoveCursor(int, int) override {}
  void Flush() override {}
  bool KeyWaiting() override { return Pos < Arrived; }
  int GetKey() override {
    if (Pos >= Arrived) {
      ADD_FAILURE() << "a read waited for a key that had not arrived";
      return -1;
    }
    return static_cast<unsigned char>(Keys[Pos++]);
  }
  std::string Keys;
  std::size_t Pos = 0, Arrived = 0;
};

TEST(TerminalKeys, KeyPressedIsFalseUntilAKeyArrivesAndNeverWaits) {
  SlowKeyboard Kb;
  Kb.Keys = "a\r\nb";
  UseDevice(&Kb);
  EXPECT_FALSE(KeyPressed());
  Kb.Arrived = 3;
  EXPECT_TRUE(KeyPressed());
  EXPECT_EQ(ReadKey(), 'a');
  EXPECT_EQ(ReadKey(), '\r');
  // Only the second half of the line end is there: it is dropped, and no key is left.
  EXPECT_FALSE(KeyPressed());
  EXPECT_EQ(Kb.Pos, 3u);
  Kb.Arrived = 4;
  EXPECT_TRUE(KeyPressed());
  EXPECT_EQ(ReadKey(), 'b');
  EXPECT_FALSE(KeyPressed());
  EXPECT_FALSE(InputClosed());
  UseDevice(nullptr);
}

TEST(TerminalKeys, WithoutADeviceNothingWaits) {
  UseDevice(nullptr);
  EXPECT_TRUE(KeyPressed());
  EXPECT_EQ(ReadKey(), -1);
  WaitForKey();
  std::size_t Len = 7;
  char Buf[4];
  EXPECT_FALSE(ReadLine(Buf, sizeof Buf, Len));
  EXPECT_EQ(Len, 0u);
  Write("nothing to see");
  EXPECT_TRUE(InputClosed());
}

TEST(TerminalKeys, ReadLnKeepsAFixedTextsCapacity) {
  auto Scr = std::make_unique<MemScreen>();
  UseDevice(Scr.get());
  Scr->Type("e2e4 and much more\r");
  ShortStr S = "old";
  EXPECT_TRUE(ReadLn(S));
  EXPECT_TRUE(S == "e2e4 and m");
  EXPECT_STREQ(S.c_str(), "e2e4 and m");
  EXPECT_FALSE(ReadLn(S));
  EXPECT_TRUE(S.Empty());
  UseDevice(nullptr);
}

// ---- the memory screen itself ------------------------------------------------------

TEST(MemScreenTest, RowReadsFromAColumnToTheEndOfTheRow) {
  auto Scr = std::make_unique<MemScreen>();
  Scr->PutCell(1, 3, 'a', 7, 0);
  Scr->PutCell(80, 3, 'z', 7, 0);
  EXPECT_EQ(std::string(Scr->Row(3)), "a" + std::string(78, ' ') + "z");
  EXPECT_EQ(std::string(Scr->Row(3, 80)), "z");
  EXPECT_EQ(std::string(Scr->Row(3, 79)), " z");
  EXPECT_EQ(std::string(Scr->Row(4, 1)), std::string(80, ' '));
}

TEST(MemScreenTest, CellsOutsideTheScreenAreIgnored) {
  auto Scr = std::make_unique<MemScreen>();
  Scr->PutCell(0, 1, 'x', 7, 0);
  Scr->PutCell(81, 1, 'x', 7, 0);
  Scr->PutCell(1, 26, 'x', 7, 0);
  for (int Y = 1; Y <= ScreenRows; ++Y) EXPECT_EQ(std::string(Scr->Row(Y)), std::string(80, ' '));
}

TEST(MemScreenTest, TypingAfterReadingKeepsTheUnreadKeysInOrder) {
  auto Scr = std::make_unique<MemScreen>();
  Scr->Type("ab");
  EXPECT_EQ(Scr->GetKey(), 'a');
  Scr->Type("c");
  EXPECT_EQ(Scr->KeysLeft(), 2u);
  EXPECT_EQ(Scr->GetKey(), 'b');
  EXPECT_EQ(Scr->GetKey(), 'c');
  EXPECT_EQ(Scr->GetKey(), -1);
  EXPECT_TRUE(Scr->KeyWaiting());
}

// ---- broken invariants ---------------------------------------------------------------

TEST(FatalDeathTest, PrintsTheMessageWithModuleAndLineAndExitsWithTwo) {
  EXPECT_EXIT(Fatal("Board", 87, "error: in AddToPawnList"), testing::ExitedWithCode(2),
              "error: in AddToPawnList \\(Board, line 87\\)");
}

} // namespace
