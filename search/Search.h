// The computer's move: iterative deepening over a fail-hard alpha-beta search
// with a transposition table, null-move pruning, a one-ply check extension and
// reduced null-window searches for every move after the first, ending in a
// capture-only quiescence search.
#pragma once
#include <cstdint>

#include "board/Globals.h"
#include "search/Counters.h"

// The depth of the driver's first iteration. Even at a fixed depth below it
// the driver runs this iteration, so that the computer always has a move; the
// console keeps 4, another front end may lower it to 1 for a shallower search.
extern uint8_t FirstDepth;

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
// The searched move for Data[0] and WhosMove, or NoMove when there is none.
MoveRec ComputerMove();
