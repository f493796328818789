#include "board/Squares.h"

#include <cstdlib>

#include "board/Board.h"

const char SqToStr[64][3] = {
    "A1", "B1", "C1", "D1", "E1", "F1", "G1", "H1", "A2", "B2", "C2", "D2", "E2", "F2", "G2", "H2",
    "A3", "B3", "C3", "D3", "E3", "F3", "G3", "H3", "A4", "B4", "C4", "D4", "E4", "F4", "G4", "H4",
    "A5", "B5", "C5", "D5", "E5", "F5", "G5", "H5", "A6", "B6", "C6", "D6", "E6", "F6", "G6", "H6",
    "A7", "B7", "C7", "D7", "E7", "F7", "G7", "H7", "A8", "B8", "C8", "D8", "E8", "F8", "G8", "H8"};

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
