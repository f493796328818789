#include "shell/Setup.h"

#include <cstring>

#include "board/Attacks.h"
#include "board/Board.h"
#include "board/Globals.h"
#include "board/Squares.h"
#include "board/Zorbist.h"
#include "frontend/FrontEnd.h"
#include "game/Fen.h"
#include "hash/TT.h"
#include "platform/FixedStr.h"
#include "platform/Terminal.h"
#include "shell/Loop.h"
#include "shell/Screen.h"

namespace {
constexpr const char *HelpLines[5] = {" c:    clear board       ", " wnf3: white knight on f3",
                                      " g1:   clear square g1   ", " wm:   white to move     ",
                                      " q:    quit              "};

// The code of a colour and piece letter, or NoPiece.
int8_t PieceOf(char Colour, char Letter) {
  const char *L = std::strchr("PNBRQK", Letter);
  if (Letter == '\0' || !L) return NoPiece;
  const int8_t White = static_cast<int8_t>(L - "PNBRQK" + WPawn);
  if (Colour == 'W') return White;
  if (Colour == 'B') return static_cast<int8_t>(White + 8);
  return NoPiece;
}

// C keeps the castling rights, the en-passant square and the key as they were.
void ClearBoard() {
  const uint8_t CastleStat = Data[Ply].CastleStat;
  ZeroBoardData();
  Data[Ply].CastleStat = CastleStat;
}

void PlacePiece(int8_t Piece, int8_t Sq) {
  if ((Piece == WPawn && Sq < 8) || (Piece == BPawn && Sq > 55)) {
    ErrorMsg("Illegal position");
    return;
  }
  // The occupant goes first, so that replacing a queen by a pawn counts
  // right; a piece no game could add (a second king, a ninth pawn, a ninth
  // piece beyond two of its kind to be) leaves the square as it was.
  const DataType Saved = Data[Ply];
  RemovePiece(Sq);
  if (!RoomForPiece(Piece)) {
    Data[Ply] = Saved;
    ErrorMsg("Too Many Pieces");
    return;
  }
  PutPiece(Piece, Sq);
}

// Acts on one upper-cased entry; false when it names nothing the editor knows.
bool ActOnEntry(const Str4 &InStr) {
  bool DelPiece = false;
  int8_t Piece = NoPiece;
  int8_t Sq = -1;
  if (InStr == "C") {
    ClearBoard();
  } else if (InStr == "Q") {
    // leaving is the caller's part
  } else if (InStr == "WM") {
    WhosMove = WMove;
  } else if (InStr == "BM") {
    WhosMove = BMove;
  } else if (InStr.Length() == 2 && IsSquareText(InStr[0], InStr[1])) {
    DelPiece = true;
    Sq = SquareOf(InStr[0], InStr[1]);
  } else if (InStr.Length() == 4 && IsSquareText(InStr[2], InStr[3])) {
    Piece = PieceOf(InStr[0], InStr[1]);
    if (Piece == NoPiece) return false;
    Sq = SquareOf(InStr[2], InStr[3]);
  } else {
    return false;
  }
  if (DelPiece) RemovePiece(Sq);
  if (Piece != NoPiece) PlacePiece(Piece, Sq);
  return true;
}

void FitCastleStat() {
  int8_t Sq[64];
  for (int S = 0; S < 64; ++S) Sq[S] = PieceOn(Data[Ply], S);
  Data[Ply].CastleStat = FitCastling(Data[Ply].CastleStat, Sq);
}

// An en-passant square survives only while it still marks a double step just
// made by the side not to move; otherwise a capture could take whatever now
// stands in front of it, a king included.
void FitEnPasSq() {
  DataType &D = Data[Ply];
  const int8_t Ep = D.EnPasSq;
  if (Ep < 0) return;
  const bool WhiteStep = Ep >= 16 && Ep < 24 && WhosMove == BMove && PieceOn(D, Ep + 8) == WPawn;
  const bool BlackStep = Ep >= 40 && Ep < 48 && WhosMove == WMove && PieceOn(D, Ep - 8) == BPawn;
  if (!((WhiteStep || BlackStep) && PieceOn(D, Ep) == Empty)) D.EnPasSq = -1;
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
  // The position S was typed in, for an input that ends while the edited one
  // cannot be played.
  const DataType Entered = Data[Ply];
  const int8_t EnteredSide = WhosMove;
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
    if (!KingCanBeTaken()) break;
    if (Closed) {
      Data[Ply] = Entered;
      WhosMove = EnteredSide;
      break;
    }
    ErrorMsg("Illegal position");
  }

  FitCastleStat();
  FitEnPasSq();
  MoveNum = 0;
  HumansMove = true;
  ClrScr();
  InitZorbistBoard();
  Data[Ply].HashKey = CalcBrdKey();
  ZeroTTs();
  InLibrary = false;
}
