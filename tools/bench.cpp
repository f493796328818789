// Developer program: bench [depth] [--threads N] [--quiet] [--dump]. Searches each bench position
// to a fixed depth with a fixed seed and prints, per position, the depth, the nodes, the quiescence
// nodes, the time and the speed, then the totals and the node-count signature (Nodes + QNodes over
// all positions), which changes only when the search itself changes. With --dump, the history table
// and the root's move list as the last search left them go to History.txt and MoveList.txt. With
// --threads N the searches run on N threads that share the table (1 by default); the counts are
// then those of all threads, and vary from run to run. It never touches the terminal.
#include <sys/resource.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "board/Squares.h"
#include "board/Types.h"
#include "diag/BenchPositions.h"
#include "diag/Debugging.h"
#include "diag/Perft.h"
#include "game/Engine.h"
#include "game/Fen.h"
#include "game/GameState.h"
#include "platform/Clock.h"
#include "tools/DepthArg.h"

namespace {
bool ParseDepth(const char *S, uint8_t &Depth) {
  // The driver's first iteration is depth 4; the table stores depths up to 15.
  return ParseDepthArg(S, 4, 30, Depth);
}

int Usage() {
  std::fprintf(stderr,
               "usage: bench [depth 4..30 | --depth N] [--threads 1..64] [--quiet] [--dump]\n");
  return 2;
}

double Seconds(const timeval &T) {
  return static_cast<double>(T.tv_sec) + static_cast<double>(T.tv_usec) / 1e6;
}

double Rate(uint64_t Count, double Seconds) {
  return Seconds > 0 ? static_cast<double>(Count) / Seconds : 0.0;
}
} // namespace

int main(int Argc, char **Argv) {
  uint8_t Depth = BenchDepth;
  bool Quiet = false, Dump = false;
  uint16_t RootMoves = 0;
  uint8_t Threads = 1;
  for (int I = 1; I < Argc; ++I) {
    if (std::strcmp(Argv[I], "--quiet") == 0) {
      Quiet = true;
    } else if (std::strcmp(Argv[I], "--dump") == 0) {
      Dump = true;
    } else if (std::strcmp(Argv[I], "--depth") == 0 && I + 1 < Argc) {
      if (!ParseDepth(Argv[++I], Depth)) return Usage();
    } else if (std::strcmp(Argv[I], "--threads") == 0 && I + 1 < Argc) {
      if (!ParseDepthArg(Argv[++I], 1, MaxSearchThreads, Threads)) return Usage();
    } else if (!ParseDepth(Argv[I], Depth)) {
      return Usage();
    }
  }

  if (!Quiet)
    std::printf("%-12s %5s %6s %12s %12s %9s %12s\n", "position", "depth", "move", "nodes",
                "qnodes", "ms", "nodes/s");
  uint64_t TotalNodes = 0, TotalQNodes = 0;
  double TotalSeconds = 0;
  // The table is made resident before the clock starts, as an interface's
  // isready does for torvane3-uci: the searches pay no first touches, and the
  // CPU below is theirs alone.
  PrepareTable();
  WaitForTable();
  SearchSettings Settings;
  Settings.Threads = SetThreads(Threads);
  rusage Before;
  getrusage(RUSAGE_SELF, &Before);
  const uint64_t ReadsBefore = ClockReads;
  for (const BenchPosition &P : BenchPositions) {
    const char *Why = nullptr;
    if (!SetupFEN(P.Fen, Why)) {
      std::fprintf(stderr, "bench: bad position %s (%s): %s\n", P.Name, Why ? Why : "", P.Fen);
      return 1;
    }
    const SearchLimits L = PrepareBenchSearch(Game.St.Data[0], Depth);
    // The root's list is generated again by the search; its count is the same.
    RootMoves = GenerateRootMoves(Game.St);
    // The search empties the table first; done here, the clear is not timed
    // with it (with several threads every clear is a whole one, 70-85 ms).
    ClearTable();
    const auto T0 = std::chrono::steady_clock::now();
    const ThinkResult R = Think(L, Settings);
    const auto T1 = std::chrono::steady_clock::now();
    const double Seconds = std::chrono::duration<double>(T1 - T0).count();
    const uint64_t All = R.Nodes + R.QNodes;
    TotalNodes += R.Nodes;
    TotalQNodes += R.QNodes;
    TotalSeconds += Seconds;
    if (!Quiet) {
      const MoveRec &M = R.Best;
      const ShortStr Move = M.FromSq < 0 ? ShortStr("none") : SquaresToStr(M.FromSq, M.ToSq);
      std::printf("%-12s %5d %6s %12" PRIu64 " %12" PRIu64 " %9.0f %12.0f\n", P.Name, R.Depth,
                  Move.c_str(), R.Nodes, R.QNodes, Seconds * 1000, Rate(All, Seconds));
    }
  }
  const uint64_t Signature = TotalNodes + TotalQNodes;
  if (!Quiet) {
    std::printf("%-12s %5d %6s %12" PRIu64 " %12" PRIu64 " %9.0f %12.0f\n", "total", Depth, "",
                TotalNodes, TotalQNodes, TotalSeconds * 1000, Rate(Signature, TotalSeconds));
    rusage After;
    getrusage(RUSAGE_SELF, &After);
    std::printf("CPU of the searches: user %.3f s, system %.3f s\n",
                Seconds(After.ru_utime) - Seconds(Before.ru_utime),
                Seconds(After.ru_stime) - Seconds(Before.ru_stime));
    const uint64_t Reads = ClockReads - ReadsBefore;
    std::printf("Clock reads: %" PRIu64 " (%.2f per 1000 nodes)\n", Reads,
                Signature > 0 ? static_cast<double>(Reads) * 1000 / static_cast<double>(Signature)
                              : 0.0);
  }
  std::printf("Signature: %" PRIu64 "\n", Signature);
  if (Dump && !(WriteHistoryTable(Game.St) &&
                WriteMoveList(Game.St, static_cast<uint8_t>(RootMoves > 255 ? 255 : RootMoves)))) {
    std::fprintf(stderr, "bench: cannot write History.txt or MoveList.txt\n");
    return 1;
  }
  return 0;
}
