#include "board/Board.h"

#include "hash/Zorbist.h"
#include "platform/Terminal.h"

namespace {
constexpr uint32_t Mask[8] = {0xFFFFFFF0, 0xFFFFFF0F, 0xFFFFF0FF, 0xFFFF0FFF,
                              0xFFF0FFFF, 0xFF0FFFFF, 0xF0FFFFFF, 0x0FFFFFFF};

bool IsPieceListCode(int8_t P) { return (P >= 2 && P <= 6) || (P >= 10 && P <= 14); }
} // namespace

void PutPiece(int8_t P, int8_t Sq) {
  DataType &D = Data[Ply];
  const int Rank = Sq / 8, File = Sq % 8;
  D.Board[Rank] &= Mask[File];
  if (P == Empty) return;
  D.Board[Rank] += static_cast<uint32_t>(P) << (4 * File);
  D.HashKey ^= ZorbistKey(P, Sq);
  if (P == WPawn || P == BPawn)
    AddToPawnList(Sq);
  else
    AddToPieceList(P, Sq);
}

void RemovePiece(int8_t Sq) {
  DataType &D = Data[Ply];
  const int8_t P = PieceOn(D, Sq);
  if (P == Empty) return;
  if (P == WPawn || P == BPawn)
    RemoveFromPawnList(Sq);
  else
    RemoveFromPieceList(P, Sq);
  D.HashKey ^= ZorbistKey(P, Sq);
  PutPiece(Empty, Sq);
}

void AddToPieceList(int8_t P, int8_t Sq) {
  // The pawn and the unused codes 7..9 have no piece-list entry at all.
  if (!IsPieceListCode(P)) Fatal("Board", __LINE__, "Error in AddToPieceList");
  DataType &D = Data[Ply];
  PieceListType &L = P < 9 ? D.WPieceList : D.BPieceList;
  const int K = PIdx(P);
  if (L[0][K] == -1) {
    L[0][K] = Sq;
  } else if (L[1][K] == -1) {
    L[1][K] = Sq;
  } else if ((P & 7) == WQueen) {
    uint8_t &Count = P < 9 ? D.WExtraCount : D.BExtraCount;
    int8_t *Extra = P < 9 ? D.WExtraQueens : D.BExtraQueens;
    if (Count >= MaxExtraQueens) Fatal("Board", __LINE__, "Error in AddToPieceList");
    Extra[Count++] = Sq;
  } else {
    // A third knight, bishop or rook, or a second king: the callers refuse
    // such positions before they get here.
    Fatal("Board", __LINE__, "Error in AddToPieceList");
  }
}

void RemoveFromPieceList(int8_t P, int8_t Sq) {
  if (!IsPieceListCode(P)) Fatal("Board", __LINE__, "Error in RemoveFromPieceList");
  DataType &D = Data[Ply];
  PieceListType &L = P < 9 ? D.WPieceList : D.BPieceList;
  const int K = PIdx(P);
  for (int Slot = 0; Slot < 2; ++Slot)
    if (L[Slot][K] == Sq) L[Slot][K] = -1;
  if ((P & 7) != WQueen) return;
  uint8_t &Count = P < 9 ? D.WExtraCount : D.BExtraCount;
  int8_t *Extra = P < 9 ? D.WExtraQueens : D.BExtraQueens;
  for (int I = 0; I < Count; ++I)
    if (Extra[I] == Sq) Extra[I--] = Extra[--Count];
  // Extra queens are only kept while both slots are taken.
  for (int Slot = 0; Slot < 2 && Count > 0; ++Slot)
    if (L[Slot][K] == -1) L[Slot][K] = Extra[--Count];
}

void AddToPawnList(int8_t Sq) {
  DataType &D = Data[Ply];
  const int8_t P = PieceOn(D, Sq);
  if (P != WPawn && P != BPawn) Fatal("Board", __LINE__, "error: in AddToPawnList");
  int8_t *List = P == WPawn ? D.WPawnList : D.BPawnList;
  for (int I = 0; I < 8; ++I)
    if (List[I] == -1) {
      List[I] = Sq;
      return;
    }
  Fatal("Board", __LINE__,
        P == WPawn ? "Error in AddToPawnList, i value > 7, white code"
                   : "Error in AddToPawnList, i value > 7, black code");
}

void RemoveFromPawnList(int8_t Sq) {
  DataType &D = Data[Ply];
  const int8_t P = PieceOn(D, Sq);
  if (P == Empty) return;
  if (P != WPawn && P != BPawn) Fatal("Board", __LINE__, "error: in removefrompawnlist");
  int8_t *List = P == WPawn ? D.WPawnList : D.BPawnList;
  for (int I = 0; I < 8; ++I)
    if (List[I] == Sq) {
      List[I] = -1;
      return;
    }
  Fatal("Board", __LINE__, "error: in removefrompawnlist");
}

void ZeroBoardData() {
  DataType &D = Data[Ply];
  for (uint32_t &W : D.Board) W = 0;
  for (int Slot = 0; Slot < 2; ++Slot)
    for (int K = 0; K < 5; ++K) D.WPieceList[Slot][K] = D.BPieceList[Slot][K] = -1;
  for (int I = 0; I < 8; ++I) D.WPawnList[I] = D.BPawnList[I] = -1;
  D.WExtraCount = D.BExtraCount = 0;
  D.CastleStat = 0;
}

int CountPieces(int8_t P) {
  const DataType &D = Data[Ply];
  int N = 0;
  if (P == WPawn || P == BPawn) {
    const int8_t *List = P == WPawn ? D.WPawnList : D.BPawnList;
    for (int I = 0; I < 8; ++I) N += List[I] != -1;
    return N;
  }
  if (!IsPieceListCode(P)) return 0;
  const PieceListType &L = P < 9 ? D.WPieceList : D.BPieceList;
  N = (L[0][PIdx(P)] != -1) + (L[1][PIdx(P)] != -1);
  if (P == WQueen) N += D.WExtraCount;
  if (P == BQueen) N += D.BExtraCount;
  return N;
}

bool RoomForPiece(int8_t P) {
  if (P == WPawn || P == BPawn) return CountPieces(P) < 8;
  if (!IsPieceListCode(P)) return false;
  if (P == WKing || P == BKing) return CountPieces(P) < 1;
  if (P == WQueen || P == BQueen) return CountPieces(P) < 2 + MaxExtraQueens;
  return CountPieces(P) < 2;
}
