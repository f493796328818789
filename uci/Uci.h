// The engine behind the UCI protocol: a graphical interface or a match runner
// sends commands on one descriptor and reads the answers on another. Only the
// front end differs from the console game: the same book, search, evaluation
// and table play the moves.
#pragma once
#include <cstdint>

// The UCI move text of an engine move text ("E7E8" -> "e7e8q" when a pawn
// stands on E7 in Squares, which holds piece codes indexed by square).
// Out gets at most 5 characters and a NUL.
void UciMoveText(const int8_t Squares[64], const char *EngineMove, char (&Out)[6]);

// Reads commands from InFd and answers on OutFd until "quit", the end of the
// input, or a write that fails (the interface has gone). Returns the exit
// status: 0 in all of those cases.
int RunUci(int InFd, int OutFd);
