// The game's door: what it refuses, and that a refusal changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>

#include "TestUtil.h"
#include "game/Game.h"
#include "game/History.h"
#include "game/TakeBack.h"
#include "search/Search.h"

namespace {

// The key is left out: an abandoned edit draws new keys, as every set-up does.
bool SameGame(const DataType &D, int8_t Side, uint16_t Moves) {
  return std::memcmp(&D, &Game.St.Data[0], offsetof(DataType, HashKey)) == 0 &&
         Game.St.WhosMove == Side && Game.MoveNum == Moves;
}

// Each case sets up a position, asks for one change and names the answer;
// a refused change leaves position, side and move count exactly as they were.
TEST(Game, RefusalsChangeNothing) {
  const struct Case {
    const char *Fen;
    const char *What;
    std::function<int()> Ask; // the refusal as a number, 0: done
    int Expected;
  } Cases[] = {
      {"4k3/8/8/8/8/8/4P3/4K3 w -", "a step too far", [] { return int(PlayMove("E2E5", 0)); },
       int(MoveRefusal::Illegal)},
      {"4k3/8/8/8/8/8/4r3/4K3 w -", "a king into check", [] { return int(PlayMove("E1F2", 0)); },
       int(MoveRefusal::Illegal)},
      {"4k3/8/8/8/8/8/4P3/4K3 w -", "a black move on White's turn",
       [] { return int(PlayMove("E8E7", 0)); }, int(MoveRefusal::Illegal)},
      {"4k3/8/8/8/8/8/4P3/4K3 w -", "a piece letter without a promotion",
       [] { return int(PlayMove("E2E4", 'n')); }, int(MoveRefusal::NotPromotion)},
      {"4k3/8/8/8/8/8/4P3/4K3 w -", "a takeback with no move made",
       [] { return TakeBack() ? 0 : 1; }, 1},
      {"4k3/8/8/8/8/8/8/4K3 w -", "a pawn on its first rank", [] { return int(EditPut(WPawn, 3)); },
       int(EditRefusal::PawnOnEdge)},
      {"4k3/8/8/8/8/8/8/4K3 w -", "a second king", [] { return int(EditPut(WKing, 27)); },
       int(EditRefusal::TooMany)},
      {"4k3/8/8/8/8/8/PPPPPPPP/4K3 w -", "a ninth pawn", [] { return int(EditPut(WPawn, 27)); },
       int(EditRefusal::TooMany)},
      {"4k3/8/8/8/8/8/8/4K3 w -", "a king the side to move can take",
       [] { return int(EditPut(WRook, 4 + 8 * 4)) + int(EditCommit()); },
       int(EditRefusal::KingEnPrise)},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.What);
    SetFen(C.Fen);
    EditBegin();
    const DataType Before = Game.St.Data[0];
    const int8_t Side = Game.St.WhosMove;
    EXPECT_EQ(C.Ask(), C.Expected);
    // The open edit of the last case is abandoned: the position it began with.
    if (C.Expected == int(EditRefusal::KingEnPrise)) EditAbandon();
    EXPECT_TRUE(SameGame(Before, Side, Game.MoveNum)) << BoardFen();
  }
}

// What is done counts: a move steps the count and passes the turn, an
// under-promotion puts the chosen piece, and a takeback undoes both.
TEST(Game, MovesCountAndTakeBackUndoes) {
  SetFen("4k3/1P6/8/8/8/8/8/4K3 w -");
  InitTakeBackStack();
  const DataType Start = Game.St.Data[0];
  ASSERT_EQ(PlayMove("B7B8", 'n'), MoveRefusal::None);
  EXPECT_EQ(PieceOn(Game.St.Data[0], 57), WNight);
  EXPECT_EQ(Game.MoveNum, 1);
  EXPECT_EQ(Game.St.WhosMove, BMove);
  EXPECT_EQ(GameHistory().HalfMoveClock, 0u) << "a pawn move resets the count";
  EXPECT_TRUE(TakeBack());
  EXPECT_EQ(std::memcmp(&Start, &Game.St.Data[0], offsetof(DataType, HashKey)), 0);
  EXPECT_EQ(Game.MoveNum, 0);
  EXPECT_EQ(Game.St.WhosMove, WMove);
}

