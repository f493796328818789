// The console's position file game.fen as command R reads it. A file it
// accepts is written back with W and read again, which must give the same
// position; then the computer moves in it, the evaluation is shown, the
// computer moves again and the game is left, so that its record (PGN, with
// the file's position as its FEN tag) is written, and B takes a move back.
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
  static constexpr char Keys[] = "p\re\r\rp\rn\rb\r";
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
