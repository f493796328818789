// The console's evaluation breakdown (command E): the figures diag/ works
// out, drawn on the whole screen.
#pragma once

#include "board/Types.h"

// Command E: the piece-square breakdown of the evaluation of the position the
// engine looks at; waits for Enter, then clears the screen.
void DisplayEval();
// The packed board of D as numbers, rank 8 first, at the cursor.
void DisplayBoard(const DataType &D);
// An empty line, then the pawn and piece lists of D, at the cursor.
void DisplayPieceLists(const DataType &D);
