// The search's shared state: principal variation, node and cut-off counters,
// the score and depth of the current iteration and the abort flag; the clock
// is search/Clock.h.
#pragma once
#include <cstdint>

#include "board/Globals.h"

extern PVType PV;
extern uint32_t BetaCuts;
extern uint32_t NullCuts;
extern uint32_t TTHits;
extern uint32_t ExactTTHits;
extern int16_t PVScore;
extern int16_t CurrentDepth;
extern uint8_t SelDepth; // the deepest ply reached in this search
using SaveNodesType = uint64_t[MaxPly + 1];
extern SaveNodesType SaveNodes;
extern uint32_t Time; // whole seconds, as of the end of the last iteration
extern bool Abort;

// Records M as the best move at ply D and appends the line of ply D + 1.
void UpdatePV(const Str4 &M, uint8_t D);
void ClearPV();
