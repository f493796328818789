#include "shell/Screen.h"

#include <cstring>

#include "board/Types.h"
#include "game/Game.h"
#include "platform/Terminal.h"
#include "seam/Seam.h"
#include "shell/Console.h"
#include "shell/InfoPanel.h"

namespace {

constexpr const char *MenuLines[9] = {"n: New Game",      "b: TakeBack",      "p: Play    ",
                                      "s: Setup   ",      "w: Write game",    "r: Read game",
                                      "t: Move Time(tx)", "x: Fixed Ply(xx)", "q: Quit"};

constexpr const char *PressAnyKey = ": (Press any key)";
constexpr int MsgCol = 49, MsgRow = 14;

// The status text's own trailing blanks are one short of covering a
// five-digit move time, so blank the rest of the status field up to the menu.
constexpr int StatusLastCol = 29;

constexpr int BookRow = 23, BookMoves = 13;

void DrawRank(int Rank, bool &Alternate) {
  TextBackground(Black);
  TextColor(White);
  Write(static_cast<char>('1' + Rank));
  for (int Fyle = 0; Fyle < 8; ++Fyle) {
    TextBackground(Alternate ? Yellow : Green);
    const int8_t P = PieceOn(GamePosition(), Rank * 8 + Fyle);
    TextColor(IsWhiteCode(P) ? White : Black);
    if (P == Empty) {
      Write("   ");
    } else {
      Write(' ');
      Write(PieceLetter[P]);
      Write(' ');
    }
    Alternate = !Alternate;
  }
  WriteLn();
  Alternate = !Alternate;
}

void DrawStatus() {
  GotoXY(6, 11);
  if (FixedDepth != NoFixedDepth) {
    Write("Fixed Depth = ");
    WriteUInt(FixedDepth);
    Write("     ");
  } else {
    Write("Move Time = ");
    WriteUInt(MoveTime);
    Write(" secs    ");
  }
  while (WhereX() <= StatusLastCol) Write(' ');
}

void ConsoleThinking() {
  GotoXY(49, 13);
  Write("I'm Thinking.......");
  FlushScreen();
}

void ConsoleBookLine(const char *Line) {
  GotoXY(2, BookRow);
  ClrEol();
  GotoXY(2, BookRow);
  Write("Opening: ");
  std::size_t Left = std::strlen(Line);
  for (int N = 0; N < BookMoves && Left > 0; ++N) {
    const std::size_t Take = Left < 4 ? Left : 4;
    char Move[5] = {};
    std::memcpy(Move, Line, Take);
    Write(Move);
    Write(' ');
    Line += Take;
    Left -= Take;
  }
  FlushScreen();
}

// Only a lower-case p stops the search; any other key is swallowed so that a
// stray key cannot stay pending and stop the next search at its first poll.
bool ConsolePollStop() {
  if (!KeyPressed()) return false;
  return ReadKey() == 'p';
}

} // namespace

void DisplayTheBoard() {
  HighVideo();
  TextBackground(Black);
  Window(1, 1, 27, 10);
  ClrScr();
  GotoXY(1, 2);
  bool Alternate = false;
  for (int Rank = 7; Rank >= 0; --Rank) DrawRank(Rank, Alternate);
  TextBackground(Black);
  TextColor(White);
  Write("  a  b  c  d  e  f  g  h");

  Window(30, 2, 48, 13);
  ClrScr();
  for (int I = 0; I < 9; ++I) {
    Write(MenuLines[I]);
    if (I < 8) WriteLn();
  }

  Window(1, 1, ScreenCols, ScreenRows);
  DrawStatus();
  LowVideo();
}

void ConsoleErrorMsg(const char *S) {
  // A long message starts further left rather than wrap onto the rows below,
  // and one that could never fit on the row is cut.
  const std::size_t SuffixLen = std::strlen(PressAnyKey);
  std::size_t Len = std::strlen(S);
  if (Len + SuffixLen > ScreenCols) Len = ScreenCols - SuffixLen;
  int Col = ScreenCols + 1 - static_cast<int>(Len + SuffixLen);
  if (Col > MsgCol) Col = MsgCol;

  char Text[ScreenCols + 1];
  std::memcpy(Text, S, Len);
  Text[Len] = '\0';
  GotoXY(Col, MsgRow);
  Write(Text);
  Write(PressAnyKey);
  FlushScreen();
  WaitForKey();
  GotoXY(Col, MsgRow);
  ClrEol();
}

void InstallConsoleFrontEnd() {
  FrontEndType F = {};
  F.ErrorMsg = ConsoleErrorMsg;
  F.ShowThinking = ConsoleThinking;
  F.ShowInfo = WriteInfoToScreen;
  F.ShowBookLine = ConsoleBookLine;
  F.PollStop = ConsolePollStop;
  InstallFrontEnd(F);
}
