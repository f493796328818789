// The engine as the front ends see it: one call that thinks, with its limits
// as one record (seam/Limits.h), reporting through the front-end seam; the
// console's move as the game loop asks for it; and the time a clock allows.
#pragma once
#include <cstdint>

#include "board/Types.h"
#include "seam/Limits.h"

struct ThinkResult {
  MoveRec Best;           // NoMove when the side to move has none
  Str4 Ponder;            // the reply the line expects, empty when it has none
  bool FromBook;          // Best came from the book
  uint64_t Nodes, QNodes; // the search's counts (0 from the book)
  int16_t Depth;          // the last iteration started
};

// The move for the game's position and side to move: from the book when the settings allow it
// and the book knows the game's moves (OpeningStr; the game state is left as
// it is), else searched within the limits, played as the settings say, with
// the draw rules reading the game's own record (game/Game.h).
ThinkResult Think(const SearchLimits &L, const SearchSettings &S = {});
// The position pondered on has come: a ponder search's time starts now.
void PonderHit();
// A new game on the clock (an interface's ucinewgame, not each position it
// sends): the last move's clock says nothing of the next.
void ForgetLastMoveTime();
// For a front end's ShowInfo during a search: the first moves of the line it
// reports (SearchInfo's PV), up to Len, as far as they can be played one
// after another; Visit sees each with the position before it. Returns how
// many there were. The search goes on as before.
using LineVisitor = void (*)(const DataType &Before, const Str4 &Move, uint32_t Index);
uint32_t WalkReportedLine(uint32_t Len, LineVisitor Visit);

// The console's limits: MoveTime seconds by the seconds rule (the search stops
// once more than MoveTime whole seconds have passed), FixedDepth plies
// (NoFixedDepth: none).
SearchLimits ConsoleLimits(uint16_t MoveTime, uint8_t FixedDepth);

// The computer's move in the console game: from the book while it is in use
// (BookInUse), which then records the move in its line or leaves the book,
// else searched within the limits L; a "p" typed before the first root move
// finished still gets a move.
MoveRec CalcMove(const SearchLimits &L);

// ---- strength levels ------------------------------------------------------------
// The levels a front end may ask for, on the Elo scale of the calibration
// matches (README). Up to ConsoleTopLevelElo the console's engine plays them;
// above it the UCI engine's own search and evaluation do.
constexpr uint16_t MinLevelElo = 1350, ConsoleTopLevelElo = 1700, MaxLevelElo = 1900;
// Play at about Elo (clamped to the levels' range): a node budget in L, and
// the engine in S. Up to ConsoleTopLevelElo the console's engine searches a
// budget that halves every 60 points down from there, with noise on the
// static scores that grows as the level falls (never more than 80
// centipawns); above it the own engine searches a budget that doubles every
// 75 points, with no noise. Seed decides the noise, so a level plays the
// same moves under the same seed; and one thread, whatever S asked.
void LimitStrength(SearchLimits &L, SearchSettings &S, uint16_t Elo, uint64_t Seed);
// Makes Threads (1..MaxSearchThreads) available to searches, which use as
// many as their settings ask; the number there are. Only between searches.
uint8_t SetThreads(uint8_t Threads);

// ---- the transposition table -------------------------------------------------
// Starts making the table resident before the first search, in 2 MiB pages
// where the kernel has them, on a thread of its own, and returns at once: the
// searches may run meanwhile. A resize ends it first.
void PrepareTable();
// Returns once PrepareTable's work is done, for a program that times its
// searches.
void WaitForTable();
// The same for a front end that says when it is ready: 2 MiB pages are
// sought for HugePagesMs at most, and the rest is made resident in ordinary
// ones.
void WaitForTable(uint32_t HugePagesMs);
// Empties the table.
void ClearTable();
// A table of about MiB mebibytes, 1..MaxTableMiB; false when the memory is
// not there (the table keeps its full size then).
constexpr uint32_t MaxTableMiB = 624;
bool ResizeTable(uint32_t MiB);
// How full the table is, in thousandths.
uint32_t TableFullPermill();
// From now on a set-up keeps the table and draws no new keys, so that the
// searches of one game share what they found.
void KeepTableAcrossSetUps();
// The most moves the generator lists for one position.
constexpr int MaxMovesListed = 384;

// The book's moves for the game's position while the game follows it (else
// none): at most Max, each with the number of its lines; how many.
int BookMovesHere(ShortStr *Moves, uint32_t *Counts, int Max);
// The first legal move of the game's position in the generator's order among Allowed
// (move texts; null: all), or NoMove.
MoveRec FirstLegalMove(const ShortStr *Allowed, uint16_t NumAllowed);
