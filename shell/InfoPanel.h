// The search information panel (columns 49..79, rows 2..12), the score row,
// the principal-variation rows 23 and 24 and the endgame marker.
#pragma once
#include <cstdint>

#include "board/Types.h"
#include "seam/Seam.h"

void WriteInfoToScreen(const SearchInfo &Info);
// The first Len moves of the root's line (MaxPly + 1 entries); from entry
// Legal on, entries that cannot be played (past a mate, left from an earlier
// iteration) are blank.
void WritePV(const Str4 *Line, uint32_t Len, uint32_t Legal = MaxPly + 1);
