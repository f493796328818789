#include "game/TakeBack.h"

#include <cstring>

#include "board/Board.h"
#include "board/Zorbist.h"
#include "game/Game.h"
#include "hash/TT.h"
#include "moves/GenMoves.h"
#include "search/Counters.h"

TakeBackEntry TakeBackStack[TakeBackSize];
int8_t TBIndex = -1;

void InitTakeBackStack() {
  std::memset(static_cast<void *>(TakeBackStack), 0, sizeof TakeBackStack);
  TBIndex = -1;
  AddToTakeBackStack();
}

void AddToTakeBackStack() {
  if (TBIndex < TakeBackSize) ++TBIndex;
  if (TBIndex == TakeBackSize) {
    // Full: entry 1 is dropped, the oldest position stays at the bottom.
    for (int I = 1; I <= TakeBackSize - 2; ++I) TakeBackStack[I] = TakeBackStack[I + 1];
    TBIndex = TakeBackSize - 1;
  }
  TakeBackStack[TBIndex] = {Data[Ply], MoveNum, WhosMove};
}

void TakeBackMove() {
  if (MoveNum > 0) {
    if (TBIndex > 0) --TBIndex;
    const TakeBackEntry &E = TakeBackStack[TBIndex];
    Data[Ply] = E.D;
    // The entry's key was made under the key table of its day; R, S and N
    // draw a new one since, and the restored position must match it.
    Data[Ply].HashKey = CalcBrdKey();
    MoveNum = E.M;
    WhosMove = E.W;
    if (InLibrary) OpeningStr.DropLast(4);
  }
  ClearPV();
  ClearHistory();
  ZeroTTsOnSetUp();
}
