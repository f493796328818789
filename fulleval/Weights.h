// The weights of the UCI engine's evaluation, each a pair (middlegame,
// endgame) in centipawns. tools/tune writes this file (docs/tuning.md):
// tables by square run from a1 to h8, rank 1 first, as White sees the board,
// and Black reads them mirrored; a table by rank counts from the own side.
#pragma once
#include <cstdint>

struct Pair {
  int16_t Mg, Eg;
};

// clang-format off
namespace Weights {
// What each piece is worth, pawn to queen.
constexpr Pair Material[5] = {
    { 100, 115},{ 320, 310},{ 330, 330},{ 490, 545},{ 950,1010},
};
// Pawns: the centre pawns forward in the middlegame, any pawn forward late.
constexpr Pair PawnPst[64] = {
    {   0,   0},{   0,   0},{   0,   0},{   0,   0},{   0,   0},{   0,   0},{   0,   0},{   0,   0},
    {   0,   0},{   0,   0},{   0,   0},{  -5,   0},{  -5,   0},{   0,   0},{   0,   0},{   0,   0},
    {   0,   0},{   1,   0},{   3,   0},{   5,   0},{   5,   0},{   3,   0},{   1,   0},{   0,   0},
    {   0,   3},{   3,   3},{   9,   3},{  15,   3},{  15,   3},{   9,   3},{   3,   3},{   0,   3},
    {   0,   6},{   4,   6},{  12,   6},{  20,   6},{  20,   6},{  12,   6},{   4,   6},{   0,   6},
    {   0,  10},{   4,  10},{  12,  10},{  20,  10},{  20,  10},{  12,  10},{   4,  10},{   0,  10},
    {   0,  16},{   3,  16},{   9,  16},{  15,  16},{  15,  16},{   9,  16},{   3,  16},{   0,  16},
    {   0,   0},{   0,   0},{   0,   0},{   0,   0},{   0,   0},{   0,   0},{   0,   0},{   0,   0},
};
// Knights: towards the centre, and forward in the middlegame.
constexpr Pair KnightPst[64] = {
    { -25, -20},{ -25, -20},{ -25, -20},{ -25, -20},{ -25, -20},{ -25, -20},{ -25, -20},{ -25, -20},
    { -25, -20},{  -5,  -5},{  -5,  -5},{  -5,  -5},{  -5,  -5},{  -5,  -5},{  -5,  -5},{ -25, -20},
    { -25, -20},{  -5,  -5},{  10,   8},{  10,   8},{  10,   8},{  10,   8},{  -5,  -5},{ -25, -20},
    { -20, -20},{   0,  -5},{  15,   8},{  25,  15},{  25,  15},{  15,   8},{   0,  -5},{ -20, -20},
    { -20, -20},{   0,  -5},{  15,   8},{  25,  15},{  25,  15},{  15,   8},{   0,  -5},{ -20, -20},
    { -20, -20},{   0,  -5},{  15,   8},{  15,   8},{  15,   8},{  15,   8},{   0,  -5},{ -20, -20},
    { -25, -20},{  -5,  -5},{  -5,  -5},{  -5,  -5},{  -5,  -5},{  -5,  -5},{  -5,  -5},{ -25, -20},
    { -25, -20},{ -25, -20},{ -25, -20},{ -25, -20},{ -25, -20},{ -25, -20},{ -25, -20},{ -25, -20},
};
// Bishops: the centre and the long diagonals.
constexpr Pair BishopPst[64] = {
    {  -6,  -8},{ -10,  -8},{ -10,  -8},{ -10,  -8},{ -10,  -8},{ -10,  -8},{ -10,  -8},{  -6,  -8},
    { -10,  -8},{   4,   0},{   0,   0},{   0,   0},{   0,   0},{   0,   0},{   4,   0},{ -10,  -8},
    { -10,  -8},{   0,   0},{  12,   5},{   8,   5},{   8,   5},{  12,   5},{   0,   0},{ -10,  -8},
    { -10,  -8},{   0,   0},{   8,   5},{  14,   8},{  14,   8},{   8,   5},{   0,   0},{ -10,  -8},
    { -10,  -8},{   0,   0},{   8,   5},{  14,   8},{  14,   8},{   8,   5},{   0,   0},{ -10,  -8},
    { -10,  -8},{   0,   0},{  12,   5},{   8,   5},{   8,   5},{  12,   5},{   0,   0},{ -10,  -8},
    { -10,  -8},{   4,   0},{   0,   0},{   0,   0},{   0,   0},{   0,   0},{   4,   0},{ -10,  -8},
    {  -6,  -8},{ -10,  -8},{ -10,  -8},{ -10,  -8},{ -10,  -8},{ -10,  -8},{ -10,  -8},{  -6,  -8},
};
// Rooks: the central files in the middlegame; the seventh rank has a term of its own.
constexpr Pair RookPst[64] = {
    {  -5,   0},{   0,   0},{   0,   0},{   5,   0},{   5,   0},{   0,   0},{   0,   0},{  -5,   0},
    {   0,   0},{   0,   0},{   0,   0},{   5,   0},{   5,   0},{   0,   0},{   0,   0},{   0,   0},
    {   0,   0},{   0,   0},{   0,   0},{   5,   0},{   5,   0},{   0,   0},{   0,   0},{   0,   0},
    {   0,   0},{   0,   0},{   0,   0},{   5,   0},{   5,   0},{   0,   0},{   0,   0},{   0,   0},
    {   0,   0},{   0,   0},{   0,   0},{   5,   0},{   5,   0},{   0,   0},{   0,   0},{   0,   0},
    {   0,   0},{   0,   0},{   0,   0},{   5,   0},{   5,   0},{   0,   0},{   0,   0},{   0,   0},
    {   0,   0},{   0,   0},{   0,   0},{   5,   0},{   5,   0},{   0,   0},{   0,   0},{   0,   0},
    {   0,   0},{   0,   0},{   0,   0},{   5,   0},{   5,   0},{   0,   0},{   0,   0},{   0,   0},
};
// Queens: a little centre, not too far forward early.
constexpr Pair QueenPst[64] = {
    {  -5, -10},{  -5, -10},{  -5, -10},{  -5, -10},{  -5, -10},{  -5, -10},{  -5, -10},{  -5, -10},
    {  -5, -10},{   0,   0},{   0,   0},{   0,   0},{   0,   0},{   0,   0},{   0,   0},{  -5, -10},
    {  -5, -10},{   0,   0},{   3,   6},{   3,   6},{   3,   6},{   3,   6},{   0,   0},{  -5, -10},
    {  -5, -10},{   0,   0},{   3,   6},{   5,  10},{   5,  10},{   3,   6},{   0,   0},{  -5, -10},
    {  -5, -10},{   0,   0},{   3,   6},{   5,  10},{   5,  10},{   3,   6},{   0,   0},{  -5, -10},
    { -10, -10},{  -5,   0},{  -2,   6},{  -2,   6},{  -2,   6},{  -2,   6},{  -5,   0},{ -10, -10},
    { -10, -10},{  -5,   0},{  -5,   0},{  -5,   0},{  -5,   0},{  -5,   0},{  -5,   0},{ -10, -10},
    { -10, -10},{ -10, -10},{ -10, -10},{ -10, -10},{ -10, -10},{ -10, -10},{ -10, -10},{ -10, -10},
};
// The king: behind its pawns in the middlegame, in the centre in the endgame.
constexpr Pair KingPst[64] = {
    {  15, -25},{  25, -25},{  10, -25},{ -10, -25},{  -5, -25},{ -10, -25},{  25, -25},{  15, -25},
    {  -8, -25},{  -3,   0},{ -10,   0},{ -20,   0},{ -18,   0},{ -20,   0},{  -3,   0},{  -8, -25},
    { -40, -25},{ -40,   0},{ -40,  15},{ -40,  15},{ -40,  15},{ -40,  15},{ -40,   0},{ -40, -25},
    { -50, -25},{ -50,   0},{ -50,  15},{ -50,  30},{ -50,  30},{ -50,  15},{ -50,   0},{ -50, -25},
    { -60, -25},{ -60,   0},{ -60,  15},{ -60,  30},{ -60,  30},{ -60,  15},{ -60,   0},{ -60, -25},
    { -70, -25},{ -70,   0},{ -70,  15},{ -70,  15},{ -70,  15},{ -70,  15},{ -70,   0},{ -70, -25},
    { -80, -25},{ -80,   0},{ -80,   0},{ -80,   0},{ -80,   0},{ -80,   0},{ -80,   0},{ -80, -25},
    { -90, -25},{ -90, -25},{ -90, -25},{ -90, -25},{ -90, -25},{ -90, -25},{ -90, -25},{ -90, -25},
};
// Safe squares a knight attacks: by count.
constexpr Pair KnightMobility[9] = {
    { -24, -28},{ -12, -14},{  -7,  -8},{  -3,  -4},{   0,   0},{   3,   3},{   5,   6},{   8,   9},
    {  10,  12},
};
// Safe squares a bishop attacks.
constexpr Pair BishopMobility[14] = {
    { -27, -32},{ -16, -19},{ -11, -13},{  -8,  -9},{  -5,  -6},{  -2,  -3},{   0,   0},{   2,   3},
    {   4,   5},{   6,   7},{   8,   9},{  10,  11},{  11,  13},{  13,  15},
};
// Safe squares a rook attacks.
constexpr Pair RookMobility[15] = {
    { -19, -34},{ -12, -21},{  -9, -16},{  -6, -12},{  -5,  -8},{  -3,  -5},{  -1,  -3},{   0,   0},
    {   1,   2},{   2,   5},{   4,   7},{   5,   9},{   6,  11},{   7,  12},{   8,  14},
};
// Safe squares a queen attacks.
constexpr Pair QueenMobility[28] = {
    { -14, -28},{ -10, -20},{  -8, -16},{  -7, -14},{  -6, -12},{  -5, -10},{  -4,  -8},{  -3,  -7},
    {  -3,  -5},{  -2,  -4},{  -1,  -2},{  -1,  -1},{   0,   0},{   1,   1},{   1,   2},{   2,   3},
    {   2,   4},{   3,   5},{   3,   6},{   4,   7},{   4,   8},{   4,   9},{   5,  10},{   5,  11},
    {   6,  11},{   6,  12},{   7,  13},{   7,  14},
};
// A passed pawn by its rank, counted from its own side.
constexpr Pair PassedRank[8] = {
    {   0,   0},{   0,  10},{   5,  15},{  10,  25},{  25,  45},{  50,  80},{  90, 130},{   0,   0},
};
// A passed pawn whose path to the last rank no piece blocks.
constexpr Pair PassedFree[8] = {
    {   0,   0},{   0,   0},{   0,   2},{   0,   5},{   3,  10},{   6,  20},{  10,  35},{   0,   0},
};
// Per square between the own king and the square in front of a passed pawn.
constexpr Pair PassedOwnKing[8] = {
    {   0,   0},{   0,   0},{   0,   0},{   0,  -1},{   0,  -3},{   0,  -5},{   0,  -7},{   0,   0},
};
// Per square between the enemy king and the square in front of a passed pawn.
constexpr Pair PassedEnemyKing[8] = {
    {   0,   0},{   0,   0},{   0,   0},{   0,   3},{   0,   6},{   0,  10},{   0,  15},{   0,   0},
};
// A passed pawn another pawn defends.
constexpr Pair PassedProtected = {5, 15};
// A pawn ending's passed pawn the enemy king cannot catch.
constexpr Pair PassedUnstoppable = {0, 200};
// A pawn with no own pawn on the files beside it.
constexpr Pair Isolated = {-8, -12};
// A pawn with an own pawn ahead on its file.
constexpr Pair Doubled = {-8, -18};
// A pawn no own pawn can support, whose square in front an enemy pawn holds.
constexpr Pair Backward = {-8, -8};
// A pawn beside or defended by an own pawn, by its rank.
constexpr Pair Connected[8] = {
    {   0,   0},{   2,   1},{   4,   3},{   8,   6},{  15,  12},{  25,  25},{  40,  40},{   0,   0},
};
// Attack on the king's zone by two or more pieces, by their weight and the squares they reach.
constexpr Pair KingDanger[24] = {
    {   0,   0},{  -1,  -1},{  -4,  -2},{  -9,  -3},{ -16,  -4},{ -25,  -5},{ -36,  -6},{ -49,  -7},
    { -64,  -8},{ -81,  -9},{-100, -10},{-121, -11},{-144, -12},{-169, -13},{-196, -14},{-225, -15},
    {-256, -16},{-289, -17},{-324, -18},{-361, -19},{-400, -20},{-441, -21},{-484, -22},{-529, -23},
};
// The own pawn nearest ahead of the king on its file and the two beside, by rank (0: none).
constexpr Pair KingShelter[8] = {
    { -30,   0},{  12,   0},{   8,   0},{  -2,   0},{ -10,   0},{ -15,   0},{ -20,   0},{   0,   0},
};
// The enemy pawn nearest ahead of the king on those files, by rank from the king's side.
constexpr Pair KingStorm[8] = {
    {   0,   0},{  -5,   0},{ -25,   0},{ -15,   0},{  -8,   0},{  -3,   0},{   0,   0},{   0,   0},
};
// Squares from which a knight, bishop, rook or queen could check the king safely (up to three).
constexpr Pair SafeCheck[4] = {
    {  30,   5},{  20,   5},{  35,   5},{  25,   5},
};
// A rook on a file without pawns.
constexpr Pair RookOpen = {40, 10};
// A rook on a file with enemy pawns only.
constexpr Pair RookHalfOpen = {18, 8};
// A rook on the seventh rank with the enemy king behind it or enemy pawns on it.
constexpr Pair RookSeventh = {15, 25};
// A knight on the enemy half, defended by a pawn, that no enemy pawn can drive off.
constexpr Pair KnightOutpost = {25, 12};
// A bishop on such a square.
constexpr Pair BishopOutpost = {15, 6};
// An enemy piece attacked and not defended.
constexpr Pair Hanging = {25, 15};
// An enemy knight, bishop, rook or queen that a pawn attacks.
constexpr Pair ThreatByPawn[4] = {
    {  50,  40},{  50,  40},{  70,  50},{  70,  50},
};
// An enemy pawn to queen attacked by a knight or bishop, undefended or worth more.
constexpr Pair ThreatByMinor[5] = {
    {   5,  15},{  20,  25},{  20,  25},{  45,  50},{  45,  50},
};
// An enemy pawn to queen attacked by a rook, undefended or a queen.
constexpr Pair ThreatByRook[5] = {
    {   3,  15},{  20,  30},{  20,  30},{  15,  20},{  45,  50},
};
// Two bishops.
constexpr Pair BishopPair = {30, 50};
// The move.
constexpr Pair Tempo = {20, 10};
} // namespace Weights
// clang-format on
