#include "platform/MemScreen.h"

#include <cstring>

MemScreen::MemScreen() { Clear(); }

void MemScreen::Clear() {
  for (auto &Line : Cells)
    for (Cell &C : Line) C = {' ', LightGray, Black};
  CursorX = 1, CursorY = 1;
}

void MemScreen::PutCell(int X, int Y, char Ch, int Fg, int Bg) {
  if (X < 1 || X > ScreenCols || Y < 1 || Y > ScreenRows) return;
  Cells[Y - 1][X - 1] = {Ch, Fg, Bg};
}

void MemScreen::MoveCursor(int X, int Y) { CursorX = X, CursorY = Y; }

// Once the script runs out the keyboard has ended, so a read never waits.
bool MemScreen::KeyWaiting() { return true; }

int MemScreen::GetKey() {
  if (KeyPos >= KeyCount) return -1;
  return static_cast<unsigned char>(Keys[KeyPos++]);
}

void MemScreen::Type(const char *S) { Type(S, S ? std::strlen(S) : 0); }

void MemScreen::Type(const char *S, std::size_t N) {
  // Keys already read are dropped so a long test can keep typing.
  if (KeyPos > 0) {
    std::memmove(Keys, Keys + KeyPos, KeyCount - KeyPos);
    KeyCount -= KeyPos;
    KeyPos = 0;
  }
  if (N > sizeof Keys - KeyCount) N = sizeof Keys - KeyCount;
  if (N == 0) return;
  std::memcpy(Keys + KeyCount, S, N);
  KeyCount += N;
}

const char *MemScreen::Row(int Y, int X) const {
  int N = 0;
  if (Y >= 1 && Y <= ScreenRows && X >= 1)
    for (int I = X; I <= ScreenCols; ++I) RowBuf[N++] = Cells[Y - 1][I - 1].Ch;
  RowBuf[N] = '\0';
  return RowBuf;
}
