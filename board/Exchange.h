// The static exchange on one square: what a capture (or a move) wins or
// loses once every piece that bears on the square has taken in turn, each
// side taking with its cheapest piece first and stopping when that pays.
#pragma once
#include <cstdint>

#include "board/Types.h"

// The exchange's values, pawn = 100; a king is worth more than all the rest,
// so it takes last, and only where nothing takes it back.
constexpr int ExchangeValue[7] = {0, 100, 320, 330, 500, 900, 20000};

// What the side whose piece stands on From gains by moving it to To and
// letting the exchange run there (the victim on To, or the pawn taken en
// passant; 0 for a quiet move that is not taken back). A pawn reaching the
// last rank is counted as a pawn.
int StaticExchange(const DataType &D, int8_t From, int8_t To);
