#include "board/Board.h"

void PutPiece(int8_t P, int8_t Sq) { PutAt(Data[Ply], P, Sq); }

void RemovePiece(int8_t Sq) { RemoveAt(Data[Ply], Sq); }

void AddToPieceList(int8_t P, int8_t Sq) {
  // The pawn and the unused codes 7..9 have no piece-list entry at all.
  if (!IsPieceListCode(P)) Fatal("Board", __LINE__, "Error in AddToPieceList");
  AddPieceEntry(Data[Ply], P, Sq);
}

void RemoveFromPieceList(int8_t P, int8_t Sq) {
  if (!IsPieceListCode(P)) Fatal("Board", __LINE__, "Error in RemoveFromPieceList");
  RemovePieceEntry(Data[Ply], P, Sq);
}

void AddToPawnList(int8_t Sq) {
  DataType &D = Data[Ply];
  const int8_t P = PieceOn(D, Sq);
  if (P != WPawn && P != BPawn) Fatal("Board", __LINE__, "error: in AddToPawnList");
  AddPawnEntry(P == WPawn ? D.WPawnList : D.BPawnList, Sq, P == WPawn);
}

void RemoveFromPawnList(int8_t Sq) {
  DataType &D = Data[Ply];
  const int8_t P = PieceOn(D, Sq);
  if (P == Empty) return;
  if (P != WPawn && P != BPawn) Fatal("Board", __LINE__, "error: in removefrompawnlist");
  RemovePawnEntry(P == WPawn ? D.WPawnList : D.BPawnList, Sq);
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
  // A pawn may still become a queen, so pawns and queens share the queens' room.
  const bool White = P < 9;
  const int QueensAndPawns =
      CountPieces(White ? WQueen : BQueen) + CountPieces(White ? WPawn : BPawn);
  if (P == WPawn || P == BPawn) return CountPieces(P) < 8 && QueensAndPawns < MaxQueens;
  if (!IsPieceListCode(P)) return false;
  if (P == WKing || P == BKing) return CountPieces(P) < 1;
  if (P == WQueen || P == BQueen) return QueensAndPawns < MaxQueens;
  return CountPieces(P) < 2;
}
