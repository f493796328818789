// Attack detection on a position record: the attacker's pieces come from its lists and
// are tested against the target square by arithmetic; sliders walk the line.
#pragma once
#include <cstdint>

#include "board/Types.h"

// Whether a piece of side Enemy (BMove: black; anything else: white) attacks
// MySq on D. What stands on MySq is not looked at.
bool Attacked(const DataType &D, int8_t MySq, int8_t Enemy);
// Whether side Who's king is attacked on D; false when that king is not on the board.
bool InCheck(const DataType &D, int8_t Who);
// Whether Side, to move on D, could take the other side's king: the other
// side has left it attacked, which no game reaches, so no door lets it in.
bool KingCanBeTaken(const DataType &D, int8_t Side);
