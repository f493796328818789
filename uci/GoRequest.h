// A go line read into a record, and the record turned into search limits:
// both depend on the words alone (and the side to move), so that the session
// keeps only what needs the position and the search.
#pragma once
#include <cstdint>

#include "game/Engine.h"

namespace Uci {

// A line to the interface: "info string " Text, then Quoted quoted, then After.
struct GoMessage {
  const char *Text = nullptr;
  const char *Quoted = nullptr;
  const char *After = nullptr;
};

// As many as a line can have words: every move word of a line fits.
constexpr int MaxGoWords = 1 << 14;

struct GoRequest {
  // White's then black's; -1 where the line gives no clock, 0 for one that
  // has run below zero.
  int64_t Time[2] = {-1, -1}, Inc[2] = {0, 0};
  int64_t MovesToGo = 0;
  int64_t MoveTime = -1, Depth = -1, Nodes = -1, Mate = -1; // -1: not given
  bool Infinite = false, Ponder = false;
  // The numbers as the line writes them, for the notes that quote them.
  const char *TimeText[2] = {nullptr, nullptr}, *DepthText = nullptr, *ToGoText = nullptr;
  // The words after every searchmoves, in the line's order: the session
  // checks each against the position, and the words from LastListAt on (the
  // last searchmoves) are the moves to search.
  bool Restricted = false;
  int NumMoveWords = 0, LastListAt = 0;
  const char *MoveWords[MaxGoWords];
  // The words dropped, each with why, in the line's order; the rest of the
  // line stands. More than fit are dropped all the same, unsaid.
  static constexpr int MaxDropped = 8;
  GoMessage Dropped[MaxDropped];
  int NumDropped = 0;
  // Something was dropped (here or by the session, a move word not legal
  // there): a line left without a limit searches a short default, since
  // the interface meant a finite search and will send no stop.
  bool AnyDropped = false;
};

// A number as a go line writes it: digits, at most 15 of them; with Signed a
// minus sign is allowed too, and such a number reads as 0.
bool GoNumber(const char *W, bool Signed, int64_t &V);

// The go line Words[0..NumWords), "go" first. A word it cannot use is
// dropped, with the number that belongs to it.
GoRequest ParseGo(const char *const *Words, int NumWords);
void DropWord(GoRequest &R, const GoMessage &Why);

// A line whose limits were all dropped searches this long.
constexpr uint64_t DroppedLimitsMs = 1000;

struct GoPlan {
  // All but what needs the position or the session: the search moves, the
  // draw rules, the book and the table.
  SearchLimits Limits;
  bool UntilStop = false; // no limit: the search ends when the interface says stop
  GoMessage Notes[4];     // what was changed or taken as it stands, to be said
  int NumNotes = 0;
};

// The limits of an accepted request with Side to move (0 white, 1 black).
GoPlan PlanGo(const GoRequest &R, int Side);

} // namespace Uci
