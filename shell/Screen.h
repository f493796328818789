// The console screen: the board window, the menu, the status line, one-line
// messages, and the console's side of the engine's front-end seam.
#pragma once

// Redraws the board window, the menu window and the status line from
// the game's position, FixedDepth and MoveTime; leaves the full screen as the window and
// low video in effect.
void DisplayTheBoard();
// The console's message: S and ": (Press any key)" at column 49, row 14, a wait
// for a key (left pending), then the row is cleared.
void ConsoleErrorMsg(const char *S);
// Installs the console's screen as the engine's front end.
void InstallConsoleFrontEnd();
