// The engine's options: the list the uci command announces and setoption.
#pragma once
#include <cstdint>

namespace Uci {

extern bool OwnBook;
// The console's evaluation and search instead of the engine's own.
extern bool ConsoleEngine;
extern bool TableResident; // the table was made resident (or is being made) since its last resize
// The table is kept between the searches of a game. A new game or Clear Hash
// empties it at the next isready, which the interface waits for, or else at
// the start of the next search, on that move's clock.
extern bool ClearPending;
extern char BookPath[256];
// A missing book is said once, and again after BookFile is set.
extern bool BookMissingSaid;
extern uint8_t MultiPV; // lines shown by each search, the best first
// A strength level: on, its Elo, and the seed of its noise (0: a new one
// from the clock for each game).
extern bool LimitStrengthOn;
extern uint16_t LevelElo;
extern uint64_t LevelSeedOption;
extern uint8_t Threads; // threads a search uses, as far as the system gave them

void CmdUci();
void CmdSetOption(); // on the words of the line taken

} // namespace Uci
