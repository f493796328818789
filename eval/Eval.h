// The static evaluation: material, piece-square values, castling rights, the
// bishop pair, pawn shields and doubled pawns, summed from White's side and
// turned to the mover's side at the end. A lazy cut-off answers from material
// alone when it is far outside the caller's window (never in the endgame).
#pragma once
#include <cstdint>

#include "board/Types.h"

constexpr int16_t DoublePawnPenalty = 20; // per extra pawn on a file
constexpr int16_t NotCastPenalty = 30;    // a side that still holds both castling rights
constexpr int16_t TwoBishopBonus = 30;    // a side that still has both bishops
constexpr int16_t KingSafety = 6;         // per shielding pawn or knight
constexpr int16_t CutOff = 300;           // lazy-evaluation margin

// Score of D for Side in centipawns: exact, or Alpha / Beta when the lazy
// cut-off fires. EndGame is the search's, fixed at its root: it picks the
// king's table and turns the lazy cut-off off.
int16_t EvalPosition(const DataType &D, int8_t Side, bool EndGame, int16_t Alpha, int16_t Beta);
