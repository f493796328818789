// The computer's move: iterative deepening over the alpha-beta search.
#pragma once

#include "board/Globals.h"

// The searched move for Data[0] and WhosMove, or NoMove when there is none.
MoveRec ComputerMove();
