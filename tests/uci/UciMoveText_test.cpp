#include <gtest/gtest.h>

#include "uci/Uci.h"

namespace {

TEST(UciMoveText, LowerCaseWithTheQueenLetterOnPromotions) {
  int8_t Squares[64] = {};
  Squares[52] = 1; // white pawn e7
  Squares[9] = 9;  // black pawn b2
  Squares[12] = 1; // white pawn e2
  Squares[4] = 6;  // white king e1
  const struct {
    const char *Engine, *Uci;
  } Cases[] = {{"E7E8", "e7e8q"}, {"E7D8", "e7d8q"}, {"B2A1", "b2a1q"},
               {"E2E4", "e2e4"},  {"E1G1", "e1g1"},  {"A1A1", "a1a1"}};
  for (const auto &C : Cases) {
    char Out[6];
    UciMoveText(Squares, C.Engine, Out);
    EXPECT_STREQ(Out, C.Uci) << C.Engine;
  }
}

} // namespace
