// What the threads of one search share as they search, besides the table:
// the node counts each has last said, the stop that ends the helpers, and
// the children being searched now, by which the threads share out a node's
// moves.
#include <atomic>

#include "seam/Seam.h"
#include "search/Clock.h"
#include "search/Worker.h"

namespace {
int ActiveHelpers = 0; // helpers that searched in this search or the last
std::atomic<bool> HelpersStop{false};
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

void ShareCounts(int Active) {
  ActiveHelpers = Active;
  for (int I = 0; I < ActiveHelpers; ++I) {
    Counts[I].Nodes.store(0, std::memory_order_relaxed);
    Counts[I].QNodes.store(0, std::memory_order_relaxed);
  }
  MainCount.store(0, std::memory_order_relaxed);
}

void SayCounts(int Helper, const SearchState &St) {
  Counts[Helper].Nodes.store(St.Nodes, std::memory_order_relaxed);
  Counts[Helper].QNodes.store(St.QNodes, std::memory_order_relaxed);
}

void SetHelpersStop(bool Stop) { HelpersStop.store(Stop, std::memory_order_relaxed); }
bool HelpersStopped() { return HelpersStop.load(std::memory_order_relaxed); }

bool NodesUsedUp(const SearchState &St) {
  return St.Nodes + St.QNodes + HelperNodes() + HelperQNodes() >= Ctx.NodeLimit;
}

bool StopRequested(Worker &W) {
  if (W.Helper >= 0) {
    if (CheckDue(W)) {
      SayCounts(W.Helper, *W.St);
      if (AllNodesUsedUp()) SetHelpersStop(true);
    }
    return HelpersStopped();
  }
  if (!CheckDue(W)) return false;
  if (ActiveHelpers > 0) MainCount.store(W.St->Nodes + W.St->QNodes, std::memory_order_relaxed);
  return PollStop() || TimesUp() || NodesUsedUp(*W.St) || HelpersStopped();
}

uint64_t SearchedNodes(const SearchState &St) { return St.Nodes + HelperNodes(); }
uint64_t SearchedQNodes(const SearchState &St) { return St.QNodes + HelperQNodes(); }
