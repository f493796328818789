#include "board/Zorbist.h"

#include <cstring>

#include "board/Types.h"
#include "platform/Random.h"

uint64_t ZorbistBrd[256][256];

namespace {
bool KeysKept = false;
bool KeysDrawn = false;

void DrawKeys() {
  std::memset(ZorbistBrd, 0, sizeof ZorbistBrd);
  Randomize();
  for (int8_t Sq = 0; Sq < 64; ++Sq)
    for (int8_t P = 1; P <= 14; ++P) {
      if (P == 7 || P == 8) continue;
      // The first draw is the high half; each half lies in 0..4294967294.
      uint64_t H = Random(4294967295u);
      uint64_t L = Random(4294967295u);
      ZorbistBrd[P + 128][Sq + 128] = (H << 32) | L;
    }
  KeysDrawn = true;
}
} // namespace

// Keys kept before any were drawn would all be zero, and every position would
// share one key: they are drawn first.
void KeepZorbistKeys() {
  if (!KeysDrawn) DrawKeys();
  KeysKept = true;
}

void InitZorbistBoard(DataType &D) {
  if (!KeysKept) DrawKeys();
  D.HashKey = CalcBrdKey(D);
}

uint64_t CalcBrdKey(const DataType &D) {
  uint64_t Key = 0;
  for (int Slot = 0; Slot < 2; ++Slot) {
    for (int8_t P = WNight; P <= WKing; ++P)
      if (D.WPieceList[Slot][PIdx(P)] != -1) Key ^= ZorbistKey(P, D.WPieceList[Slot][PIdx(P)]);
    for (int8_t P = BNight; P <= BKing; ++P)
      if (D.BPieceList[Slot][PIdx(P)] != -1) Key ^= ZorbistKey(P, D.BPieceList[Slot][PIdx(P)]);
  }
  for (int I = 0; I < 8; ++I) {
    if (D.WPawnList[I] != -1) Key ^= ZorbistKey(WPawn, D.WPawnList[I]);
    if (D.BPawnList[I] != -1) Key ^= ZorbistKey(BPawn, D.BPawnList[I]);
  }
  // An extra piece's kind is the one on the board.
  for (int I = 0; I < D.WExtraCount; ++I) Key ^= ZorbistKey(PieceOn(D, D.WExtra[I]), D.WExtra[I]);
  for (int I = 0; I < D.BExtraCount; ++I) Key ^= ZorbistKey(PieceOn(D, D.BExtra[I]), D.BExtra[I]);
  return Key;
}
