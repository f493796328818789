#include "board/Board.h"

#include <initializer_list>

void RemoveExtra(DataType &D, int8_t P, int8_t Sq) {
  PieceListType &L = P < 9 ? D.WPieceList : D.BPieceList;
  uint8_t &Count = P < 9 ? D.WExtraCount : D.BExtraCount;
  int8_t *Extra = P < 9 ? D.WExtra : D.BExtra;
  for (int I = 0; I < Count; ++I)
    if (Extra[I] == Sq) Extra[I--] = Extra[--Count];
  const int K = PIdx(P);
  for (int Slot = 0; Slot < 2; ++Slot) {
    if (L[Slot][K] != -1) continue;
    // The last of its kind, so that a list of queens alone refills as a stack.
    for (int I = Count - 1; I >= 0; --I)
      if (PieceOn(D, Extra[I]) == P) {
        L[Slot][K] = Extra[I];
        Extra[I] = Extra[--Count];
        break;
      }
  }
}

void PutPiece(DataType &D, int8_t P, int8_t Sq) { PutAt(D, P, Sq); }

void RemovePiece(DataType &D, int8_t Sq) { RemoveAt(D, Sq); }

void ZeroBoardData(DataType &D) {
  for (uint32_t &W : D.Board) W = 0;
  for (int Slot = 0; Slot < 2; ++Slot)
    for (int K = 0; K < 5; ++K) D.WPieceList[Slot][K] = D.BPieceList[Slot][K] = -1;
  for (int I = 0; I < 8; ++I) D.WPawnList[I] = D.BPawnList[I] = -1;
  D.WExtraCount = D.BExtraCount = 0;
  D.CastleStat = 0;
}

int CountPieces(const DataType &D, int8_t P) {
  int N = 0;
  if (P == WPawn || P == BPawn) {
    const int8_t *List = P == WPawn ? D.WPawnList : D.BPawnList;
    for (int I = 0; I < 8; ++I) N += List[I] != -1;
    return N;
  }
  if (!IsPieceListCode(P)) return 0;
  const PieceListType &L = P < 9 ? D.WPieceList : D.BPieceList;
  N = (L[0][PIdx(P)] != -1) + (L[1][PIdx(P)] != -1);
  const int8_t *Extra = P < 9 ? D.WExtra : D.BExtra;
  for (int I = 0; I < (P < 9 ? D.WExtraCount : D.BExtraCount); ++I) N += PieceOn(D, Extra[I]) == P;
  return N;
}

bool RoomForPiece(const DataType &D, int8_t P) {
  if (!(P == WPawn || P == BPawn || IsPieceListCode(P))) return false;
  if (P == WKing || P == BKing) return CountPieces(D, P) < 1;
  // Every piece beyond two of its kind came from a pawn, and the extra list
  // holds exactly those: with the pawns they stay within MaxExtra. That also
  // keeps the pawns within eight.
  const bool White = P < 9;
  const int Promoted =
      (White ? D.WExtraCount : D.BExtraCount) + CountPieces(D, White ? WPawn : BPawn);
  if (P == WPawn || P == BPawn) return Promoted < MaxExtra;
  return CountPieces(D, P) < 2 || Promoted < MaxExtra;
}

bool NoMatingMaterial(const DataType &D) {
  // Promoted pieces and pawns can always mate: only the list slots count.
  if (LoadList(D.WPawnList) != ~0ull || LoadList(D.BPawnList) != ~0ull) return false;
  if (D.WExtraCount != 0 || D.BExtraCount != 0) return false;
  int Knights = 0, Bishops = 0, Shades = 0; // Shades: bit 0 light, bit 1 dark
  for (const PieceListType *L : {&D.WPieceList, &D.BPieceList})
    for (int Slot = 0; Slot < 2; ++Slot) {
      if ((*L)[Slot][PIdx(WRook)] != -1 || (*L)[Slot][PIdx(WQueen)] != -1) return false;
      Knights += (*L)[Slot][PIdx(WNight)] != -1;
      const int8_t B = (*L)[Slot][PIdx(WBishop)];
      if (B == -1) continue;
      ++Bishops;
      Shades |= 1 << (((B >> 3) + (B & 7)) & 1);
    }
  if (Knights == 0) return Shades != 3;
  return Knights == 1 && Bishops == 0;
}
