// The evaluation, written once over what it accumulates: the play path adds
// the weights themselves (ScoreSum), the tuner also counts how often each
// pair was added (a trace). Every term is counted from White's side, a Black
// term with the sign turned, so that the score is White's minus Black's.
#pragma once
#include <algorithm>
#include <cstdint>
#include <iterator>

#include "board/Types.h"
#include "fulleval/Bitboards.h"
#include "fulleval/Endings.h"
#include "fulleval/Terms.h"

// The weights counted so far, White's minus Black's, in both phases.
struct ScoreSum {
  int32_t Mg = 0, Eg = 0;
  template <Term T> void Add(int Index, int Times) {
    constexpr const Pair *Values = Terms[static_cast<int>(T)].Values;
    Mg += Times * Values[Index].Mg;
    Eg += Times * Values[Index].Eg;
  }
};

constexpr int FullPhase = 24;

// How a score was put together: the phase (FullPhase: all pieces on), the
// endings' factor, the bonus outside the weights, and the score from White's
// side.
struct EvalParts {
  int Phase, Scale, Extra, White;
};

namespace fulleval_detail {

template <Term T, class Acc> inline void Add(Acc &A, int Index, int Times) {
  A.template Add<T>(Index, Times);
}
// Pair Index once for each square of Set (at most Cap times), with the sign
// S of its side: threats and checks are rare, and an empty set costs no count.
template <Term T, class Acc>
inline void AddEach(Acc &A, int Index, int S, Bitboard Set, int Cap = 64) {
  if (Set) Add<T>(A, Index, S * std::min(Count(Set), Cap));
}

// What the pieces of both sides attack, gathered as they are scored; the
// king's safety and the threats read it once every piece is in.
struct AttackMap {
  const PieceSets &P;
  Bitboard Attacked[2][7]; // by colour and kind; [0]: by any
  Bitboard MobilityArea[2];
  int KingAttackers[2]; // pieces attacking the zone of that colour's king
  int KingUnits[2];     // their weights and the zone squares they reach
};

constexpr int Sign(int C) { return C == White ? 1 : -1; }
constexpr int Relative(int C, int Sq) { return C == White ? Sq : Sq ^ 56; }

// Weight of each kind of piece in an attack on the king.
constexpr int AttackerUnits[7] = {0, 0, 2, 2, 3, 5, 0};
constexpr int SafeChecksCounted = 3;

constexpr Term PstOf[7] = {Term::Count,   Term::PawnPst,  Term::KnightPst, Term::BishopPst,
                           Term::RookPst, Term::QueenPst, Term::KingPst};
constexpr Term MobilityOf[7] = {Term::Count,          Term::Count,        Term::KnightMobility,
                                Term::BishopMobility, Term::RookMobility, Term::QueenMobility,
                                Term::Count};

template <int Kind> inline Bitboard AttacksOf(int Sq, Bitboard Occ) {
  if constexpr (Kind == WNight)
    return Tables.Knight[Sq];
  else if constexpr (Kind == WBishop)
    return BishopAttacks(Sq, Occ);
  else if constexpr (Kind == WRook)
    return RookAttacks(Sq, Occ);
  else
    return BishopAttacks(Sq, Occ) | RookAttacks(Sq, Occ);
}

// Knights, bishops, rooks or queens of colour C: material, square, mobility,
// the enemy king's zone, outposts and the rooks' files.
template <int C, int Kind, class Acc> void ScorePieces(AttackMap &B, Acc &A) {
  constexpr int Them = 1 - C, S = Sign(C);
  const PieceSets &P = B.P;
  const Bitboard Zone = Tables.KingZone[Them][P.King[Them]];
  for (Bitboard Set = P.Of[C][Kind]; Set;) {
    const int Sq = PopLsb(Set);
    Add<Term::Material>(A, Kind - 1, S);
    Add<PstOf[Kind]>(A, Relative(C, Sq), S);
    const Bitboard Att = AttacksOf<Kind>(Sq, P.All);
    B.Attacked[C][Kind] |= Att;
    B.Attacked[C][0] |= Att;
    Add<MobilityOf[Kind]>(A, Count(Att & B.MobilityArea[C]), S);
    if (Att & Zone) {
      ++B.KingAttackers[Them];
      B.KingUnits[Them] += AttackerUnits[Kind] + Count(Att & Zone);
    }
    const int Rank = RelRank(C, Sq);
    if constexpr (Kind == WNight || Kind == WBishop) {
      // Enemy pawns on the files beside it and ahead could come to drive it off.
      const Bitboard PawnReach = Tables.PassedSpan[C][Sq] & ~Tables.FrontFile[C][Sq];
      if (Rank >= 3 && Rank <= 5 && (B.Attacked[C][WPawn] & Bit(Sq)) &&
          !(PawnReach & P.Of[Them][WPawn]))
        Add<Kind == WNight ? Term::KnightOutpost : Term::BishopOutpost>(A, 0, S);
    }
    if constexpr (Kind == WRook) {
      const Bitboard File = Tables.File[FileOf(Sq)];
      if (!(File & P.Of[C][WPawn])) {
        if (File & P.Of[Them][WPawn])
          Add<Term::RookHalfOpen>(A, 0, S);
        else
          Add<Term::RookOpen>(A, 0, S);
      }
      const Bitboard Seventh = Tables.RanksAhead[C][6] & ~Tables.RanksAhead[C][7];
      if (Rank == 6 && (RelRank(C, P.King[Them]) == 7 || (P.Of[Them][WPawn] & Seventh)))
        Add<Term::RookSeventh>(A, 0, S);
    }
  }
}

// Pawns of colour C: material, square, structure and the passed pawns.
template <int C, class Acc> void ScorePawns(const AttackMap &B, int8_t Side, Acc &A) {
  constexpr int Them = 1 - C, S = Sign(C);
  const PieceSets &P = B.P;
  const Bitboard Own = P.Of[C][WPawn], Opp = P.Of[Them][WPawn];
  const bool ThemPawnsOnly = P.Of[Them][0] == (Opp | P.Of[Them][WKing]);
  const int ThemToMove = (Side == WMove) == (Them == White);
  bool Unstoppable = false;
  for (Bitboard Set = Own; Set;) {
    const int Sq = PopLsb(Set);
    const int Rank = RelRank(C, Sq), File = FileOf(Sq);
    const int Stop = C == White ? Sq + 8 : Sq - 8;
    Add<Term::Material>(A, 0, S);
    Add<Term::PawnPst>(A, Relative(C, Sq), S);
    const bool Doubled = Tables.FrontFile[C][Sq] & Own;
    const bool Supported = Tables.Pawn[Them][Sq] & Own;
    const bool Phalanx = Tables.AdjacentFiles[File] & (Rank1Bits << (Sq & 56)) & Own;
    if (!(Tables.AdjacentFiles[File] & Own))
      Add<Term::Isolated>(A, 0, S);
    else if (!(Tables.BehindAdjacent[C][Sq] & Own) && (B.Attacked[Them][WPawn] & Bit(Stop)))
      Add<Term::Backward>(A, 0, S);
    if (Doubled) Add<Term::Doubled>(A, 0, S);
    if (Supported || Phalanx) Add<Term::Connected>(A, Rank, S);
    if (Doubled || (Tables.PassedSpan[C][Sq] & Opp)) continue;

    Add<Term::PassedRank>(A, Rank, S);
    const bool Free = !(Tables.FrontFile[C][Sq] & P.All);
    if (Free) Add<Term::PassedFree>(A, Rank, S);
    Add<Term::PassedOwnKing>(A, Rank, S * Distance(P.King[C], Stop));
    Add<Term::PassedEnemyKing>(A, Rank, S * Distance(P.King[Them], Stop));
    if (Supported) Add<Term::PassedProtected>(A, 0, S);
    // The rule of the square: the double step saves a move, the move a step.
    if (ThemPawnsOnly && Free) {
      const int Promo = File + (C == White ? 56 : 0);
      const int PawnMoves = 7 - Rank - (Rank == 1);
      if (Distance(P.King[Them], Promo) - ThemToMove > PawnMoves) Unstoppable = true;
    }
  }
  if (Unstoppable) Add<Term::PassedUnstoppable>(A, 0, S);
}

// The king of colour C: its square, its pawn shelter, the enemy pawns coming
// at it, and the attack on its zone.
template <int C, class Acc> void ScoreKing(const AttackMap &B, Acc &A) {
  constexpr int Them = 1 - C, S = Sign(C);
  constexpr int MaxDanger = static_cast<int>(std::size(Weights::KingDanger)) - 1;
  const PieceSets &P = B.P;
  if (!P.Of[C][WKing]) return;
  const int K = P.King[C];
  Add<Term::KingPst>(A, Relative(C, K), S);
  // On an edge file the king's shelter is still three files wide.
  const int Middle = std::clamp(FileOf(K), 1, 6);
  const Bitboard Ahead = Tables.RanksAhead[C][RankOf(K)];
  for (int F = Middle - 1; F <= Middle + 1; ++F) {
    const Bitboard Mine = P.Of[C][WPawn] & Tables.File[F] & Ahead;
    const Bitboard Theirs = P.Of[Them][WPawn] & Tables.File[F] & Ahead;
    const auto Nearest = [](Bitboard Set) { return C == White ? Lsb(Set) : Msb(Set); };
    Add<Term::KingShelter>(A, Mine ? RelRank(C, Nearest(Mine)) : 0, S);
    Add<Term::KingStorm>(A, Theirs ? RelRank(C, Nearest(Theirs)) : 0, S);
  }
  // One piece alone rarely mates: the table starts with the second.
  const int Danger = B.KingAttackers[C] >= 2 ? std::min(B.KingUnits[C], MaxDanger) : 0;
  Add<Term::KingDanger>(A, Danger, S);
}

// What colour C threatens: safe checks on the enemy king and enemy pieces
// attacked by less valuable ones or left undefended.
template <int C, class Acc> void ScoreThreats(const AttackMap &B, Acc &A) {
  constexpr int Them = 1 - C, S = Sign(C);
  const PieceSets &P = B.P;
  const Bitboard Defended = B.Attacked[Them][0];
  if (P.Of[Them][WKing]) {
    const int K = P.King[Them];
    const Bitboard Safe = ~Defended & ~P.Of[C][0];
    const Bitboard Diagonal = BishopAttacks(K, P.All), Straight = RookAttacks(K, P.All);
    const Bitboard Checks[4] = {Tables.Knight[K] & B.Attacked[C][WNight],
                                Diagonal & B.Attacked[C][WBishop], Straight & B.Attacked[C][WRook],
                                (Diagonal | Straight) & B.Attacked[C][WQueen]};
    for (int I = 0; I < 4; ++I)
      AddEach<Term::SafeCheck>(A, I, S, Checks[I] & Safe, SafeChecksCounted);
  }
  const Bitboard ByMinor = B.Attacked[C][WNight] | B.Attacked[C][WBishop];
  for (int Kind = WPawn; Kind <= WQueen; ++Kind) {
    const Bitboard Theirs = P.Of[Them][Kind];
    if (Kind != WPawn)
      AddEach<Term::ThreatByPawn>(A, Kind - WNight, S, B.Attacked[C][WPawn] & Theirs);
    const Bitboard ForMinor = Kind >= WRook ? Theirs : Theirs & ~Defended;
    AddEach<Term::ThreatByMinor>(A, Kind - WPawn, S, ByMinor & ForMinor);
    const Bitboard ForRook = Kind == WQueen ? Theirs : Theirs & ~Defended;
    AddEach<Term::ThreatByRook>(A, Kind - WPawn, S, B.Attacked[C][WRook] & ForRook);
  }
  const Bitboard Pieces = P.Of[Them][0] & ~P.Of[Them][WPawn] & ~P.Of[Them][WKing];
  AddEach<Term::Hanging>(A, 0, S, Pieces & B.Attacked[C][0] & ~Defended);
}

template <int C, class Acc> void ScoreSide(AttackMap &B, Acc &A) {
  ScorePieces<C, WNight>(B, A);
  ScorePieces<C, WBishop>(B, A);
  ScorePieces<C, WRook>(B, A);
  ScorePieces<C, WQueen>(B, A);
}

} // namespace fulleval_detail