// One list holds the game; the draw rules, the moves a record writes, the
// book's line and both takebacks are read from it. Steps: "E2E4" a move
// through the door, "+E2E4" a console pass that plays it, "?E2E5" a console
// pass whose text is refused, "<" the door's takeback, "b" the console's, "R"
// the console's read of a position file (the start position), "S" an edit
// committed unchanged.
TEST(Game, OneListHoldsTheGame) {
  const struct Case {
    const char *Steps;
    const char *Fen;
    uint16_t MoveNum;
    uint16_t Keys, Repeats; // positions the draw rules hold; of them, the current one
    uint32_t Half, Full;
    const char *Sans; // the moves since the last set-up, as the record writes them
    const char *Book; // the book's line; null: out of the book
  } Cases[] = {
      // After 4 moves and 2 takebacks the rules see the 2 moves left.
      {"G1F3 G8F6 F3G1 F6G8 < <", "rnbqkb1r/pppppppp/5n2/8/8/5N2/PPPPPPPP/RNBQKB1R w KQkq", 2, 2, 0,
       2, 2, "Nf3 Nf6", "G1F3G8F6"},
      {"E2E4 E7E5 <", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq", 1, 0, 0, 0, 1, "e4",
       "E2E4"},
      {"G1F3 G8F6 F3G1 F6G8 G1F3", "rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R b KQkq", 5, 5, 1,
       5, 3, "Nf3 Nf6 Ng1 Ng8 Nf3", "G1F3G8F6F3G1F6G8G1F3"},
      {"E2E4 D7D5 E4D5 D8D5 B1C3 D5A5", "rnb1kbnr/ppp1pppp/8/q7/8/2N5/PPPP1PPP/R1BQKBNR w KQkq", 6,
       2, 0, 2, 4, "e4 d5 exd5 Qxd5 Nc3 Qa5", "E2E4D7D5E4D5D8D5B1C3D5A5"},
      {"E2E4 D7D5 E4D5 D8D5 B1C3 D5A5 <", "rnb1kbnr/ppp1pppp/8/3q4/8/2N5/PPPP1PPP/R1BQKBNR b KQkq",
       5, 1, 0, 1, 3, "e4 d5 exd5 Qxd5 Nc3", "E2E4D7D5E4D5D8D5B1C3"},
      {"F2F3 E7E5 G2G4 D8H4", "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq", 4, 1, 0, 1,
       3, "f3 e5 g4 Qh4#", "F2F3E7E5G2G4D8H4"},
      // The console: a refused text is a step of its own, and b steps back
      // past R and S to the position pushed before them.
      {"+E2E4 ?E2E5", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq", 1, 0, 0, 0, 1, "e4",
       "E2E4E2E5"},
      {"+E2E4 ?E2E5 b", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq", 1, 0, 0, 0, 1, "e4",
       "E2E4"},
      {"+E2E4 +E7E5 R", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", 2, 0, 0, 0, 1, "",
       nullptr},
      {"+E2E4 +E7E5 R b", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq", 1, 0, 0, 0, 1,
       "e4", nullptr},
      {"+E2E4 +E7E5 R +G1F3 b", "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq", 2, 0, 0,
       0, 2, "e4 e5", nullptr},
      {"+E2E4 S +E7E5 b", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq", 1, 0, 0, 0, 1,
       "e4", nullptr},
      {"+E2E4 S +E7E5 <", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq", 0, 0, 0, 0, 1, "",
       nullptr},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.Steps);
    ResetGame();
    char Steps[160];
    std::strcpy(Steps, C.Steps);
    for (char *Step = std::strtok(Steps, " "); Step; Step = std::strtok(nullptr, " ")) {
      if (*Step == '+' || *Step == '?') {
        const MoveRefusal Why = PlayMove(Step + 1);
        ASSERT_EQ(Why == MoveRefusal::None, *Step == '+') << Step;
        AddToTakeBackStack(Step + 1);
      } else if (*Step == '<') {
        TakeBack();
      } else if (*Step == 'b') {
        TakeBackMove();
      } else if (*Step == 'R') {
        const char *Why = nullptr;
        ASSERT_TRUE(LoadPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", Why));
      } else if (*Step == 'S') {
        EditBegin();
        ASSERT_EQ(EditCommit(), EditRefusal::None);
      } else {
        ASSERT_EQ(PlayMove(Step), MoveRefusal::None) << Step;
      }
    }
    char Fen[FenTextSize];
    FenText(Fen);
    EXPECT_STREQ(Fen, C.Fen);
    EXPECT_EQ(Game.MoveNum, C.MoveNum);
    const GameRecord &R = GameHistory();
    EXPECT_EQ(R.NumKeys, C.Keys);
    const uint64_t Here = RepetitionKey(GamePosition(), SideToMove());
    EXPECT_EQ(std::count(R.Keys, R.Keys + R.NumKeys, Here), C.Repeats);
    EXPECT_EQ(R.HalfMoveClock, C.Half);
    EXPECT_EQ(R.FullMoveNumber, C.Full);
    std::string Sans;
    for (int I = GameBegin(); I < TheGame().Count; ++I) {
      if (TheGame().Entries[I].Kind == EntryKind::Move)
        Sans += (Sans.empty() ? "" : " ") + std::string(TheGame().Entries[I].San);
    }
    EXPECT_EQ(Sans, C.Sans);
    EXPECT_EQ(BookInUse(), C.Book != nullptr);
    if (C.Book) {
      EXPECT_STREQ(Game.OpeningStr.c_str(), C.Book);
    }
  }
}

