// The search's shared state: principal variation, node and cut-off counters,
// the score and depth of the current iteration, the abort flag, and the clock
// that counts whole seconds since the search started, with the time limit
// kept in milliseconds underneath.
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

// The search stops once this many milliseconds have passed since Clock(Start);
// each search sets it from its limits.
extern uint64_t MoveTimeMs;

// The console's rule in milliseconds: the elapsed whole seconds exceed Secs
// exactly when Secs + 1 whole seconds have passed.
constexpr uint64_t SecondsRuleMs(uint16_t Secs) { return (static_cast<uint64_t>(Secs) + 1) * 1000; }

enum Mode { Start, Elapsed };
extern uint64_t StartTime, StopTime;
extern int64_t Delta;

// Records M as the best move at ply D and appends the line of ply D + 1.
void UpdatePV(const Str4 &M, uint8_t D);
void ClearPV();
// Start: records the start time, 0. Elapsed: whole seconds since Start.
uint64_t Clock(Mode Button);
// Milliseconds since Clock(Start); updates StopTime and Delta as Elapsed does.
uint64_t ElapsedMs();
// MoveTimeMs milliseconds have passed: with SecondsRuleMs(Secs), the elapsed
// whole seconds exceed Secs.
bool TimesUp();
