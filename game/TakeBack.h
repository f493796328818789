// The console's takeback: a view of the game's list (game/History.h) as a
// stack of at most 16 positions, the game's start at the bottom. Every pass
// of the console with a move text pushes, a refused text and a turn without
// a move too; B steps back to the position pushed before, across set-ups
// (R and S push nothing), and once more than 15 pushes were made the oldest
// ones can no longer be stepped to: B then returns straight to the start.
#pragma once
#include <cstdint>

#include "board/Types.h"

// A new game: the list begins at the game's position, which the stack's
// bottom holds.
void InitTakeBackStack();
// The stack's bottom is the game's position (a game set up by UCI).
void ResetTakeBackView();
// The end of a console pass with the move text Text: a pass that played no
// move records one, so that a takeback steps over it as over a move.
void AddToTakeBackStack(const ShortStr &Text);
// Back to the position pushed before, or to the bottom; with no move made
// (Game.MoveNum 0) only the line, history and table are cleared, as they always are.
void TakeBackMove();
