// Piece placement on the current record Data[Ply]: the board, the piece and
// pawn lists and the hash key are kept in step by PutPiece and RemovePiece.
#pragma once
#include <cstdint>

#include "board/Globals.h"

// The code on square Sq of a record (0 = empty).
inline int8_t PieceOn(const DataType &D, int Sq) {
  return static_cast<int8_t>((D.Board[Sq >> 3] >> ((Sq & 7) * 4)) & 0xF);
}

// Writes code P on Sq; P = Empty only clears the square. A previous occupant
// must first be taken off with RemovePiece.
void PutPiece(int8_t P, int8_t Sq);
// Takes whatever stands on Sq off the board, out of its list and out of the key.
void RemovePiece(int8_t Sq);
void AddToPieceList(int8_t P, int8_t Sq);
void RemoveFromPieceList(int8_t P, int8_t Sq);
void AddToPawnList(int8_t Sq);
void RemoveFromPawnList(int8_t Sq);
// Empties Data[Ply]: board, every list entry free, CastleStat 0; HashKey and
// EnPasSq keep their values.
void ZeroBoardData();

// How many pieces of code P (pawns included) the lists of Data[Ply] hold, and
// whether one more would fit (two of a kind, eight pawns, one king, and queens
// up to the extra list).
int CountPieces(int8_t P);
bool RoomForPiece(int8_t P);
