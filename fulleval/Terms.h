// The evaluation's weights as the tuner sees them: every named constant of
// fulleval/Weights.h as a term, its pairs numbered one after the other, so
// that a trace can count each pair by number and the tuner can write the
// header back with the same names and layout.
#pragma once
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "fulleval/Weights.h"

enum class Term : uint8_t {
  Material,
  PawnPst,
  KnightPst,
  BishopPst,
  RookPst,
  QueenPst,
  KingPst,
  KnightMobility,
  BishopMobility,
  RookMobility,
  QueenMobility,
  PassedRank,
  PassedFree,
  PassedOwnKing,
  PassedEnemyKing,
  PassedProtected,
  PassedUnstoppable,
  Isolated,
  Doubled,
  Backward,
  Connected,
  KingDanger,
  KingShelter,
  KingStorm,
  SafeCheck,
  RookOpen,
  RookHalfOpen,
  RookSeventh,
  KnightOutpost,
  BishopOutpost,
  Hanging,
  ThreatByPawn,
  ThreatByMinor,
  ThreatByRook,
  BishopPair,
  Tempo,
  Count
};

struct TermInfo {
  Term Id;
  const char *Name;
  const Pair *Values;
  uint16_t Size;
  uint8_t Width; // pairs per line in the header; 0: a single constant
  const char *Why;
};

