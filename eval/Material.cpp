#include "eval/Material.h"

#include "board/Types.h"

namespace {
int16_t SideMaterial(const DataType &D, bool White) {
  const PieceListType &L = White ? D.WPieceList : D.BPieceList;
  const int8_t *Pawns = White ? D.WPawnList : D.BPawnList;
  const int8_t *Extra = White ? D.WExtra : D.BExtra;
  const uint8_t ExtraCount = White ? D.WExtraCount : D.BExtraCount;
  int M = 0;
  for (int I = 0; I < 8; ++I)
    if (Pawns[I] != -1) M += PieceValue[WPawn];
  for (int Slot = 0; Slot < 2; ++Slot)
    for (int8_t P = WNight; P <= WQueen; ++P)
      if (L[Slot][PIdx(P)] != -1) M += PieceValue[P];
  // An extra piece is worth what its kind on the board is worth.
  for (int I = 0; I < ExtraCount; ++I) M += PieceValue[PieceOn(D, Extra[I])];
  return static_cast<int16_t>(M);
}

// The queen slot 0 is the only one looked at: a lone queen left in slot 1
// still lets that side count as being in its endgame.
bool SideInEndGame(int16_t Material, const PieceListType &L) {
  return Material < EndGameMaterial && L[0][PIdx(WQueen)] == -1;
}
} // namespace

int16_t WhiteMaterial(const DataType &D) { return SideMaterial(D, true); }

int16_t BlackMaterial(const DataType &D) { return SideMaterial(D, false); }

int16_t CalcMaterial(const DataType &D) {
  return static_cast<int16_t>(SideMaterial(D, true) - SideMaterial(D, false));
}

bool IsEndGame(const DataType &D) {
  return SideInEndGame(WhiteMaterial(D), D.WPieceList) ||
         SideInEndGame(BlackMaterial(D), D.BPieceList);
}
