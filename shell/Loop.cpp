#include "shell/Loop.h"

#include "board/Squares.h"
#include "game/Engine.h"
#include "game/Game.h"
#include "game/TakeBack.h"
#include "platform/Decimal.h"
#include "platform/Terminal.h"
#include "seam/Seam.h"
#include "shell/Console.h"
#include "shell/EvalScreen.h"
#include "shell/FenFile.h"
#include "shell/Pgn.h"
#include "shell/Screen.h"
#include "shell/Setup.h"

MoveRec MyMove = NoMove;

namespace {

// The argument of T and X: the characters after the letter (at most three,
// as S holds four) as a decimal number. Anything but one to three digits,
// a sign included, is refused.
bool ArgValue(const Str4 &S, uint16_t &Value) {
  uint64_t V = 0;
  if (!ParseDecimal(S.c_str() + 1, S.Length() - 1, 3, V)) return false;
  Value = static_cast<uint16_t>(V);
  return true;
}

void HumanTurn() {
  ShortStr Line;
  ReadLnCmd(Line);
  // The input has ended (a pipe at its end, a closed terminal): leave the
  // loop as Q would, instead of answering an empty line forever.
  if (Line.Empty() && InputClosed()) {
    Quit = true;
    return;
  }
  CmdStr = Line;
  if (!IsMoveCmd(CmdStr)) return;
  if (PlayRecorded(Line, false) == MoveRefusal::None)
    HumansMove = !HumansMove;
  else
    ErrorMsg("Illegal Move");
}

void ComputerTurn() {
  MyMove = CalcMove(ConsoleLimits(MoveTime, FixedDepth));
  // With no move to make the turn still passes, so that the human can go on.
  HumansMove = !HumansMove;
  if (MyMove.ToSq == -1) return;
  PlayRecorded(SquaresToStr(MyMove.FromSq, MyMove.ToSq), true);
  GotoXY(49, 14);
  Write("Move: ");
  Write(SqToStr[MyMove.FromSq]);
  Write(SqToStr[MyMove.ToSq]);
}

void RunCommand(char Letter) {
  switch (Letter) {
  case 'B':
    PgnTakeBack();
    break;
  case 'D':
    // Debug output was switched off by D; there is none left to switch.
    break;
  case 'E':
    DisplayEval();
    break;
  case 'N':
    PgnGameLeft();
    NewGame();
    PgnGameStart();
    break;
  case 'P':
    HumansMove = !HumansMove;
    break;
  case 'Q':
    Quit = true;
    break;
  case 'R':
    // A refused file leaves the game as it was, and its record goes on.
    if (ReadFEN()) PgnSetUpMade();
    break;
  case 'S':
    SetupBoard();
    PgnSetUpMade();
    break;
  case 'T':
    SetTime(CmdStr);
    break;
  case 'W':
    WriteFEN();
    break;
  case 'X':
    SetDepth(CmdStr);
    break;
  default:
    ErrorMsg("Illegal Command");
    break;
  }
}

} // namespace

void RunGame() {
  ClrScr();
  NewGame();
  PgnGameStart();
  DisplayTheBoard();
  PgnShowStartUpMessage();
  Quit = false;
  do {
    GamePass();
  } while (!Quit);
  PgnGameLeft();
}

void GamePass() {
  CmdStr = NoMoveText;
  if (HumansMove) {
    HumanTurn();
    if (Quit) return;
  } else {
    ComputerTurn();
  }
  if (IsMoveCmd(CmdStr))
    AddToTakeBackStack(CmdStr);
  else
    RunCommand(CmdStr[0]);
  DisplayTheBoard();
}

void ReadLnCmd(ShortStr &S) {
  GotoXY(49, 13);
  Write("Move: ");
  ClrEol();
  GotoXY(55, 13);
  FlushScreen();
  ReadLn(S);
  S = UpperCase(S);
}

bool IsMoveCmd(const Str4 &S) { return S.Length() == 4 && IsMoveText(S.c_str()); }

void SetTime(const Str4 &S) {
  uint16_t Value = 0;
  if (!ArgValue(S, Value)) {
    ErrorMsg("Illegal Command");
    return;
  }
  MoveTime = Value;
  FixedDepth = NoFixedDepth;
}

void SetDepth(const Str4 &S) {
  uint16_t Value = 0;
  if (!ArgValue(S, Value) || Value > NoFixedDepth) {
    ErrorMsg("Illegal Command");
    return;
  }
  FixedDepth = static_cast<uint8_t>(Value);
  MoveTime = NoTimeLimitSecs;
}
