#include "moves/Move.h"

#include <cstdlib>

#include "board/Board.h"
#include "search/Counters.h"

namespace {
// The right that a rook on this corner stands for, as the mask that clears it.
uint8_t CornerMask(int8_t Sq) {
  switch (Sq) {
  case 0:
    return 0x0D;
  case 7:
    return 0x0E;
  case 56:
    return 0x07;
  case 63:
    return 0x0B;
  default:
    return 0x0F;
  }
}

void PassTurn() {
  ++MoveNum;
  WhosMove = static_cast<int8_t>(-WhosMove);
  HumansMove = !HumansMove;
}
} // namespace

void MakeMove(const MoveRec &TheMove, bool QS) {
  DataType &D = Data[Ply];
  if (QS)
    ++QNodes;
  else
    ++Nodes;
  int8_t FromPiece = PieceOn(D, TheMove.FromSq);
  const int8_t ToPiece = PieceOn(D, TheMove.ToSq);
  RemovePiece(TheMove.FromSq);

  if (FromPiece == WKing) D.CastleStat &= 0x0C;
  if (FromPiece == BKing) D.CastleStat &= 0x03;
  if (FromPiece == WRook || FromPiece == BRook) D.CastleStat &= CornerMask(TheMove.FromSq);

  if (TheMove.Castle) {
    MoveRec Rook = {};
    if (WhosMove == WMove) {
      D.CastleStat &= 0x0C;
      Rook.FromSq = TheMove.ToSq == 6 ? 7 : 0;
      Rook.ToSq = TheMove.ToSq == 6 ? 5 : 3;
    } else {
      D.CastleStat &= 0x03;
      Rook.FromSq = TheMove.ToSq == 62 ? 63 : 56;
      Rook.ToSq = TheMove.ToSq == 62 ? 61 : 59;
    }
    // The rook's move is a move of its own (it counts a node); only the turn
    // it passed is taken back. The king is off the board meanwhile.
    MakeMove(Rook, false);
    WhosMove = static_cast<int8_t>(-WhosMove);
    HumansMove = !HumansMove;
    --MoveNum;
  }

  if (TheMove.Capture) {
    if (ToPiece != Empty) {
      RemovePiece(TheMove.ToSq);
      D.CastleStat &= CornerMask(TheMove.ToSq);
    }
    const bool Pawn = FromPiece == WPawn || FromPiece == BPawn;
    if (D.EnPasSq == TheMove.ToSq && Pawn) {
      // The pawn that passed stands behind the target square, seen from the mover.
      RemovePiece(static_cast<int8_t>(TheMove.ToSq - WhosMove * 8));
      D.EnPasSq = -1;
    }
  }

  if (TheMove.Promotion) FromPiece = WhosMove == WMove ? WQueen : BQueen;
  PutPiece(FromPiece, TheMove.ToSq);

  const bool DoubleStep =
      (FromPiece == WPawn || FromPiece == BPawn) && std::abs(TheMove.FromSq - TheMove.ToSq) == 16;
  D.EnPasSq = DoubleStep ? static_cast<int8_t>(TheMove.ToSq - WhosMove * 8) : -1;
  PassTurn();
}

void UnmakeMove() {
  --MoveNum;
  --Ply;
  WhosMove = static_cast<int8_t>(-WhosMove);
  HumansMove = !HumansMove;
}
