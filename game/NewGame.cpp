#include "game/NewGame.h"

#include <cstring>

#include "board/Types.h"
#include "board/Zorbist.h"
#include "book/Opening.h"
#include "game/Game.h"
#include "game/GameState.h"
#include "game/TakeBack.h"
#include "hash/TT.h"

void SetupStartPosition() {
  std::memset(Game.St.Data, 0, sizeof Game.St.Data);
  InitZorbistBoard(Game.Here());
  ZeroTTsOnSetUp();
  Game.St.Ply = 0;
  DataType &D = Game.St.Data[0];
  D.Board[1] = 0x11111111;
  D.Board[6] = 0x99999999;
  D.Board[0] = 0x42365324;
  D.Board[7] = 0xCABEDBAC;
  for (int8_t I = 0; I < 8; ++I) {
    D.WPawnList[I] = static_cast<int8_t>(8 + I);
    D.BPawnList[I] = static_cast<int8_t>(48 + I);
  }
  // Slot 0 / slot 1 for knight, bishop, rook, queen, king.
  constexpr int8_t White[2][5] = {{1, 2, 0, 3, 4}, {6, 5, 7, -1, -1}};
  constexpr int8_t Black[2][5] = {{57, 58, 56, 59, 60}, {62, 61, 63, -1, -1}};
  std::memcpy(D.WPieceList, White, sizeof White);
  std::memcpy(D.BPieceList, Black, sizeof Black);
  InitOpeningLib();
  Game.InLibrary = true;
  Game.OpeningStr.Clear();
  D.CastleStat = WhiteShort | WhiteLong | BlackShort | BlackLong;
  D.EnPasSq = -1;
  Game.St.WhosMove = WMove;
  Game.MoveNum = 0;
  D.HashKey = CalcBrdKey(Game.Here());
  InitTakeBackStack();
}
