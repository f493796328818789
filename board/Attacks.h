// Attack detection on Data[Ply]: the attacker's pieces come from its lists and
// are tested against the target square by arithmetic; sliders walk the line.
#pragma once
#include <cstdint>

#include "board/Globals.h"

// Whether a piece of side Enemy (BMove: black; anything else: white) attacks
// MySq on D. What stands on MySq is not looked at.
bool Attacked(const DataType &D, int8_t MySq, int8_t Enemy);
// Whether side Who's king is attacked on D; false when that king is not on the board.
bool InCheck(const DataType &D, int8_t Who);
// The same on the game's record.
inline bool Attacked(int8_t MySq, int8_t Enemy) { return Attacked(Data[Ply], MySq, Enemy); }
inline bool InCheck(int8_t Who) { return InCheck(Data[Ply], Who); }
// Whether the side to move could take the other side's king: the other side
// has left it attacked, which no game reaches, so no door lets it in.
bool KingCanBeTaken();
