#include "board/Globals.h"

DataType Data[MaxPly + 1];
uint8_t Ply = 0;

Str255 CmdStr;
Str255 OpeningStr;
uint16_t MoveNum = 0;
uint16_t MoveTime = 60;
uint8_t FixedDepth = 255;
int8_t WhosMove = WMove;
bool HumansMove = true;
bool EndGame = false;
bool Debug = false;
bool InLibrary = true;
