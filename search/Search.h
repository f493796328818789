// The computer's move: iterative deepening over a fail-hard alpha-beta search
// with a transposition table, null-move pruning, a one-ply check extension and
// reduced null-window searches for every move after the first, ending in a
// capture-only quiescence search.
#pragma once
#include <cstdint>

#include "board/Types.h"
#include "seam/Limits.h"
#include "search/SearchState.h"

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
// The limit a search sets where its record gives none.
constexpr uint64_t NoNodeLimit = ~static_cast<uint64_t>(0);

// The game before the root as the draw rules read it: the keys of its
// positions since the last capture or pawn move (RepetitionKey, oldest
// first) and the half-moves since then.
struct GameKeys {
  const uint64_t *Keys = nullptr;
  uint16_t Len = 0;
  uint32_t Rule50 = 0;
};

// The key under which the draw rules compare positions: the placement, the
// side to move and the castling rights.
uint64_t RepetitionKey(const DataType &D, int8_t Side);
// The searched move for St.Data[0] and St.WhosMove within the limits, or
// NoMove; the search plays as S says, and with the draw rules it reads G. St
// is the main thread's record (the game's): the search runs on it, and its
// line, score and counters are the search's when it returns.
MoveRec SearchMove(SearchState &St, const SearchLimits &L, const SearchSettings &S = {},
                   const GameKeys &G = {});
// The last search's node counts, over all its threads; St is its main record.
uint64_t SearchedNodes(const SearchState &St);
uint64_t SearchedQNodes(const SearchState &St);
// Starts or ends helper threads so that searches may use Threads in all
// (1..MaxSearchThreads); the number the system gave. Only between searches.
uint8_t SetSearchThreads(uint8_t Threads);

// The main thread's memory of the moves that cut (killers, counter moves,
// history) is forgotten, as the table is when a new game starts.
void ForgetMoveMemory();

// Captures only, standing pat on the static score; never stores in the table
// and never reads the clock.
int16_t QSearch(SearchState &St, int16_t Alpha, int16_t Beta);
// Fail-hard negamax of St.Data[St.Ply] for St.WhosMove to Depth plies, with the
// last search's context; leaves the position, the ply and the side to move as
// it found them.
int16_t Search(SearchState &St, int16_t Alpha, int16_t Beta, int8_t Depth, bool NullAllowed);
// How many moves of the root's line in St.PV, up to Len, can be played one
// after another: past a mate, or where the line ends in entries of an earlier
// iteration, they cannot. Visit, when given, sees each such move with the
// position before it. The moves are made on the scratch records above the
// root, which every search overwrites anyway, and the counters and flags that
// making them touches are put back: a search goes on as before.
using LineVisit = void (*)(const DataType &Before, const Str4 &Move, uint32_t Index);
uint32_t WalkLegalPV(SearchState &St, uint32_t Len, LineVisit Visit);
// A fresh search on St: thinking message, empty PV, history and table, zero
// counters, EndGame fixed from the root (the search's clock has started).
void InitSearch(SearchState &St);
// Mean ratio of the node figures of the last three iterations up to depth
// Len; ratios over a zero figure are left out, and no ratio at all gives 0.
double EBF(const SaveNodesType &Nodes, uint8_t Len);
// A search to Depth plies as the console's X command sets it (its time limit
// 65000 seconds), for the bench and the tests.
SearchLimits FixedDepthLimits(uint8_t Depth);
