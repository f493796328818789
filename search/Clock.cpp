#include "search/Clock.h"

#include "platform/Clock.h"

uint64_t StartTime = 0, StopTime = 0;
int64_t Delta = 0;
uint64_t MoveTimeMs = SecondsRuleMs(60);

uint64_t ElapsedMs() {
  StopTime = GetTickCount64();
  Delta = static_cast<int64_t>(StopTime - StartTime);
  return static_cast<uint64_t>(Delta);
}

uint64_t Clock(Mode Button) {
  if (Button == Start) {
    StartTime = GetTickCount64();
    return 0;
  }
  return ElapsedMs() / 1000;
}

bool TimesUp() { return ElapsedMs() >= MoveTimeMs; }

namespace {
// Kept back from every budget: the pipes, the interface's own bookkeeping
// and the last node searched after the deadline: ReserveMs and a share of
// 1/ReserveShare of the clock.
constexpr uint64_t ReserveMs = 50, ReserveShare = 20;
// Without a count of moves to go the game is taken to last this many more
// moves; the share shrinks with the clock, so it never runs out.
constexpr uint64_t MovesLeftGuess = 18;
// Of each increment this share (IncUsedNum / IncUsedDen) is spent at once.
constexpr uint64_t IncUsedNum = 3, IncUsedDen = 4;
// An iteration takes about as long again as all before it (1.9 times the
// time so far at the median, 3.3 at the 90th percentile, over the moves of
// self-played games): one started after 0.6 budgets would end past the
// budget; one started before it ends within two budgets nine times in ten.
constexpr uint64_t IterationNum = 3, IterationDen = 5;
// A move that changed at the last iteration is not settled: the next
// iteration may start until 2.5 times the usual time, and each iteration that
// keeps the move takes back half a time of it (2, 1.5, then 1). A clear move
// stops as usual, so the clock's spare time goes where the search still finds
// something.
constexpr uint8_t UnsettledIterations = 3;
constexpr uint64_t StopBudgets = 2;
// While the root fails low the search may run on to this many budgets: the
// move played so far has just been refuted, and the move that holds may come
// later in the iteration.
constexpr uint64_t FailLowBudgets = 5;
// Moves to go beyond this are as many as this.
constexpr uint32_t MaxMovesToGo = 1000;

uint64_t UsableMs(uint64_t Left) {
  const uint64_t Reserve = ReserveMs + Left / ReserveShare;
  return Left > Reserve ? Left - Reserve : 0;
}

// The deadlines of the search in progress; a ponder search keeps them for
// its ponderhit.
ClockTimes Deadlines{NoTimeLimitMs, NoTimeLimitMs, NoTimeLimitMs};
uint64_t IterationMs = NoTimeLimitMs;
bool Pondering = false;
bool FailingLow = false; // RootFailingLow's
uint8_t Unsettled = 0;   // RootBestChanged's: iterations left with more time

// The deadline for starting an iteration that holds now.
void SetIterationTime() {
  if (Pondering || Deadlines.IterationMs == NoTimeLimitMs) {
    IterationMs = NoTimeLimitMs;
    return;
  }
  const uint64_t Later = Deadlines.IterationMs * (2 + Unsettled) / 2;
  IterationMs = Later < Deadlines.StopMs ? Later : Deadlines.StopMs;
}

// The stop that holds now.
void SetMoveTime() {
  MoveTimeMs = Pondering ? NoTimeLimitMs : FailingLow ? Deadlines.FailLowStopMs : Deadlines.StopMs;
}
// The last search on a clock: the clock it began with, the elapsed time at
// which the move's own clock started, and how much of it the move took.
bool LastOnClock = false;
uint64_t LastClockMs = 0, OwnStartMs = 0, LastSpentMs = 0;
// What an interface leaves unsaid is the fraction of a second it rounds away;
// a clock that grows by a second or more, or by more than half of itself,
// began a new game or time control.
constexpr uint64_t MaxUnsaidMs = 999;
} // namespace

