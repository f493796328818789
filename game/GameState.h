// The game's own record, for the game layer alone: the front ends read the
// game through game/Game.h and change it through its calls. The position
// stack is the one the main search thread works on, so that the game's
// position is the root of every search (Data[0]).
#pragma once
#include <cstdint>

#include "platform/FixedStr.h"
#include "search/SearchState.h"

struct GameState {
  SearchState St;        // the game's position in St.Data[0], its side to move in St.WhosMove
  Str255 OpeningStr;     // moves played while the book is in use
  bool InLibrary = true; // the opening book is still consulted
  uint16_t MoveNum = 0;  // half-moves made since the position was set up; a takeback steps back
  int8_t TBIndex = 0;    // the console's takeback push holding the current position, 0: the start

  // The record at the stack's current ply: the game's position between
  // searches, when the ply is 0.
  DataType &Here() { return St.Data[St.Ply]; }
};
extern constinit GameState Game;
