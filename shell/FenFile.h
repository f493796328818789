// The console's position file game.fen: W writes the position to it, R reads
// it back. A damaged file is refused and the game goes on unchanged.
#pragma once

constexpr const char *FenFileName = "game.fen";

// Command W: writes the game's position and side to move to game.fen.
void WriteFEN();
// Command R: reads game.fen, or shows why it cannot; true when the game's
// position is now the file's.
bool ReadFEN();
