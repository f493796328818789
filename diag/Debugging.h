// Developer dumps of internal state, and the figures of the evaluation
// breakdown that the console's command E shows. The file dumps are entry
// points for the developer only.
#pragma once
#include <cstdint>

#include "board/Types.h"

// Names of the piece codes 0..14 as the history dump writes them.
inline constexpr const char *PieceTypeStr[15] = {
    "", "Wpawn", "Wknight", "Wbishop", "Wrook", "Wqueen", "Wking", "",
    "", "Bpawn", "Bknight", "Bbishop", "Brook", "Bqueen", "Bking"};

struct PositionStack;

// Entries 1..Index of St's move list at St.Ply into MoveList.txt, replacing
// the file. False when the file could not be created or written completely;
// nothing is reported, since the terminal belongs to the game.
bool WriteMoveList(const PositionStack &St, uint8_t Index);
// Every non-zero history counter of codes 1..14 of St into History.txt,
// replacing the file; false as for WriteMoveList.
bool WriteHistoryTable(const PositionStack &St);
// One entry of the breakdown: a square (-1 for a free slot) and what the
// piece-square table gives there.
struct EvalEntry {
  int8_t Sq;
  int16_t Value;
};
// White's entry and Black's, read on the mirrored square, of one row.
struct EvalPair {
  EvalEntry W, B;
};
// The evaluation of D broken down by piece-square table, the king's from the
// table that EndGame picks (the last search's choice).
struct EvalBreakdown {
  // The record the figures are of, its extra counts cut to the lists' size,
  // so that the board and the lists can be shown beside them.
  DataType Position;
  EvalPair Pawns[8];     // the pawn lists, entry by entry
  EvalPair Pieces[2][4]; // slot 0, then slot 1: knight, bishop, rook, queen
  EvalPair Kings;        // from the king table that EndGame chose
  // White's pairs less Black's, the kings twice as in the evaluation, and
  // the pieces beyond the two slots.
  int16_t Positional;
  int16_t Material;
  bool EndGame; // the position counts as an endgame now
};
EvalBreakdown GetEvalBreakdown(const DataType &D, bool EndGame);
