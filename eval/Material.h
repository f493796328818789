// Material of each side, counted from the piece and pawn lists of a record
// (kings excluded, queens beyond the two list slots included), and the
// endgame test that fixes EndGame once per search.
#pragma once
#include <cstdint>

#include "board/Types.h"

int16_t WhiteMaterial(const DataType &D);
int16_t BlackMaterial(const DataType &D);
// White's material less Black's on D, whoever is to move.
int16_t CalcMaterial(const DataType &D);
// A side with less material than this and no queen in its first queen slot is
// in its endgame.
constexpr int16_t EndGameMaterial = 3000;
// Either side is in its endgame.
bool IsEndGame(const DataType &D);
