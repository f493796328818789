#include <cstdio>

#include "platform/FixedStr.h"
#include "platform/Terminal.h"
#include "shell/Loop.h"
#include "shell/Screen.h"

int main() {
  Str255 Why;
  if (!InitTerminal(Why)) {
    // Nothing has been drawn yet: one line on stderr says why.
    std::fprintf(stderr, "%s\n", Why.Empty() ? "torvane3: cannot use this terminal" : Why.c_str());
    return 1;
  }
  InstallConsoleFrontEnd();
  RunGame();
  RestoreTerminal();
  return 0;
}
