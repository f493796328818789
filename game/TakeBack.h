// The takeback stack: whole position records of the game, the start position
// at the bottom, so that a takeback is a copy and never an unmake.
#pragma once
#include <cstdint>

#include "board/Globals.h"

struct TakeBackEntry {
  DataType D;
  uint16_t M; // MoveNum of that position
  int8_t W;   // WhosMove of that position
};
constexpr int TakeBackSize = 16;
extern TakeBackEntry TakeBackStack[TakeBackSize];
extern int8_t TBIndex; // the entry holding the current position

void InitTakeBackStack();
void AddToTakeBackStack();
void TakeBackMove();