// A game longer than the list forgets its oldest moves: the bottom moves up
// with them, as a set-up with the counters a FEN would give it, and what
// the list derives still counts the whole game.
TEST(Game, AGameLongerThanTheListForgetsItsOldestMoves) {
  ResetGame();
  const DataType Start = Game.St.Data[0];
  const char *Cycle[] = {"G1F3", "G8F6", "F3G1", "F6G8"};
  const int Plies = MaxGameEntries + 4;
  for (int I = 0; I < Plies; ++I) ASSERT_EQ(PlayMove(Cycle[I % 4]), MoveRefusal::None) << I;
  EXPECT_EQ(TheGame().Count, MaxGameEntries);
  EXPECT_EQ(TheGame().Forgotten, 4u);
  const GameOrigin O = OriginOf(0);
  EXPECT_TRUE(O.SetUp);
  EXPECT_EQ(O.Forgotten, 4u);
  EXPECT_EQ(O.Side, WMove);
  EXPECT_EQ(O.HalfMoves, 4u);
  EXPECT_EQ(O.FullMove, 3u);
  EXPECT_EQ(std::memcmp(O.D->Board, Start.Board, sizeof Start.Board), 0);
  const GameRecord &R = GameHistory();
  EXPECT_EQ(R.HalfMoveClock, static_cast<uint32_t>(Plies));
  EXPECT_EQ(R.FullMoveNumber, 1u + Plies / 2);
  EXPECT_EQ(R.NumKeys, GameRecord::MaxKeys);
  EXPECT_TRUE(TakeBack());
  EXPECT_EQ(Game.MoveNum, Plies - 1);
  EXPECT_EQ(TheGame().Count, MaxGameEntries - 1);
}

// A FEN's en-passant square stands only behind a pawn that has just made
// its double step over it.
TEST(Game, EnPassantSquaresMustFitTheBoard) {
  const struct {
    const char *Fen;
    int8_t Ep;
    bool Kept;
  } Cases[] = {
      {"4k3/8/8/3pP3/8/8/8/4K3 w - -", 43, true},    // d6 after d7-d5
      {"4k3/8/8/3pP3/8/8/8/4K3 w - -", 19, false},   // d3: the wrong side's rank
      {"4k3/3n4/8/3pP3/8/8/8/4K3 w - -", 43, false}, // d7 is not empty
      {"4k3/8/8/4P3/8/8/8/4K3 w - -", 43, false},    // no pawn on d5
      {"4k3/8/8/8/3Pp3/8/8/4K3 b - -", 19, true},    // d3 after d2-d4
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    ParsedFEN P;
    const char *Why = nullptr;
    ASSERT_TRUE(ParseFEN(C.Fen, P, Why));
    bool Kept = false;
    ASSERT_TRUE(SetupGame(P, C.Ep, 0, 1, Kept));
    EXPECT_EQ(Kept, C.Kept);
    EXPECT_EQ(Game.St.Data[0].EnPasSq, C.Kept ? C.Ep : -1);
  }
}

} // namespace
