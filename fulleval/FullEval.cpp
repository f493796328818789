#include "fulleval/FullEval.h"

#include "fulleval/Evaluate.h"

namespace {
// Far from the mate scores, however many queens a position holds.
constexpr int MaxEval = MateScore - 2000;
} // namespace

int16_t FullEval(const DataType &D, int8_t Side) {
  ScoreSum Sum;
  const int Score = std::clamp(Evaluate(D, Side, Sum).White, -MaxEval, MaxEval);
  return static_cast<int16_t>(Side == WMove ? Score : -Score);
}
