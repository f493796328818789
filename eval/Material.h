// Material of each side, counted from the piece and pawn lists of Data[Ply]
// (kings excluded, queens beyond the two list slots included), and the
// endgame test that fixes EndGame once per search.
#pragma once
#include <cstdint>

#include "board/Globals.h"

int16_t WhiteMaterial();
int16_t BlackMaterial();
// White's material less Black's on D, whoever is to move.
int16_t CalcMaterial(const DataType &D);
inline int16_t CalcMaterial() { return CalcMaterial(Data[Ply]); }
// A side with less material than this and no queen in its first queen slot is
// in its endgame.
constexpr int16_t EndGameMaterial = 3000;
// Either side is in its endgame.
bool IsEndGame();
