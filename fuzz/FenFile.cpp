// The console's position file game.fen as command R reads it. A file it
// accepts is written back with W and read again, which must give the same
// position; then the computer moves in it, the evaluation is shown, the
// move is taken back and the game is left, so that the record (PGN) of a
// game from that position is written too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "board/Zorbist.h"
#include "fuzz/FuzzUtil.h"
#include "game/Fen.h"
#include "game/Game.h"
#include "game/GameState.h"
#include "shell/FenFile.h"
#include "shell/Pgn.h"
#include "shell/Screen.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  EnterScratchDir(WholeBook);
  InstallFuzzConsole(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, std::size_t Size) {
  static constexpr char Keys[] = "p\re\r\rb\rn\r";
  StartConsoleRun(reinterpret_cast<const uint8_t *>(Keys), sizeof Keys - 1);
  PgnGameStart();
  DisplayTheBoard();
  WriteFileBytes(FenFileName, Data, Size);
  if (!ReadFEN()) return 0;
  PgnSetUpMade();
  if (Game.Here().HashKey != CalcBrdKey(Game.Here())) std::abort();
  char Read[FenTextSize], Again[FenTextSize];
  FenText(Read);
  WriteFEN();
  if (!ReadFEN()) std::abort();
  FenText(Again);
  if (std::strcmp(Read, Again) != 0) std::abort();
  DisplayTheBoard();
  RunConsolePasses();
  return 0;
}
