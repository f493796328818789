// What the fuzz targets share: a scratch folder as the working directory, the
// input as a descriptor, a UCI session on it with every search kept short,
// and the console on the in-memory screen with its searches kept short.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A fresh folder under /tmp as the working directory (removed at exit),
// holding the first BookLines lines of the repository's book.txt as its
// book.txt (none for 0). The table shrinks to a few MiB: clearing the full
// one would take most of a run.
void EnterScratchDir(int BookLines);
constexpr int WholeBook = 1 << 30;
void WriteFileBytes(const char *Name, const uint8_t *Data, std::size_t Size);
void RemoveFile(const char *Name);

// ---- the UCI engine ----
// The depth every go line is held to: a line that ends on "depth N" keeps
// its other words, and the last depth given is the one that counts.
constexpr int GoDepthCap = 2;
// The session text with " depth GoDepthCap" after every go line (cut at a
// NUL, which ends the line for the engine too).
std::string BoundGoLines(std::string_view In);
// An xboard session's text with every search held to GoDepthCap plies: "sd"
// at the start and after every "new" (which clears it), every "sd" line's
// depth replaced, and every "memory" line asking for a small table.
std::string BoundXboardLines(std::string_view In);
// Runs a whole session on Text (go lines as they stand), its answers to
// /dev/null, the options back at their start values first.
void RunUciSession(const std::string &Text);

// ---- the console ----
// The console's front end on the in-memory screen, its searches stopped at
// their third look at the keyboard; the record of games goes to game.pgn.
// With KeysStop false the searches leave the typed keys alone (a script
// that must run as written); else they read them as the console does.
void InstallFuzzConsole(bool KeysStop = true);
// A new run: the console's settings, the game and the screen as at start-up
// (game.fen and game.pgn removed), and Keys typed ahead.
void StartConsoleRun(const uint8_t *Keys, std::size_t Size);
// Passes of the game loop until the typed keys are used up and the human is
// to move, or Q.
void RunConsolePasses();
