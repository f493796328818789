// The search's own vocabulary, shared by its source files and nobody else:
// the context one search builds from its limits and settings, the worker each
// searching thread runs, and the calls between the node search, the draw
// rules, the helper threads and the deepening.
#pragma once
#include <atomic>
#include <cstdint>

#include "board/Types.h"
#include "platform/FixedStr.h"
#include "platform/Random.h"
#include "seam/Limits.h"
#include "seam/Seam.h"
#include "search/Search.h"
#include "search/SearchState.h"

// ---- the search in progress: its limits, settings and shared reading ---------
constexpr int MaxHistory = 128; // a fifty-move count never looks further back
// How near the root an earlier search's entry is searched again (see Outdated
// in search/Node.cpp).
constexpr int RecheckPlies = 8;
// How far below the last iteration's score the root's best so far must lie
// for the search to run on (RootFailingLow).
constexpr int16_t FailLowMargin = 50;
// What a repetition key adds for Black to move (RepetitionKey).
constexpr uint64_t BlackToMoveKey = GoldenGamma;

struct RootLine {
  int16_t Score;
  Str4 Moves[MaxPly + 1];
};

// Built from the limits, the settings and the game's keys when a search
// starts, and read by every thread of the search; the search reads nothing
// else of them. (What each thread writes is its Worker; the clock is
// search/Clock.h.)
struct SearchContext {
  // The limits.
  uint8_t FirstDepth = ConsoleFirstDepth;
  uint8_t LastDepth = NoFixedDepth;
  uint64_t NodeLimit = NoNodeLimit;
  int16_t MateStop = MateScore + 1; // a score at least this ends the deepening
  const ShortStr *RootMoves = nullptr;
  uint16_t NumRootMoves = 0;
  bool Unlimited = false; // no limit at all: the search runs until it is stopped

  // A strength level's noise on the static scores.
  int16_t EvalNoise = 0;
  uint64_t NoiseSeed = 0;

  // A table kept from one search to the next.
  bool KeepTable = false;
  int8_t RootSide = WMove;        // the null move's child also runs at ply 0, for the other side
  const DataType *Root = nullptr; // the main thread's root, which helpers copy
  bool EndGame = false;           // the root's, for every thread

  // Several lines: the root searched once per line (Worker).
  RootLine Lines[MaxMultiPV]; // the iteration's lines as found, then ranked
  uint16_t LinesFound = 0;    // of the last iteration that searched several

  // Draw rules: the keys of the game, oldest first, then those of each
  // thread's path (Worker).
  bool DrawRules = false;
  uint64_t GameKeys[MaxHistory];
  int RepBase = 0;       // the number of the game's keys, and the index of the root's
  uint16_t Rule50 = 0;   // the root's fifty-move count
  bool RootDead = false; // the root has no mating material: every line is a draw
  // Before the root: the index of the same position's last time before, or
  // -1; whether any position stands there twice.
  int SeenBefore[MaxHistory];
  bool AnySeenTwice = false;

  // Helpers search beside the main thread (search/Threads.cpp).
  bool HelpersOn = false;
  // Threads share out a node's moves: while helpers search, and in a search
  // that defers every later move as if another thread searched it (DeferAll,
  // which the tests set and no search resets).
  bool ShareMoves = false;
  bool DeferAll = false;

  // The UCI engine's own evaluation and search (search/FullNode.cpp).
  bool Full = false;
};
extern SearchContext Ctx;

// The moves each ply may leave until its other moves are done, from this
// depth on: shallower nodes cost less than the look.
constexpr int MaxDeferred = 32;
constexpr int8_t DeferDepth = 3;

// What the UCI engine's own search remembers of the moves that cut, per
// thread: a move as From | To << 6, 0 for none.
struct MoveMemory {
  uint16_t Killers[MaxPly + 1][2][2]; // by ply and side to move, the latest first
  uint16_t Counter[16][64];           // the answer to the last move, by its piece and square
  int16_t History[2][64][64];         // by side, from and to
  int16_t StaticEval[MaxPly + 1];
  // The last move's piece and square at each ply (piece 0 after a pass).
  int8_t PrevPiece[MaxPly + 1];
  int8_t PrevTo[MaxPly + 1];
};
// A search starts: the killers go, the history counts half.
void AgeMoveMemory(MoveMemory &M);
void ClearMoveMemory(MoveMemory &M);

