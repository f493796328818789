#include <gtest/gtest.h>

#include "TestUtil.h"
#include "hash/TT.h"
#include "hash/TTSlot.h"

namespace {
// Leaves Key's slot as two writers racing on it may: the key word stored for
// Key, the other fields of Other's entry.
void MixEntry(uint64_t Key, uint64_t Other) {
  InternTTType &E = TTSlot(Key, Game.St.WhosMove);
  const InternTTType &O = TTSlot(Other, Game.St.WhosMove);
  E.Score = O.Score;
  E.Node_Depth = O.Node_Depth;
  E.Move_Piece = O.Move_Piece;
}

FullTTType Probe(uint64_t Key) {
  FullTTType E{};
  E.Key = Key;
  GetFromTT(E, Game.St.WhosMove);
  return E;
}

TEST(TT, EmptyTableMissesAndAnEmptyMoveReadsBackAsA1A1) {
  ResetGame();
  FullTTType E = Probe(0x123456789ull);
  EXPECT_EQ(E.Node, None);
  EXPECT_EQ(E.Depth, 0);
  EXPECT_EQ(E.Score, 0);
  EXPECT_TRUE(E.Move.Empty());
  EXPECT_EQ(E.Piece, 0);
  AddToTT(Game.St.WhosMove, 0x123456789ull, -77, FailLow, 4, ShortStr(), 0);
  E = Probe(0x123456789ull);
  EXPECT_EQ(E.Node, FailLow);
  EXPECT_EQ(E.Depth, 4);
  EXPECT_EQ(E.Score, -77);
  EXPECT_STREQ(E.Move.c_str(), "A1A1");
  EXPECT_EQ(E.Piece, 0);
  // Key 0 matches the never-written slot 0: a hit with nothing in it.
  E = Probe(0);
  EXPECT_EQ(E.Node, None);
  EXPECT_STREQ(E.Move.c_str(), "A1A1");
}

TEST(TT, SideToMoveComplementsTheKey) {
  ResetGame();
  AddToTT(Game.St.WhosMove, 0xABCDEFull, 50, Exact, 3, "G1F3", WNight);
  FullTTType E = Probe(0xABCDEFull);
  EXPECT_EQ(E.Node, Exact);
  EXPECT_EQ(E.Key, 0xABCDEFull);
  Game.St.WhosMove = BMove;
  E = Probe(0xABCDEFull);
  EXPECT_EQ(E.Node, None) << "the same board with Black to move is another position";
  EXPECT_EQ(E.Key, ~0xABCDEFull);
}

TEST(TT, MovePacksIntoOneWord) {
  ResetGame();
  AddToTT(Game.St.WhosMove, 777, 12, Exact, 6, "G1F3", WNight);
  const FullTTType E = Probe(777);
  EXPECT_STREQ(E.Move.c_str(), "G1F3");
  EXPECT_EQ(E.Piece, WNight);
  EXPECT_EQ(E.Score, 12);
  EXPECT_EQ(E.Depth, 6);
}

TEST(TT, DepthPreferredReplacement) {
  ResetGame();
  const uint64_t A = 1000, B = A + NumTTEntries; // the same slot
  AddToTT(Game.St.WhosMove, A, 1, Exact, 5, ShortStr(), 0);
  AddToTT(Game.St.WhosMove, B, 2, FailHigh, 3, ShortStr(), 0);
  EXPECT_EQ(Probe(A).Score, 1) << "a shallower store leaves the slot alone";
  EXPECT_EQ(Probe(B).Node, None);
  AddToTT(Game.St.WhosMove, B, 3, FailHigh, 5, ShortStr(), 0);
  EXPECT_EQ(Probe(B).Score, 3) << "equal depth replaces, whatever position was there";
  EXPECT_EQ(Probe(A).Node, None);
}

TEST(TT, AnEarlierSearchsEntryGivesWayAndSaysSo) {
  // A deep entry, then N searches that keep the table, then a shallow store
  // in the same slot: however many searches back, the shallow one wins.
  const uint64_t A = 2000, B = A + NumTTEntries;
  for (const int Searches : {1, 3, 4, 5, 8, 17}) {
    ResetGame();
    AddToTT(Game.St.WhosMove, A, 1, Exact, 12, ShortStr(), 0);
    EXPECT_FALSE(Probe(A).Earlier) << Searches;
    for (int I = 0; I < Searches; ++I) NewTTGeneration();
    EXPECT_TRUE(Probe(A).Earlier) << Searches;
    AddToTT(Game.St.WhosMove, B, 2, FailHigh, 1, ShortStr(), 0);
    EXPECT_EQ(Probe(B).Score, 2) << Searches;
    EXPECT_FALSE(Probe(B).Earlier) << Searches;
  }
}

TEST(TT, DeepResultsAreClampedWithoutTouchingTheNodeType) {
  ResetGame();
  AddToTT(Game.St.WhosMove, 4242, 9, FailLow, 40, ShortStr(), 0);
  FullTTType E = Probe(4242);
  EXPECT_EQ(E.Node, FailLow);
  EXPECT_EQ(E.Depth, 15);
  AddToTT(Game.St.WhosMove, 4242, 10, Exact, 14, ShortStr(), 0);
  EXPECT_EQ(Probe(4242).Score, 9) << "15 stays deeper than 14";
}

TEST(TT, ClearEmptiesEverything) {
  ResetGame();
  AddToTT(Game.St.WhosMove, 31337, 5, Exact, 2, "E2E4", WPawn);
  ZeroTTs();
  EXPECT_EQ(Probe(31337).Node, None);
}

TEST(TT, ValidMoveChecksPieceAndTarget) {
  SetFen("4k3/8/8/3p4/4N3/8/8/R3K3 w - -");
  struct {
    const char *Move;
    int8_t Piece;
    int8_t Side;
    bool Valid;
  } const Cases[] = {
      {"E4D6", WNight, WMove, true},   // empty target
      {"E4D5", WNight, WMove, true},   // takes a pawn; the knight's geometry is not looked at
      {"A1A8", WRook, WMove, true},    // impossible geometry is not looked at
      {"E4E1", WNight, WMove, false},  // own king on the target
      {"A1E8", WRook, WMove, false},   // enemy king on the target
      {"E4F6", WBishop, WMove, false}, // the stored piece is not on the from-square
      {"D5E4", BPawn, BMove, true},    // Black takes a knight
      {"E8E1", BKing, BMove, false},   // White's king
      {"", 0, WMove, false},
  };
  for (const auto &C : Cases) {
    Game.St.WhosMove = C.Side;
    FullTTType E{};
    E.Move = C.Move;
    E.Piece = C.Piece;
    EXPECT_EQ(ValidMove(E, Game.Here(), Game.St.WhosMove), C.Valid) << C.Move;
  }
}

} // namespace

