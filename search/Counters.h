// The search's shared state: principal variation, node and cut-off counters,
// the score and depth of the current iteration, the abort flag, and the clock
// that counts whole seconds since the search started.
#pragma once
#include <cstdint>

#include "board/Globals.h"

extern PVType PV;
extern uint64_t Nodes;  // moves made by the main search (a castling counts two)
extern uint64_t QNodes; // moves made by the quiescence search
extern uint32_t BetaCuts;
extern uint32_t NullCuts;
extern uint32_t TTHits;
extern uint32_t ExactTTHits;
extern int16_t PVScore;
extern int16_t CurrentDepth;
using SaveNodesType = uint64_t[MaxPly + 1];
extern SaveNodesType SaveNodes;
extern uint32_t Time; // whole seconds, as of the end of the last iteration
extern bool Abort;

enum Mode { Start, Elapsed };
extern uint64_t StartTime, StopTime;
extern int64_t Delta;

// Records M as the best move at ply D and appends the line of ply D + 1.
void UpdatePV(const Str4 &M, uint8_t D);
void ClearPV();
// Start: records the start time, 0. Elapsed: whole seconds since Start.
uint64_t Clock(Mode Button);
// The elapsed whole seconds exceed MoveTime.
bool TimesUp();
