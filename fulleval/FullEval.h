// The UCI engine's own evaluation: what a chess player would name (pawn
// structure, mobility, king safety, rooks' files, outposts, threats and the
// endings' scaling), each term tapered between the middlegame and the
// endgame by the material left. The console keeps eval/Eval.h.
#pragma once
#include <cstdint>

#include "board/Types.h"

// Score of D for Side to move, in centipawns.
int16_t FullEval(const DataType &D, int8_t Side);
