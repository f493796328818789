// The computer's move: iterative deepening over a fail-hard alpha-beta search
// with a transposition table, null-move pruning, a one-ply check extension and
// reduced null-window searches for every move after the first, ending in a
// capture-only quiescence search.
#pragma once
#include <cstdint>

#include "board/Globals.h"
#include "search/Counters.h"

// ---- the search's numbers ---------------------------------------------------
// The clock, the node limit and the front end's stop poll are looked at once
// per this many nodes: about half a millisecond of search, so that a limit
// is noticed within a millisecond at a small fraction of the cost.
constexpr uint64_t CheckInterval = 1536;
// The null move is searched this much shallower.
constexpr int8_t NullMoveReduction = 2;
// Moves after the first get a null window this much shallower: more in deep
// searches.
constexpr uint8_t ReducedDepthCut(int8_t Depth) { return Depth > 6 ? 3 : 2; }
// Every iteration searches the root with the full window -RootWindow..RootWindow.
constexpr int16_t RootWindow = 30000;
// A score this far from zero is a mate within 20 plies: deepening stops, and
// the panel shows the distance to it.
constexpr int16_t MateFound = 9980;
// Any score this far from zero is a mate: no line is longer than the stack.
constexpr int16_t MateBound = MateScore - MaxPly;
// Half-moves without a capture or a pawn move that draw the game.
constexpr uint16_t FiftyMoveHalfMoves = 100;

// ---- what a search may spend and consider ------------------------------------
constexpr uint8_t ConsoleFirstDepth = 4;
constexpr uint64_t NoNodeLimit = ~static_cast<uint64_t>(0);
constexpr uint64_t NoTimeLimitMs = ~static_cast<uint64_t>(0);
// The most lines one search shows: no legal position has more legal moves,
// so an interface can ask for a line for every move of any position.
constexpr uint8_t MaxMultiPV = 218;

// The limits of one search as one record; each field's default is "none".
// The search stops at the first limit reached, or when the front end's stop
// poll says so.
struct SearchLimits {
  uint8_t Depth = NoFixedDepth;           // the deepest iteration
  uint8_t FirstDepth = ConsoleFirstDepth; // the first iteration, run whatever Depth says
  uint64_t TimeMs = 0;                    // milliseconds from the start; 0: none
  uint64_t Nodes = 0;                     // about this many nodes; 0: none
  uint16_t Mate = 0;                      // a mate in this many moves is enough; 0: none
  bool Ponder = false;                    // the time runs only from PonderHit on
  const ShortStr *SearchMoves = nullptr;  // the root moves to search (move texts); null: all
  uint16_t NumSearchMoves = 0;
  // Lines shown, the best first: each iteration searches the root once per
  // line, without the first moves of the lines it found before. No more lines
  // than the root has moves (within SearchMoves); 1 is the one best line.
  uint8_t MultiPV = 1;
  // A weaker play for a strength level: each static score is moved by up to
  // EvalNoise centipawns, by an amount that only the placement, the side to
  // move and NoiseSeed decide, so that a search is reproducible.
  int16_t EvalNoise = 0;
  uint64_t NoiseSeed = 0;
  // Repetitions and the fifty-move rule score as draws, from the game's
  // earlier positions (RepetitionKey, oldest first) and the half-moves since
  // the last capture or pawn move at the root.
  bool DrawRules = false;
  const uint64_t *History = nullptr;
  uint16_t HistoryLen = 0;
  uint16_t Rule50 = 0;
  // Used by Think: the book may answer; a search stopped before its first
  // move still answers with a legal move.
  bool UseBook = false;
  bool AnyMove = false;
  // For a front end that plays a game on a clock: the table is kept from the
  // search before (mates stored as distances from their node), the clock
  // counts from StartTick (a tick count; 0: the search's start), and no
  // iteration starts once IterationTimeMs have passed (0: any may start).
  bool KeepTable = false;
  uint64_t StartTick = 0;
  uint64_t IterationTimeMs = 0;
};

// The key under which the draw rules compare positions: the placement, the
// side to move and the castling rights.
uint64_t RepetitionKey(const DataType &D, int8_t Side);
// The searched move for Data[0] and WhosMove within the limits, or NoMove.
MoveRec SearchMove(const SearchLimits &L);
// The position pondered on has come: a ponder search's time starts now.
void PonderHit();

// Captures only, standing pat on the static score; never stores in the table
// and never reads the clock.
int16_t QSearch(int16_t Alpha, int16_t Beta);
// Fail-hard negamax of Data[Ply] for WhosMove to Depth plies; leaves the
// position, Ply and the side to move as it found them.
int16_t Search(int16_t Alpha, int16_t Beta, int8_t Depth, bool NullAllowed);
// How many moves of the root's line in PV, up to Len, can be played one after
// another: past a mate, or where the line ends in entries of an earlier
// iteration, they cannot. Visit, when given, sees each such move with
// Data[Ply] the position before it. The moves are made on the scratch records
// above the root, which every search overwrites anyway, and the counters and
// flags that making them touches are put back: a search goes on as before.
uint32_t WalkLegalPV(uint32_t Len, void (*Visit)(const Str4 &Move, uint32_t Index));
// A fresh search: thinking message, empty PV, history and table, zero
// counters, the clock started, EndGame fixed from the root.
void InitSearch();
// Mean ratio of the node figures of the last three iterations up to depth
// Len; ratios over a zero figure are left out, and no ratio at all gives 0.
double EBF(const SaveNodesType &Nodes, uint8_t Len);
// A search to Depth plies as the console's X command sets it (its time limit
// 65000 seconds), for the bench and the tests.
SearchLimits FixedDepthLimits(uint8_t Depth);
