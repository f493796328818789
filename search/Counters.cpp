#include "search/Counters.h"

#include "platform/Clock.h"

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

uint64_t MoveTimeMs = SecondsRuleMs(60);

uint64_t StartTime = 0, StopTime = 0;
int64_t Delta = 0;

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

uint64_t ElapsedMs() {
  StopTime = GetTickCount64();
  Delta = static_cast<int64_t>(StopTime - StartTime);
  return static_cast<uint64_t>(Delta);
}

uint64_t Clock(Mode Button) {
  if (Button == Start) {
    StartTime = GetTickCount64();
    return 0;
  }
  return ElapsedMs() / 1000;
}

bool TimesUp() { return ElapsedMs() >= MoveTimeMs; }
