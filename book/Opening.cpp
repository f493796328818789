#include "book/Opening.h"

#include "board/Globals.h"

const char *LibFileName = "book.txt";
int32_t LibStartLine = 1, LibFinishLine = MaxOpenings;

void InitOpeningLib() {
  InLibrary = true;
  OpeningStr.Clear();
  LibStartLine = 1;
  LibFinishLine = MaxOpenings;
}

// The lookup in book.txt is not built yet: no line is ever found.
ShortStr GetLibraryMove(const Str255 &) { return ShortStr("A1A1"); }
