#include "diag/Debugging.h"

// The breakdown screen is not built yet: command E shows nothing.
void DisplayEval() {}
