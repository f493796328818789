#include "TestUtil.h"

#include <gtest/gtest.h>

#include <cstring>

#include "board/Board.h"
#include "board/Zorbist.h"
#include "game/Fen.h"
#include "game/Game.h"
#include "game/NewGame.h"
#include "hash/TT.h"
#include "moves/GenMoves.h"
#include "platform/Random.h"
#include "search/Clock.h"
#include "search/SearchState.h"

void (*ResetFrontEndState)() = nullptr;

void ResetGame() {
  SetFixedSeed(12345);
  MoveTimeMs = SecondsRuleMs(60);
  Game.St.EndGame = false;
  if (ResetFrontEndState) ResetFrontEndState();
  ClearHistory(Game.St);
  ClearPV(Game.St);
  NewGame();
}

void SetFen(const char *Fen) {
  ResetGame();
  const char *Why = nullptr;
  ParsedFEN P;
  ASSERT_TRUE(ParseFEN(Fen, P, Why)) << Fen << ": " << (Why ? Why : "");
  // Diagrams of attacks and moves may leave a king en prise: placed without
  // the game's test.
  ZeroBoardData(Game.Here());
  for (int Rank = 7; Rank >= 0; --Rank)
    for (int Fyle = 0; Fyle < 8; ++Fyle) {
      const int8_t Sq = static_cast<int8_t>(Rank * 8 + Fyle);
      if (P.Squares[Sq] != Empty) PutPiece(Game.Here(), P.Squares[Sq], Sq);
    }
  Game.St.WhosMove = P.Side;
  Game.St.Data[0].CastleStat = P.CastleStat;
  Game.St.Data[0].EnPasSq = -1;
  ZeroTTsOnSetUp();
  InitZorbistBoard(Game.Here());
}

const char *BoardFen() {
  static char Text[FenTextSize];
  FenText(Text);
  return Text;
}

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "seam/Seam.h"

TempDir::TempDir() {
  std::strcpy(Dir, "/tmp/torvane3-test-XXXXXX");
  if (!getcwd(Old, sizeof Old)) Old[0] = '\0';
  if (!mkdtemp(Dir) || chdir(Dir) != 0) std::abort();
}

TempDir::~TempDir() {
  if (Old[0] && chdir(Old) != 0) return;
  char Cmd[256];
  std::snprintf(Cmd, sizeof Cmd, "chmod -R u+rwx '%s'; rm -rf '%s'", Dir, Dir);
  if (std::system(Cmd) != 0) return;
}

void WriteFile(const char *Name, const char *Bytes, unsigned long Len) {
  std::FILE *F = std::fopen(Name, "wb");
  ASSERT_NE(F, nullptr) << Name;
  std::fwrite(Bytes, 1, Len, F);
  std::fclose(F);
}

void WriteFile(const char *Name, const char *Text) { WriteFile(Name, Text, std::strlen(Text)); }

const char *ReadFile(const char *Name) {
  static char Buf[65536];
  Buf[0] = '\0';
  std::FILE *F = std::fopen(Name, "rb");
  if (!F) return Buf;
  size_t N = std::fread(Buf, 1, sizeof Buf - 1, F);
  Buf[N] = '\0';
  std::fclose(F);
  return Buf;
}

int RecordingFrontEnd::Count = 0;
char RecordingFrontEnd::Last[256] = {};

RecordingFrontEnd::RecordingFrontEnd() {
  Count = 0;
  Last[0] = '\0';
  FrontEndType F = {};
  F.ErrorMsg = [](const char *S) {
    ++Count;
    std::snprintf(Last, sizeof Last, "%s", S);
  };
  InstallFrontEnd(F);
}

RecordingFrontEnd::~RecordingFrontEnd() { ResetFrontEnd(); }
