// Pseudo-random integers. The game reseeds from the clock before each use; the
// tests and the bench fix the seed instead, which makes every later Randomize
// a no-op so that the whole run draws one reproducible sequence.
#pragma once
#include <cstdint>

// 2^64 over the golden ratio: an odd number whose multiples spread over all
// 64 bits, for seeds and keys that must differ in every bit.
constexpr uint64_t GoldenGamma = 0x9E3779B97F4A7C15ull;

// Seeds the generator from the clock (unless a fixed seed is in force).
void Randomize();
// Seeds the generator from Seed instead (unless a fixed seed is in force):
// a draw that a caller's own seed decides, such as a strength level's.
void RandomizeFrom(uint64_t Seed);
// Fixes the seed for the rest of the run: deterministic draws from here on.
void SetFixedSeed(uint64_t Seed);
// A uniformly distributed integer in 0 .. Bound - 1 (0 when Bound is 0).
uint32_t Random(uint32_t Bound);
