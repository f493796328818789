// The helper threads: they search the same root as the main thread, each on a
// record of its own, deepening as it does, and share the table and the
// children in search (Busy); what they find reaches the main thread through
// the table. The main thread alone reads the clock and the front end's stop,
// reports, and decides the move; the helpers stop when it does.
#include <atomic>
#include <new>
#include <thread>

#include "hash/TT.h"
#include "moves/GenMoves.h"
#include "seam/Seam.h"
#include "search/Clock.h"
#include "search/Worker.h"

namespace {
int NumHelpers = 0;             // threads started
int ActiveHelpers = 0;          // of them, those that searched in this search or the last
std::atomic<uint32_t> Epoch{0}; // each search's start, and the helpers' end
std::atomic<int> Running{0};    // helpers not yet done with this search
std::atomic<bool> HelpersStop{false};
bool HelpersQuit = false; // written before an Epoch change, read after it
// What each helper has counted, as it last said: node counts are shown and
// limited for all threads together.
struct alignas(64) HelperCount {
  std::atomic<uint64_t> Nodes{0}, QNodes{0};
};
HelperCount Counts[MaxSearchThreads - 1];
std::atomic<uint64_t> MainCount{0}; // the main thread's nodes and quiescence nodes, as it last said
// The children other threads search now, by key: a thread that comes to one
// of them as a later move of a node leaves it until the node's other moves
// are done, and by then the table mostly has it. The threads thus share out
// a node's moves instead of searching them all in the same order.
constexpr uint32_t BusySlots = 8192;
std::atomic<uint64_t> Busy[BusySlots];
inline std::atomic<uint64_t> &BusySlot(uint64_t Key) { return Busy[Key % BusySlots]; }

// The same as NodesUsedUp seen from a helper: a helper that finds the limit
// reached stops them all, the main thread at its next look at the limits, so
// that a thread the system holds back holds none of the others beyond it.
bool AllNodesUsedUp() {
  return MainCount.load(std::memory_order_relaxed) + HelperNodes() + HelperQNodes() >=
         Ctx.NodeLimit;
}

inline bool CheckDue(Worker &W) {
  const uint64_t Count = W.St->Nodes + W.St->QNodes;
  if (Count < W.NextCheck) return false;
  W.NextCheck = Count + CheckInterval;
  return true;
}

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
  ClearPV(St);
  St.Nodes = St.QNodes = 0;
  St.BetaCuts = St.NullCuts = St.TTHits = St.ExactTTHits = 0;
  St.SelDepth = 0;
  St.Abort = false;
  W.StartPath();
  for (int Depth = 1; Depth <= MaxPly; ++Depth) {
    St.CurrentDepth = static_cast<int16_t>(Depth);
    Search(W, -RootWindow, RootWindow, static_cast<int8_t>(Depth), true);
    if (St.Abort || HelpersStop.load(std::memory_order_relaxed)) break;
  }
  Counts[Id].Nodes.store(St.Nodes, std::memory_order_relaxed);
  Counts[Id].QNodes.store(St.QNodes, std::memory_order_relaxed);
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

bool BusyElsewhere(uint64_t Key) { return BusySlot(Key).load(std::memory_order_relaxed) == Key; }
void MarkBusy(uint64_t Key) { BusySlot(Key).store(Key, std::memory_order_relaxed); }
void UnmarkBusy(uint64_t Key) {
  uint64_t Mine = Key;
  BusySlot(Key).compare_exchange_strong(Mine, 0, std::memory_order_relaxed);
}

uint64_t HelperNodes() {
  uint64_t N = 0;
  for (int I = 0; I < ActiveHelpers; ++I) N += Counts[I].Nodes.load(std::memory_order_relaxed);
  return N;
}
uint64_t HelperQNodes() {
  uint64_t N = 0;
  for (int I = 0; I < ActiveHelpers; ++I) N += Counts[I].QNodes.load(std::memory_order_relaxed);
  return N;
}

bool NodesUsedUp(const SearchState &St) {
  return St.Nodes + St.QNodes + HelperNodes() + HelperQNodes() >= Ctx.NodeLimit;
}

bool StopRequested(Worker &W) {
  if (W.Helper >= 0) {
    if (CheckDue(W)) {
      Counts[W.Helper].Nodes.store(W.St->Nodes, std::memory_order_relaxed);
      Counts[W.Helper].QNodes.store(W.St->QNodes, std::memory_order_relaxed);
      if (AllNodesUsedUp()) HelpersStop.store(true, std::memory_order_relaxed);
    }
    return HelpersStop.load(std::memory_order_relaxed);
  }
  if (!CheckDue(W)) return false;
  if (ActiveHelpers > 0) MainCount.store(W.St->Nodes + W.St->QNodes, std::memory_order_relaxed);
  return PollStop() || TimesUp() || NodesUsedUp(*W.St) ||
         HelpersStop.load(std::memory_order_relaxed);
}

// Everything a helper reads of the search (the context, the root, the
// table's generation) is written before this.
void StartHelpers(uint8_t Threads) {
  // Set by the last search's end: a search on one thread looks at it too.
  HelpersStop.store(false, std::memory_order_relaxed);
  ActiveHelpers = Threads - 1 < NumHelpers ? Threads - 1 : NumHelpers;
  Ctx.ShareMoves = Ctx.DeferAll;
  if (ActiveHelpers <= 0) {
    ActiveHelpers = 0;
    return;
  }
  for (int I = 0; I < ActiveHelpers; ++I) {
    Counts[I].Nodes.store(0, std::memory_order_relaxed);
    Counts[I].QNodes.store(0, std::memory_order_relaxed);
  }
  MainCount.store(0, std::memory_order_relaxed);
  Running.store(NumHelpers, std::memory_order_relaxed);
  Ctx.HelpersOn = Ctx.ShareMoves = true;
  Epoch.fetch_add(1, std::memory_order_release);
  Epoch.notify_all();
}

// Returns once every helper has left its search; their counts stay readable.
void StopHelpers() {
  if (ActiveHelpers == 0) return;
  HelpersStop.store(true, std::memory_order_relaxed);
  for (int R = Running.load(std::memory_order_acquire); R != 0;
       R = Running.load(std::memory_order_acquire))
    Running.wait(R, std::memory_order_acquire);
  Ctx.HelpersOn = false;
  Ctx.ShareMoves = Ctx.DeferAll;
}

uint64_t SearchedNodes(const SearchState &St) { return St.Nodes + HelperNodes(); }
uint64_t SearchedQNodes(const SearchState &St) { return St.QNodes + HelperQNodes(); }

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
