#include "eval/LookUpTables.h"

// Callers add the entry of a free list slot (-1) unchecked, so it must count nothing.
static_assert(PST_Pawn[-1] == 0 && PST_Knight[-1] == 0 && PST_Bishop[-1] == 0 &&
              PST_Rook[-1] == 0 && PST_Queen[-1] == 0 && PST_King_MG[-1] == 0 &&
              PST_King_EG[-1] == 0);
