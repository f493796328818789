// The helper threads: they search the same root as the main thread, each on a
// record of its own, deepening as it does, and share the table and the
// children in search (search/Shared.cpp); what they find reaches the main
// thread through the table. The main thread alone reads the clock and the front end's stop,
// reports, and decides the move; the helpers stop when it does.
#include <atomic>
#include <new>
#include <thread>

#include "hash/TT.h"
#include "moves/GenMoves.h"
#include "search/Clock.h"
#include "search/Worker.h"

namespace {
int NumHelpers = 0;             // threads started
int ActiveHelpers = 0;          // of them, those that searched in this search or the last
std::atomic<uint32_t> Epoch{0}; // each search's start, and the helpers' end
std::atomic<int> Running{0};    // helpers not yet done with this search
bool HelpersQuit = false;       // written before an Epoch change, read after it

// The threads and their records are made in place and never destroyed, so
// that an exit while they wait for a search (or from a helper's consistency
// failure) needs no join; SetSearchThreads ends them in turn. Raw storage
// keeps the records out of the program file: a record's first values are
// not all zero.
alignas(std::thread) unsigned char ThreadStore[MaxSearchThreads - 1][sizeof(std::thread)];
alignas(SearchState) unsigned char StateStore[MaxSearchThreads - 1][sizeof(SearchState)];
std::thread &HelperThread(int I) {
  return *std::launder(reinterpret_cast<std::thread *>(ThreadStore[I]));
}
SearchState &HelperState(int I) {
  return *std::launder(reinterpret_cast<SearchState *>(StateStore[I]));
}

// A helper's search: the root of the main thread, deepened until the main
// thread stops it.
void HelperSearch(int Id) {
  SearchState &St = HelperState(Id);
  Worker W;
  W.St = &St;
  W.Helper = Id;
  St.Data[0] = *Ctx.Root;
  St.Ply = 0;
  St.WhosMove = Ctx.RootSide;
  St.EndGame = Ctx.EndGame;
  ClearHistory(St);
  ClearMoveMemory(W.Mem);
  ClearPV(St);
  St.Nodes = St.QNodes = 0;
  St.BetaCuts = St.NullCuts = St.TTHits = St.ExactTTHits = 0;
  St.SelDepth = 0;
  St.Abort = false;
  W.StartPath();
  for (int Depth = 1; Depth <= MaxPly; ++Depth) {
    St.CurrentDepth = static_cast<int16_t>(Depth);
    RootSearch(W, -RootWindow, RootWindow, static_cast<int8_t>(Depth));
    if (St.Abort || HelpersStopped()) break;
  }
  SayCounts(Id, St);
}

void HelperLoop(int Id, uint32_t Seen) {
  for (;;) {
    Epoch.wait(Seen, std::memory_order_acquire);
    Seen = Epoch.load(std::memory_order_acquire);
    if (HelpersQuit) return;
    if (Id < ActiveHelpers) HelperSearch(Id);
    if (Running.fetch_sub(1, std::memory_order_acq_rel) == 1) Running.notify_all();
  }
}
} // namespace

// Everything a helper reads of the search (the context, the root, the
// table's generation) is written before this.
void StartHelpers(uint8_t Threads) {
  // Set by the last search's end: a search on one thread looks at it too.
  SetHelpersStop(false);
  ActiveHelpers = Threads - 1 < NumHelpers ? Threads - 1 : NumHelpers;
  Ctx.ShareMoves = Ctx.DeferAll;
  if (ActiveHelpers <= 0) {
    ActiveHelpers = 0;
    ShareCounts(0);
    return;
  }
  ShareCounts(ActiveHelpers);
  Running.store(NumHelpers, std::memory_order_relaxed);
  Ctx.HelpersOn = Ctx.ShareMoves = true;
  Epoch.fetch_add(1, std::memory_order_release);
  Epoch.notify_all();
}

// Returns once every helper has left its search; their counts stay readable.
void StopHelpers() {
  if (ActiveHelpers == 0) return;
  SetHelpersStop(true);
  for (int R = Running.load(std::memory_order_acquire); R != 0;
       R = Running.load(std::memory_order_acquire))
    Running.wait(R, std::memory_order_acquire);
  Ctx.HelpersOn = false;
  Ctx.ShareMoves = Ctx.DeferAll;
}

uint8_t SetSearchThreads(uint8_t Threads) {
  if (Threads < 1) Threads = 1;
  if (Threads > MaxSearchThreads) Threads = MaxSearchThreads;
  if (Threads - 1 == NumHelpers) return Threads;
  if (NumHelpers > 0) {
    HelpersQuit = true;
    Epoch.fetch_add(1, std::memory_order_release);
    Epoch.notify_all();
    for (int I = 0; I < NumHelpers; ++I) {
      HelperThread(I).join();
      HelperThread(I).~thread();
    }
    NumHelpers = 0;
    HelpersQuit = false;
  }
  const uint32_t Now = Epoch.load(std::memory_order_relaxed);
  try {
    while (NumHelpers < Threads - 1) {
      new (StateStore[NumHelpers]) SearchState();
      new (ThreadStore[NumHelpers]) std::thread(HelperLoop, NumHelpers, Now);
      ++NumHelpers;
    }
  } catch (const std::system_error &) {
    // The system would give no more threads: the search uses those it has.
  }
  // Several writers keep no list of the table's written slots.
  SetTTWriters(NumHelpers + 1);
  return static_cast<uint8_t>(NumHelpers + 1);
}
