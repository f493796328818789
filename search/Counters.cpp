#include "search/Counters.h"

void UpdatePV(const Str4 &M, uint8_t D) {
  if (D > MaxPly) return;
  PV[D][D] = M;
  // The copy is CurrentDepth entries long but never leaves the table.
  for (int I = 1; I <= CurrentDepth && D + I <= MaxPly; ++I) PV[D][D + I] = PV[D + 1][D + I];
}

void ClearPV() {
  for (auto &Row : PV)
    for (Str4 &M : Row) M.Clear();
}
