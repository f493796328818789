// A UCI session's lines, as an interface sends them on standard input: every
// command, option and position, with each go held to a short depth so that no
// run waits on a search.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzUtil.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  EnterScratchDir(WholeBook);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, std::size_t Size) {
  RunUciSession(BoundGoLines({reinterpret_cast<const char *>(Data), Size}));
  return 0;
}
