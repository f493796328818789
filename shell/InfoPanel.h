// The search information panel (columns 49..79, rows 2..12), the score row,
// the principal-variation rows 23 and 24 and the endgame marker.
#pragma once
#include <cstdint>

#include "board/FrontEnd.h"
#include "board/Globals.h"

void WriteInfoToScreen(const SearchInfo &Info);
void WritePV(const PVType &PV, uint32_t Len);
