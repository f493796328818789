// The quiet moves of knights, bishops, rooks, queens and kings, found by the
// change they make to a position's key: a position two or more half-moves back
// that one such move reaches again differs from this one by exactly that
// change, so a draw by repetition one move ahead is seen without a move list.
#pragma once
#include <cstdint>

#include "board/Types.h"

// Fills the table from the current Zobrist keys; again whenever they change.
void PrepareReversibleMoves();
// The move of Side on D, if any, that changes D's placement key by KeyChange:
// a piece of Side on one end of a listed pair, the other end empty and the
// squares between them empty. Whether it leaves the king safe is not tested.
bool ReversibleMoveFor(const DataType &D, int8_t Side, uint64_t KeyChange, MoveRec &M);
