#include "shell/EvalScreen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "game/Game.h"
#include "moves/GenMoves.h"
#include "platform/MemScreen.h"

namespace {

std::string Trimmed(const char *Row) {
  std::string S = Row;
  S.erase(S.find_last_not_of(' ') + 1);
  return S;
}

// The memory screen as it stood when the program first waited for a key.
class SnapshotScreen final : public TermDevice {
public:
  void PutCell(int X, int Y, char Ch, int Fg, int Bg) override { Mem.PutCell(X, Y, Ch, Fg, Bg); }
  void MoveCursor(int X, int Y) override { Mem.MoveCursor(X, Y); }
  void Flush() override {}
  bool KeyWaiting() override { return Mem.KeyWaiting(); }
  int GetKey() override {
    if (Shown.empty())
      for (int Y = 1; Y <= ScreenRows; ++Y) Shown.push_back(Mem.Row(Y));
    return Mem.GetKey();
  }
  // Row Y of the snapshot from column X, trailing blanks dropped.
  std::string Row(int Y, int X = 1) const {
    return Shown.empty() ? "" : Trimmed(Shown[Y - 1].c_str() + X - 1);
  }
  MemScreen Mem;
  std::vector<std::string> Shown;
};

struct Device {
  Device() : Screen(std::make_unique<SnapshotScreen>()) { UseDevice(Screen.get()); }
  ~Device() { UseDevice(nullptr); }
  std::unique_ptr<SnapshotScreen> Screen;
};

const char *StartRows[] = {
    "  12  10  11  13  14  11  10  12",
    "   9   9   9   9   9   9   9   9",
    "   0   0   0   0   0   0   0   0",
    "   0   0   0   0   0   0   0   0",
    "   0   0   0   0   0   0   0   0",
    "   0   0   0   0   0   0   0   0",
    "   1   1   1   1   1   1   1   1",
    "   4   2   3   5   6   3   2   4",
    "",
    "White Pawns:    8   9  10  11  12  13  14  15",
    "Black Pawns:   48  49  50  51  52  53  54  55",
    "Rooks:    0   7  56  63",
    "Knights:    1   6  57  62",
    "Bishops:    2   5  58  61",
    "Queens:    3  -1  59  -1",
    "Kings:    4  -1  60  -1",
};

TEST(EvalScreen, BoardAndPieceListsAtTheCursor) {
  const char *SparseRows[] = {
      "   0   0   0   0  14   0   0   0",
      "   0   0   0   0   0   0   0   0",
      "   0   0   0   0   0   0   0   0",
      "   0   0   0   0   0   0   0   0",
      "   0   0   0   0   2   0   0   0",
      "   0   0   0   0   0   0   0   0",
      "   0   0   0   0   0   0   0   9",
      "   0   0   0   0   6   0   0   0",
      "",
      "White Pawns:   -1  -1  -1  -1  -1  -1  -1  -1",
      "Black Pawns:   15  -1  -1  -1  -1  -1  -1  -1",
      "Rooks:   -1  -1  -1  -1",
      "Knights:   28  -1  -1  -1",
      "Bishops:   -1  -1  -1  -1",
      "Queens:   -1  -1  -1  -1",
      "Kings:    4  -1  60  -1",
  };
  const struct {
    const char *Fen;
    const char **Rows;
  } Cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", StartRows},
      {"4k3/8/8/8/4N3/8/7p/4K3 w -", SparseRows},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    Device Dev;
    SetFen(C.Fen);
    GotoXY(1, 3); // the listings start where the cursor is
    DisplayBoard(GamePosition());
    DisplayPieceLists(GamePosition());
    for (int I = 0; I < 16; ++I) EXPECT_EQ(Trimmed(Dev.Screen->Mem.Row(I + 3)), C.Rows[I]) << I;
    EXPECT_EQ(Trimmed(Dev.Screen->Mem.Row(19)), "");
  }
}

// The squares a listing row shows after its label, free entries left out.
std::set<int> SquaresAfter(const std::string &Row, std::size_t Label) {
  std::istringstream In(Row.substr(Label));
  std::set<int> Squares;
  for (int V; In >> V;)
    if (V != -1) Squares.insert(V);
  return Squares;
}

