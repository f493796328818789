#include "search/Search.h"

// The search is not built yet: the computer never finds a move.
MoveRec ComputerMove() { return NoMove; }
