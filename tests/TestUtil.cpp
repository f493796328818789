#include "TestUtil.h"

#include <gtest/gtest.h>

#include <cstring>

#include "board/Board.h"
#include "board/Fen.h"
#include "board/NewGame.h"
#include "platform/Random.h"

void ResetGame() {
  SetFixedSeed(12345);
  MoveTime = 60;
  FixedDepth = 255;
  HumansMove = true;
  EndGame = false;
  Debug = false;
  CmdStr.Clear();
  SetupStartPosition();
}

void SetFen(const char *Fen) {
  ResetGame();
  const char *Why = nullptr;
  ASSERT_TRUE(SetupFEN(Fen, Why)) << Fen << ": " << (Why ? Why : "");
}

const char *BoardFen() {
  static char Text[100];
  static const char PieceChar[] = " PNBRQK??pnbrqk";
  int N = 0;
  for (int Rank = 7; Rank >= 0; --Rank) {
    int Run = 0;
    for (int Fyle = 0; Fyle < 8; ++Fyle) {
      const int8_t P = PieceOn(Data[Ply], Rank * 8 + Fyle);
      if (P == Empty) {
        ++Run;
        continue;
      }
      if (Run) Text[N++] = static_cast<char>('0' + Run);
      Run = 0;
      Text[N++] = PieceChar[P];
    }
    if (Run) Text[N++] = static_cast<char>('0' + Run);
    if (Rank) Text[N++] = '/';
  }
  Text[N] = '\0';
  std::strcat(Text, WhosMove == WMove ? " w " : " b ");
  const uint8_t C = Data[Ply].CastleStat;
  if (C & 1) std::strcat(Text, "K");
  if (C & 2) std::strcat(Text, "Q");
  if (C & 4) std::strcat(Text, "k");
  if (C & 8) std::strcat(Text, "q");
  return Text;
}
