#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>

#include "TestUtil.h"
#include "board/Board.h"
#include "board/Zorbist.h"
#include "game/Fen.h"
#include "hash/TT.h"
#include "shell/FenFile.h"

namespace {

TEST(Fen, WriteGivesTheThreeFieldsWithoutLineEnd) {
  TempDir Dir;
  ResetGame();
  WriteFEN();
  EXPECT_STREQ(ReadFile("game.fen"), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq");
  SetFen("8/8/8/8/8/8/8/K6k b - -");
  WriteFEN();
  EXPECT_STREQ(ReadFile("game.fen"), "8/8/8/8/8/8/8/K6k b ") << "no rights: a trailing blank";
}

TEST(Fen, WriteThenReadRestoresPlacementSideAndRights) {
  TempDir Dir;
  const char *Positions[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq",
      "4k3/8/8/8/8/8/8/4K3 b ",
      "r3k3/8/8/8/8/8/8/4K2R w Kq",
      "4k3/8/8/8/8/8/8/QQ1QK3 w ", // a third queen is sound
      "8/8/8/8/8/8/8/8 w ",        // no kings at all, as the editor allows
  };
  for (const char *P : Positions) {
    SetFen(P);
    WriteFEN();
    ResetGame();
    Game.St.Data[0].EnPasSq = 20;
    Game.InLibrary = true;
    const uint64_t OldKey = ZorbistKey(WPawn, 12);
    ReadFEN();
    EXPECT_STREQ(BoardFen(), P);
    EXPECT_EQ(Game.St.Data[0].EnPasSq, -1);
    EXPECT_FALSE(Game.InLibrary);
    EXPECT_NE(ZorbistKey(WPawn, 12), OldKey) << "fresh keys";
    EXPECT_EQ(Game.St.Data[0].HashKey, CalcBrdKey(Game.Here()));
  }
}

TEST(Fen, SixFieldLineIsReadAndEnPassantIgnored) {
  TempDir Dir;
  WriteFile("game.fen", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1\n");
  ResetGame();
  ReadFEN();
  EXPECT_STREQ(BoardFen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq");
  EXPECT_EQ(Game.St.WhosMove, BMove);
  EXPECT_EQ(Game.St.Data[0].EnPasSq, -1);
  WriteFile("game.fen", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\r\n");
  ReadFEN();
  EXPECT_EQ(Game.St.WhosMove, WMove) << "CR LF line end";
  WriteFile("game.fen", "4k3/8/8/8/8/8/8/4K3\tb -\n");
  ReadFEN();
  EXPECT_STREQ(BoardFen(), "4k3/8/8/8/8/8/8/4K3 b ") << "a tab as the separator";
}

TEST(Fen, StrayCharactersCountAsOneEmptySquare) {
  TempDir Dir;
  WriteFile("game.fen", "rnbqkbn9/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w Qq");
  ResetGame();
  ReadFEN();
  EXPECT_STREQ(BoardFen(), "rnbqkbn1/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w Qq");
}

TEST(Fen, RightsThatDoNotFitThePlacementAreDropped) {
  TempDir Dir;
  WriteFile("game.fen", "1r2k2r/8/8/8/8/8/8/R3K1R1 w KQkq");
  ResetGame();
  ReadFEN();
  EXPECT_EQ(Game.St.Data[0].CastleStat, 2 | 4) << "h1 and a8 rooks are gone";
  WriteFile("game.fen", "r3k2r/8/8/8/8/8/8/R2K3R w KQkq");
  ReadFEN();
  EXPECT_EQ(Game.St.Data[0].CastleStat, 4 | 8) << "the white king left e1";
}

TEST(Fen, MissingFileIsReported) {
  TempDir Dir;
  RecordingFrontEnd Seen;
  ResetGame();
  ReadFEN();
  EXPECT_STREQ(RecordingFrontEnd::Last, "No Board File Found");
  mkdir("game.fen", 0755);
  ReadFEN();
  EXPECT_EQ(RecordingFrontEnd::Count, 2) << "a directory is no board file";
  EXPECT_STREQ(RecordingFrontEnd::Last, "No Board File Found");
}

TEST(Fen, HostileFilesAreRefusedAndChangeNothing) {
  TempDir Dir;
  RecordingFrontEnd Seen;
  std::string Long(100000, 'p');
  std::string Binary;
  for (int I = 0; I < 4096; ++I) Binary.push_back(static_cast<char>((I * 37 + 11) & 0xFF));
  const std::string Cases[] = {
      "",
      "\n",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP",                   // ends early
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN",           // last rank short
      "rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq",  // nine squares
      "rnbqkbnr/pppppppp/45/8/8/8/PPPPPPPP/RNBQKBNR w KQkq",  // 4 + 5 squares
      "rnbqkbnr/pppppppp/7/8/8/8/PPPPPPPP/RNBQKBNR w KQkq",   // seven squares
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/8 w KQkq", // a ninth rank
      "rnbqkbnr/pppppppp/8/8/3N4/8/PPPPPPPP/RNBQKBNR w KQkq", // three knights
      "rnbqkbnr/pppppppp/8/8/3P4/8/PPPPPPPP/RNBQKBNR w KQkq", // nine pawns
      "rnbqkbnr/pppppppp/8/8/3k4/8/PPPPPPPP/RNBQKBNR w KQkq", // two black kings
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNP w KQkq",   // white pawn on rank 1
      "rnbqkbnp/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq",   // black pawn on rank 8
      std::string("rnbqkbnr/pppp\0ppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", 50), // a NUL inside
      "QQQQQQQQ/QQ1P4/8/8/8/8/5ppp/K6k w - - 0 1", // an eleventh queen to be
      "k6K/5PPP/8/8/8/8/qq1p4/qqqqqqqq b - - 0 1",
      "8/8/8/8/8/8/3R2kK/8 w -",         // White could take the king
      "8/1n6/8/8/5b1P/8/1K6/2q5 b KQkq", // Black could, having none
      Long,
      "8/8/8/8/8/8/8/" + Long,
      Binary,
  };
  for (const std::string &C : Cases) {
    SetFen("r3k2r/8/8/8/8/8/8/R3K2R b Kq");
    Game.InLibrary = true;
    const DataType Before = Game.St.Data[0];
    const int Count = RecordingFrontEnd::Count;
    WriteFile("game.fen", C.data(), C.size());
    ReadFEN();
    EXPECT_EQ(RecordingFrontEnd::Count, Count + 1) << C.substr(0, 60);
    EXPECT_STREQ(RecordingFrontEnd::Last, "Bad Board File");
    EXPECT_EQ(std::memcmp(&Before, &Game.St.Data[0], sizeof Before), 0) << C.substr(0, 60);
    EXPECT_EQ(Game.St.WhosMove, BMove);
    EXPECT_TRUE(Game.InLibrary);
  }
}

// Each piece beyond two of its kind came from a pawn: those pieces and the
// pawns of a side together stay within eight.
TEST(Fen, ParserAcceptsWhatPromotionsCanGive) {
  const struct {
    const char *Fen, *Why; // Why: nullptr when accepted
  } Cases[] = {
      // A pawn on the far rank (white on 8, black on 1) is accepted, as in the editor.
      {"P3k3/8/8/8/8/8/8/4K2p w -", nullptr},
      // Digit 0 stands for one empty square like any other stray character.
      {"07/8/8/8/8/8/8/K6k w -", nullptr},
      {"QQQQQQQQ/QQ6/8/8/8/8/8/K6k w -", nullptr},
      {"QQQQQQQQ/QQQ5/8/8/8/8/8/K6k w -", "too many queens and pawns"},
      {"4k3/8/8/8/8/8/PPPPPPPP/NNN1K3 w -", "too many pieces"},
      {"4k3/8/8/8/8/8/1PPPPPPP/NNN1K3 w -", nullptr},
      {"bbb1k3/pppppppp/8/8/8/8/8/4K3 w -", "too many pieces"},
      {"rrr1k3/1ppppppp/8/8/8/8/8/4K3 w -", nullptr},
      // A knight and a queen beyond two: eight with six pawns, nine with seven.
      {"4k3/8/8/8/8/8/2PPPPPP/NNNQQQK1 w -", nullptr},
      {"4k3/8/8/8/8/8/1PPPPPPP/NNNQQQK1 w -", "too many pieces"},
  };
  for (const auto &C : Cases) {
    ParsedFEN P;
    const char *Why = "not set";
    EXPECT_EQ(ParseFEN(C.Fen, P, Why), C.Why == nullptr) << C.Fen;
    EXPECT_STREQ(Why, C.Why) << C.Fen;
  }
}

TEST(Fen, WriteFailureIsReportedAndTheGameGoesOn) {
  TempDir Dir;
  RecordingFrontEnd Seen;
  ResetGame();
  mkdir("game.fen", 0755);
  const DataType Before = Game.St.Data[0];
  WriteFEN();
  EXPECT_STREQ(RecordingFrontEnd::Last, "Write Failed");
  EXPECT_EQ(std::memcmp(&Before, &Game.St.Data[0], sizeof Before), 0);
}

} // namespace
