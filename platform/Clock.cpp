#include "platform/Clock.h"

#include <ctime>

uint64_t ClockReads = 0;

uint64_t GetTickCount64() {
  ++ClockReads;
  timespec T;
  clock_gettime(CLOCK_MONOTONIC, &T);
  return static_cast<uint64_t>(T.tv_sec) * 1000u + static_cast<uint64_t>(T.tv_nsec) / 1000000u;
}
