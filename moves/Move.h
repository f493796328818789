// Making and unmaking moves by copy and discard: the caller advances Ply and
// copies the record, MakeMove changes the copy, UnmakeMove steps back; and
// the legality test of a move text.
#pragma once

#include "board/Globals.h"

// Plays the move on Data[Ply] and passes the turn (WhosMove, HumansMove,
// MoveNum); counts one node in QNodes when QS, else in Nodes.
void MakeMove(const MoveRec &TheMove, bool QS);
void UnmakeMove();
// The move on a copy of the record one ply up, as the search makes its moves.
inline void MakeOnCopy(const MoveRec &M, bool QS) {
  ++Ply;
  Data[Ply] = Data[Ply - 1];
  MakeMove(M, QS);
}

// Moves made since the search started, counted by MakeMove: a castling counts
// two. QNodes are those of the quiescence search.
extern uint64_t Nodes;
extern uint64_t QNodes;

// True when the whole text is the move text of a legal move of WhosMove.
bool IsLegalMove(const ShortStr &TheMove);
