// The depth argument of the developer programs: one to three decimal digits
// within the program's own bounds.
#pragma once
#include <cstdint>

#include "platform/Decimal.h"

inline bool ParseDepthArg(const char *S, int Min, int Max, uint8_t &Depth) {
  uint64_t V = 0;
  if (!ParseDecimal(S, 3, V) || V < static_cast<uint64_t>(Min) || V > static_cast<uint64_t>(Max))
    return false;
  Depth = static_cast<uint8_t>(V);
  return true;
}
