// The record of the console's games for `torvane3 --pgn FILE`: every game is
// appended to FILE as PGN when it ends by mate or stalemate, when it is left
// (N, R, S, Q) and at the end of the input. Without the option nothing here
// acts, and the console plays as it always has.
//
// The record is the game as its list stands (game/History.h): a takeback
// removes the moves it takes back. A game already written (a mate, say) is
// written again only when a move is played after it, and then in full as a
// game of its own; taking back alone never writes it twice. A takeback past
// R or S (which keep the older positions to step back to) returns to the game
// before it, which was written when it was left.
#pragma once
#include "game/Game.h"
#include "platform/FixedStr.h"

// Starts recording into Path (kept, not copied). False when the file cannot
// be appended to: the games are played unrecorded, and the reason is shown
// as the console's message once the board is drawn.
bool PgnOpen(const char *Path);
// Stops recording (for the tests: each starts without a record).
void PgnClose();

// A new game begins at the game's position (N, and at start-up).
void PgnGameStart();
// PlayMove for the console, the move marked as the computer's or the human's.
MoveRefusal PlayRecorded(const ShortStr &Text, bool ByComputer);
// The console's takeback (B): the record keeps the moves that lead to the
// position.
void PgnTakeBack();
// The game is left (N, Q): written unless it has no move or stands as written.
void PgnGameLeft();
// R or S has set a position up: the game before it is left, and a new one
// begins there, named by its SetUp and FEN tags.
void PgnSetUpMade();
// The reason the file could not be used, as the console's message.
void PgnShowStartUpMessage();
// Why the last game could not be written, or null (said on stderr at exit).
const char *PgnLastFailure();
