#include "uci/GoRequest.h"

#include <initializer_list>

#include "board/Types.h"
#include "game/Engine.h"
#include "platform/Decimal.h"
#include "uci/Words.h"

namespace Uci {
namespace {

bool IsGoKeyword(const char *W) {
  for (const char *K : {"wtime", "btime", "winc", "binc", "movestogo", "movetime", "depth", "nodes",
                        "mate", "infinite", "ponder", "searchmoves"})
    if (Is(W, K)) return true;
  return false;
}

// Where the number after the keyword W goes, and where its text goes when a
// note may quote it; no Value when W takes no number.
struct NumberSlot {
  int64_t *Value = nullptr;
  const char **Text = nullptr;
  bool Signed = false; // an interface may send a clock that has run below zero
};

NumberSlot SlotOf(GoRequest &R, const char *W) {
  if (Is(W, "wtime")) return {&R.Time[0], &R.TimeText[0], true};
  if (Is(W, "btime")) return {&R.Time[1], &R.TimeText[1], true};
  if (Is(W, "winc")) return {&R.Inc[0], nullptr, false};
  if (Is(W, "binc")) return {&R.Inc[1], nullptr, false};
  if (Is(W, "movestogo")) return {&R.MovesToGo, &R.ToGoText, false};
  if (Is(W, "movetime")) return {&R.MoveTime, nullptr, false};
  if (Is(W, "depth")) return {&R.Depth, &R.DepthText, false};
  if (Is(W, "nodes")) return {&R.Nodes, nullptr, false};
  if (Is(W, "mate")) return {&R.Mate, nullptr, false};
  return {};
}

// The words after the searchmoves at I, up to the next keyword; I is left on
// the last of them. A searchmoves without a move is dropped.
void CollectMoveWords(const char *const *Words, int NumWords, int &I, GoRequest &R) {
  const int From = R.NumMoveWords;
  for (; I + 1 < NumWords && !IsGoKeyword(Words[I + 1]); ++I)
    if (R.NumMoveWords < MaxGoWords) R.MoveWords[R.NumMoveWords++] = Words[I + 1];
  if (R.NumMoveWords == From) {
    DropWord(R, {"go: searchmoves needs at least one move; dropped", nullptr, nullptr});
    return;
  }
  R.LastListAt = From;
  R.Restricted = true;
}

} // namespace

void DropWord(GoRequest &R, const GoMessage &Why) {
  R.AnyDropped = true;
  if (R.NumDropped < GoRequest::MaxDropped) R.Dropped[R.NumDropped++] = Why;
}

bool GoNumber(const char *W, bool Signed, int64_t &V) {
  // A clock below zero has run out: it counts as none left.
  const bool Negative = Signed && *W == '-';
  uint64_t U = 0;
  if (!ParseDecimal(W + (Negative ? 1 : 0), 15, U)) return false;
  V = Negative ? 0 : static_cast<int64_t>(U);
  return true;
}

GoRequest ParseGo(const char *const *Words, int NumWords) {
  GoRequest R;
  for (int I = 1; I < NumWords; ++I) {
    const char *W = Words[I];
    const NumberSlot Slot = SlotOf(R, W);
    if (Slot.Value) {
      // A keyword where the number should be is read as the keyword.
      if (I + 1 >= NumWords || IsGoKeyword(Words[I + 1])) {
        DropWord(R, {"go: ", W, " needs a whole number; dropped"});
        continue;
      }
      const char *Text = Words[++I];
      int64_t V = 0;
      if (!GoNumber(Text, Slot.Signed, V)) {
        DropWord(R, {"go: ", W, " needs a whole number; dropped with its value"});
        continue;
      }
      *Slot.Value = V;
      if (Slot.Text) *Slot.Text = Text;
    } else if (Is(W, "infinite")) {
      R.Infinite = true;
    } else if (Is(W, "ponder")) {
      R.Ponder = true;
    } else if (Is(W, "searchmoves")) {
      CollectMoveWords(Words, NumWords, I, R);
    } else {
      DropWord(R, {"go: unknown word ", W, "; dropped"});
    }
  }
  if (R.Nodes == 0) {
    R.Nodes = -1;
    DropWord(R, {"go: nodes must be at least 1; dropped", nullptr, nullptr});
  }
  if (R.Mate == 0 || R.Mate > MaxPly / 2) {
    R.Mate = -1;
    DropWord(R, {"go: mate takes 1 to 50 moves; dropped", nullptr, nullptr});
  }
  return R;
}

GoPlan PlanGo(const GoRequest &R, int Side) {
  GoPlan P;
  SearchLimits &L = P.Limits;
  // Deepening from one ply costs a few hundred nodes and gives a searched
  // move before the first look at the limits, however short the time.
  L.FirstDepth = 1;
  if (R.Depth >= 0) {
    const int64_t D = R.Depth < 1 ? 1 : (R.Depth > MaxPly ? MaxPly : R.Depth);
    if (D != R.Depth)
      P.Notes[P.NumNotes++] = {"go: depth ", R.DepthText,
                               D == 1 ? " is below 1 ply; searching 1"
                                      : " is beyond 100 plies; searching 100"};
    L.Depth = static_cast<uint8_t>(D);
  }
  if (R.TimeText[Side] && R.TimeText[Side][0] == '-' && R.MoveTime < 0 && !R.Infinite)
    P.Notes[P.NumNotes++] = {"go: the clock ", R.TimeText[Side],
                             " has run out; moving at once with the shortest search"};
  if (R.MovesToGo > 1000)
    P.Notes[P.NumNotes++] = {"go: movestogo ", R.ToGoText, " is taken as 1000"};
  // A fixed move time is used to its end: the iteration it cuts may still
  // find a better move, and time saved is not worth anything later. On a
  // clock, time saved counts for the moves to come, and the search's clock
  // works out the move's share (search/Clock.h).
  uint64_t Budget = 0;
  const bool Timed = R.MoveTime >= 0 || R.Time[Side] >= 0;
  if (R.MoveTime >= 0) {
    Budget = R.MoveTime == 0 ? 1 : static_cast<uint64_t>(R.MoveTime);
  } else if (R.Time[Side] >= 0 && !R.Infinite) {
    L.OnClock = true;
    L.ClockMs = static_cast<uint64_t>(R.Time[Side]);
    L.IncMs = static_cast<uint64_t>(R.Inc[Side]);
    L.MovesToGo = static_cast<uint32_t>(R.MovesToGo > 1000 ? 1000 : R.MovesToGo);
  }
  const bool NoLimit = !Timed && R.Depth < 0 && R.Nodes <= 0 && R.Mate <= 0;
  if (R.AnyDropped && NoLimit && !R.Infinite && !R.Ponder) {
    Budget = DroppedLimitsMs;
    P.Notes[P.NumNotes++] = {"go: no limit left; searching for a second", nullptr, nullptr};
  }
  if (R.Infinite) Budget = 0;
  // The search's clock counts whole ticks from its start: one more, so that
  // the limit never fires before the budget has really passed.
  L.TimeMs = Budget > 0 ? Budget + 1 : 0;
  L.Nodes = R.Nodes > 0 ? static_cast<uint64_t>(R.Nodes) : 0;
  L.Mate = R.Mate > 0 ? static_cast<uint16_t>(R.Mate) : 0;
  L.Ponder = R.Ponder;
  // Without any limit the search runs until stop, as with infinite.
  P.UntilStop =
      R.Infinite || (Budget == 0 && !L.OnClock && R.Depth < 0 && L.Nodes == 0 && L.Mate == 0);
  return P;
}

} // namespace Uci
