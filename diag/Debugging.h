// Developer dumps of internal state and the evaluation breakdown screen. The
// file dumps are entry points for the developer only; the console listings
// draw at the cursor and are used by the breakdown screen.
#pragma once
#include <cstdint>

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
// The packed board of Data[Ply] as numbers, rank 8 first, at the cursor.
void DisplayBoard();
// An empty line, then the pawn and piece lists of Data[Ply], at the cursor.
void DisplayPieceLists();
// Command E: the piece-square breakdown of the evaluation of Data[Ply]; waits
// for Enter, then clears the screen.
void DisplayEval();
