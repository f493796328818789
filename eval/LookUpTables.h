// The seven piece-square tables, in centipawns, seen from White's side. Each is
// indexed -1..63: -1 is what a free list slot holds and reads 0, so a caller
// may add the entry of every slot of a list without testing it. Black pieces
// read the entry of Flip(square).
#pragma once
#include <cstdint>

#include "board/Types.h"

namespace PSTDetail {
// 65 entries: [0] is square -1, [1 + s] is square s.
template <typename T> struct Table { T V[65]; };

// The tables are written as diagrams, rank 8 on top, so that the source reads
// like a board; this turns a diagram into the indexed layout.
template <typename T> constexpr Table<T> FromDiagram(const T (&Diagram)[64]) {
  Table<T> R{};
  R.V[0] = 0;
  for (int Sq = 0; Sq < 64; ++Sq) R.V[1 + Sq] = Diagram[(7 - Sq / 8) * 8 + Sq % 8];
  return R;
}

// clang-format off
inline constexpr Table<int8_t> Pawn = FromDiagram<int8_t>({
   99,  99,  99,  99,  99,  99,  99,  99,
   50,  50,  50,  50,  50,  50,  50,  50,
   10,  10,  20,  30,  30,  20,  10,  10,
    5,   5,  10,  25,  25,  10,   5,   5,
    0,   0,   0,  20,  20,   0,   0,   0,
    5,  -5, -10,   0,   0, -10,  -5,   5,
    5,  10,  10, -20, -20,  10,  10,   5,
    0,   0,   0,   0,   0,   0,   0,   0});

inline constexpr Table<int16_t> Knight = FromDiagram<int16_t>({
  -50, -40, -30, -30, -30, -30, -40, -50,
  -40, -20,   0,   5,   5,   0, -20, -40,
  -30,   0,  10,  15,  15,  10,   0, -30,
  -30,   5,  15,  20,  20,  15,   5, -30,
  -30,   0,  15,  20,  20,  15,   0, -30,
  -30,   5,  10,  15,  15,  10,   5, -30,
  -40, -20,   0,   5,   5,   0, -20, -40,
  -50, -40, -30, -30, -30, -30, -40, -50});

inline constexpr Table<int16_t> Bishop = FromDiagram<int16_t>({
  -20, -10, -10, -10, -10, -10, -10, -20,
  -10,   0,   0,   0,   0,   0,   0, -10,
  -10,   0,   5,  10,  10,   5,   0, -10,
  -10,   5,   5,  10,  10,   5,   5, -10,
  -10,   0,  10,  10,  10,  10,   0, -10,
  -10,  10,  10,  10,  10,  10,  10, -10,
  -10,   5,   0,   0,   0,   0,   5, -10,
  -20, -10, -10, -10, -10, -10, -10, -20});

// Not mirror-symmetric (h2 and h4 are 0): kept as tuned.
inline constexpr Table<int16_t> Rook = FromDiagram<int16_t>({
    0,   0,   0,   0,   0,   0,   0,   0,
    5,  10,  10,  10,  10,  10,  10,   5,
   -5,   0,   0,   0,   0,   0,   0,  -5,
   -5,   0,   0,   0,   0,   0,   0,  -5,
   -5,   0,   0,   0,   0,   0,   0,   0,
   -5,   0,   0,   0,   0,   0,   0,  -5,
   -5,   0,   0,   0,   0,   0,   0,   0,
    0,   0,   0,   0,   0,   0,   0,   0});

inline constexpr Table<int16_t> Queen = FromDiagram<int16_t>({
  -20, -10, -10,  -5,  -5, -10, -10, -20,
  -10,   0,   0,   0,   0,   0,   0, -10,
  -10,   0,   5,   5,   5,   5,   0, -10,
   -5,   0,   5,   5,   5,   5,   0,  -5,
    0,   0,   5,   5,   5,   5,   0,   0,
  -10,   5,   5,   5,   5,   5,   5, -10,
  -10,   0,   5,   0,   0,   5,   0, -10,
  -20, -10, -10,  -5,  -5, -10, -10, -20});

inline constexpr Table<int16_t> KingMG = FromDiagram<int16_t>({
  -30, -40, -40, -50, -50, -40, -40, -30,
  -30, -40, -40, -50, -50, -40, -40, -30,
  -30, -40, -40, -50, -50, -40, -40, -30,
  -30, -40, -40, -50, -50, -40, -40, -30,
  -20, -30, -30, -40, -40, -30, -30, -20,
  -10, -20, -20, -20, -20, -20, -20, -10,
   20,  20,   0,   0,   0,   0,  20,  20,
   20,  30,  10,   0,   0,  10,  30,  20});

// Not mirror-symmetric either (d5 is 10, e5 15): kept as tuned.
inline constexpr Table<int16_t> KingEG = FromDiagram<int16_t>({
  -15, -10, -10, -10, -10, -10, -10, -15,
  -10, -10,   0,   0,   0,   0, -10, -10,
  -10,  -2,   7,  10,  10,   7,  -2, -10,
  -10,  -2,  10,  10,  15,  10,  -2, -10,
  -10,  -2,  10,  15,  15,  10,  -2, -10,
  -10,  -2,   7,  10,  10,   7,  -2, -10,
  -10, -10,   0,   0,   0,   0, -10, -10,
  -15, -10, -10, -10, -10, -10, -10, -15});
// clang-format on
} // namespace PSTDetail

// Indexable by -1..63.
inline constexpr const int8_t *PST_Pawn = PSTDetail::Pawn.V + 1;
inline constexpr const int16_t *PST_Knight = PSTDetail::Knight.V + 1;
inline constexpr const int16_t *PST_Bishop = PSTDetail::Bishop.V + 1;
inline constexpr const int16_t *PST_Rook = PSTDetail::Rook.V + 1;
inline constexpr const int16_t *PST_Queen = PSTDetail::Queen.V + 1;
inline constexpr const int16_t *PST_King_MG = PSTDetail::KingMG.V + 1;
inline constexpr const int16_t *PST_King_EG = PSTDetail::KingEG.V + 1;

// The table entry at Sq (-1..63, used as given: the caller mirrors for Black)
// of the table that code P's piece type selects; the king's table is the
// endgame's when EndGame is set. Codes of either colour select the same table; 0 and the
// unused codes read 0.
inline int16_t PST(int8_t P, int8_t Sq, bool EndGame) {
  switch (P & 7) {
  case WPawn:
    return PST_Pawn[Sq];
  case WNight:
    return PST_Knight[Sq];
  case WBishop:
    return PST_Bishop[Sq];
  case WRook:
    return PST_Rook[Sq];
  case WQueen:
    return PST_Queen[Sq];
  case WKing:
    return EndGame ? PST_King_EG[Sq] : PST_King_MG[Sq];
  default:
    return 0;
  }
}
