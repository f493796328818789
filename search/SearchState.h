// What one searching thread writes as it goes, in one record: the position
// stack it plays its moves on (moves/PositionStack.h), the principal
// variation, the node and cut-off counters, the score and depth of the
// current iteration and the abort flag. The main thread searches on the
// game's record, each helper on one of its own; the clock is search/Clock.h.
#pragma once
#include <cstdint>

#include "board/Types.h"
#include "moves/PositionStack.h"
#include "platform/FixedStr.h"

using PVType = Str4[MaxPly + 1][MaxPly + 1];
using SaveNodesType = uint64_t[MaxPly + 1];

struct SearchState : PositionStack {
  PVType PV{}; // row D: the best line found from ply D
  uint32_t BetaCuts = 0, NullCuts = 0, TTHits = 0, ExactTTHits = 0;
  int16_t PVScore = 0;
  int16_t CurrentDepth = 0;
  uint8_t SelDepth = 0; // the deepest ply reached in this search
  SaveNodesType SaveNodes{};
  uint32_t Time = 0; // whole seconds, as of the end of the last iteration
  bool Abort = false;
};

// Records M as the best move at ply D and appends the line of ply D + 1.
void UpdatePV(SearchState &St, const Str4 &M, uint8_t D);
void ClearPV(SearchState &St);