namespace {

TEST(TT, ClearAfterManyStoresEmptiesEverySlot) {
  ResetGame();
  // More distinct slots than the clear keeps track of one by one.
  constexpr uint64_t Stores = (1u << 22) + 1000;
  for (uint64_t K = 1; K <= Stores; ++K)
    AddToTT(Game.St.WhosMove, K * 7919, 1, Exact, 1, ShortStr(), 0);
  ZeroTTs();
  for (uint64_t K : {uint64_t(1), uint64_t(5000), Stores - 1, Stores})
    EXPECT_EQ(Probe(K * 7919).Node, None) << K;
  // And after a short search only its own slots were written.
  AddToTT(Game.St.WhosMove, 99, 4, FailHigh, 2, ShortStr(), 0);
  ZeroTTs();
  EXPECT_EQ(Probe(99).Node, None);
}

} // namespace

namespace {

TEST(TT, AnEntryMixedOfTwoWritesIsAMiss) {
  // A's key word with the rest of B's entry; B differs from A in one field.
  struct {
    const char *What;
    int16_t Score;
    NodeType Node;
    uint8_t Depth;
    const char *Move;
    int8_t Piece;
    bool Hit;
  } const Cases[] = {
      {"the same fields", 40, Exact, 6, "G1F3", WNight, true},
      {"another score", -40, Exact, 6, "G1F3", WNight, false},
      {"another node type", 40, FailHigh, 6, "G1F3", WNight, false},
      {"another depth", 40, Exact, 7, "G1F3", WNight, false},
      {"another move", 40, Exact, 6, "G1H3", WNight, false},
      {"another piece", 40, Exact, 6, "G1F3", WBishop, false},
  };
  const uint64_t A = 0x5151, B = 0x7373; // two slots
  for (const auto &C : Cases) {
    ResetGame();
    AddToTT(Game.St.WhosMove, A, 40, Exact, 6, "G1F3", WNight);
    AddToTT(Game.St.WhosMove, B, C.Score, C.Node, C.Depth, C.Move, C.Piece);
    MixEntry(A, B);
    EXPECT_EQ(Probe(A).Node == Exact, C.Hit) << C.What;
    EXPECT_EQ(Probe(B).Node, C.Node) << C.What << ": B's own entry";
  }
}

TEST(TT, WithSeveralWritersEveryClearIsWhole) {
  // A slot the writers left unlisted (a key word still 0 beside another
  // write's fields) in the first thousand, where HashFullPermill counts it;
  // with one writer only the listed slots are cleared, so it stays.
  const uint64_t Stray = 500, Stored = 0x7373;
  struct {
    int Writers;
    bool Cleared; // a clear between the call and the writes, as at a search's start
    uint32_t FullAfterClear;
  } const Cases[] = {{1, true, 1}, {2, false, 0}, {2, true, 0}, {3, true, 0}};
  for (const auto &C : Cases) {
    ResetGame();
    SetTTWriters(C.Writers);
    if (C.Cleared) ZeroTTs();
    AddToTT(Game.St.WhosMove, Stored, 3, Exact, 2, "", 0);
    MixEntry(Stray, Stored);
    ASSERT_EQ(HashFullPermill(), 1u) << C.Writers;
    ZeroTTs();
    EXPECT_EQ(HashFullPermill(), C.FullAfterClear) << C.Writers;
    EXPECT_EQ(Probe(Stored).Node, None) << C.Writers;
  }
  SetTTWriters(1);
  ZeroTTs();
}

} // namespace

