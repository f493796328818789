// The xboard protocol's time controls (level, st, sd and the clocks it sends)
// as the limits of the engine's next move: free of the session, so that a
// table of controls can check them.
#pragma once
#include <cstdint>

#include "seam/Limits.h"

namespace Uci {

struct XboardClock {
  uint32_t MovesPerSession = 0; // level's first number; 0: the whole game
  uint64_t BaseMs = 300000;     // the time each session gives
  uint64_t IncMs = 0;           // added after each move
  uint64_t MoveMs = 0;          // st; 0: the level holds
  uint8_t Depth = 0;            // sd; 0: none
  int64_t LeftMs = -1;          // the engine's clock as the last time command gave it; -1: none yet
};

// Reads "level MPS BASE INC": BASE in minutes or minutes:seconds, INC in
// seconds, both with decimals allowed; false, with C unchanged, when a field
// is not such a number.
bool ReadLevel(const char *Mps, const char *Base, const char *Inc, XboardClock &C);
// A whole or decimal number of seconds (st, INC) in milliseconds; false when
// Text is no such number or is above a day.
bool ReadSeconds(const char *Text, uint64_t &Ms);

// The limits of the engine's move when it has made Made moves since the
// game's start: the clock the last time command gave (else the session's
// time), the moves to the next control, a fixed time per move, a depth.
SearchLimits XboardMoveLimits(const XboardClock &C, uint32_t Made);

} // namespace Uci
