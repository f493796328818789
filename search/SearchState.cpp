#include "search/SearchState.h"

void UpdatePV(SearchState &St, const Str4 &M, uint8_t D) {
  if (D > MaxPly) return;
  auto &Line = St.PV;
  Line[D][D] = M;
  // The copy is CurrentDepth entries long but never leaves the table.
  for (int I = 1; I <= St.CurrentDepth && D + I <= MaxPly; ++I) Line[D][D + I] = Line[D + 1][D + I];
}

void ClearPV(SearchState &St) {
  for (auto &Row : St.PV)
    for (Str4 &M : Row) M.Clear();
}