// The score of D for White, whoever is to move; Side gets the tempo.
template <class Acc> EvalParts Evaluate(const DataType &D, int8_t Side, Acc &A) {
  using namespace fulleval_detail;
  const PieceSets P = ReadPieces(D);
  AttackMap B{P, {}, {}, {}, {}};
  for (int C = White; C <= Black; ++C) {
    B.Attacked[C][WPawn] = PawnAttacksOf(C, P.Of[C][WPawn]);
    B.Attacked[C][WKing] = P.Of[C][WKing] ? Tables.King[P.King[C]] : 0;
    B.Attacked[C][0] = B.Attacked[C][WPawn] | B.Attacked[C][WKing];
  }
  for (int C = White; C <= Black; ++C) B.MobilityArea[C] = ~P.Of[C][0] & ~B.Attacked[1 - C][WPawn];
  ScoreSide<White>(B, A);
  ScoreSide<Black>(B, A);
  ScorePawns<White>(B, Side, A);
  ScorePawns<Black>(B, Side, A);
  ScoreKing<White>(B, A);
  ScoreKing<Black>(B, A);
  ScoreThreats<White>(B, A);
  ScoreThreats<Black>(B, A);
  for (int C = White; C <= Black; ++C) {
    const Bitboard Bishops = P.Of[C][WBishop];
    if ((Bishops & LightSquares) && (Bishops & ~LightSquares)) Add<Term::BishopPair>(A, 0, Sign(C));
  }
  Add<Term::Tempo>(A, 0, Side == WMove ? 1 : -1);

  const Bitboard Minors =
      P.Of[White][WNight] | P.Of[White][WBishop] | P.Of[Black][WNight] | P.Of[Black][WBishop];
  const int Pieces = Count(Minors) + 2 * Count(P.Of[White][WRook] | P.Of[Black][WRook]) +
                     4 * Count(P.Of[White][WQueen] | P.Of[Black][WQueen]);
  EvalParts E;
  E.Phase = std::min(Pieces, FullPhase);
  const int32_t Tapered = A.Mg * E.Phase + A.Eg * (FullPhase - E.Phase);
  E.Scale = EndgameScale(P, Tapered >= 0 ? White : Black);
  E.Extra = MopUp(P);
  E.White = static_cast<int>(Tapered * E.Scale / (FullPhase * FullScale)) + E.Extra;
  return E;
}
