#include "shell/InfoPanel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "../TestUtil.h"
#include "board/Types.h"
#include "platform/MemScreen.h"
#include "platform/Terminal.h"
#include "seam/Seam.h"

namespace {

class InfoPanelTest : public ::testing::Test {
protected:
  MemScreen Screen;

  void SetUp() override {
    ResetGame();
    UseDevice(&Screen);
    for (auto &Row : Game.St.PV)
      for (Str4 &M : Row) M.Clear();
  }
  void TearDown() override { UseDevice(nullptr); }

  // Columns From..To of a screen row.
  std::string Text(int Row, int From, int To) const {
    return std::string(Screen.Row(Row, From)).substr(0, static_cast<std::size_t>(To - From + 1));
  }
  // The whole width of the panel (columns 49..79) on a screen row.
  std::string Panel(int Row) const { return Text(Row, 49, 79); }
  static std::string Pad(const std::string &S, std::size_t Width = 31) {
    return S + std::string(Width - S.size(), ' ');
  }

  // Fills every cell with 'x', so a test sees which cells were written or cleared.
  void Scribble() {
    for (int Row = 1; Row <= ScreenRows; ++Row) {
      GotoXY(1, Row);
      Write(std::string(ScreenCols, 'x').c_str());
    }
  }

  static SearchInfo Info() {
    SearchInfo I{};
    I.Nodes = 1000;
    I.QNodes = 3000;
    I.BetaCuts = 7;
    I.NullCuts = 8;
    I.TTHits = 345;
    I.ExactTTHits = 12;
    I.PVScore = 25;
    I.PV = Game.St.PV[0];
    I.PVLegal = MaxPly + 1;
    I.EBF = 3.14;
    I.Time = 2;
    I.Depth = 3;
    return I;
  }
};

TEST_F(InfoPanelTest, DrawsEveryRowInsideThePanelWindow) {
  Game.St.PV[0][0] = "E2E4";
  Game.St.PV[0][1] = "E7E5";
  Game.St.PV[0][2] = "G1F3";
  Scribble();
  WriteInfoToScreen(Info());

  EXPECT_EQ(Panel(2), Pad("Nodes:            1000"));
  EXPECT_EQ(Panel(3), Pad("QNodes:           3000  75%"));
  EXPECT_EQ(Panel(4), Pad("NPS:              2000"));
  EXPECT_EQ(Panel(5), Pad("EBF:               3.1"));
  EXPECT_EQ(Panel(6), Pad("Beta Cuts:           7"));
  EXPECT_EQ(Panel(7), Pad("Null Cuts:           8"));
  EXPECT_EQ(Panel(8), Pad("TT Hits:    12/    345"));
  EXPECT_EQ(Panel(9), Pad("Time Used:           2"));
  EXPECT_EQ(Panel(10), Pad("Depth:               3"));
  EXPECT_EQ(Panel(11), Pad("Score:              25"));
  EXPECT_EQ(Panel(12), Pad(""));
  // Nothing outside the window: the columns either side and the rows above
  // and below keep what they held.
  for (int Row = 2; Row <= 12; ++Row) {
    EXPECT_EQ(Screen.At(48, Row).Ch, 'x') << Row;
    EXPECT_EQ(Screen.At(80, Row).Ch, 'x') << Row;
  }
  EXPECT_EQ(Text(13, 49, 80), std::string(32, 'x'));
  // Not an endgame and no endgame search: the marker cell is left alone.
  EXPECT_EQ(Text(1, 1, 2), "xx");
  EXPECT_EQ(Text(23, 1, 1), "x");
  EXPECT_EQ(Text(23, 2, 80), Pad("PV:  E2E4 E7E5 G1F3", 79));
  EXPECT_EQ(Text(24, 1, 5), "xxxxx");
  EXPECT_EQ(Text(24, 6, 80), std::string(75, ' '));
  EXPECT_EQ(Text(25, 1, 80), std::string(80, 'x'));
}

TEST_F(InfoPanelTest, LeavesTheFullScreenAsTheWindow) {
  WriteInfoToScreen(Info());
  GotoXY(80, 25);
  Write('Z');
  EXPECT_EQ(Screen.At(80, 25).Ch, 'Z');
}

struct CountCase {
  uint64_t Nodes, QNodes;
  uint32_t Time;
  const char *QNodesRow, *NPSRow;
};

TEST_F(InfoPanelTest, QuiescenceShareAndSpeed) {
  const CountCase Cases[] = {
      {1000, 3000, 2, "QNodes:           3000  75%", "NPS:              2000"},
      {1000, 3000, 0, "QNodes:           3000  75%", "NPS:                 0"},
      // 62.5 and 87.5 and 12.5: halves go to the even neighbour.
      {3, 5, 1, "QNodes:              5  62%", "NPS:                 8"},
      {1, 7, 1, "QNodes:              7  88%", "NPS:                 8"},
      {7, 1, 3, "QNodes:              1  12%", "NPS:                 2"},
      {1, 0, 1, "QNodes:              0   0%", "NPS:                 1"},
      // No full-width nodes: no share at all, and no division by zero.
      {0, 5000, 4, "QNodes:           5000", "NPS:              1250"},
      {0, 0, 0, "QNodes:              0", "NPS:                 0"},
  };
  for (const CountCase &C : Cases) {
    SearchInfo I = Info();
    I.Nodes = C.Nodes;
    I.QNodes = C.QNodes;
    I.Time = C.Time;
    WriteInfoToScreen(I);
    SCOPED_TRACE(testing::Message() << C.Nodes << " " << C.QNodes << " " << C.Time);
    EXPECT_EQ(Panel(3), Pad(C.QNodesRow));
    EXPECT_EQ(Panel(4), Pad(C.NPSRow));
  }
}

struct ScoreCase {
  int16_t PVScore;
  int8_t Side;
  const char *Row;
};

TEST_F(InfoPanelTest, ScoreRowByTheSizeOfTheScore) {
  const ScoreCase Cases[] = {
      {9999, WMove, "***** Check Mate *****"},  {9999, BMove, "***** Check Mate *****"},
      {-9999, WMove, "***** Check Mate *****"}, {-9997, WMove, "Mate in:             3"},
      {9981, BMove, "Mate in:            19"},  {10000, WMove, "Mate in:             0"},
      {9980, BMove, "Score:           -9980"},  {9980, WMove, "Score:            9980"},
      {-9980, BMove, "Score:            9980"}, {50, BMove, "Score:             -50"},
      {50, WMove, "Score:              50"},    {0, BMove, "Score:               0"},
  };
  for (const ScoreCase &C : Cases) {
    Game.St.WhosMove = C.Side;
    SearchInfo I = Info();
    I.PVScore = C.PVScore;
    Scribble();
    WriteInfoToScreen(I);
    SCOPED_TRACE(testing::Message() << C.PVScore << " side " << int{C.Side});
    EXPECT_EQ(Panel(11), Pad(C.Row));
  }
}

struct EBFCase {
  double EBF;
  const char *Row;
};

TEST_F(InfoPanelTest, EBFWithOneDecimalAndNeverNaN) {
  const EBFCase Cases[] = {
      {3.14, "EBF:               3.1"},
      {2.96, "EBF:               3.0"},
      {0.0, "EBF:               0.0"},
      {123456.78, "EBF:          123456.8"},
      {std::numeric_limits<double>::quiet_NaN(), "EBF:               0.0"},
      {std::numeric_limits<double>::infinity(), "EBF:               0.0"},
      {-std::numeric_limits<double>::infinity(), "EBF:               0.0"},
      {1e300, "EBF:               0.0"},
  };
  for (const EBFCase &C : Cases) {
    SearchInfo I = Info();
    I.EBF = C.EBF;
    WriteInfoToScreen(I);
    SCOPED_TRACE(C.EBF);
    EXPECT_EQ(Panel(5), Pad(C.Row));
  }
}

TEST_F(InfoPanelTest, CountsBeyondThirtyTwoBitsAndLongSearchesInFull) {
  SearchInfo I = Info();
  I.Nodes = 6000000000;
  I.QNodes = 3000000000;
  I.Time = 300;
  I.Depth = 1000;
  I.BetaCuts = 4000000000u;
  I.TTHits = 4000000000u;
  I.ExactTTHits = 3000000000u;
  WriteInfoToScreen(I);
  EXPECT_EQ(Panel(2), Pad("Nodes:      6000000000"));
  EXPECT_EQ(Panel(3), Pad("QNodes:     3000000000  33%"));
  EXPECT_EQ(Panel(4), Pad("NPS:          30000000"));
  EXPECT_EQ(Panel(6), Pad("Beta Cuts:  4000000000"));
  EXPECT_EQ(Panel(8), Pad("TT Hits:3000000000/4000000000"));
  EXPECT_EQ(Panel(9), Pad("Time Used:         300"));
  EXPECT_EQ(Panel(10), Pad("Depth:            1000"));
}

TEST_F(InfoPanelTest, TwentyDigitCountsStayInTheirRows) {
  SearchInfo I = Info();
  // (2^64 - 1 + 5) / 2 = 2^63 + 2: the sum must not wrap to 4.
  I.Nodes = std::numeric_limits<uint64_t>::max();
  I.QNodes = 5;
  I.Time = 2;
  WriteInfoToScreen(I);
  EXPECT_EQ(Panel(2), Pad("Nodes:18446744073709551615"));
  EXPECT_EQ(Panel(3), Pad("QNodes:              5   0%"));
  EXPECT_EQ(Panel(4), Pad("NPS:9223372036854775810"));

  // A twenty-digit quiescence count leaves no room for the share: the count
  // comes first, and the next row is not disturbed.
  I.Nodes = 1;
  I.QNodes = 10000000000000000000u;
  WriteInfoToScreen(I);
  EXPECT_EQ(Panel(3), Pad("QNodes:10000000000000000000"));
  EXPECT_EQ(Panel(4), Pad("NPS:5000000000000000000"));
}

// The markers in the screen's corner follow the position reported on, not
// the flag a search left behind; without a line the panel's window is still
// set, and "EG" goes there instead of over the "*".
TEST_F(InfoPanelTest, EndgameMarkers) {
  struct {
    const char *Fen;
    bool EndGameFlag;
    bool WithPV;
    const char *Marker;
  } const Cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", false, true, "xx"},
      {"4k3/8/8/8/8/8/8/4K3 w -", false, true, "EG"},
      {"4k3/8/8/8/8/8/8/4K3 w -", false, false, "*x"},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", true, false, "xx"},
  };
  for (const auto &C : Cases) {
    SetFen(C.Fen);
    Game.St.EndGame = C.EndGameFlag;
    Window(1, 1, ScreenCols, ScreenRows); // as the console leaves it
    Scribble();
    SearchInfo I = Info();
    if (!C.WithPV) I.PV = nullptr;
    WriteInfoToScreen(I);
    SCOPED_TRACE(testing::Message() << C.Fen << " " << C.EndGameFlag << " " << C.WithPV);
    EXPECT_EQ(Text(1, 1, 2), C.Marker);
  }
}

