// Moves of the game's position in standard algebraic notation, as a game
// record (PGN) writes them.
#pragma once
#include "platform/FixedStr.h"

// "Nbd7", "exd6", "e8=Q", "O-O-O": at most seven characters and the NUL, with
// room for the check mark added after the move is played.
constexpr int SanSize = 9;

// The SAN of the legal move Text (engine text, "E7E8") of the game's position,
// without the check mark; a pawn reaching the last rank becomes a queen, as
// the console plays it. False, with San empty, when Text is no legal move.
bool MoveSAN(const ShortStr &Text, char (&San)[SanSize]);
// Whether the side to move of the game's position has a legal move.
bool SideToMoveCanMove();
