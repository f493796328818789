#include "board/Globals.h"

constinit SearchState MainState;

Str255 OpeningStr;
bool EndGame = false;
bool InLibrary = true;
