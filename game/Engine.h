// The engine as the front ends see it: the computer's move, from the book or
// from a search.
#pragma once

#include "board/Globals.h"

// The computer's move: from the book while it is in use (InLibrary), which
// then records the move in OpeningStr or leaves the book, else searched.
MoveRec CalcMove();
