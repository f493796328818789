// Broken internal invariants: the consistency checks of the engine end the
// program through here, with the terminal restored first.
#pragma once

// Restores the terminal, prints the message with its module and source line to
// standard error and ends the program with a non-zero status.
[[noreturn]] void Fatal(const char *Module, int Line, const char *Msg);
