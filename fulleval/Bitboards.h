// The evaluation's own view of a position: one 64-bit set per piece kind and
// colour, built from the piece lists, and attack sets from constant tables.
// Sliders look up the ray in each direction and cut it at the first piece,
// which costs a bit scan per direction and no start-up work.
#pragma once
#include <bit>
#include <cstdint>

#include "board/Types.h"

using Bitboard = uint64_t;

// Colours as array indices; a side's sign in the trace is +1 or -1.
constexpr int White = 0, Black = 1;

constexpr Bitboard FileABits = 0x0101010101010101ull;
constexpr Bitboard Rank1Bits = 0xFFull;
constexpr Bitboard LightSquares = 0x55AA55AA55AA55AAull;

constexpr Bitboard Bit(int Sq) { return 1ull << Sq; }
constexpr int FileOf(int Sq) { return Sq & 7; }
constexpr int RankOf(int Sq) { return Sq >> 3; }
// The rank counted from C's own side: a pawn on its second rank is on 1.
constexpr int RelRank(int C, int Sq) { return C == White ? Sq >> 3 : 7 - (Sq >> 3); }
constexpr int Distance(int A, int B) {
  const int F = FileOf(A) - FileOf(B), R = RankOf(A) - RankOf(B);
  const int AF = F < 0 ? -F : F, AR = R < 0 ? -R : R;
  return AF > AR ? AF : AR;
}
// The baseline x86-64 has no popcount instruction, and the library's routine
// is a call away: the bit trick inline costs less.
inline int Count(Bitboard B) {
#if defined(__POPCNT__) || !defined(__x86_64__)
  return std::popcount(B);
#else
  B -= (B >> 1) & 0x5555555555555555ull;
  B = (B & 0x3333333333333333ull) + ((B >> 2) & 0x3333333333333333ull);
  B = (B + (B >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<int>((B * 0x0101010101010101ull) >> 56);
#endif
}
inline int Lsb(Bitboard B) { return std::countr_zero(B); }
inline int Msb(Bitboard B) { return 63 - std::countl_zero(B); }
// The lowest square of B, taken out of it.
inline int PopLsb(Bitboard &B) {
  const int Sq = Lsb(B);
  B &= B - 1;
  return Sq;
}
constexpr Bitboard ShiftUp(int C, Bitboard B) { return C == White ? B << 8 : B >> 8; }

// Directions of the rays: the first four run to higher squares.
enum Dir : int { North, NorthEast, East, NorthWest, South, SouthWest, West, SouthEast };

struct AttackTables {
  Bitboard Knight[64];
  Bitboard King[64];
  Bitboard Pawn[2][64];           // the squares a pawn of that colour attacks
  Bitboard Ray[8][64];            // from a square to the edge, the square excluded
  Bitboard FrontFile[2][64];      // the squares ahead on the file
  Bitboard PassedSpan[2][64];     // ahead on the file and the two beside it
  Bitboard AdjacentFiles[8];      // the files beside a file
  Bitboard BehindAdjacent[2][64]; // beside the file, on the square's rank or behind
  Bitboard KingZone[2][64];       // the king's square, its ring and the rank in front of the ring
  Bitboard File[8];
  Bitboard RanksAhead[2][8]; // a rank and those in front of it
};

constexpr bool OnBoard(int F, int R) { return F >= 0 && F < 8 && R >= 0 && R < 8; }

constexpr AttackTables MakeAttackTables() {
  AttackTables T{};
  constexpr int KnightSteps[8][2] = {{1, 2},   {2, 1},   {2, -1}, {1, -2},
                                     {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
  constexpr int RaySteps[8][2] = {{0, 1},  {1, 1},   {1, 0},  {-1, 1},
                                  {0, -1}, {-1, -1}, {-1, 0}, {1, -1}};
  for (int F = 0; F < 8; ++F) {
    T.File[F] = FileABits << F;
    if (F > 0) T.AdjacentFiles[F] |= FileABits << (F - 1);
    if (F < 7) T.AdjacentFiles[F] |= FileABits << (F + 1);
  }
  for (int Sq = 0; Sq < 64; ++Sq) {
    const int F = FileOf(Sq), R = RankOf(Sq);
    for (const auto &S : KnightSteps)
      if (OnBoard(F + S[0], R + S[1])) T.Knight[Sq] |= Bit((R + S[1]) * 8 + F + S[0]);
    for (int D = 0; D < 8; ++D) {
      const int DF = RaySteps[D][0], DR = RaySteps[D][1];
      if (OnBoard(F + DF, R + DR)) T.King[Sq] |= Bit((R + DR) * 8 + F + DF);
      for (int K = 1; OnBoard(F + K * DF, R + K * DR); ++K)
        T.Ray[D][Sq] |= Bit((R + K * DR) * 8 + F + K * DF);
    }
    for (int DF = -1; DF <= 1; DF += 2) {
      if (OnBoard(F + DF, R + 1)) T.Pawn[White][Sq] |= Bit((R + 1) * 8 + F + DF);
      if (OnBoard(F + DF, R - 1)) T.Pawn[Black][Sq] |= Bit((R - 1) * 8 + F + DF);
    }
    T.FrontFile[White][Sq] = T.Ray[North][Sq];
    T.FrontFile[Black][Sq] = T.Ray[South][Sq];
    for (int C = White; C <= Black; ++C) {
      const Bitboard Front = T.FrontFile[C][Sq];
      T.PassedSpan[C][Sq] = Front | (F > 0 ? Front >> 1 : 0) | (F < 7 ? Front << 1 : 0);
      Bitboard Behind = 0;
      for (int RR = 0; RR < 8; ++RR)
        if (C == White ? RR <= R : RR >= R) Behind |= Rank1Bits << (8 * RR);
      T.BehindAdjacent[C][Sq] = Behind & T.AdjacentFiles[F];
      T.RanksAhead[C][R] |= ~Behind | Rank1Bits << (8 * R);
      const Bitboard Ring = T.King[Sq] | Bit(Sq);
      T.KingZone[C][Sq] = Ring | ShiftUp(C, Ring);
    }
  }
  return T;
}

inline constexpr AttackTables Tables = MakeAttackTables();

// The ray from Sq in direction D up to and including the first piece of Occ.
template <Dir D> inline Bitboard RayAttacks(int Sq, Bitboard Occ) {
  Bitboard A = Tables.Ray[D][Sq];
  const Bitboard Blockers = A & Occ;
  if (Blockers) A ^= Tables.Ray[D][D < South ? Lsb(Blockers) : Msb(Blockers)];
  return A;
}
inline Bitboard BishopAttacks(int Sq, Bitboard Occ) {
  return RayAttacks<NorthEast>(Sq, Occ) | RayAttacks<NorthWest>(Sq, Occ) |
         RayAttacks<SouthEast>(Sq, Occ) | RayAttacks<SouthWest>(Sq, Occ);
}
inline Bitboard RookAttacks(int Sq, Bitboard Occ) {
  return RayAttacks<North>(Sq, Occ) | RayAttacks<East>(Sq, Occ) | RayAttacks<South>(Sq, Occ) |
         RayAttacks<West>(Sq, Occ);
}
inline Bitboard PawnAttacksOf(int C, Bitboard Pawns) {
  const Bitboard Left = Pawns & ~FileABits, Right = Pawns & ~(FileABits << 7);
  return C == White ? (Left << 7) | (Right << 9) : (Left >> 9) | (Right >> 7);
}

// The pieces of a position by colour and kind (1 pawn .. 6 king; 0 all of
// the colour), and where the kings stand.
struct PieceSets {
  Bitboard Of[2][7];
  Bitboard All;
  int King[2];
};

// From the lists of D; a record with a king missing (only a test's diagram
// has one) gets square 0, which only blurs that side's king terms.
inline PieceSets ReadPieces(const DataType &D) {
  PieceSets P{};
  const auto Read = [&](int C, const int8_t *Pawns, const PieceListType &List, const int8_t *Extra,
                        int NumExtra) {
    for (int I = 0; I < 8; ++I)
      if (Pawns[I] >= 0) P.Of[C][WPawn] |= Bit(Pawns[I]);
    for (int Slot = 0; Slot < 2; ++Slot)
      for (int K = 0; K < 5; ++K)
        if (List[Slot][K] >= 0) P.Of[C][K + WNight] |= Bit(List[Slot][K]);
    for (int I = 0; I < NumExtra; ++I) P.Of[C][PieceOn(D, Extra[I]) & 7] |= Bit(Extra[I]);
    for (int K = WPawn; K <= WKing; ++K) P.Of[C][0] |= P.Of[C][K];
    P.King[C] = P.Of[C][WKing] ? Lsb(P.Of[C][WKing]) : 0;
  };
  Read(White, D.WPawnList, D.WPieceList, D.WExtra, D.WExtraCount);
  Read(Black, D.BPawnList, D.BPieceList, D.BExtra, D.BExtraCount);
  P.All = P.Of[White][0] | P.Of[Black][0];
  return P;
}
