// Making and unmaking moves by copy and discard: the caller advances Ply and
// copies the record, MakeMove changes the copy, UnmakeMove steps back; the
// walk over the legal moves, and the legality test of a move text. Each call
// works on one record, St (moves/PositionStack.h).
#pragma once

#include "board/Attacks.h"
#include "board/Types.h"
#include "moves/GenMoves.h"

// Plays the move on St.Data[St.Ply] and passes the turn; counts one node
// in QNodes when QS, else in Nodes.
void MakeMove(PositionStack &St, const MoveRec &TheMove, bool QS);
inline void UnmakeMove(PositionStack &St) {
  --St.Ply;
  St.WhosMove = static_cast<int8_t>(-St.WhosMove);
}
// The move on a copy of the record one ply up, as the search makes its moves.
inline void MakeOnCopy(PositionStack &St, const MoveRec &M, bool QS) {
  ++St.Ply;
  St.Data[St.Ply] = St.Data[St.Ply - 1];
  MakeMove(St, M, QS);
}

// The legal moves of St.Data[St.Ply] for St.WhosMove, in the generator's order (best
// first): each move that Want accepts is made on the record above, and Visit
// sees it there (Ply raised) when it leaves its own king safe; the walk stops
// when Visit returns false. Each move made counts a node, as the search's do.
template <class WantF, class VisitF>
void WalkLegalMoves(PositionStack &St, WantF &&Want, VisitF &&Visit) {
  const uint16_t N = GenMoveList(St, Str4());
  // Each move is picked one turn ahead, so that finding the next best
  // overlaps making and testing this one; the picks and their order are the
  // same.
  MoveRec Next = N > 0 ? GetAMove(St, N) : NoMove;
  for (uint16_t I = 0; I < N; ++I) {
    const MoveRec M = Next;
    if (I + 1 < N) Next = GetAMove(St, N);
    if (!Want(M)) continue;
    MakeOnCopy(St, M, false);
    const bool Legal = !InCheck(St.Data[St.Ply], static_cast<int8_t>(-St.WhosMove));
    const bool Go = !Legal || Visit(M);
    UnmakeMove(St);
    if (!Go) return;
  }
}
template <class VisitF> void WalkLegalMoves(PositionStack &St, VisitF &&Visit) {
  WalkLegalMoves(
      St, [](const MoveRec &) { return true; }, Visit);
}

// True when the whole text is the move text of a legal move of St.WhosMove. A
// capture of a king is never one: no position the game accepts allows one,
// and should one slip through it is not played.
inline bool TakesKing(const DataType &D, const MoveRec &M) {
  return (PieceOn(D, M.ToSq) & 7) == WKing;
}
bool IsLegalMove(PositionStack &St, const ShortStr &TheMove);
