#include "board/Attacks.h"

#include <cstdlib>

#include "board/Board.h"
#include "board/Squares.h"
#include "platform/Terminal.h"

namespace {
inline int FileDist(int A, int B) { return std::abs((A & 7) - (B & 7)); }
inline int RankDist(int A, int B) { return std::abs((A >> 3) - (B >> 3)); }

inline bool PawnAttacks(const int8_t *Pawns, int MySq, bool White) {
  for (int I = 0; I < 8; ++I) {
    const int S = Pawns[I];
    if (S == -1) continue;
    // One rank ahead in its direction of travel, one file aside.
    const int Ahead = White ? MySq - S : S - MySq;
    if ((Ahead == 7 || Ahead == 9) && FileDist(S, MySq) == 1) return true;
  }
  return false;
}

inline bool KnightAttacks(int S, int MySq) {
  const int D = std::abs(S - MySq);
  return FileDist(S, MySq) < 3 && (D == 6 || D == 10 || D == 15 || D == 17);
}

inline bool BishopAttacks(int S, int MySq) {
  return SameDiagonal(static_cast<int8_t>(S), static_cast<int8_t>(MySq)) &&
         ClearVector(static_cast<int8_t>(S), static_cast<int8_t>(MySq));
}

inline bool RookAttacks(int S, int MySq) {
  const bool Line = std::abs(S - MySq) % 8 == 0 || (S >> 3) == (MySq >> 3);
  return Line && ClearVector(static_cast<int8_t>(S), static_cast<int8_t>(MySq));
}

inline bool QueenAttacks(int S, int MySq) { return RookAttacks(S, MySq) || BishopAttacks(S, MySq); }
} // namespace

bool Attacked(int8_t MySq, int8_t Enemy) {
  const DataType &D = Data[Ply];
  const bool White = Enemy != BMove;
  const PieceListType &L = White ? D.WPieceList : D.BPieceList;
  if (PawnAttacks(White ? D.WPawnList : D.BPawnList, MySq, White)) return true;
  for (int Slot = 0; Slot < 2; ++Slot) {
    const int8_t *E = L[Slot];
    int S = E[PIdx(WNight)];
    if (S != -1 && KnightAttacks(S, MySq)) return true;
    S = E[PIdx(WBishop)];
    if (S != -1 && BishopAttacks(S, MySq)) return true;
    S = E[PIdx(WRook)];
    if (S != -1 && RookAttacks(S, MySq)) return true;
    S = E[PIdx(WQueen)];
    if (S != -1 && QueenAttacks(S, MySq)) return true;
    if (Slot == 0) {
      S = E[PIdx(WKing)];
      if (S != -1 && S != MySq && FileDist(S, MySq) <= 1 && RankDist(S, MySq) <= 1) return true;
    }
  }
  // Queens from promotions beyond the two list slots attack like any other.
  const uint8_t Extra = White ? D.WExtraCount : D.BExtraCount;
  const int8_t *Queens = White ? D.WExtraQueens : D.BExtraQueens;
  for (int I = 0; I < Extra; ++I)
    if (QueenAttacks(Queens[I], MySq)) return true;
  return false;
}

bool InCheck(int8_t Who) {
  const DataType &D = Data[Ply];
  // A position set up without this king has nothing to attack.
  if (Who == WMove) {
    const int8_t K = D.WPieceList[0][PIdx(WKing)];
    return K != -1 && Attacked(K, BMove);
  }
  const int8_t K = D.BPieceList[0][PIdx(BKing)];
  return K != -1 && Attacked(K, WMove);
}

bool ClearVector(int8_t FromSq, int8_t ToSq) {
  if (FromSq == ToSq) return false;
  if (FromSq < 0 || ToSq < 0) Fatal("Attacks", __LINE__, "error in ClearVector...sq = 0");
  const int Delta = std::abs(ToSq - FromSq);
  int Step;
  if (Delta % 9 == 0)
    Step = 9;
  else if (Delta % 8 == 0)
    Step = 8;
  else if (Delta % 7 == 0)
    Step = SameRank(FromSq, ToSq) ? 1 : 7;
  else
    Step = 1;
  if (ToSq < FromSq) Step = -Step;
  const DataType &D = Data[Ply];
  int I = FromSq;
  do I += Step;
  while (I != ToSq && PieceOn(D, I) == Empty);
  return I == ToSq;
}