namespace {

TEST(TT, ResidencyEmptiesTheTableOnceAndKeepsWhatTheSearchWritesMeanwhile) {
  // The writes land while the pages are mapped and copied into 2 MiB ones.
  constexpr uint64_t Writes = 1u << 16;
  int Round = 0;
  // Waited for in full, and by a front end that ends the search for 2 MiB
  // pages at once.
  for (const uint32_t MiB : {MaxTTMiB, 16u, 1u, MaxTTMiB}) {
    const bool Hurried = MiB == MaxTTMiB && ++Round == 2;
    ResetGame();
    ASSERT_TRUE(SetTTSizeMiB(MiB));
    AddToTT(Game.St.WhosMove, 1, 7, Exact, 3, "", 0);
    MakeTTResident();
    EXPECT_EQ(Probe(1).Node, None) << MiB;
    for (uint64_t K = 2; K < Writes; ++K) AddToTT(Game.St.WhosMove, K * 104729, 7, Exact, 3, "", 0);
    if (Hurried)
      WaitTTResident(0);
    else
      WaitTTResident();
    uint64_t Lost = 0;
    for (uint64_t K = 2; K < Writes; ++K) Lost += Probe(K * 104729).Node != Exact;
    EXPECT_EQ(Lost, 0u) << MiB;
  }
  // A resize while the pages are being made resident ends that first.
  MakeTTResident();
  EXPECT_TRUE(SetTTSizeMiB(MaxTTMiB));
}

} // namespace