// One searching thread: the record it searches on (the game's own for the
// main thread) and what follows its own path.
struct Worker {
  SearchState *St = nullptr;
  // Draw rules: the keys of the game, then those of the path, oldest first,
  // and the fifty-move count at each ply.
  uint64_t RepKeys[MaxHistory + MaxPly + 1];
  int RepFloor = 0; // no repetition is looked for below this index
  uint16_t Rule50At[MaxPly + 1];
  // The node count at which the limits are looked at next.
  uint64_t NextCheck = 0;
  int Helper = -1; // the helper's number; -1 for the main thread
  // While a line after the first is searched, the root leaves out the first
  // moves of the lines found before it in this iteration, tries RootGuess
  // first (the line of that rank in the iteration before), and neither reads
  // nor writes its table entry, which keeps the best line's move and score.
  ShortStr Excluded[MaxMultiPV];
  uint16_t NumExcluded = 0;
  Str4 RootGuess;
  // The moves each ply left until its other moves were done.
  MoveRec Deferred[MaxPly + 1][MaxDeferred];
  MoveMemory Mem;

  Worker() = default;
  Worker(const Worker &) = delete;
  Worker &operator=(const Worker &) = delete;
  // The game's keys and the root's, as the search starts.
  void StartPath();
};

// Moves made off the search proper (a legality test, a line walked for the
// interface) count no nodes and leave the side and the ply as they were.
struct WalkKept {
  SearchState &St;
  uint64_t N = St.Nodes, Q = St.QNodes;
  int8_t Side = St.WhosMove;
  uint8_t AtPly = St.Ply;
  explicit WalkKept(SearchState &S) : St(S) {}
  WalkKept(const WalkKept &) = delete;
  WalkKept &operator=(const WalkKept &) = delete;
  ~WalkKept() {
    St.Nodes = N;
    St.QNodes = Q;
    St.WhosMove = Side;
    St.Ply = AtPly;
  }
};

inline int16_t Neg(int Score) { return static_cast<int16_t>(-Score); }
// A draw score inside the fail-hard window.
inline int16_t DrawScore(int16_t Alpha, int16_t Beta) {
  return Alpha > 0 ? Alpha : (Beta < 0 ? Beta : 0);
}
// Whether a root move is among the moves the limits let the search play.
bool IsRootMove(const MoveRec &M);
bool IsExcluded(const Worker &W, const ShortStr &Text);

// ---- the node search (search/Node.cpp) -----------------------------------------
int16_t Search(Worker &W, int16_t Alpha, int16_t Beta, int8_t Depth, bool NullAllowed);
// The UCI engine's own (search/FullNode.cpp).
int16_t FullSearch(Worker &W, int16_t Alpha, int16_t Beta, int8_t Depth, bool NullAllowed);
// The root's search, by the engine the search plays with.
inline int16_t RootSearch(Worker &W, int16_t Alpha, int16_t Beta, int8_t Depth) {
  return Ctx.Full ? FullSearch(W, Alpha, Beta, Depth, true) : Search(W, Alpha, Beta, Depth, true);
}

// ---- the draw rules at a node (search/Draws.cpp) -------------------------------
// Whether the node at Ply is drawn by the fifty-move rule or by repetition.
bool DrawnNode(Worker &W);
// Whether the side to move at Ply can claim a draw with its next move; with
// GameOnly, only a third time in the game counts.
bool CanDrawNext(Worker &W, bool GameOnly);
// The draw rules' part of the context, from the game's keys G.
void SetDrawContext(const SearchState &St, const GameKeys &G);

// ---- what the threads share (search/Shared.cpp) --------------------------------
// Whether Key's child is searched by another thread now, and the marks that
// say so.
bool BusyElsewhere(uint64_t Key);
void MarkBusy(uint64_t Key);
void UnmarkBusy(uint64_t Key);
// The stop as a thread sees it, once per CheckInterval nodes.
bool StopRequested(Worker &W);
// The main thread's count and what the helpers last said of theirs.
bool NodesUsedUp(const SearchState &St);
uint64_t HelperNodes();
uint64_t HelperQNodes();
// A search with Active helpers starts: their counts are zero.
void ShareCounts(int Active);
// Helper number Helper says what St has counted.
void SayCounts(int Helper, const SearchState &St);
void SetHelpersStop(bool Stop);
bool HelpersStopped();

// ---- the helper threads (search/Threads.cpp) -----------------------------------
// The helpers start on the main thread's root (Ctx.Root) and stop.
void StartHelpers(uint8_t Threads);
void StopHelpers();

// ---- the lines and the reports (search/Lines.cpp) ------------------------------
// Rank: the line's place when the search shows several, else 0.
void ReportIteration(Worker &W, bool Fresh, uint32_t Rank);
// As many lines as asked for, and no more than the root has moves to search.
uint16_t LinesWanted(SearchState &St, uint8_t Asked);
// One iteration that shows Wanted lines, ranked by score.
void SearchLines(Worker &W, uint16_t Wanted);
