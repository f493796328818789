// The search's time, in one place: the clock that counts whole seconds since
// the search started (milliseconds underneath), what a move may spend on a
// game clock, and the deadlines of one search, which a ponder search holds
// back until the move pondered on has come.
#pragma once
#include <cstdint>

#include "seam/Limits.h"

// ---- the clock ----------------------------------------------------------------
enum Mode { Start, Elapsed };
extern uint64_t StartTime, StopTime;
extern int64_t Delta;
// Start: records the start time, 0. Elapsed: whole seconds since Start.
uint64_t Clock(Mode Button);
// Milliseconds since Clock(Start); updates StopTime and Delta as Elapsed does.
uint64_t ElapsedMs();

constexpr uint64_t NoTimeLimitMs = ~static_cast<uint64_t>(0);
// The search stops once this many milliseconds have passed since Clock(Start);
// each search sets it from its limits.
extern uint64_t MoveTimeMs;
// The console's rule in milliseconds: the elapsed whole seconds exceed Secs
// exactly when Secs + 1 whole seconds have passed.
constexpr uint64_t SecondsRuleMs(uint16_t Secs) { return (static_cast<uint64_t>(Secs) + 1) * 1000; }
// MoveTimeMs milliseconds have passed: with SecondsRuleMs(Secs), the elapsed
// whole seconds exceed Secs.
bool TimesUp();

// ---- a move on a game clock ----------------------------------------------------
// Milliseconds to spend on one move with Left milliseconds on the clock, Inc
// added after each move, and MovesToGo moves to the next time control (0: the
// rest of the game). Never more than the clock holds after a reserve for the
// pipes and the interface's own bookkeeping, and at least 1.
uint64_t MoveBudgetMs(uint64_t Left, uint64_t Inc, uint32_t MovesToGo);
// A move on the clock: no iteration starts after IterationMs, and the search
// stops at StopMs, never later than the clock allows after its reserve. Spent
// this way a move takes MoveBudgetMs on average and finishes more iterations
// than a search that stops at the budget.
struct ClockTimes {
  uint64_t IterationMs;
  uint64_t StopMs;
  // The stop while the root's moves searched so far in an iteration score
  // well below the last iteration's best (RootFailingLow): the move that
  // scored that best has just been refuted, and another may hold.
  uint64_t FailLowStopMs;
};
ClockTimes ClockBudget(uint64_t Left, uint64_t Inc, uint32_t MovesToGo);

// The increment an interface adds without saying so (xboard's adapter rounds
// 0.1 s down to 0 ms): the clock now against the clock before the last move
// less the time that move took. 0 when the clock did not grow, or grew as a
// new game or time control makes it (by a second or more, or by more than
// half of itself).
uint64_t UnsaidIncrementMs(uint64_t ClockBefore, uint64_t SpentMs, uint64_t ClockNow);
// A new game: the last move's clock says nothing of the next.
void ForgetLastMove();

// ---- the deadlines of one search -----------------------------------------------
// From the limits: a fixed time stops the search at its end; on a game clock
// no iteration starts after the budget's first part and the search stops at
// its end, one tick late, so that a stop never comes before the budget has
// really passed; nothing else sets a deadline.
ClockTimes MoveTimesFor(const SearchLimits &L);
// Starts the clock of a search with the limits L: from L.StartTick when a
// front end gave it, else now. A ponder search has no deadline until
// ClockPonderHit. On a clock without an increment, one the clock shows since
// the last search on it (UnsaidIncrementMs) is counted.
void StartMoveClock(const SearchLimits &L);
// The move pondered on has come: the move's deadlines count from the search's
// start, the time pondered counting as the move's.
void ClockPonderHit();
// A ponder search that has not had its ponderhit.
bool ClockPondering();
// Whether the deadline for starting an iteration has not come.
bool IterationTimeLeft();
// That deadline, in milliseconds from the search's start.
uint64_t IterationDeadlineMs();
// Whether the root's moves searched so far in this iteration score well
// below the last iteration's best: the search stops at FailLowStopMs then,
// at StopMs otherwise (the same for anything but a game clock).
void RootFailingLow(bool On);
// Whether the iteration just finished chose another move than the one
// before: while the move keeps changing, iterations may start later.
void RootBestChanged(bool Changed);
// Ends the search's pondering, whatever stopped it, and notes the time the
// move took of its own clock: from the ponderhit, or none when the search
// ended before it.
void StopMoveClock();
