// Making and unmaking moves by copy and discard: the caller advances Ply and
// copies the record, MakeMove changes the copy, UnmakeMove steps back.
#pragma once

#include "board/Globals.h"

// Plays the move on Data[Ply] and passes the turn (WhosMove, HumansMove,
// MoveNum); counts one node in QNodes when QS, else in Nodes.
void MakeMove(const MoveRec &TheMove, bool QS);
void UnmakeMove();
