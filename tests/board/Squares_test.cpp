#include <gtest/gtest.h>

#include "TestUtil.h"
#include "board/Squares.h"

namespace {

TEST(Squares, NamesAndTextConversions) {
  EXPECT_STREQ(SqToStr[0], "A1");
  EXPECT_STREQ(SqToStr[7], "H1");
  EXPECT_STREQ(SqToStr[56], "A8");
  EXPECT_STREQ(SqToStr[63], "H8");
  EXPECT_STREQ(SquaresToStr(12, 28).c_str(), "E2E4");
  EXPECT_EQ(StrToFromSq("E2E4"), 12);
  EXPECT_EQ(StrToToSq("E2E4"), 28);
  EXPECT_EQ(StrToFromSq("H8A1"), 63);
  EXPECT_EQ(StrToToSq("H8A1"), 0);
  for (int8_t Sq = 0; Sq < 64; ++Sq) {
    const ShortStr T = SquaresToStr(Sq, static_cast<int8_t>(63 - Sq));
    EXPECT_EQ(StrToFromSq(T), Sq);
    EXPECT_EQ(StrToToSq(T), 63 - Sq);
  }
}

TEST(Squares, GeometryAndTextShapes) {
  EXPECT_EQ(Flip(-1), -1);
  EXPECT_EQ(Flip(0), 56);
  EXPECT_EQ(Flip(12), 52);
  EXPECT_EQ(SquareOf('E', '2'), 12);
  EXPECT_EQ(SquareOf('H', '8'), 63);
  struct {
    const char *Text;
    bool Move;
  } const Shapes[] = {{"E2E4", true},  {"A1H8", true},  {"I2E4", false}, {"E0E4", false},
                      {"E2E9", false}, {"e2e4", false}, {"E2E", false},  {"E2-E", false}};
  for (const auto &C : Shapes) EXPECT_EQ(IsMoveText(C.Text), C.Move) << C.Text;
}

TEST(Squares, MoveTextToMoveRecordSetsTheFlags) {
  struct Case {
    const char *Fen;
    const char *Move;
    bool Capture, Castle, Promotion;
  } const Cases[] = {
      {"4k3/8/8/8/8/8/8/4K2R w K -", "E1G1", false, true, false},
      {"4k3/8/8/8/8/8/8/R3K3 w Q -", "E1C1", false, true, false},
      {"4k3/8/8/8/8/8/8/4K3 w - -", "E1F1", false, false, false},
      {"8/4P3/8/8/8/8/8/k3K3 w - -", "E7E8", false, false, true},
      {"8/4P3/8/8/8/8/8/k3K3 b - -", "E7E8", false, false, false},
      {"3r4/4P3/8/8/8/8/8/k3K3 w - -", "E7D8", true, false, true},
      {"4k3/8/8/8/8/8/4p3/K7 b - -", "E2E1", false, false, true},
      {"4k3/8/8/8/8/2n5/8/K7 b - -", "C3A2", false, false, false},
      {"4k3/8/8/8/8/8/1p6/K7 w - -", "A1B2", true, false, false},
  };
  for (const Case &C : Cases) {
    SetFen(C.Fen);
    const MoveRec M = MoveStrToMoveRec(Game.Here(), Game.St.WhosMove, C.Move);
    EXPECT_EQ(M.FromSq, StrToFromSq(C.Move)) << C.Fen << " " << C.Move;
    EXPECT_EQ(M.ToSq, StrToToSq(C.Move));
    EXPECT_EQ(M.Capture, C.Capture) << C.Fen << " " << C.Move;
    EXPECT_EQ(M.Castle, C.Castle) << C.Fen << " " << C.Move;
    EXPECT_EQ(M.Promotion, C.Promotion) << C.Fen << " " << C.Move;
  }
}

TEST(Squares, EnPassantTargetCountsAsCaptureForPawnsOnly) {
  SetFen("4k3/8/8/3pP3/8/8/8/4K3 w - -");
  Game.St.Data[0].EnPasSq = 43; // d6, passed over by d7-d5
  EXPECT_TRUE(MoveStrToMoveRec(Game.Here(), Game.St.WhosMove, "E5D6").Capture);
  SetFen("4k3/8/8/3p4/2N5/8/8/4K3 w - -");
  Game.St.Data[0].EnPasSq = 43; // a knight reaching d6 captures nothing
  EXPECT_FALSE(MoveStrToMoveRec(Game.Here(), Game.St.WhosMove, "C4D6").Capture);
}

} // namespace