uint64_t UnsaidIncrementMs(uint64_t ClockBefore, uint64_t SpentMs, uint64_t ClockNow) {
  if (ClockNow + SpentMs <= ClockBefore) return 0;
  const uint64_t Gain = ClockNow + SpentMs - ClockBefore;
  return Gain > MaxUnsaidMs || 2 * Gain > ClockNow ? 0 : Gain;
}

void ForgetLastMove() { LastOnClock = false; }

uint64_t MoveBudgetMs(uint64_t Left, uint64_t Inc, uint32_t MovesToGo) {
  const uint64_t Usable = UsableMs(Left);
  const uint64_t Moves = MovesToGo == 0 ? MovesLeftGuess : MovesToGo;
  uint64_t Budget = Usable / Moves + Inc * IncUsedNum / IncUsedDen;
  if (Budget > Usable) Budget = Usable;
  return Budget == 0 ? 1 : Budget;
}

ClockTimes ClockBudget(uint64_t Left, uint64_t Inc, uint32_t MovesToGo) {
  const uint64_t Budget = MoveBudgetMs(Left, Inc, MovesToGo);
  const uint64_t Usable = UsableMs(Left);
  const uint64_t Stop = Budget * StopBudgets;
  const uint64_t FailLowStop = Budget * FailLowBudgets;
  ClockTimes T;
  T.IterationMs = Budget * IterationNum / IterationDen;
  T.StopMs = Stop < Usable ? Stop : (Usable > Budget ? Usable : Budget);
  T.FailLowStopMs = FailLowStop < Usable ? FailLowStop : T.StopMs;
  if (T.FailLowStopMs < T.StopMs) T.FailLowStopMs = T.StopMs;
  if (T.IterationMs == 0) T.IterationMs = 1;
  return T;
}

ClockTimes MoveTimesFor(const SearchLimits &L) {
  if (L.TimeMs > 0) return {NoTimeLimitMs, L.TimeMs, L.TimeMs};
  if (!L.OnClock) return {NoTimeLimitMs, NoTimeLimitMs, NoTimeLimitMs};
  const ClockTimes T =
      ClockBudget(L.ClockMs, L.IncMs, L.MovesToGo > MaxMovesToGo ? MaxMovesToGo : L.MovesToGo);
  return {T.IterationMs, T.StopMs + 1, T.FailLowStopMs + 1};
}

void StartMoveClock(const SearchLimits &L) {
  SearchLimits Seen = L;
  if (L.OnClock && L.IncMs == 0 && LastOnClock)
    Seen.IncMs = UnsaidIncrementMs(LastClockMs, LastSpentMs, L.ClockMs);
  LastOnClock = L.OnClock;
  LastClockMs = L.ClockMs;
  OwnStartMs = 0;
  Deadlines = MoveTimesFor(Seen);
  Pondering = L.Ponder;
  FailingLow = false;
  Unsettled = 0;
  SetMoveTime();
  SetIterationTime();
  Clock(Start);
  // A front end that started the move's clock earlier counts from there.
  if (L.StartTick != 0) StartTime = L.StartTick;
}

void ClockPonderHit() {
  if (!Pondering) return;
  Pondering = false;
  // The search has run since go ponder on the move that has now come: it
  // counts as the move's, as if the search had started then. The move's own
  // clock starts only now, so the deadlines, earlier than a fresh search's,
  // never overdraw it; one already passed ends the search at once.
  SetMoveTime();
  SetIterationTime();
  OwnStartMs = ElapsedMs();
}

bool ClockPondering() { return Pondering; }

bool IterationTimeLeft() { return ElapsedMs() < IterationMs; }

uint64_t IterationDeadlineMs() { return IterationMs; }

void RootFailingLow(bool On) {
  if (On == FailingLow) return;
  FailingLow = On;
  SetMoveTime();
}

void RootBestChanged(bool Changed) {
  if (Changed)
    Unsettled = UnsettledIterations;
  else if (Unsettled > 0)
    --Unsettled;
  SetIterationTime();
}

void StopMoveClock() {
  LastSpentMs = Pondering ? 0 : ElapsedMs() - OwnStartMs;
  Pondering = false;
}
