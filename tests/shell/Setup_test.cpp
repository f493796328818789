#include "shell/Setup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../TestUtil.h"
#include "board/Attacks.h"
#include "board/Board.h"
#include "board/Types.h"
#include "board/Zorbist.h"
#include "game/Game.h"
#include "hash/TT.h"
#include "platform/MemScreen.h"
#include "platform/Terminal.h"
#include "seam/Seam.h"
#include "shell/Console.h"

namespace {

constexpr const char *Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq";
constexpr const char *BareKings = "4k3/8/8/8/8/8/8/4K3 w -";

MemScreen *Shown = nullptr;
std::vector<std::string> Messages;
// The screen as it stood when the first message came up.
std::vector<std::string> ScreenAtMessage;

void RecordMessage(const char *S) {
  Messages.emplace_back(S);
  if (!ScreenAtMessage.empty()) return;
  for (int Row = 1; Row <= ScreenRows; ++Row) ScreenAtMessage.emplace_back(Shown->Row(Row));
}

int8_t Sq(const char *Name) { return static_cast<int8_t>((Name[1] - '1') * 8 + (Name[0] - 'a')); }

// The key of whatever stands on the board, independent of the lists.
uint64_t KeyFromBoard() {
  uint64_t Key = 0;
  for (int8_t S = 0; S < 64; ++S)
    if (PieceOn(Game.Here(), S) != Empty) Key ^= ZorbistKey(PieceOn(Game.Here(), S), S);
  return Key;
}

// Every piece on the board is listed exactly once under its own code (kings
// in slot 0), and the lists hold nothing else.
void ExpectListsMatchBoard() {
  const DataType &D = Game.Here();
  int Listed = 0, OnBoard = 0;
  for (int8_t S = 0; S < 64; ++S) {
    const int8_t P = PieceOn(D, S);
    if (P == Empty) continue;
    ++OnBoard;
    int Found = 0;
    if (P == WPawn || P == BPawn) {
      for (int8_t E : P == WPawn ? D.WPawnList : D.BPawnList) Found += E == S;
    } else {
      const PieceListType &L = IsWhiteCode(P) ? D.WPieceList : D.BPieceList;
      for (int Slot = 0; Slot < 2; ++Slot) Found += L[Slot][PIdx(P)] == S;
      if ((P & 7) == WKing) {
        EXPECT_EQ(L[0][PIdx(P)], S) << "king not in slot 0";
      }
      const int8_t *Extra = IsWhiteCode(P) ? D.WExtra : D.BExtra;
      const int Count = IsWhiteCode(P) ? D.WExtraCount : D.BExtraCount;
      for (int I = 0; I < Count; ++I) Found += Extra[I] == S;
    }
    EXPECT_EQ(Found, 1) << "code " << int{P} << " on square " << int{S};
  }
  for (int Slot = 0; Slot < 2; ++Slot)
    for (int K = 0; K < 5; ++K)
      Listed += (D.WPieceList[Slot][K] != -1) + (D.BPieceList[Slot][K] != -1);
  for (int I = 0; I < 8; ++I) Listed += (D.WPawnList[I] != -1) + (D.BPawnList[I] != -1);
  Listed += D.WExtraCount + D.BExtraCount;
  EXPECT_EQ(Listed, OnBoard);
}

bool SamePlacement(const DataType &A, const DataType &B) {
  return std::memcmp(A.Board, B.Board, sizeof A.Board) == 0 &&
         std::memcmp(A.WPieceList, B.WPieceList, sizeof A.WPieceList) == 0 &&
         std::memcmp(A.BPieceList, B.BPieceList, sizeof A.BPieceList) == 0 &&
         std::memcmp(A.WPawnList, B.WPawnList, sizeof A.WPawnList) == 0 &&
         std::memcmp(A.BPawnList, B.BPawnList, sizeof A.BPawnList) == 0 &&
         A.WExtraCount == B.WExtraCount && A.BExtraCount == B.BExtraCount;
}

class SetupTest : public ::testing::Test {
protected:
  MemScreen Screen;

  void SetUp() override {
    ResetGame();
    UseDevice(&Screen);
    Shown = &Screen;
    Messages.clear();
    ScreenAtMessage.clear();
    FrontEndType F{};
    F.ErrorMsg = RecordMessage;
    InstallFrontEnd(F);
  }
  void TearDown() override {
    ResetFrontEnd();
    UseDevice(nullptr);
    Shown = nullptr;
  }