// Moves named after their index, so a field shows which entry it came from.
void NumberedPV(int Count) {
  static const char Files[] = "ABCDEFGH";
  for (int I = 0; I < Count; ++I) {
    const char Text[5] = {Files[I / 8 % 8], static_cast<char>('1' + I % 8), 'H', '8', '\0'};
    Game.St.PV[0][I] = Text;
  }
}

std::string Moves(int From, int To) {
  static const char Files[] = "ABCDEFGH";
  std::string S;
  for (int I = From; I < To; ++I) {
    S += ' ';
    S += Files[I / 8 % 8];
    S += static_cast<char>('1' + I % 8);
    S += "H8";
  }
  return S;
}

TEST_F(InfoPanelTest, PVRowsByLength) {
  struct {
    uint32_t Len;
    int Row23Moves, Row24Moves;
  } const Cases[] = {{1, 1, 0},
                     {14, 14, 0},
                     {15, 14, 1},
                     {20, 14, 6},
                     {29, 14, 15},
                     // Longer lines are cut where row 24 ends, so the screen never scrolls.
                     {30, 14, 15},
                     {101, 14, 15},
                     {4000000000u, 14, 15}};
  NumberedPV(MaxPly + 1);
  for (const auto &C : Cases) {
    Scribble();
    WritePV(Game.St.PV[0], C.Len);
    SCOPED_TRACE(C.Len);
    const std::string Row23 = "PV: " + Moves(0, C.Row23Moves);
    EXPECT_EQ(Text(23, 2, 80), Pad(Row23, 79));
    EXPECT_EQ(Text(24, 6, 80), Pad(Moves(14, 14 + C.Row24Moves), 75));
    EXPECT_EQ(Text(25, 1, 80), std::string(80, 'x'));
    EXPECT_EQ(Text(1, 1, 80), std::string(80, 'x'));
  }
}

TEST_F(InfoPanelTest, PVShorterThanTheDepthLeavesBlankFields) {
  GotoXY(2, 23);
  Write("Opening: E2E4E7E5G1F3B8C6F1B5A7A6B5A4G8F6E1G1F8E7F1E1B7B5");
  Game.St.PV[0][0] = "E2E4";
  Game.St.PV[0][2] = "G1F3"; // a gap in the line keeps its field
  SearchInfo I = Info();
  I.Depth = 5;
  WriteInfoToScreen(I);
  EXPECT_EQ(Text(23, 2, 80), Pad("PV:  E2E4      G1F3", 79));
  EXPECT_EQ(Text(24, 6, 80), Pad("", 75));
}

} // namespace
