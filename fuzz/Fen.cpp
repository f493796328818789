// A FEN line through both readers: the game's (game/Fen.h), whose position
// is set up, written back, read again and searched briefly, and the UCI
// engine's, as "position fen LINE" followed by d and a short go.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "board/Zorbist.h"
#include "fuzz/FuzzUtil.h"
#include "game/Engine.h"
#include "game/Fen.h"
#include "game/Game.h"
#include "game/GameState.h"

namespace {
// A position set up from a line must read back from its own FEN text as the
// same position, and its key must be the placement's.
void CheckSetUp(const ParsedFEN &P) {
  if (Game.Here().HashKey != CalcBrdKey(Game.Here())) std::abort();
  char Text[FenTextSize];
  FenText(Text);
  ParsedFEN Again;
  const char *Why = nullptr;
  if (!ParseFEN(Text, Again, Why) || std::memcmp(Again.Squares, P.Squares, 64) != 0 ||
      Again.Side != P.Side || Again.CastleStat != P.CastleStat)
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  EnterScratchDir(WholeBook);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, std::size_t Size) {
  const std::string_view Input(reinterpret_cast<const char *>(Data), Size);
  const std::string Line(Input.substr(0, Input.find('\n')));

  NewGame();
  ParsedFEN P;
  const char *Why = nullptr;
  if (ParseFEN(Line.c_str(), P, Why)) {
    if (FitCastling(P.CastleStat, P.Squares) != P.CastleStat) std::abort();
    if (SetupParsedFEN(P)) {
      CheckSetUp(P);
      // The console's engine on it, as after the console's R.
      SearchLimits L;
      L.FirstDepth = 1;
      L.Depth = 2;
      L.Nodes = 20000;
      SearchSettings S;
      S.AnyMove = true;
      Think(L, S);
    }
  }

  RunUciSession(BoundGoLines("position fen " + Line + "\nd\ngo\n"));
  return 0;
}
