// Developer dumps of internal state, and the figures of the evaluation
// breakdown that the console's command E shows. The file dumps are entry
// points for the developer only.
#pragma once
#include <cstdint>

#include "board/Globals.h"

// Names of the piece codes 0..14 as the history dump writes them.
inline constexpr const char *PieceTypeStr[15] = {
    "", "Wpawn", "Wknight", "Wbishop", "Wrook", "Wqueen", "Wking", "",
    "", "Bpawn", "Bknight", "Bbishop", "Brook", "Bqueen", "Bking"};

// Entries 1..Index of MoveList[Ply] into MoveList.txt, replacing the file.
// False when the file could not be created or written completely; nothing is
// reported, since the terminal belongs to the game.
bool WriteMoveList(uint8_t Index);
// Every non-zero history counter of codes 1..14 into History.txt, replacing
// the file; false as for WriteMoveList.
bool WriteHistoryTable();
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
// The evaluation of Data[Ply] broken down by piece-square table.
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
EvalBreakdown GetEvalBreakdown();
