#include "fulleval/FullEval.h"

namespace {
constexpr int Value[7] = {0, 100, 320, 330, 500, 900, 0};
} // namespace

int16_t FullEval(const DataType &D, int8_t Side) {
  int Score = 0;
  for (int Sq = 0; Sq < 64; ++Sq) {
    const int8_t P = PieceOn(D, Sq);
    if (P == Empty) continue;
    Score += IsWhiteCode(P) ? Value[P & 7] : -Value[P & 7];
  }
  return static_cast<int16_t>(Side == WMove ? Score : -Score);
}
