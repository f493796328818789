// torvane3-uci: the engine for graphical interfaces and match runners, on
// standard input and output. No terminal is needed and none is touched.
#include <csignal>

#include "platform/CommandLine.h"
#include "uci/Uci.h"

namespace {
constexpr const char *Usage =
    "Usage: torvane3-uci [--help | --version]\n"
    "\n"
    "The torvane3 chess engine for chess interfaces and match runners: it\n"
    "speaks UCI on standard input and output, or the xboard protocol when\n"
    "the first line is 'xboard'. Options: Hash (MiB, 1..624),\n"
    "Clear Hash, Ponder, OwnBook (true), BookFile (book.txt, from the\n"
    "working directory, else from the installed data folder), MultiPV\n"
    "(the lines each search shows, 1..218), UCI_LimitStrength and UCI_Elo\n"
    "(a weaker level, 1350..1900) and Seed (the level's noise; 0: the clock).\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "See torvane3-uci(6).\n";
} // namespace

int main(int argc, char **argv) {
  if (const int Status = HandleCommandLine(argc, argv, "torvane3-uci", Usage); Status >= 0)
    return Status;
  // An interface that goes away makes writes fail instead of killing us.
  std::signal(SIGPIPE, SIG_IGN);
  return RunUci(0, 1);
}
