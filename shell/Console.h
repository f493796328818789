// The console's own state: the command line, its settings for the computer's
// moves, whose turn it is at the keyboard, and the quit flag.
#pragma once
#include <cstdint>

#include "platform/FixedStr.h"

extern Str255 CmdStr;      // the current command line, upper-cased
extern uint16_t MoveTime;  // seconds per computer move
extern uint8_t FixedDepth; // NoFixedDepth: none
extern bool HumansMove;    // the next move is typed by the human
extern bool Quit;          // set by command Q (and by the end of the input)

// The settings and turn as at program start.
void ResetConsole();
// S with its letters a..z in upper case, as the console reads every line.
Str255 UpperCase(const Str255 &S);
