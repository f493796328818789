#include "game/Engine.h"

#include "board/Squares.h"
#include "book/Opening.h"
#include "search/Search.h"

MoveRec CalcMove() {
  if (InLibrary) {
    const ShortStr LibMove = GetLibraryMove(OpeningStr);
    OpeningStr.Append(LibMove);
    InLibrary = !(LibMove == "A1A1");
    if (InLibrary) return MoveStrToMoveRec(LibMove);
  }
  return ComputerMove();
}
