#include <cstdio>

#include "game/Engine.h"
#include "platform/CommandLine.h"
#include "platform/FixedStr.h"
#include "platform/Terminal.h"
#include "shell/Loop.h"
#include "shell/Pgn.h"
#include "shell/Screen.h"

namespace {
constexpr const char *Usage =
    "Usage: torvane3 [--help | --version]\n"
    "       torvane3 --pgn FILE\n"
    "\n"
    "Chess against the computer on a text terminal of at least 80 x 25.\n"
    "Type moves such as e2e4, or a command letter, at the prompt \"Move: \".\n"
    "The opening book book.txt is read from the working directory, else from\n"
    "the installed data folder.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "  --pgn FILE append every game to FILE as PGN: when it ends by mate or\n"
    "             stalemate, when it is left (n, r, s, q) and at the end of the\n"
    "             input\n"
    "\n"
    "See torvane3(6).\n";
} // namespace

int main(int argc, char **argv) {
  const char *PgnPath = nullptr;
  if (const int Status = HandleCommandLine(argc, argv, "torvane3", Usage, "--pgn", PgnPath);
      Status >= 0)
    return Status;
  // A file that cannot be written is said on the board; the game is played.
  if (PgnPath) PgnOpen(PgnPath);
  Str255 Why;
  if (!InitTerminal(Why)) {
    // Nothing has been drawn yet: one line on stderr says why.
    std::fprintf(stderr, "%s\n", Why.Empty() ? "torvane3: cannot use this terminal" : Why.c_str());
    return 1;
  }
  InstallConsoleFrontEnd();
  // The table's pages come on a thread of their own while the board is drawn
  // and the player thinks, so that the searches run on 2 MiB pages.
  PrepareTable();
  RunGame();
  RestoreTerminal();
  // A game that could not be saved is a failure the caller can see.
  if (const char *Failure = PgnLastFailure()) {
    std::fprintf(stderr, "torvane3: the last game could not be added to %s: %s\n", PgnPath,
                 Failure);
    return 1;
  }
  return 0;
}
