// A new game: the start position in Data[0] and everything reset around it.
#pragma once

// Start position in Data[0], Ply 0, White to move, MoveNum 0, fresh keys, an
// empty table, the book back in use and the takeback stack holding the start
// position. HumansMove is left alone.
void SetupStartPosition();
