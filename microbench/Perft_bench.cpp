// Speed of the move machinery: perft from the start position, and one ply of
// generation, best-first selection, make on a copy and the check test in a
// middlegame position. Leaves (or moves) per second are the items rate.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "board/Attacks.h"
#include "board/Types.h"
#include "diag/Perft.h"
#include "game/Fen.h"
#include "game/GameState.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"

namespace {
void Load(const char *Fen) {
  const char *Why = nullptr;
  Game.St.Ply = 0;
  if (!SetupFEN(Fen, Why)) std::abort();
}

void BM_PerftStart5(benchmark::State &State) {
  Load("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  uint64_t Leaves = 0;
  for (auto _ : State) {
    const uint64_t N = Perft(Game.St, 5, 0);
    benchmark::DoNotOptimize(N);
    Leaves += N;
  }
  State.SetItemsProcessed(static_cast<int64_t>(Leaves));
}
BENCHMARK(BM_PerftStart5)->Unit(benchmark::kMillisecond);

// Castling both ways, pins, en passant targets after double steps, captures.
void BM_GenMakeCheckMiddlegame(benchmark::State &State) {
  Load("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
  uint64_t Moves = 0;
  for (auto _ : State) {
    WalkLegalMoves(Game.St, [&](const MoveRec &M) {
      benchmark::DoNotOptimize(M);
      ++Moves;
      return true;
    });
  }
  State.SetItemsProcessed(static_cast<int64_t>(Moves));
}
BENCHMARK(BM_GenMakeCheckMiddlegame);
} // namespace

BENCHMARK_MAIN();
