#include "diag/BenchPositions.h"

#include "board/Zorbist.h"
#include "platform/Random.h"
#include "search/Search.h"

SearchLimits PrepareBenchSearch(uint8_t Depth) {
  SetFixedSeed(BenchSeed);
  InitZorbistBoard();
  return FixedDepthLimits(Depth);
}
