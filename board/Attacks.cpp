#include "board/Attacks.h"

#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "board/Board.h"

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

// The same kinds per target square and list entry: column S + 1 for the
// attacker on S, so that column 0 stands for a free entry (-1) and lets no
// piece attack. One load per entry then tells whether it can attack at all.
struct KindTable {
  uint8_t K[64][65];
};
constexpr KindTable MakeKindTable() {
  KindTable T{};
  for (int Sq = 0; Sq < 64; ++Sq)
    for (int S = 0; S < 64; ++S)
      T.K[Sq][S + 1] = Vecs.V[(S / 8 - Sq / 8 + 7) * 15 + S % 8 - Sq % 8 + 7].Kinds;
  return T;
}
constexpr KindTable Kinds = MakeKindTable();

// The attacker's square S as an offset into Vecs relative to the target.
struct Target {
  int Sq, Base;
};
inline Target MakeTarget(int Sq) { return {Sq, 112 - (Sq + (Sq >> 3) * 7)}; }
inline const Vec &VecOf(int S, const Target &T) { return Vecs.V[S + (S >> 3) * 7 + T.Base]; }

// The squares strictly between S and T, walked from S by Step, are all empty.
inline bool PathClear(const DataType &D, int S, int T, int Step) {
  for (int I = S + Step; I != T; I += Step)
    if (PieceOn(D, I) != Empty) return false;
  return true;
}

inline bool SlideAttacks(const DataType &D, int S, const Target &T, uint8_t Wanted) {
  const Vec &V = VecOf(S, T);
  return (V.Kinds & Wanted) && PathClear(D, S, T.Sq, V.Step);
}

// A pawn attacking the target stands one rank behind it, seen in the pawn's
// direction of travel, on a neighbouring file. Per side and target the two
// candidate squares are kept repeated in the two halves of 16 bytes, left
// then right, so that the eight list entries are compared with both at once;
// a candidate off the board is -2, which no entry ever holds.
struct PawnProbeTable {
  alignas(16) uint64_t P[2][64][2]; // [White][target][left, right]
};
constexpr uint64_t Repeated(int Sq) { return 0x0101010101010101ull * static_cast<uint8_t>(Sq); }
constexpr PawnProbeTable MakePawnProbes() {
  PawnProbeTable T{};
  for (int White = 0; White < 2; ++White)
    for (int Sq = 0; Sq < 64; ++Sq) {
      const int Behind = White ? Sq - 8 : Sq + 8;
      const bool Rank = Behind >= 0 && Behind <= 63;
      T.P[White][Sq][0] = Repeated(Rank && Sq % 8 > 0 ? Behind - 1 : -2);
      T.P[White][Sq][1] = Repeated(Rank && Sq % 8 < 7 ? Behind + 1 : -2);
    }
  return T;
}
constexpr PawnProbeTable PawnProbes = MakePawnProbes();

#if defined(__SSE2__)
inline bool PawnAttacks(const int8_t *Pawns, int Sq, bool White) {
  const __m128i List = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(Pawns));
  const __m128i Probe = _mm_load_si128(reinterpret_cast<const __m128i *>(PawnProbes.P[White][Sq]));
  return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_unpacklo_epi64(List, List), Probe)) != 0;
}
#else
// Whether a byte of Word is zero; exact, as only bytes above a zero byte can
// be marked by a borrow.
inline bool HasZeroByte(uint64_t Word) {
  return ((Word - 0x0101010101010101ull) & ~Word & 0x8080808080808080ull) != 0;
}

inline bool PawnAttacks(const int8_t *Pawns, int Sq, bool White) {
  uint64_t Word;
  std::memcpy(&Word, Pawns, sizeof Word);
  const uint64_t *Probe = PawnProbes.P[White][Sq];
  return HasZeroByte(Word ^ Probe[0]) || HasZeroByte(Word ^ Probe[1]);
}
#endif

