#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "TestUtil.h"
#include "game/Engine.h"
#include "search/Counters.h"

namespace {

// What a front end's ShowInfo sees of the reported line: each playable move
// with the piece that stands on its from-square in the position handed with
// it, so that the queen made on a8 is seen moving on; the walk ends at the
// first move that cannot be played, or at Len, and leaves the game as it was.
std::string Walked;
void Record(const DataType &Before, const Str4 &Move, uint32_t Index) {
  const int8_t From = static_cast<int8_t>((Move[1] - '1') * 8 + (Move[0] - 'A'));
  Walked +=
      std::to_string(Index) + ":" + Move.c_str() + "/" + PieceLetter[PieceOn(Before, From)] + " ";
}

TEST(WalkReportedLine, HandsEachMoveItsPosition) {
  const struct {
    const char *Line[4];
    uint32_t Len;
    const char *Walked;
  } Cases[] = {
      {{"A7A8", "E8D7", "A8A1"}, 3, "0:A7A8/P 1:E8D7/k 2:A8A1/Q "},
      {{"A7A8", "E8D7", "A8A1"}, 2, "0:A7A8/P 1:E8D7/k "},
      {{"A7A8", "E8E7", "E7E6"}, 3, "0:A7A8/P 1:E8E7/k "}, // Black moves twice
      {{"E1E2", "", "A7A8"}, 3, "0:E1E2/K "},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Walked);
    SetFen("4k3/P7/8/8/8/8/8/4K3 w -");
    for (int I = 0; I < 4; ++I) PV[0][I] = C.Line[I] ? C.Line[I] : "";
    DataType Game;
    std::memcpy(static_cast<void *>(&Game), &Data[0], sizeof Game);
    Walked.clear();
    const uint32_t N = WalkReportedLine(C.Len, Record);
    EXPECT_EQ(Walked, C.Walked);
    EXPECT_EQ(N, static_cast<uint32_t>(std::count(Walked.begin(), Walked.end(), ' ')));
    EXPECT_EQ(std::memcmp(&Game, &Data[0], sizeof Game), 0);
    EXPECT_EQ(Ply, 0);
    EXPECT_EQ(WalkReportedLine(C.Len, nullptr), N);
  }
}

} // namespace
