#include "diag/Perft.h"

#include <cinttypes>
#include <cstdio>

#include "board/Attacks.h"
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

uint64_t Perft(uint8_t Depth, uint8_t X) {
  if (Depth == 0) return 1;
  const uint16_t N = GenMoveList(Str4());
  uint64_t Total = 0;
  int J = 0;
  // Each move is picked one turn ahead, so that finding the next best
  // overlaps making and testing this one; the picks and their order are
  // the same.
  MoveRec Next = N > 0 ? GetAMove(N) : NoMove;
  for (uint16_t I = 0; I < N; ++I) {
    const MoveRec M = Next;
    if (I + 1 < N) Next = GetAMove(N);
    MakeOnCopy(M, false);
    if (!InCheck(static_cast<int8_t>(-WhosMove))) {
      // One ply above the leaves every legal move is one leaf: no call needed.
      const uint64_t Sub = Depth == 1 ? 1 : Perft(static_cast<uint8_t>(Depth - 1), X);
      Total += Sub;
      ++J;
      if (Depth == X) PrintItem(J, M, Sub);
    }
    UnmakeMove();
  }
  return Total;
}