// The bishop, rook and queen entries of both slots, with the kinds of line
// each may attack along; entry I of this table is bit I of a candidate mask.
struct Slider {
  int8_t Code;
  int Slot;
  uint8_t Kinds;
};
constexpr Slider Sliders[6] = {
    {WBishop, 0, DiagVec}, {WBishop, 1, DiagVec},          {WRook, 0, LineVec},
    {WRook, 1, LineVec},   {WQueen, 0, DiagVec | LineVec}, {WQueen, 1, DiagVec | LineVec}};

// What an extra piece of each type may attack along: knights jump, the
// sliders need a clear line.
constexpr uint8_t ExtraKinds[8] = {0, 0, KnightVec, DiagVec, LineVec, DiagVec | LineVec, 0, 0};

// The listed sliders whose line runs through the target (the candidates,
// one bit per entry of Sliders; none looked for unless Lines), then the
// extra pieces: kept out of line, as most tests end before them. Only the
// candidates have the squares between walked.
[[gnu::noinline]] bool LinesAttack(const DataType &D, int MySq, bool White, bool Lines) {
  const Target T = MakeTarget(MySq);
  const PieceListType &L = White ? D.WPieceList : D.BPieceList;
  const uint8_t *K = Kinds.K[MySq];
  unsigned Candidates = 0;
  if (Lines)
    for (int I = 0; I < 6; ++I)
      Candidates |= static_cast<unsigned>(
                        (K[L[Sliders[I].Slot][PIdx(Sliders[I].Code)] + 1] & Sliders[I].Kinds) != 0)
                    << I;
  for (; Candidates != 0; Candidates &= Candidates - 1) {
    const Slider &S = Sliders[std::countr_zero(Candidates)];
    const int Sq = L[S.Slot][PIdx(S.Code)];
    if (PathClear(D, Sq, MySq, VecOf(Sq, T).Step)) return true;
  }
  // Pieces from promotions beyond the two list slots attack like any other.
  const uint8_t Extra = White ? D.WExtraCount : D.BExtraCount;
  const int8_t *Squares = White ? D.WExtra : D.BExtra;
  for (int I = 0; I < Extra; ++I) {
    const int Sq = Squares[I];
    const uint8_t Can = ExtraKinds[PieceOn(D, Sq) & 7];
    if (VecOf(Sq, T).Kinds & Can & KnightVec) return true;
    if (SlideAttacks(D, Sq, T, Can & (DiagVec | LineVec))) return true;
  }
  return false;
}

// Knights and the king attack whenever the geometry allows; a slider needs
// the squares between to be empty as well, so those are walked only for an
// entry whose line runs through the target.
inline bool AttackedBy(const DataType &D, int MySq, bool White) {
  if (PawnAttacks(White ? D.WPawnList : D.BPawnList, MySq, White)) return true;
  const PieceListType &L = White ? D.WPieceList : D.BPieceList;
  const uint8_t *K = Kinds.K[MySq];
  const auto KindsOf = [&](int Slot, int8_t Code) { return K[L[Slot][PIdx(Code)] + 1]; };
  if ((KindsOf(0, WNight) | KindsOf(1, WNight)) & KnightVec) return true;
  if (KindsOf(0, WKing) & KingVec) return true;
  uint8_t Lines = 0;
  for (const Slider &S : Sliders)
    Lines = static_cast<uint8_t>(Lines | (KindsOf(S.Slot, S.Code) & S.Kinds));
  const uint8_t Extra = White ? D.WExtraCount : D.BExtraCount;
  return (Lines | Extra) != 0 && LinesAttack(D, MySq, White, Lines != 0);
}
} // namespace

bool Attacked(const DataType &D, int8_t MySq, int8_t Enemy) {
  return AttackedBy(D, MySq, Enemy != BMove);
}

bool InCheck(const DataType &D, int8_t Who) {
  // A position set up without this king has nothing to attack.
  if (Who == WMove) {
    const int8_t K = D.WPieceList[0][PIdx(WKing)];
    return K != -1 && AttackedBy(D, K, false);
  }
  const int8_t K = D.BPieceList[0][PIdx(BKing)];
  return K != -1 && AttackedBy(D, K, true);
}

bool KingCanBeTaken(const DataType &D, int8_t Side) {
  return InCheck(D, static_cast<int8_t>(-Side));
}
