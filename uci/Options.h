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
// The table's pages are made resident from the session's first command on
// (or the first isready, ping or search after a resize), on a thread of their
// own; isready and ping wait for them, at most ReadyTableMs for 2 MiB pages,
// so that a search after readyok or pong shares the machine with no one. A
// search that no such command came before starts at once, beside them.
constexpr uint32_t ReadyTableMs = 1000;
void ReadyTable(); // starts them, or empties the table when a clear is pending
extern char BookPath[256];
// A missing book is said once, and again after BookFile is set.
extern bool BookMissingSaid;
// The engine's messages and the book line it chose, as notes of either protocol.
void SayEngineMessage(const char *S);
void SayBookLine(const char *L);
extern uint8_t MultiPV; // lines shown by each search, the best first
// A strength level: on, its Elo, and the seed of its noise (0: a new one
// from the clock for each game).
extern bool LimitStrengthOn;
extern uint16_t LevelElo;
extern uint64_t LevelSeedOption;
extern uint8_t Threads; // threads a search uses, as far as the system gave them

void CmdUci();
void CmdSetOption(); // on the words of the line taken
// The option Name (any case) set to Value (null: none, as for a button);
// what cannot be set is said and leaves the option as it was.
void SetOption(const char *Name, const char *Value);

} // namespace Uci