// In the header's order, which is also the numbering of the pairs.
inline constexpr TermInfo Terms[] = {
    {Term::Material, "Material", Weights::Material, std::size(Weights::Material), 5,
     "What each piece is worth, pawn to queen."},
    {Term::PawnPst, "PawnPst", Weights::PawnPst, std::size(Weights::PawnPst), 8,
     "Pawns: the centre pawns forward in the middlegame, any pawn forward late."},
    {Term::KnightPst, "KnightPst", Weights::KnightPst, std::size(Weights::KnightPst), 8,
     "Knights: towards the centre, and forward in the middlegame."},
    {Term::BishopPst, "BishopPst", Weights::BishopPst, std::size(Weights::BishopPst), 8,
     "Bishops: the centre and the long diagonals."},
    {Term::RookPst, "RookPst", Weights::RookPst, std::size(Weights::RookPst), 8,
     "Rooks: the central files in the middlegame; the seventh rank has a term of its own."},
    {Term::QueenPst, "QueenPst", Weights::QueenPst, std::size(Weights::QueenPst), 8,
     "Queens: a little centre, not too far forward early."},
    {Term::KingPst, "KingPst", Weights::KingPst, std::size(Weights::KingPst), 8,
     "The king: behind its pawns in the middlegame, in the centre in the endgame."},
    {Term::KnightMobility, "KnightMobility", Weights::KnightMobility,
     std::size(Weights::KnightMobility), 8, "Safe squares a knight attacks: by count."},
    {Term::BishopMobility, "BishopMobility", Weights::BishopMobility,
     std::size(Weights::BishopMobility), 8, "Safe squares a bishop attacks."},
    {Term::RookMobility, "RookMobility", Weights::RookMobility, std::size(Weights::RookMobility), 8,
     "Safe squares a rook attacks."},
    {Term::QueenMobility, "QueenMobility", Weights::QueenMobility,
     std::size(Weights::QueenMobility), 8, "Safe squares a queen attacks."},
    {Term::PassedRank, "PassedRank", Weights::PassedRank, std::size(Weights::PassedRank), 8,
     "A passed pawn by its rank, counted from its own side."},
    {Term::PassedFree, "PassedFree", Weights::PassedFree, std::size(Weights::PassedFree), 8,
     "A passed pawn whose path to the last rank no piece blocks."},
    {Term::PassedOwnKing, "PassedOwnKing", Weights::PassedOwnKing,
     std::size(Weights::PassedOwnKing), 8,
     "Per square between the own king and the square in front of a passed pawn."},
    {Term::PassedEnemyKing, "PassedEnemyKing", Weights::PassedEnemyKing,
     std::size(Weights::PassedEnemyKing), 8,
     "Per square between the enemy king and the square in front of a passed pawn."},
    {Term::PassedProtected, "PassedProtected", &Weights::PassedProtected, 1, 0,
     "A passed pawn another pawn defends."},
    {Term::PassedUnstoppable, "PassedUnstoppable", &Weights::PassedUnstoppable, 1, 0,
     "A pawn ending's passed pawn the enemy king cannot catch."},
    {Term::Isolated, "Isolated", &Weights::Isolated, 1, 0,
     "A pawn with no own pawn on the files beside it."},
    {Term::Doubled, "Doubled", &Weights::Doubled, 1, 0,
     "A pawn with an own pawn ahead on its file."},
    {Term::Backward, "Backward", &Weights::Backward, 1, 0,
     "A pawn no own pawn can support, whose square in front an enemy pawn holds."},
    {Term::Connected, "Connected", Weights::Connected, std::size(Weights::Connected), 8,
     "A pawn beside or defended by an own pawn, by its rank."},
    {Term::KingDanger, "KingDanger", Weights::KingDanger, std::size(Weights::KingDanger), 8,
     "Attack on the king's zone by two or more pieces, by their weight and the squares they "
     "reach."},
    {Term::KingShelter, "KingShelter", Weights::KingShelter, std::size(Weights::KingShelter), 8,
     "The own pawn nearest ahead of the king on its file and the two beside, by rank (0: none)."},
    {Term::KingStorm, "KingStorm", Weights::KingStorm, std::size(Weights::KingStorm), 8,
     "The enemy pawn nearest ahead of the king on those files, by rank from the king's side."},
    {Term::SafeCheck, "SafeCheck", Weights::SafeCheck, std::size(Weights::SafeCheck), 4,
     "Squares from which a knight, bishop, rook or queen could check the king safely (up to "
     "three)."},
    {Term::RookOpen, "RookOpen", &Weights::RookOpen, 1, 0, "A rook on a file without pawns."},
    {Term::RookHalfOpen, "RookHalfOpen", &Weights::RookHalfOpen, 1, 0,
     "A rook on a file with enemy pawns only."},
    {Term::RookSeventh, "RookSeventh", &Weights::RookSeventh, 1, 0,
     "A rook on the seventh rank with the enemy king behind it or enemy pawns on it."},
    {Term::KnightOutpost, "KnightOutpost", &Weights::KnightOutpost, 1, 0,
     "A knight on the enemy half, defended by a pawn, that no enemy pawn can drive off."},
    {Term::BishopOutpost, "BishopOutpost", &Weights::BishopOutpost, 1, 0,
     "A bishop on such a square."},
    {Term::Hanging, "Hanging", &Weights::Hanging, 1, 0,
     "An enemy piece attacked and not defended."},
    {Term::ThreatByPawn, "ThreatByPawn", Weights::ThreatByPawn, std::size(Weights::ThreatByPawn), 4,
     "An enemy knight, bishop, rook or queen that a pawn attacks."},
    {Term::ThreatByMinor, "ThreatByMinor", Weights::ThreatByMinor,
     std::size(Weights::ThreatByMinor), 5,
     "An enemy pawn to queen attacked by a knight or bishop, undefended or worth more."},
    {Term::ThreatByRook, "ThreatByRook", Weights::ThreatByRook, std::size(Weights::ThreatByRook), 5,
     "An enemy pawn to queen attacked by a rook, undefended or a queen."},
    {Term::BishopPair, "BishopPair", &Weights::BishopPair, 1, 0, "Two bishops."},
    {Term::Tempo, "Tempo", &Weights::Tempo, 1, 0, "The move."},
};
constexpr bool TermsInOrder() {
  for (int I = 0; I < static_cast<int>(Term::Count); ++I)
    if (static_cast<int>(Terms[I].Id) != I) return false;
  return std::size(Terms) == static_cast<size_t>(Term::Count);
}
static_assert(TermsInOrder(), "the table lists every term at its own number");

// The number of the first pair of term T.
constexpr int TermOffset(Term T) {
  int Offset = 0;
  for (int I = 0; I < static_cast<int>(T); ++I) Offset += Terms[I].Size;
  return Offset;
}
constexpr int NumWeights = TermOffset(Term::Count);
