#include "shell/Console.h"

#include "board/Types.h"

Str255 CmdStr;
uint16_t MoveTime = 60;
uint8_t FixedDepth = NoFixedDepth;
bool HumansMove = true;
bool Quit = false;

void ResetConsole() {
  CmdStr.Clear();
  MoveTime = 60;
  FixedDepth = NoFixedDepth;
  HumansMove = true;
  Quit = false;
}
