// The command line of both programs: without arguments the program runs;
// --help and --version answer on standard output and end; anything else is a
// usage error, answered on standard error with status 2.
#pragma once
#include <cstdio>
#include <cstring>

#ifndef TORVANE_VERSION
#define TORVANE_VERSION "unknown"
#endif

// The exit status to end with, or -1 to run the program.
inline int HandleCommandLine(int Argc, char **Argv, const char *Name, const char *Usage) {
  if (Argc <= 1) return -1;
  if (Argc == 2 && std::strcmp(Argv[1], "--help") == 0) {
    std::fputs(Usage, stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (Argc == 2 && std::strcmp(Argv[1], "--version") == 0) {
    std::printf("%s %s\n", Name, TORVANE_VERSION);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (Argc == 2)
    std::fprintf(stderr, "%s: unknown argument '%s'\n%s", Name, Argv[1], Usage);
  else
    std::fprintf(stderr, "%s: one argument at most\n%s", Name, Usage);
  return 2;
}

// The same, and besides "Option VALUE" as the only arguments, which runs the
// program with Value pointing at VALUE (null without the option).
inline int HandleCommandLine(int Argc, char **Argv, const char *Name, const char *Usage,
                             const char *Option, const char *&Value) {
  Value = nullptr;
  const bool Given = Argc >= 2 && std::strcmp(Argv[1], Option) == 0;
  if (Given && Argc == 3 && Argv[2][0] != '\0') {
    Value = Argv[2];
    return -1;
  }
  if (Given) {
    std::fprintf(stderr, "%s: %s %s\n%s", Name, Option,
                 Argc <= 3 ? "needs a file name" : "takes one file name", Usage);
    return 2;
  }
  return HandleCommandLine(Argc, Argv, Name, Usage);
}
