// The search's shared state: principal variation, node and cut-off counters,
// the score and depth of the current iteration and the abort flag; the clock
// is search/Clock.h.
#pragma once
#include <cstdint>

#include "board/Globals.h"

inline constexpr auto &PV = MainState.PV;
inline constexpr auto &BetaCuts = MainState.BetaCuts;
inline constexpr auto &NullCuts = MainState.NullCuts;
inline constexpr auto &TTHits = MainState.TTHits;
inline constexpr auto &ExactTTHits = MainState.ExactTTHits;
inline constexpr auto &PVScore = MainState.PVScore;
inline constexpr auto &CurrentDepth = MainState.CurrentDepth;
inline constexpr auto &SelDepth = MainState.SelDepth; // the deepest ply reached in this search
inline constexpr auto &SaveNodes = MainState.SaveNodes;
inline constexpr auto &Time = MainState.Time; // whole seconds, as of the end of the last iteration
inline constexpr auto &Abort = MainState.Abort;

// Records M as the best move at ply D and appends the line of ply D + 1.
void UpdatePV(SearchState &St, const Str4 &M, uint8_t D);
void ClearPV(SearchState &St);
inline void UpdatePV(const Str4 &M, uint8_t D) { UpdatePV(MainState, M, D); }
inline void ClearPV() { ClearPV(MainState); }
