// Capture generation for the quiescence search: the captures of pawns to
// queens, no king and no en passant.
#include "moves/GenMoves.h"
#include "moves/Generate.h"

using namespace MoveGen;

namespace {
// Enemy pawn..queen: the king is never captured here.
template <bool White> inline bool IsVictim(int8_t Code) {
  return White ? Code >= 9 && Code <= 13 : Code >= 1 && Code <= 5;
}

template <bool White, int Type> void GenStepCaps(GenState &G, int FromSq, const StepTable &Table) {
  const Targets &T = Table.T[FromSq];
  for (int I = 0; I < T.N; ++I) {
    const int8_t P = G.Squares[T.Sq[I]];
    if (IsVictim<White>(P)) AddScored<White, Type>(G, FromSq, T.Sq[I], P);
  }
}

// An own piece, the enemy king or the edge ends a ray without a move.
template <bool White, int Type> void GenSlideCaps(GenState &G, int FromSq, int FirstRow) {
  for (int Row = FirstRow; Row < FirstRow + 4; ++Row) {
    const Targets &T = Rays.R[FromSq][Row];
    for (int I = 0; I < T.N; ++I) {
      const int8_t P = G.Squares[T.Sq[I]];
      if (P == Empty) continue;
      if (IsVictim<White>(P)) AddScored<White, Type>(G, FromSq, T.Sq[I], P);
      break;
    }
  }
}

template <bool White> void GenKnightCap(GenState &G, int FromSq) {
  GenStepCaps<White, WNight>(G, FromSq, KnightTargets);
}
template <bool White> void GenKingCaps(GenState &G, int FromSq) {
  GenStepCaps<White, WKing>(G, FromSq, KingTargets);
}
template <bool White> void GenBishopCaps(GenState &G, int FromSq) {
  GenSlideCaps<White, WBishop>(G, FromSq, BishopRows);
}
template <bool White> void GenRookCaps(GenState &G, int FromSq) {
  GenSlideCaps<White, WRook>(G, FromSq, RookRows);
}
// Both rays of a queen use the queen's own table here.
template <bool White> void GenQueenCaps(GenState &G, int FromSq) {
  GenSlideCaps<White, WQueen>(G, FromSq, BishopRows);
  GenSlideCaps<White, WQueen>(G, FromSq, RookRows);
}

template <bool White> void GenPawnCaps(GenState &G) {
  const DataType &D = G.D;
  const int8_t *Pawns = White ? D.WPawnList : D.BPawnList;
  for (int I = 0; I < 8; ++I) {
    const int FromSq = Pawns[I];
    if (FromSq == -1) continue;
    // A pawn moved onto its last rank is promoted, but a position file or the
    // editor may set one there: it has nothing ahead to take.
    if (White ? FromSq > 55 : FromSq < 8) continue;
    const int Fyle = FromSq % 8;
    const int Left = White ? FromSq + 7 : FromSq - 9;
    const int Right = White ? FromSq + 9 : FromSq - 7;
    if (Fyle >= 1) {
      const int8_t P = G.Squares[Left];
      if (IsVictim<White>(P)) AddScored<White, WPawn>(G, FromSq, Left, P);
    }
    if (Fyle <= 6) {
      const int8_t P = G.Squares[Right];
      if (IsVictim<White>(P)) AddScored<White, WPawn>(G, FromSq, Right, P);
    }
  }
}

template <bool White> void GenAllCaps(GenState &G) {
  const DataType &D = G.D;
  const PieceListType &L = White ? D.WPieceList : D.BPieceList;
  GenPawnCaps<White>(G);
  for (int Slot = 0; Slot < 2; ++Slot) {
    const int8_t *E = L[Slot];
    if (E[PIdx(WNight)] != -1) GenKnightCap<White>(G, E[PIdx(WNight)]);
    if (E[PIdx(WBishop)] != -1) GenBishopCaps<White>(G, E[PIdx(WBishop)]);
    if (E[PIdx(WRook)] != -1) GenRookCaps<White>(G, E[PIdx(WRook)]);
    if (E[PIdx(WQueen)] != -1) GenQueenCaps<White>(G, E[PIdx(WQueen)]);
    if (Slot == 0 && E[PIdx(WKing)] != -1) GenKingCaps<White>(G, E[PIdx(WKing)]);
  }
  if ((White ? D.WExtraCount : D.BExtraCount) != 0)
    GenExtra<White, GenKnightCap<White>, GenBishopCaps<White>, GenRookCaps<White>,
             GenQueenCaps<White>>(G);
}
} // namespace

uint16_t GenCaptureList(PositionStack &St) {
  ClearRow(St);
  // HashMove is left as the last full generation set it.
  ParseHashMove(St);
  return Generate<GenAllCaps<true>, GenAllCaps<false>>(St);
}
