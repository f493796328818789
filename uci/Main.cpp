// torvane3-uci: the engine for graphical interfaces and match runners, on
// standard input and output. No terminal is needed and none is touched.
#include <csignal>

#include "uci/Uci.h"

int main() {
  // An interface that goes away makes writes fail instead of killing us.
  std::signal(SIGPIPE, SIG_IGN);
  return RunUci(0, 1);
}
