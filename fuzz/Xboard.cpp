// An xboard session's lines, as xboard, pychess or gnome-chess send them: the
// protocol chosen by the first line, every command, with each search held to
// a short depth so that no run waits on one.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzUtil.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  EnterScratchDir(WholeBook);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, std::size_t Size) {
  RunUciSession(BoundXboardLines({reinterpret_cast<const char *>(Data), Size}));
  return 0;
}
