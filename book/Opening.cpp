#include "book/Opening.h"

#include <algorithm>

#include "board/Globals.h"
#include "frontend/FrontEnd.h"
#include "moves/Move.h"
#include "platform/Random.h"
#include "platform/TextFile.h"

const char *LibFileName = "book.txt";
int32_t LibStartLine = 1, LibFinishLine = MaxOpenings;

namespace {
// The computer's first move as White; repeated entries weigh the choice.
constexpr const char *WhitesFirst[16] = {"E2E4", "E2E4", "E2E4", "E2E4", "D2D4", "D2D4",
                                         "D2D4", "D2D4", "C2C4", "C2C4", "G1F3", "G1F3",
                                         "B2B3", "F2F4", "G2G3", "E2E3"};

// The book line last read, first by the scan and then the chosen one.
Str255 LibraryStr;

bool OpeningFound(const Str255 &PlayedMoves) { return LibraryStr.StartsWith(PlayedMoves); }

// A damaged or foreign book must not be able to corrupt the position, so an
// answer that is not a legal move here counts as no book move at all.
ShortStr Checked(const ShortStr &Move) { return IsLegalMove(Move) ? Move : ShortStr("A1A1"); }

ShortStr GetFirstMove() {
  Randomize();
  return Checked(WhitesFirst[Random(16)]);
}

// Scans for the first line that begins with the played moves and leaves
// LibStartLine on it; a scan that gives up leaves it on the last line read.
void FindFirstMatch(TextFile &Lib, const Str255 &PlayedMoves) {
  LibraryStr.Clear();
  while (!Lib.Eof() && !OpeningFound(PlayedMoves) && LibStartLine <= LibFinishLine) {
    Lib.ReadLine(LibraryStr);
    ++LibStartLine;
  }
  --LibStartLine;
}

// Moves LibFinishLine from LibStartLine to the last line of the unbroken run
// (below it when the scan found nothing). Lines beyond MaxOpenings are never
// read here either.
void ExtendMatch(TextFile &Lib, const Str255 &PlayedMoves) {
  while (OpeningFound(PlayedMoves)) {
    ++LibFinishLine;
    if (LibFinishLine > MaxOpenings) break;
    Lib.ReadLine(LibraryStr);
  }
  --LibFinishLine;
}

// Reads line I of the book into LibraryStr; false if the file cannot be rewound.
bool ReadLineNumber(TextFile &Lib, int32_t I) {
  if (!Lib.Rewind()) return false;
  for (int32_t J = 1; J <= I; ++J) Lib.ReadLine(LibraryStr);
  return true;
}
} // namespace

void InitOpeningLib() {
  InLibrary = true;
  OpeningStr.Clear();
  LibStartLine = 1;
  LibFinishLine = MaxOpenings;
}

ShortStr GetLibraryMove(const Str255 &PlayedMoves) {
  LibStartLine = 1;
  LibFinishLine = MaxOpenings;
  if (PlayedMoves.Empty()) return GetFirstMove();

  ShortStr Result = "A1A1";
  TextFile Lib;
  if (!Lib.OpenRead(LibFileName)) {
    ErrorMsg("Missing Library File");
    return Result;
  }
  FindFirstMatch(Lib, PlayedMoves);
  LibFinishLine = LibStartLine;
  // A first match on the last line a lookup may read, or no match within it,
  // gives no move.
  if (LibFinishLine >= MaxOpenings) return Result;
  ExtendMatch(Lib, PlayedMoves);
  if (LibStartLine > LibFinishLine) return Result;

  Randomize();
  const int32_t I =
      LibStartLine +
      static_cast<int32_t>(Random(static_cast<uint32_t>(LibFinishLine - LibStartLine + 1)));
  if (!ReadLineNumber(Lib, I)) return Result;
  // Up to four characters: a line cut short ends in a partial move, which the
  // legality test then refuses.
  const std::size_t From = PlayedMoves.Length();
  if (LibraryStr.Length() > From) {
    ShortStr Move;
    Move.Assign(LibraryStr.c_str() + From, std::min<std::size_t>(LibraryStr.Length() - From, 4));
    Result = Checked(Move);
  }
  ShowBookLine(LibraryStr.c_str());
  return Result;
}
