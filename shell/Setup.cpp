#include "shell/Setup.h"

#include "board/Squares.h"
#include "game/Game.h"
#include "platform/FixedStr.h"
#include "platform/Terminal.h"
#include "seam/Seam.h"
#include "shell/Console.h"
#include "shell/Screen.h"

namespace {
constexpr const char *HelpLines[5] = {" c:    clear board       ", " wnf3: white knight on f3",
                                      " g1:   clear square g1   ", " wm:   white to move     ",
                                      " q:    quit              "};

// The code of a colour and piece letter, or NoPiece.
int8_t PieceOf(char Colour, char Letter) {
  const int8_t White = CodeOfLetter(Letter);
  if (!IsWhiteCode(White)) return NoPiece;
  if (Colour == 'W') return White;
  if (Colour == 'B') return static_cast<int8_t>(White + 8);
  return NoPiece;
}

void PlacePiece(int8_t Piece, int8_t Sq) {
  switch (EditPut(Piece, Sq)) {
  case EditRefusal::PawnOnEdge:
    ErrorMsg("Illegal position");
    break;
  case EditRefusal::TooMany:
    ErrorMsg("Too Many Pieces");
    break;
  default:
    break;
  }
}

// Acts on one upper-cased entry; false when it names nothing the editor knows.
bool ActOnEntry(const Str4 &InStr) {
  if (InStr == "C") {
    EditClear();
  } else if (InStr == "Q") {
    // leaving is the caller's part
  } else if (InStr == "WM") {
    EditSetSide(WMove);
  } else if (InStr == "BM") {
    EditSetSide(BMove);
  } else if (InStr.Length() == 2 && IsSquareText(InStr[0], InStr[1])) {
    EditRemove(SquareOf(InStr[0], InStr[1]));
  } else if (InStr.Length() == 4 && IsSquareText(InStr[2], InStr[3])) {
    const int8_t Piece = PieceOf(InStr[0], InStr[1]);
    if (Piece == NoPiece) return false;
    PlacePiece(Piece, SquareOf(InStr[2], InStr[3]));
  } else {
    return false;
  }
  return true;
}
} // namespace

void WriteSetupMenu() {
  GotoXY(1, 15);
  for (const char *Line : HelpLines) {
    Write(Line);
    WriteLn();
  }
}

void SetupBoard() {
  // The position S was typed in is kept, for an input that ends while the
  // edited one cannot be played.
  EditBegin();
  Str4 InStr;
  ClrScr();
  for (;;) {
    DisplayTheBoard();
    WriteSetupMenu();
    GotoXY(31, 12);
    Write("Command:                    ");
    GotoXY(40, 12);
    // The end of the input leaves the editor as Q would, so the game can end.
    const bool Got = ReadLn(InStr);
    const bool Closed = !Got || (InStr.Empty() && InputClosed());
    if (Closed) InStr = "Q";
    InStr = UpperCase(InStr);
    if (!ActOnEntry(InStr)) ErrorMsg("Illegal Command");
    if (!(InStr == "Q")) continue;
    // A king that the side to move could take: the editor stays open.
    if (EditCommit() == EditRefusal::None) break;
    if (Closed) {
      EditAbandon();
      break;
    }
    ErrorMsg("Illegal position");
  }
  HumansMove = true;
  ClrScr();
}
