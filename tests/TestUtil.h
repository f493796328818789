// Shared helpers of the unit tests: positions are written as FEN so that a
// test reads like a chess diagram.
#pragma once
#include "board/Globals.h"

// A fresh game state (start position, White to move, human at the keyboard,
// default limits), then the FEN position in Data[0]. Fails the test on a bad FEN.
void SetFen(const char *Fen);
// The start position and default game settings, as at program start.
void ResetGame();
// The FEN placement of Data[Ply], side and castling (WriteFEN's format).
const char *BoardFen();
