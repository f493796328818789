#include "platform/Random.h"

#include <ctime>

namespace {
uint64_t State = GoldenGamma;
bool FixedSeed = false;

// splitmix64: small, fast and well distributed; good enough for hash keys.
uint64_t Next() {
  uint64_t Z = (State += GoldenGamma);
  Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
  Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
  return Z ^ (Z >> 31);
}
} // namespace

void Randomize() {
  if (FixedSeed) return;
  timespec T;
  clock_gettime(CLOCK_REALTIME, &T);
  State = static_cast<uint64_t>(T.tv_sec) * 1000000000ull + static_cast<uint64_t>(T.tv_nsec);
}

void RandomizeFrom(uint64_t Seed) {
  if (!FixedSeed) State = Seed;
}

void SetFixedSeed(uint64_t Seed) {
  State = Seed;
  FixedSeed = true;
}

uint32_t Random(uint32_t Bound) {
  if (Bound == 0) return 0;
  // Rejection sampling keeps the draw exactly uniform.
  const uint64_t Limit = (1ull << 32) - ((1ull << 32) % Bound);
  for (;;) {
    uint64_t R = Next() >> 32;
    if (R < Limit) return static_cast<uint32_t>(R % Bound);
  }
}
