#include "diag/Perft.h"

#include <cinttypes>
#include <cstdio>

#include "board/Squares.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"

namespace {
// Number, move (with x for a capture), count; two items a line, the first alone.
void PrintItem(int J, const MoveRec &M, uint64_t Sub) {
  std::printf("%2d %s%s%s%10" PRIu64 "    ", J, SqToStr[M.FromSq], M.Capture ? "x" : "",
              SqToStr[M.ToSq], Sub);
  if (J % 2 == 1) std::printf("\n");
}
} // namespace

uint64_t Perft(PositionStack &St, uint8_t Depth, uint8_t X) {
  if (Depth == 0) return 1;
  uint64_t Total = 0;
  int J = 0;
  WalkLegalMoves(St, [&](const MoveRec &M) {
    // One ply above the leaves every legal move is one leaf: no call needed.
    const uint64_t Sub = Depth == 1 ? 1 : Perft(St, static_cast<uint8_t>(Depth - 1), X);
    Total += Sub;
    ++J;
    if (Depth == X) PrintItem(J, M, Sub);
    return true;
  });
  return Total;
}

uint16_t GenerateRootMoves(PositionStack &St) {
  St.Ply = 0;
  return GenMoveList(St, Str4());
}
