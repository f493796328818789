#include "diag/BenchPositions.h"

#include "board/Zorbist.h"
#include "platform/Random.h"
#include "search/Search.h"

SearchLimits PrepareBenchSearch(DataType &Root, uint8_t Depth) {
  SetFixedSeed(BenchSeed);
  InitZorbistBoard(Root);
  return FixedDepthLimits(Depth);
}
