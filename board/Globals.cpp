#include "board/Globals.h"

DataType Data[MaxPly + 1];
uint8_t Ply = 0;

Str255 OpeningStr;
int8_t WhosMove = WMove;
bool EndGame = false;
bool InLibrary = true;
