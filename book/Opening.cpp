#include "book/Opening.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "board/Squares.h"
#include "board/Types.h"
#include "moves/Move.h"
#include "platform/Random.h"
#include "platform/TextFile.h"
#include "seam/Seam.h"

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
ShortStr Checked(PositionStack &St, const ShortStr &Move) {
  return IsLegalMove(St, Move) ? Move : ShortStr(NoMoveText);
}

// The clock seeds the draw, or the caller's Seed mixed with the moves played,
// so that the same seed picks the same line after the same moves.
void SeedTheDraw(const Str255 &PlayedMoves, uint64_t Seed) {
  if (Seed == 0) {
    Randomize();
    return;
  }
  uint64_t H = Seed;
  for (std::size_t C = 0; C < PlayedMoves.Length(); ++C)
    H = (H ^ static_cast<uint8_t>(PlayedMoves[C])) * 0x100000001B3ull;
  RandomizeFrom(H);
}

ShortStr GetFirstMove(PositionStack &St, uint64_t Seed) {
  SeedTheDraw(Str255(), Seed);
  return Checked(St, WhitesFirst[Random(16)]);
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

// Appends Part to Path (of capacity Cap, NUL-terminated); false if it does not fit.
bool AppendPath(char *Path, std::size_t Cap, const char *Part) {
  const std::size_t Have = std::strlen(Path), Add = std::strlen(Part);
  if (Have + Add >= Cap) return false;
  std::memcpy(Path + Have, Part, Add + 1);
  return true;
}

// The installed book: the data folder seen from the folder of the running
// program, so an installed copy finds its own book under any prefix; the
// configured folder where the program cannot find itself.
bool OpenInstalled(TextFile &Lib, const char *Name) {
#if defined(TORVANE_DATA_FROM_BIN) && defined(TORVANE_DATA_DIR)
  if (Name[0] == '/') return false;
  char Path[PATH_MAX] = {};
  const ssize_t N = readlink("/proc/self/exe", Path, sizeof Path - 1);
  char *Slash = N > 0 ? std::strrchr(Path, '/') : nullptr;
  if (Slash)
    Slash[1] = '\0';
  else
    Path[0] = '\0';
  return AppendPath(Path, sizeof Path, Slash ? TORVANE_DATA_FROM_BIN "/" : TORVANE_DATA_DIR "/") &&
         AppendPath(Path, sizeof Path, Name) && Lib.OpenRead(Path);
#else
  (void)Lib, (void)Name;
  return false;
#endif
}

// Reads line I of the book into LibraryStr; false if the file cannot be rewound.
bool ReadLineNumber(TextFile &Lib, int32_t I) {
  if (!Lib.Rewind()) return false;
  for (int32_t J = 1; J <= I; ++J) Lib.ReadLine(LibraryStr);
  return true;
}
} // namespace

void InitOpeningLib() {
  LibStartLine = 1;
  LibFinishLine = MaxOpenings;
}

ShortStr GetLibraryMove(PositionStack &St, const Str255 &PlayedMoves, uint64_t Seed) {
  LibStartLine = 1;
  LibFinishLine = MaxOpenings;
  if (PlayedMoves.Empty()) return GetFirstMove(St, Seed);

  ShortStr Result = NoMoveText;
  TextFile Lib;
  // The working directory first, so a book of one's own beats the installed one.
  if (!Lib.OpenRead(LibFileName) && !OpenInstalled(Lib, LibFileName)) {
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

  SeedTheDraw(PlayedMoves, Seed);
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
    Result = Checked(St, Move);
  }
  ShowBookLine(LibraryStr.c_str());
  return Result;
}

int ListLibraryMoves(PositionStack &St, const Str255 &PlayedMoves, ShortStr *Moves,
                     uint32_t *Counts, int Max) {
  int N = 0;
  // One more of Move, a new entry while there is room; an answer that is not
  // a legal move here is no book move.
  auto Count = [&](const ShortStr &Move) {
    if (!IsLegalMove(St, Move)) return;
    for (int I = 0; I < N; ++I)
      if (Moves[I] == Move) {
        ++Counts[I];
        return;
      }
    if (N == Max) return;
    Moves[N] = Move;
    Counts[N++] = 1;
  };
  if (PlayedMoves.Empty()) {
    for (const char *M : WhitesFirst) Count(ShortStr(M));
    return N;
  }
  TextFile Lib;
  if (!Lib.OpenRead(LibFileName) && !OpenInstalled(Lib, LibFileName)) return 0;
  const std::size_t From = PlayedMoves.Length();
  for (int32_t Line = 1; Line <= MaxOpenings && !Lib.Eof(); ++Line) {
    Lib.ReadLine(LibraryStr);
    if (LibraryStr.Length() >= From + 4 && OpeningFound(PlayedMoves)) {
      ShortStr Move;
      Move.Assign(LibraryStr.c_str() + From, 4);
      Count(Move);
    }
  }
  return N;
}
