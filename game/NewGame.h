// A new game: the start position in Game.St.Data[0] and everything reset around it.
#pragma once

// Start position in Game.St.Data[0], Game.St.Ply 0, White to move, Game.MoveNum 0, fresh keys, an
// empty table, the book back in use and the takeback stack holding the start
// position. Whose turn it is at the keyboard is the front end's affair.
void SetupStartPosition();
