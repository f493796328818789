// The main program's loop and its commands.
#pragma once
#include "board/Types.h"
#include "platform/FixedStr.h"

extern MoveRec MyMove; // the computer's last move

// Start-up after the terminal is ready: clear, new game, draw, then the loop
// until Q.
void RunGame();
// One pass of the loop.
void GamePass();
void ReadLnCmd(ShortStr &S);
bool IsMoveCmd(const Str4 &S);
void SetTime(const Str4 &S);
void SetDepth(const Str4 &S);
