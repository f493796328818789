#include "shell/Loop.h"

#include "board/Squares.h"
#include "book/Opening.h"
#include "diag/Debugging.h"
#include "frontend/FrontEnd.h"
#include "game/Engine.h"
#include "game/Fen.h"
#include "game/NewGame.h"
#include "game/TakeBack.h"
#include "moves/Move.h"
#include "platform/Terminal.h"
#include "search/Search.h"
#include "shell/Screen.h"
#include "shell/Setup.h"

MoveRec MyMove = NoMove;
bool Quit = false;

namespace {

constexpr uint16_t NoTimeLimit = 65000;

// The argument of T and X: the characters after the letter (at most three,
// as S holds four) as a decimal number. Anything but one to three digits,
// a sign included, is refused.
bool ArgValue(const Str4 &S, uint16_t &Value) {
  if (S.Length() < 2) return false;
  Value = 0;
  for (std::size_t I = 1; I < S.Length(); ++I) {
    if (S[I] < '0' || S[I] > '9') return false;
    Value = static_cast<uint16_t>(Value * 10 + (S[I] - '0'));
  }
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
  if (InLibrary) OpeningStr.Append(CmdStr);
  if (IsLegalMove(Line))
    MakeMove(MoveStrToMoveRec(Line), false);
  else
    ErrorMsg("Illegal Move");
}

void ComputerTurn() {
  MyMove = CalcMove();
  if (MyMove.ToSq == -1) {
    HumansMove = !HumansMove;
    return;
  }
  MakeMove(MyMove, false);
  GotoXY(49, 14);
  Write("Move: ");
  Write(SqToStr[MyMove.FromSq]);
  Write(SqToStr[MyMove.ToSq]);
}

void RunCommand(char Letter) {
  switch (Letter) {
  case 'B':
    TakeBackMove();
    break;
  case 'D':
    Debug = false;
    break;
  case 'E':
    DisplayEval();
    break;
  case 'N':
    SetupStartPosition();
    break;
  case 'P':
    HumansMove = !HumansMove;
    break;
  case 'Q':
    Quit = true;
    break;
  case 'R':
    ReadFEN();
    break;
  case 'S':
    SetupBoard();
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
  SetupStartPosition();
  DisplayTheBoard();
  Quit = false;
  do {
    GamePass();
  } while (!Quit);
}

void GamePass() {
  CmdStr = "A1A1";
  if (HumansMove) {
    HumanTurn();
    if (Quit) return;
  } else {
    ComputerTurn();
  }
  if (IsMoveCmd(CmdStr))
    AddToTakeBackStack();
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

Str255 UpperCase(const Str255 &S) {
  Str255 R = S;
  for (std::size_t I = 0; I < R.Length(); ++I)
    if (R[I] >= 'a' && R[I] <= 'z') R[I] = static_cast<char>(R[I] - 'a' + 'A');
  return R;
}

bool IsMoveCmd(const Str4 &S) { return S.Length() == 4 && IsMoveText(S.c_str()); }

void SetTime(const Str4 &S) {
  uint16_t Value = 0;
  if (!ArgValue(S, Value)) {
    ErrorMsg("Illegal Command");
    return;
  }
  SetMoveTime(Value);
  FixedDepth = NoFixedDepth;
}

void SetDepth(const Str4 &S) {
  uint16_t Value = 0;
  if (!ArgValue(S, Value) || Value > NoFixedDepth) {
    ErrorMsg("Illegal Command");
    return;
  }
  FixedDepth = static_cast<uint8_t>(Value);
  SetMoveTime(NoTimeLimit);
}