// The slots' row and the extras' row, labelled with the kind, hold every
// piece of that kind between them.
TEST(EvalScreen, PiecesBeyondTheSlotsAreListedByKind) {
  const struct {
    const char *Fen;
    int SlotRow;
    const char *Label;
    std::set<int> Squares;
  } Cases[] = {
      {"QQ2k3/8/8/Q7/8/8/8/4K3 w -", 7, "Extra Wq: ", {56, 57, 32}},
      {"4k3/8/8/8/n7/8/8/nn2K3 w -", 5, "Extra Bn: ", {24, 0, 1}},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    Device Dev;
    SetFen(C.Fen);
    DisplayPieceLists(GamePosition());
    const std::string Slots = Trimmed(Dev.Screen->Mem.Row(C.SlotRow));
    const std::string Extra = Trimmed(Dev.Screen->Mem.Row(9));
    ASSERT_EQ(Extra.rfind(C.Label, 0), 0u) << Extra;
    std::set<int> Squares = SquaresAfter(Slots, Slots.find(':') + 1);
    for (int S : SquaresAfter(Extra, std::strlen(C.Label))) Squares.insert(S);
    EXPECT_EQ(Squares, C.Squares);
    EXPECT_EQ(Trimmed(Dev.Screen->Mem.Row(10)), "") << "one row per kind that has extras";
  }
}

TEST(EvalScreen, EvalBreakdown) {
  const struct {
    const char *Name;
    const char *Fen;
    bool EndGameFlag;
    struct {
      int Row, Col;
      const char *Text;
    } Expect[6];
  } Cases[] = {
      {"start position",
       "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq",
       false,
       {{5, 50, "Wp on 12=-20    Bp on 52=-20"},
        {9, 50, "Wn on 1=-40     Bn on 57=-40"},
        {13, 50, "Wk on 4=0     Bk on 60=0"},
        {17, 50, "Wq on -1=0     Bq on -1=0"},
        {18, 50, "EndGame: FALSE"},
        {19, 50, "Material: 0  Positional: 0"}}},
      // The king table follows the flag of the last search, the line the position.
      {"start position, endgame flag set",
       "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq",
       true,
       {{13, 50, "Wk on 4=-10     Bk on 60=-10"},
        {18, 50, "EndGame: FALSE"},
        {19, 50, "Material: 0  Positional: 0"}}},
      // Knight e4 +20; each king counts twice: 2 * 0 - 2 * 30.
      {"knight against a castled king",
       "6k1/8/8/8/4N3/8/8/4K3 w -",
       false,
       {{9, 50, "Wn on 28=20     Bn on -1=0"},
        {13, 50, "Wk on 4=0     Bk on 62=30"},
        {14, 50, "Wn on -1=0     Bn on -1=0"},
        {18, 50, "EndGame: TRUE"},
        {19, 50, "Material: 320  Positional: -40"}}},
      // Queens a8 -20, b8 -10 and the third on a5 -5.
      {"three queens",
       "QQ2k3/8/8/Q7/8/8/8/4K3 w -",
       false,
       {{19, 50, "Material: 2700  Positional: -35"}}},
      // Knights a8 -50, b8 -40 and the third on a5 -30.
      {"three knights",
       "NN2k3/8/8/N7/8/8/8/4K3 w -",
       false,
       {{19, 50, "Material: 960  Positional: -120"}}},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Name);
    Device Dev;
    SetFen(C.Fen);
    Game.St.EndGame = C.EndGameFlag;
    Dev.Screen->Mem.Type("\rN");
    const Tables Before;
    DisplayEval();
    for (const auto &E : C.Expect) {
      if (!E.Text) break;
      EXPECT_EQ(Dev.Screen->Row(E.Row, E.Col), E.Text) << "row " << E.Row;
    }
    EXPECT_EQ(Dev.Screen->Mem.KeysLeft(), 1u) << "returns after the Enter key, no later";
    for (int Y = 1; Y <= ScreenRows; ++Y) EXPECT_EQ(Trimmed(Dev.Screen->Mem.Row(Y)), "") << Y;
    EXPECT_TRUE(Before.Same());
  }
}

TEST(EvalScreen, EvalBreakdownShowsTheListsOnTheLeft) {
  Device Dev;
  ResetGame();
  Dev.Screen->Mem.Type("\r");
  DisplayEval();
  for (int I = 0; I < 16; ++I)
    EXPECT_EQ(Trimmed(Dev.Screen->Row(I + 1).substr(0, 49).c_str()), StartRows[I]) << I;
  // All eight pawn rows, then the pieces of slot 0, the kings and slot 1.
  EXPECT_EQ(Dev.Screen->Row(1, 50), "Wp on 8=5    Bp on 48=5");
  EXPECT_EQ(Dev.Screen->Row(8, 50), "Wp on 15=5    Bp on 55=5");
  EXPECT_EQ(Dev.Screen->Row(12, 50), "Wq on 3=-5     Bq on 59=-5");
  EXPECT_EQ(Dev.Screen->Row(16, 50), "Wr on 7=0     Br on 63=0");
}

} // namespace
