// What the table clear at the start of every search costs after searches of
// growing length: the clear's time is the benchmark's time, the search before
// it is not timed.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "board/Types.h"
#include "diag/BenchPositions.h"
#include "game/Fen.h"
#include "game/GameState.h"
#include "hash/TT.h"
#include "moves/Move.h"
#include "search/Search.h"

namespace {
void BM_ClearAfterSearch(benchmark::State &State) {
  const uint8_t Depth = static_cast<uint8_t>(State.range(0));
  uint64_t Searched = 0;
  for (auto _ : State) {
    State.PauseTiming();
    const char *Why = nullptr;
    Game.St.Ply = 0;
    if (!SetupFEN(BenchPositions[2].Fen, Why)) std::abort();
    SearchMove(Game.St, PrepareBenchSearch(Game.St.Data[0], Depth));
    Searched += Game.St.Nodes + Game.St.QNodes;
    State.ResumeTiming();
    ZeroTTs();
  }
  State.counters["nodes_before"] =
      benchmark::Counter(static_cast<double>(Searched), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ClearAfterSearch)
    ->Arg(6)
    ->Arg(8)
    ->Arg(10)
    ->Arg(12)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
} // namespace
