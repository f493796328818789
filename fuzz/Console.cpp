// The console game's typed lines: the whole program from start-up to Q (or
// the end of the input) on the in-memory screen, every command and move, the
// board editor, W and R through game.fen, and the record of the games.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzUtil.h"
#include "shell/Loop.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  EnterScratchDir(WholeBook);
  InstallFuzzConsole();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, std::size_t Size) {
  StartConsoleRun(Data, Size);
  RunGame();
  return 0;
}
