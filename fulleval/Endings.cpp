#include "fulleval/Endings.h"

#include <algorithm>

namespace {
// Round values: they only tell who has enough to win.
constexpr int KnightWorth = 320, BishopWorth = 330, RookWorth = 500, QueenWorth = 950;

// Rook and minor against rook, or a rook against a minor: mostly drawn, still
// worth playing on.
constexpr int NearDrawScale = 12;
// Bishops of opposite colours hold even a pawn or two down, less so when
// rooks or knights are left to attack with; with queens on, the attack on the
// king counts more than the ending to come.
constexpr int OppositeBishopsScale = 20;
constexpr int OppositeBishopsWithPiecesScale = 46;

// A bare king goes to the edge, the other king follows it; with bishop and
// knight only the corners of the bishop's colour mate.
constexpr int EdgePush = 20;
constexpr int KingsClose = 8;
constexpr int CornerPush = 20;

int NonPawn(const PieceSets &P, int C) {
  return KnightWorth * Count(P.Of[C][WNight]) + BishopWorth * Count(P.Of[C][WBishop]) +
         RookWorth * Count(P.Of[C][WRook]) + QueenWorth * Count(P.Of[C][WQueen]);
}

bool BareKing(const PieceSets &P, int C) { return P.Of[C][0] == P.Of[C][WKing]; }

// Pawns only on the a-file or only on the h-file, no piece but one bishop
// that cannot cover the promotion square, and the defending king next to it.
bool WrongRookPawn(const PieceSets &P, int Strong) {
  const Bitboard Pawns = P.Of[Strong][WPawn];
  const bool OnA = (Pawns & ~FileABits) == 0, OnH = (Pawns & ~(FileABits << 7)) == 0;
  if (Pawns == 0 || (!OnA && !OnH)) return false;
  if (P.Of[Strong][WNight] | P.Of[Strong][WRook] | P.Of[Strong][WQueen]) return false;
  const Bitboard Bishops = P.Of[Strong][WBishop];
  if (Count(Bishops) > 1) return false;
  const int Promo = (OnA ? 0 : 7) + (Strong == White ? 56 : 0);
  const bool PromoLight = (LightSquares & Bit(Promo)) != 0;
  if (Bishops && ((Bishops & LightSquares) != 0) == PromoLight) return false;
  return Distance(P.King[1 - Strong], Promo) <= 1;
}

bool OppositeBishops(const PieceSets &P) {
  const Bitboard W = P.Of[White][WBishop], B = P.Of[Black][WBishop];
  return Count(W) == 1 && Count(B) == 1 && ((W & LightSquares) != 0) != ((B & LightSquares) != 0);
}

bool MatingMaterial(const PieceSets &P, int C) {
  const Bitboard Bishops = P.Of[C][WBishop];
  const bool BothColours = (Bishops & LightSquares) && (Bishops & ~LightSquares);
  return P.Of[C][WQueen] || P.Of[C][WRook] || BothColours || (Bishops && P.Of[C][WNight]);
}

int Manhattan(int A, int B) {
  const int F = FileOf(A) - FileOf(B), R = RankOf(A) - RankOf(B);
  return (F < 0 ? -F : F) + (R < 0 ? -R : R);
}

// 0 in the centre, 3 on an edge's middle, 6 in a corner.
int EdgeCloseness(int Sq) {
  const int F = FileOf(Sq) < 4 ? FileOf(Sq) : 7 - FileOf(Sq);
  const int R = RankOf(Sq) < 4 ? RankOf(Sq) : 7 - RankOf(Sq);
  return 6 - F - R;
}
} // namespace

int EndgameScale(const PieceSets &P, int Strong) {
  const int Weak = 1 - Strong;
  if (P.Of[Strong][WPawn] == 0) {
    const bool TwoKnights = P.Of[Strong][0] == (P.Of[Strong][WNight] | P.Of[Strong][WKing]) &&
                            Count(P.Of[Strong][WNight]) == 2;
    if (TwoKnights && BareKing(P, Weak)) return 0;
    const int Mine = NonPawn(P, Strong);
    if (Mine - NonPawn(P, Weak) <= BishopWorth) return Mine < RookWorth ? 0 : NearDrawScale;
  }
  if (WrongRookPawn(P, Strong)) return 0;
  if (OppositeBishops(P) && !(P.Of[White][WQueen] | P.Of[Black][WQueen])) {
    const Bitboard Others =
        P.Of[White][WNight] | P.Of[White][WRook] | P.Of[Black][WNight] | P.Of[Black][WRook];
    return Others ? OppositeBishopsWithPiecesScale : OppositeBishopsScale;
  }
  return FullScale;
}

int MopUp(const PieceSets &P) {
  for (int C = White; C <= Black; ++C) {
    const int Weak = 1 - C;
    if (!BareKing(P, Weak) || P.Of[C][WPawn] || !MatingMaterial(P, C)) continue;
    const int Lone = P.King[Weak];
    int Bonus = KingsClose * (7 - Distance(P.King[C], Lone));
    const bool BishopKnight = P.Of[C][0] == (P.Of[C][WBishop] | P.Of[C][WNight] | P.Of[C][WKing]) &&
                              Count(P.Of[C][WBishop]) == 1 && Count(P.Of[C][WNight]) == 1;
    if (BishopKnight) {
      const bool Light = (P.Of[C][WBishop] & LightSquares) != 0;
      const int CornerA = Light ? 7 : 0, CornerB = Light ? 56 : 63;
      const int ToCorner = std::min(Manhattan(Lone, CornerA), Manhattan(Lone, CornerB));
      Bonus += CornerPush * (14 - ToCorner);
    } else {
      Bonus += EdgePush * EdgeCloseness(Lone);
    }
    return C == White ? Bonus : -Bonus;
  }
  return 0;
}
