// The opening book file (book.txt) as the game reads it: the book's answers
// along the file's first line, then a game in which the book plays both
// sides for as long as it knows a move. An answer must always be a legal
// move of the position it is given for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "board/Squares.h"
#include "book/Opening.h"
#include "fuzz/FuzzUtil.h"
#include "game/Game.h"
#include "game/GameState.h"

namespace {
// The book's answer after the game's moves, checked against the position.
ShortStr Answer(uint64_t Seed) {
  const ShortStr M = GetLibraryMove(Game.St, Game.OpeningStr, Seed);
  if (!(M == NoMoveText) && CheckMove(M, 0) != MoveRefusal::None) std::abort();
  return M;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  EnterScratchDir(0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, std::size_t Size) {
  WriteFileBytes("book.txt", Data, Size);
  const std::string_view Input(reinterpret_cast<const char *>(Data), Size);
  // The draw follows the input, so that each input always gives the same moves.
  uint64_t Seed = 1469598103934665603ull;
  for (const char C : Input) Seed = (Seed ^ static_cast<uint8_t>(C)) * 1099511628211ull;
  Seed |= 1;

  NewGame();
  const std::string_view First = Input.substr(0, Input.find_first_of("\r\n"));
  for (std::size_t At = 0;; At += 4) {
    Answer(Seed + At);
    if (At + 4 > First.size()) break;
    ShortStr Move;
    Move.Assign(First.data() + At, 4);
    if (PlayMove(Move) != MoveRefusal::None) break;
  }

  NewGame();
  for (int Ply = 0; Ply < 40; ++Ply) {
    const ShortStr M = Answer(Seed + static_cast<uint64_t>(Ply));
    if (M == NoMoveText) break;
    if (PlayMove(M) != MoveRefusal::None) std::abort();
  }
  return 0;
}