  // Starts from Fen, types Keys into the editor and runs it until it returns.
  void Edit(const char *Fen, const char *Keys) {
    SetFen(Fen);
    Type(Keys);
    SetupBoard();
  }
  // A fresh keyboard (an earlier end of input is forgotten) with the keys queued.
  void Type(const char *Keys, const char *More = "") {
    UseDevice(&Screen);
    Messages.clear();
    ScreenAtMessage.clear();
    Screen.Type(Keys);
    Screen.Type(More);
  }
};

TEST_F(SetupTest, EditingScreen) {
  Edit(BareKings, "wnf3xyz\rz\rq\r");
  ASSERT_EQ(Messages, std::vector<std::string>{"Illegal Command"});
  const std::vector<std::string> &S = ScreenAtMessage;
  // The prompt's blanks wiped the earlier entry; the new one is echoed as typed
  // from column 40.
  EXPECT_EQ(S[11].substr(30, 28), "Command: z                  ");
  EXPECT_EQ(S[14].substr(0, 25), " c:    clear board       ");
  EXPECT_EQ(S[15].substr(0, 25), " wnf3: white knight on f3");
  EXPECT_EQ(S[16].substr(0, 25), " g1:   clear square g1   ");
  EXPECT_EQ(S[17].substr(0, 25), " wm:   white to move     ");
  EXPECT_EQ(S[18].substr(0, 25), " q:    quit              ");
  // The board was redrawn after the placement: f3 is row 7, column 18.
  EXPECT_EQ(S[6][17], 'N');
  // Leaving clears the screen for the game loop's redraw.
  for (int Row = 1; Row <= ScreenRows; ++Row) EXPECT_EQ(Screen.Row(Row), std::string(80, ' '));
}

TEST_F(SetupTest, LowerCaseEntriesWork) {
  Edit(Start, "c\rwke1\rbke8\rwnf3\rwpa2\ra2\rbm\rq\r");
  EXPECT_TRUE(Messages.empty());
  EXPECT_STREQ(BoardFen(), "4k3/8/8/8/8/5N2/8/4K3 b ");
  ExpectListsMatchBoard();
}

TEST_F(SetupTest, ClearThenKingsAndPawnBecomesTheGame) {
  for (const char *Fen : {Start, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq"}) {
    SetFen(Fen);
    const int8_t Side = Game.St.WhosMove;
    Game.MoveNum = 7;
    HumansMove = false;
    Game.InLibrary = true;
    const uint64_t OldKey = 0x0123456789ABCDEFull;
    AddToTT(Game.St.WhosMove, OldKey, 42, Exact, 3, "E2E4", WPawn);
    Type("C\rWKE1\rBKE8\rWPE2\rQ\r");
    SetupBoard();

    SCOPED_TRACE(Fen);
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(Game.St.WhosMove, Side);
    EXPECT_EQ(BoardFen(), std::string("4k3/8/8/8/8/8/4P3/4K3 ") + (Side == WMove ? "w " : "b "));
    const DataType &D = Game.St.Data[0];
    for (int Slot = 0; Slot < 2; ++Slot)
      for (int K = 0; K < 5; ++K) {
        EXPECT_EQ(D.WPieceList[Slot][K], Slot == 0 && K == PIdx(WKing) ? Sq("e1") : -1);
        EXPECT_EQ(D.BPieceList[Slot][K], Slot == 0 && K == PIdx(BKing) ? Sq("e8") : -1);
      }
    EXPECT_EQ(CountPieces(Game.Here(), WPawn), 1);
    EXPECT_EQ(CountPieces(Game.Here(), BPawn), 0);
    EXPECT_EQ(D.WExtraCount + D.BExtraCount, 0);
    ExpectListsMatchBoard();
    EXPECT_EQ(Game.MoveNum, 0);
    EXPECT_TRUE(HumansMove);
    EXPECT_FALSE(Game.InLibrary);
    EXPECT_EQ(D.HashKey, CalcBrdKey(Game.Here()));
    EXPECT_EQ(D.HashKey, KeyFromBoard());
    FullTTType E{};
    E.Key = OldKey;
    GetFromTT(E, Game.St.WhosMove);
    EXPECT_EQ(E.Node, None) << "the table was not emptied";
  }
}

TEST_F(SetupTest, SquareEntriesEmptyTheSquare) {
  struct {
    const char *Fen, *Keys, *After;
  } const Cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKB1R w KQkq", "g1\rq\r",
       "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKB1R w KQkq"},
      {Start, "G1\rQ\r", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKB1R w KQkq"},
      {Start, "e2\rd7\rQ\r", "rnbqkbnr/ppp1pppp/8/8/8/8/PPPP1PPP/RNBQKBNR w KQkq"},
  };
  for (const auto &C : Cases) {
    Edit(C.Fen, C.Keys);
    SCOPED_TRACE(C.Keys);
    EXPECT_TRUE(Messages.empty());
    EXPECT_STREQ(BoardFen(), C.After);
    ExpectListsMatchBoard();
  }
  // The knight from g1 has left its slot; the other one stays.
  Edit(Start, "g1\rq\r");
  EXPECT_EQ(Game.St.Data[0].WPieceList[0][PIdx(WNight)], Sq("b1"));
  EXPECT_EQ(Game.St.Data[0].WPieceList[1][PIdx(WNight)], -1);
}

TEST_F(SetupTest, PawnsOnTheirOwnBackRankAreRefused) {
  struct {
    const char *Fen, *Keys, *After, *Message;
  } const Cases[] = {
      {BareKings, "bpa1\rq\r", "4k3/8/8/8/8/8/8/p3K3 w ", nullptr},
      {BareKings, "wph8\rq\r", "4k2P/8/8/8/8/8/8/4K3 w ", nullptr},
      {BareKings, "wpa1\rq\r", "4k3/8/8/8/8/8/8/4K3 w ", "Illegal position"},
      {BareKings, "bph8\rq\r", "4k3/8/8/8/8/8/8/4K3 w ", "Illegal position"},
      {BareKings, "wph1\rq\r", "4k3/8/8/8/8/8/8/4K3 w ", "Illegal position"},
      {BareKings, "bpa8\rq\r", "4k3/8/8/8/8/8/8/4K3 w ", "Illegal position"},
      {BareKings, "wpa2\rbph7\rq\r", "4k3/7p/8/8/8/8/P7/4K3 w ", nullptr},
      // The square keeps what it held.
      {Start, "wpa1\rq\r", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq",
       "Illegal position"},
      {Start, "bph8\rq\r", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq",
       "Illegal position"},
  };
  for (const auto &C : Cases) {
    Edit(C.Fen, C.Keys);
    SCOPED_TRACE(C.Keys);
    EXPECT_STREQ(BoardFen(), C.After);
    EXPECT_EQ(Messages,
              C.Message ? std::vector<std::string>{C.Message} : std::vector<std::string>{});
    ExpectListsMatchBoard();
  }
}

TEST_F(SetupTest, OnlyFourCharactersOfAnEntryCount) {
  Edit(BareKings, "WNF3XYZ\rQ\r");
  EXPECT_TRUE(Messages.empty());
  EXPECT_STREQ(BoardFen(), "4k3/8/8/8/8/5N2/8/4K3 w ");
  ExpectListsMatchBoard();
}

TEST_F(SetupTest, SideEntriesOnlySetTheSideToMove) {
  struct {
    const char *Fen, *Keys;
    int8_t Side;
  } const Cases[] = {
      {Start, "BM\rQ\r", BMove},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq", "WM\rQ\r", WMove},
      {Start, "wm\rQ\r", WMove},
      {Start, "bm\rwm\rbm\rQ\r", BMove},
  };
  for (const auto &C : Cases) {
    SetFen(C.Fen);
    const DataType Before = Game.St.Data[0];
    Type(C.Keys);
    SetupBoard();
    SCOPED_TRACE(C.Keys);
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(Game.St.WhosMove, C.Side);
    EXPECT_TRUE(SamePlacement(Game.St.Data[0], Before));
    EXPECT_EQ(Game.St.Data[0].CastleStat, Before.CastleStat);
  }
}

TEST_F(SetupTest, EntriesOfOtherShapesChangeNothing) {
  const char *const Entries[] = {
      "",      "x",    "1",    "C1X",  "wnf",  "Q1",   "CC",   "QQ",   "WN",   "A9",
      "I1",    "A0",   "h",    "-1",   "@1",   " c",   "c ",   "q ",   " q",   "xnf3",
      "wxf3",  "wni3", "wnf9", "wnf0", "w1f3", "wpe ", "wk e", "bz1a", "wqi8", "zzzzzzzzzzzz",
      "wwwww", "1234", "e2e4", "a1a1", "ccc",  "qqqq", "bm ",  "wm1",
  };
  for (const char *Entry : Entries) {
    SetFen(Start);
    const DataType Before = Game.St.Data[0];
    const int8_t Side = Game.St.WhosMove;
    Type(Entry, "\rq\r");
    SetupBoard();
    SCOPED_TRACE(std::string("entry '") + Entry + "'");
    EXPECT_EQ(Messages, std::vector<std::string>{"Illegal Command"});
    EXPECT_TRUE(SamePlacement(Game.St.Data[0], Before));
    EXPECT_EQ(Game.St.WhosMove, Side);
    EXPECT_EQ(Game.St.Data[0].CastleStat, 15);
    ExpectListsMatchBoard();
    EXPECT_EQ(Screen.KeysLeft(), 0u) << "the editor left before q";
  }
}

TEST_F(SetupTest, MessagesFitOnTheirRow) {
  // Every message the editor gives, with ": (Press any key)", ends by column 80.
  Edit(Start, "x\rwnd4\rq\r");
  ASSERT_EQ(Messages.size(), 2u);
  for (const std::string &M : Messages) EXPECT_LE(49 + M.size() + 17 - 1, 80u) << M;
}

TEST_F(SetupTest, PlacingOnAnOccupiedSquareReplacesTheOccupant) {
  struct {
    const char *Fen, *Keys, *After;
  } const Cases[] = {
      {Start, "wqe7\rbm\rq\r", "rnbqkbnr/ppppQppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq"},
      {Start, "bqe2\rq\r", "rnbqkbnr/pppppppp/8/8/8/8/PPPPqPPP/RNBQKBNR w KQkq"},
      // Same kind as the occupant: no room needed, the count stays.
      {Start, "wnb1\rwpe2\rwke1\rbqd8\rq\r", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq"},
      {Start, "g1\rwnd4\rq\r", "rnbqkbnr/pppppppp/8/8/3N4/8/PPPPPPPP/RNBQKB1R w KQkq"},
      {Start, "a2\rb2\rwqd4\rwqd5\rwqd6\rq\r",
       "rnbqkbnr/pppppppp/3Q4/3Q4/3Q4/8/2PPPPPP/RNBQKBNR w KQkq"},
      {BareKings, "wnd4\rbnd4\rwrd4\rq\r", "4k3/8/8/8/3R4/8/8/4K3 w "},
  };
  for (const auto &C : Cases) {
    Edit(C.Fen, C.Keys);
    SCOPED_TRACE(C.Keys);
    EXPECT_TRUE(Messages.empty());
    EXPECT_STREQ(BoardFen(), C.After);
    ExpectListsMatchBoard();
    EXPECT_EQ(Game.St.Data[0].HashKey, KeyFromBoard());
  }
}

TEST_F(SetupTest, PiecesTheListsCannotHoldAreRefused) {
  const char *const Entries[] = {"wnd4", "wbd4", "wrd4", "wkd4", "wpd4", "bnd5", "bbd5", "brd5",
                                 "bkd5", "bpd5",
                                 // over a piece of the other colour
                                 "bne2", "wpd7"};
  for (const char *Entry : Entries) {
    SetFen(Start);
    const DataType Before = Game.St.Data[0];
    Type(Entry, "\rq\r");
    SetupBoard();
    SCOPED_TRACE(Entry);
    EXPECT_EQ(Messages, std::vector<std::string>{"Too Many Pieces"});
    EXPECT_TRUE(SamePlacement(Game.St.Data[0], Before));
    ExpectListsMatchBoard();
  }
}

// Every pawn may still become a queen: queens and pawns of a side together
// never exceed the ten queens the lists hold.
TEST_F(SetupTest, QueensAndPawnsShareTheQueensRoom) {
  constexpr const char *Ten = "4k3/8/8/8/8/8/PPPPPPPP/QQ2K3 w -";
  struct {
    const char *Keys, *After;
    bool Refused;
  } const Cases[] = {
      {"wqd4\rq\r", "4k3/8/8/8/8/8/PPPPPPPP/QQ2K3 w ", true},
      {"a2\rwqd4\rq\r", "4k3/8/8/8/3Q4/8/1PPPPPPP/QQ2K3 w ", false},
      {"wqa2\rq\r", "4k3/8/8/8/8/8/QPPPPPPP/QQ2K3 w ", false},           // a pawn becomes a queen
      {"a1\rwpa3\rq\r", "4k3/8/8/8/8/8/PPPPPPPP/1Q2K3 w ", true},        // still eight pawns
      {"bqd5\rbqd6\rq\r", "4k3/8/3q4/3q4/8/8/PPPPPPPP/QQ2K3 w ", false}, // the other side's own
  };
  for (const auto &C : Cases) {
    Edit(Ten, C.Keys);
    SCOPED_TRACE(C.Keys);
    EXPECT_EQ(Messages,
              C.Refused ? std::vector<std::string>{"Too Many Pieces"} : std::vector<std::string>{});
    EXPECT_STREQ(BoardFen(), C.After);
    ExpectListsMatchBoard();
  }
}

// A king the side to move could take keeps the editor open until the
// position is one a game can go on from; an input that ends first gives back
// the position S was typed in.
TEST_F(SetupTest, LeavingWithAKingThatCouldBeTakenIsRefused) {
  struct {
    const char *Keys, *After;
    std::size_t Refusals;
  } const Cases[] = {
      {"wqe7\rq\rbm\rq\r", "rnbqkbnr/ppppQppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq", 1},
      {"wqe7\rq\re7\rbpe7\rq\r", Start, 1},
      // Kings side by side, then the rook still on the king: two refusals.
      {"c\rwrd2\rbkg2\rwkh2\rq\rh2\rq\rbm\rq\r", "8/8/8/8/8/8/3R2k1/8 b ", 2},
      {"wqe7\rq\r", Start, 1},
  };
  for (const auto &C : Cases) {
    Edit(Start, C.Keys);
    SCOPED_TRACE(C.Keys);
    EXPECT_EQ(Messages, std::vector<std::string>(C.Refusals, "Illegal position"));
    EXPECT_STREQ(BoardFen(), C.After);
    EXPECT_FALSE(KingCanBeTaken(Game.Here(), Game.St.WhosMove));
    EXPECT_EQ(Game.St.Data[0].HashKey, KeyFromBoard());
    ExpectListsMatchBoard();
  }
}

TEST_F(SetupTest, CastlingRightsWithoutTheirPiecesAreDropped) {
  struct {
    const char *Fen, *Keys;
    uint8_t CastleStat;
  } const Cases[] = {
      {Start, "q\r", 15},
      {Start, "h1\rq\r", 14},
      {Start, "a1\rq\r", 13},
      {Start, "e1\rq\r", 12},
      {Start, "h8\rq\r", 11},
      {Start, "a8\rq\r", 7},
      {Start, "e8\rq\r", 3},
      {Start, "wqh1\rq\r", 14},
      {Start, "bqa8\rq\r", 7},
      {Start, "f1\rg1\rq\r", 15},
      // C keeps the rights; only those whose pieces came back survive.
      {Start, "c\rwke1\rwrh1\rbke8\rbra8\rq\r", 9},
      // Rights are never granted by the editor.
      {BareKings, "wrh1\rwra1\rbrh8\rbra8\rq\r", 0},
  };
  for (const auto &C : Cases) {
    Edit(C.Fen, C.Keys);
    SCOPED_TRACE(C.Keys);
    EXPECT_EQ(Game.St.Data[0].CastleStat, C.CastleStat);
  }
}

TEST_F(SetupTest, EnPassantSquareKeptOnlyWhileItStillFits) {
  // After 1. e4: e3 is the square the pawn passed over.
  constexpr const char *AfterE4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq";
  struct {
    const char *Keys;
    int8_t EnPasSq;
  } const Cases[] = {
      {"q\r", Sq("e3")}, {"d7\rq\r", Sq("e3")}, {"e4\rq\r", -1},       {"wqe4\rq\r", -1},
      {"wm\rq\r", -1},   {"c\rq\r", -1},        {"b8\rbne3\rq\r", -1},
  };
  for (const auto &C : Cases) {
    SetFen(AfterE4);
    Game.St.Data[0].EnPasSq = Sq("e3");
    Type(C.Keys);
    SetupBoard();
    SCOPED_TRACE(C.Keys);
    EXPECT_EQ(Game.St.Data[0].EnPasSq, C.EnPasSq);
  }
}

TEST_F(SetupTest, TheEndOfTheInputLeavesTheEditor) {
  struct {
    const char *Keys, *After;
  } const Cases[] = {
      {"", "4k3/8/8/8/8/8/8/4K3 w "},
      {"wnf3\r", "4k3/8/8/8/8/5N2/8/4K3 w "},
      {"bm\rwnf3", "4k3/8/8/8/8/5N2/8/4K3 b "},
      // A key that leaves nothing typed, then the end: no entry, no message.
      {"\x7f", "4k3/8/8/8/8/8/8/4K3 w "},
  };
  for (const auto &C : Cases) {
    SetFen(BareKings);
    Game.MoveNum = 3;
    HumansMove = false;
    Game.InLibrary = true;
    Type(C.Keys);
    SetupBoard();
    SCOPED_TRACE(C.Keys);
    EXPECT_TRUE(Messages.empty());
    EXPECT_STREQ(BoardFen(), C.After);
    EXPECT_EQ(Game.MoveNum, 0);
    EXPECT_TRUE(HumansMove);
    EXPECT_FALSE(Game.InLibrary);
    EXPECT_EQ(Game.St.Data[0].HashKey, KeyFromBoard());
    ExpectListsMatchBoard();
  }
}

} // namespace
