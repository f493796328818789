#include "board/Squares.h"

#include <cstdlib>

#include "board/Board.h"

int8_t StrToFromSq(const ShortStr &Move) { return SquareOf(Move[0], Move[1]); }

int8_t StrToToSq(const ShortStr &Move) { return SquareOf(Move[2], Move[3]); }

ShortStr SquaresToStr(int8_t FromSq, int8_t ToSq) {
  ShortStr S;
  S.Append(SqToStr[FromSq], 2);
  S.Append(SqToStr[ToSq], 2);
  return S;
}

MoveRec MoveStrToMoveRec(const DataType &D, int8_t Side, const ShortStr &MStr) {
  MoveRec M = NoMove;
  M.FromSq = StrToFromSq(MStr);
  M.ToSq = StrToToSq(MStr);
  const int8_t P = PieceOn(D, M.FromSq);
  const bool Pawn = P == WPawn || P == BPawn;
  M.Capture = PieceOn(D, M.ToSq) != Empty || (Pawn && M.ToSq == D.EnPasSq);
  M.Castle = (P == WKing || P == BKing) && std::abs(M.FromSq - M.ToSq) == 2;
  M.Promotion =
      (Side == WMove && P == WPawn && M.ToSq > 55) || (Side == BMove && P == BPawn && M.ToSq < 8);
  return M;
}
