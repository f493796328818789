// The monotonic millisecond tick count.
#pragma once
#include <cstdint>

uint64_t GetTickCount64();
// How often the tick count has been read, for the benchmarks.
extern uint64_t ClockReads;
