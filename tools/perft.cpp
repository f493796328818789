// Developer program: perft "<FEN>" <depth> [--dump]. Lists every legal root
// move with its leaf count, then the total, then the elapsed time and leaves
// per second. With --dump it first writes the root's generated move list to
// MoveList.txt. It writes to standard output only and never touches the terminal.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/Types.h"
#include "diag/Debugging.h"
#include "diag/Perft.h"
#include "game/Fen.h"
#include "game/GameState.h"
#include "tools/DepthArg.h"

namespace {
bool ParseDepth(const char *S, uint8_t &Depth) {
  // Every ply of the tree needs its own record on the position stack.
  return ParseDepthArg(S, 0, MaxPly, Depth);
}
} // namespace

int main(int Argc, char **Argv) {
  const bool Dump = Argc == 4 && std::strcmp(Argv[3], "--dump") == 0;
  if (Argc != 3 && !Dump) {
    std::fprintf(stderr, "usage: perft \"<FEN>\" <depth> [--dump]\n");
    return 2;
  }
  uint8_t Depth = 0;
  if (!ParseDepth(Argv[2], Depth)) {
    std::fprintf(stderr, "perft: depth must be a whole number from 0 to %d: %s\n", MaxPly, Argv[2]);
    return 2;
  }
  const char *Why = nullptr;
  if (!SetupFEN(Argv[1], Why)) {
    std::fprintf(stderr, "perft: cannot load the position (%s): %s\n", Why ? Why : "bad FEN",
                 Argv[1]);
    return 1;
  }
  if (Dump) {
    const uint16_t N = GenerateRootMoves(Game.St);
    if (!WriteMoveList(Game.St, static_cast<uint8_t>(N > 255 ? 255 : N))) {
      std::fprintf(stderr, "perft: cannot write MoveList.txt\n");
      return 1;
    }
  }
  // The listing ends a line after every odd item; an even number of items
  // leaves the last line open. Counting the root moves first keeps that out
  // of the timed run.
  const uint64_t RootMoves = Depth > 0 ? Perft(Game.St, 1, 0) : 0;

  const auto T0 = std::chrono::steady_clock::now();
  const uint64_t Total = Perft(Game.St, Depth, Depth);
  const auto T1 = std::chrono::steady_clock::now();
  const double Seconds = std::chrono::duration<double>(T1 - T0).count();

  if (RootMoves > 0 && RootMoves % 2 == 0) std::printf("\n");
  std::printf("Total: %" PRIu64 "\n", Total);
  const double Rate = Seconds > 0 ? static_cast<double>(Total) / Seconds : 0.0;
  std::printf("Time: %.3f s, %.0f leaves/s\n", Seconds, Rate);
  return 0;
}
