// The static evaluation: material, piece-square values, castling rights, the
// bishop pair, pawn shields and doubled pawns, summed from White's side and
// turned to the mover's side at the end. A lazy cut-off answers from material
// alone when it is far outside the caller's window (never in the endgame).
#pragma once
#include <cstdint>

#include "board/Globals.h"

constexpr int16_t DoublePawnPenalty = 20; // per extra pawn on a file
constexpr int16_t NotCastPenalty = 30;    // a side that still holds both castling rights
constexpr int16_t TwoBishopBonus = 30;    // a side that still has both bishops
constexpr int16_t KingSafety = 6;         // per shielding pawn or knight
constexpr int16_t CutOff = 300;           // lazy-evaluation margin

// Score of D for Side in centipawns: exact, or Alpha / Beta when the lazy
// cut-off fires. Reads EndGame; changes nothing.
int16_t EvalPosition(const DataType &D, int8_t Side, int16_t Alpha, int16_t Beta);
// The same for the game's record and its side to move.
inline int16_t EvalPosition(int16_t Alpha, int16_t Beta) {
  return EvalPosition(Data[Ply], WhosMove, Alpha, Beta);
}
