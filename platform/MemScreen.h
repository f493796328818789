// An in-memory 80 x 25 screen with a scripted keyboard: the device the tests
// draw on and type into.
#pragma once
#include <cstddef>

#include "platform/Terminal.h"

struct Cell {
  char Ch;
  int Fg;
  int Bg;
};

class MemScreen final : public TermDevice {
public:
  MemScreen();
  void PutCell(int X, int Y, char Ch, int Fg, int Bg) override;
  void MoveCursor(int X, int Y) override;
  void Flush() override {}
  bool KeyWaiting() override;
  int GetKey() override;

  // Queues keys to be typed; "\r" is Enter. After the script runs out the
  // keyboard reports the end of input.
  void Type(const char *Keys);
  // The same for a script that may hold NUL bytes.
  void Type(const char *Keys, std::size_t N);
  // Blanks every cell (7 on 0) and homes the cursor; the key script stays.
  void Clear();

  const Cell &At(int X, int Y) const { return Cells[Y - 1][X - 1]; }
  // The text of row Y from column X to the end of the row (80 - X + 1 chars).
  const char *Row(int Y, int X = 1) const;
  // Count of the keys not yet consumed.
  std::size_t KeysLeft() const { return KeyCount - KeyPos; }
  int CursorX = 1, CursorY = 1;

private:
  Cell Cells[ScreenRows][ScreenCols];
  char Keys[65536];
  std::size_t KeyCount = 0, KeyPos = 0;
  mutable char RowBuf[ScreenCols + 1];
};
