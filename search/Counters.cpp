#include "search/Counters.h"

PVType PV;
uint32_t BetaCuts = 0;
uint32_t NullCuts = 0;
uint32_t TTHits = 0;
uint32_t ExactTTHits = 0;
int16_t PVScore = 0;
int16_t CurrentDepth = 0;
uint8_t SelDepth = 0;
SaveNodesType SaveNodes;
uint32_t Time = 0;
bool Abort = false;

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
