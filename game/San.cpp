#include "game/San.h"

#include "board/Attacks.h"
#include "board/Squares.h"
#include "board/Types.h"
#include "game/GameState.h"
#include "moves/Move.h"

namespace {
constexpr char FileChar(int Sq) { return static_cast<char>('a' + (Sq & 7)); }
constexpr char RankChar(int Sq) { return static_cast<char>('1' + (Sq >> 3)); }
} // namespace

bool MoveSAN(const ShortStr &Text, char (&San)[SanSize]) {
  San[0] = '\0';
  Game.St.Ply = 0;
  if (Text.Length() != 4 || !IsMoveText(Text.c_str()) || !IsLegalMove(Game.St, Text)) return false;
  const int8_t From = StrToFromSq(Text), To = StrToToSq(Text);
  const int8_t Piece = PieceOn(Game.St.Data[0], From);
  const int Kind = Piece & 7;
  int N = 0;
  const auto Put = [&](char C) { San[N++] = C; };
  if (Kind == WKing && (From - To == 2 || To - From == 2)) {
    for (const char *S = To > From ? "O-O" : "O-O-O"; *S; ++S) Put(*S);
    San[N] = '\0';
    return true;
  }
  // A pawn that changes file captures, en passant onto an empty square too.
  const bool Capture =
      PieceOn(Game.St.Data[0], To) != Empty || (Kind == WPawn && (From & 7) != (To & 7));
  if (Kind == WPawn) {
    if (Capture) Put(FileChar(From));
  } else {
    Put(PieceLetter[Kind]);
    // Another piece of the same kind that can go there: name the file if it
    // tells them apart, else the rank, else both.
    bool Other = false, SameFile = false, SameRank = false;
    WalkLegalMoves(
        Game.St,
        [&](const MoveRec &M) {
          return M.ToSq == To && M.FromSq != From && PieceOn(Game.St.Data[0], M.FromSq) == Piece;
        },
        [&](const MoveRec &M) {
          Other = true;
          SameFile = SameFile || (M.FromSq & 7) == (From & 7);
          SameRank = SameRank || (M.FromSq >> 3) == (From >> 3);
          return true;
        });
    if (Other && (!SameFile || SameRank)) Put(FileChar(From));
    if (Other && SameFile) Put(RankChar(From));
  }
  if (Capture) Put('x');
  Put(FileChar(To));
  Put(RankChar(To));
  if (Kind == WPawn && (To < 8 || To >= 56)) {
    Put('=');
    Put('Q');
  }
  San[N] = '\0';
  return true;
}

bool SideToMoveCanMove() {
  Game.St.Ply = 0;
  bool Any = false;
  WalkLegalMoves(
      Game.St, [](const MoveRec &M) { return !TakesKing(Game.Here(), M); },
      [&](const MoveRec &) {
        Any = true;
        return false;
      });
  return Any;
}
