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

Str255 UpperCase(const Str255 &S) {
  Str255 R = S;
  for (std::size_t I = 0; I < R.Length(); ++I)
    if (R[I] >= 'a' && R[I] <= 'z') R[I] = static_cast<char>(R[I] - 'a' + 'A');
  return R;
}
