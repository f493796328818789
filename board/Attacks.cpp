#include "board/Attacks.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "board/Board.h"
#include "board/Squares.h"
#include "platform/Terminal.h"

namespace {
// What the difference of two squares' ranks and files allows: which kinds of
// piece can attack across it, and the step that walks from one square to the
// other. Indexed by the (rank, file) difference, so it is the same geometry
// as comparing ranks and files, looked up instead of recomputed per piece.
enum : uint8_t { KnightVec = 1, KingVec = 2, DiagVec = 4, LineVec = 8 };
struct Vec {
  uint8_t Kinds;
  int8_t Step; // from the attacker towards the target
};
struct VecTable {
  Vec V[15 * 15];
};
constexpr int Sign(int X) { return (X > 0) - (X < 0); }
constexpr int Abs(int X) { return X < 0 ? -X : X; }
constexpr VecTable MakeVecTable() {
  VecTable T{};
  for (int DR = -7; DR <= 7; ++DR)
    for (int DF = -7; DF <= 7; ++DF) {
      Vec &V = T.V[(DR + 7) * 15 + DF + 7];
      const int R = Abs(DR), F = Abs(DF);
      if ((R == 1 && F == 2) || (R == 2 && F == 1)) V.Kinds |= KnightVec;
      if (R <= 1 && F <= 1 && R + F > 0) V.Kinds |= KingVec;
      if (R == F && R > 0) V.Kinds |= DiagVec;
      if ((R == 0) != (F == 0)) V.Kinds |= LineVec;
      V.Step = static_cast<int8_t>(-Sign(DR) * 8 - Sign(DF));
    }
  return T;
}
constexpr VecTable Vecs = MakeVecTable();

// The attacker's square S as an offset into Vecs relative to the target.
struct Target {
  int Sq, Fyle, Base;
};
inline Target MakeTarget(int Sq) { return {Sq, Sq & 7, 112 - (Sq + (Sq >> 3) * 7)}; }
inline const Vec &VecOf(int S, const Target &T) { return Vecs.V[S + (S >> 3) * 7 + T.Base]; }

// The squares strictly between S and T, walked from S by Step, are all empty.
inline bool PathClear(const DataType &D, int S, int T, int Step) {
  for (int I = S + Step; I != T; I += Step)
    if (PieceOn(D, I) != Empty) return false;
  return true;
}

inline bool SlideAttacks(const DataType &D, int S, const Target &T, uint8_t Kinds) {
  const Vec &V = VecOf(S, T);
  return (V.Kinds & Kinds) && PathClear(D, S, T.Sq, V.Step);
}

// A pawn attacking the target stands one rank behind it, seen in the pawn's
// direction of travel, on a neighbouring file. The eight list entries are
// compared with both candidate squares at once, a byte per entry.
inline bool HasByte(uint64_t Word, int8_t Sq) {
  const uint64_t V = Word ^ (0x0101010101010101ull * static_cast<uint8_t>(Sq));
  return ((V - 0x0101010101010101ull) & ~V & 0x8080808080808080ull) != 0;
}

inline bool PawnAttacks(const int8_t *Pawns, const Target &T, bool White) {
  const int Behind = White ? T.Sq - 8 : T.Sq + 8;
  if (Behind < 0 || Behind > 63) return false;
  uint64_t Word;
  std::memcpy(&Word, Pawns, sizeof Word);
  return (T.Fyle > 0 && HasByte(Word, static_cast<int8_t>(Behind - 1))) ||
         (T.Fyle < 7 && HasByte(Word, static_cast<int8_t>(Behind + 1)));
}
} // namespace

bool Attacked(int8_t MySq, int8_t Enemy) {
  const DataType &D = Data[Ply];
  const bool White = Enemy != BMove;
  const Target T = MakeTarget(MySq);
  if (PawnAttacks(White ? D.WPawnList : D.BPawnList, T, White)) return true;
  const PieceListType &L = White ? D.WPieceList : D.BPieceList;
  for (int Slot = 0; Slot < 2; ++Slot) {
    const int8_t *E = L[Slot];
    int S = E[PIdx(WNight)];
    if (S != -1 && (VecOf(S, T).Kinds & KnightVec)) return true;
    S = E[PIdx(WBishop)];
    if (S != -1 && SlideAttacks(D, S, T, DiagVec)) return true;
    S = E[PIdx(WRook)];
    if (S != -1 && SlideAttacks(D, S, T, LineVec)) return true;
    S = E[PIdx(WQueen)];
    if (S != -1 && SlideAttacks(D, S, T, DiagVec | LineVec)) return true;
  }
  const int K = L[0][PIdx(WKing)];
  if (K != -1 && (VecOf(K, T).Kinds & KingVec)) return true;
  // Queens from promotions beyond the two list slots attack like any other.
  const uint8_t Extra = White ? D.WExtraCount : D.BExtraCount;
  const int8_t *Queens = White ? D.WExtraQueens : D.BExtraQueens;
  for (int I = 0; I < Extra; ++I)
    if (SlideAttacks(D, Queens[I], T, DiagVec | LineVec)) return true;
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
  // The first multiple that divides the distance names the line; mod 9 and
  // mod 8 come first so that a1-h8 (63) steps 9 and a1-a8 (56) steps 8.
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
