#include "fuzz/FuzzUtil.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "game/Engine.h"
#include "game/Game.h"
#include "game/GameState.h"
#include "moves/GenMoves.h"
#include "platform/MemScreen.h"
#include "platform/Random.h"
#include "platform/Terminal.h"
#include "seam/Seam.h"
#include "search/Clock.h"
#include "search/SearchState.h"
#include "shell/Console.h"
#include "shell/Loop.h"
#include "shell/Pgn.h"
#include "shell/Screen.h"
#include "uci/Options.h"
#include "uci/Uci.h"

namespace {
constexpr uint32_t FuzzTableMiB = 4;
std::filesystem::path Scratch;

void LeaveScratchDir() {
  std::error_code E;
  if (!Scratch.empty()) std::filesystem::remove_all(Scratch, E);
}

void Die(const char *What) {
  std::perror(What);
  std::abort();
}

// The UCI blanks: a line's first word is "go" as the session reads it.
bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\f' || C == '\v'; }

bool IsGoLine(std::string_view Line) {
  std::size_t I = 0;
  while (I < Line.size() && IsBlank(Line[I])) ++I;
  if (Line.substr(I, 2) != "go") return false;
  return I + 2 == Line.size() || IsBlank(Line[I + 2]) || Line[I + 2] == '\0';
}

bool HasNoCase(std::string_view Text, std::string_view Word) {
  for (std::size_t I = 0; I + Word.size() <= Text.size(); ++I)
    if (strncasecmp(Text.data() + I, Word.data(), Word.size()) == 0) return true;
  return false;
}

int DevNull = -1;

// ---- the console ----
MemScreen Screen;
FrontEndType Console;
int Polls = 0;
constexpr int PollsPerSearch = 3;
bool KeysStopSearches = true;

bool CappedPollStop() {
  return (KeysStopSearches && Console.PollStop()) || ++Polls >= PollsPerSearch;
}
void CountedThinking() {
  Polls = 0;
  Console.ShowThinking();
}
} // namespace

void EnterScratchDir(int BookLines) {
  char Dir[] = "/tmp/torvane3-fuzz-XXXXXX";
  if (!mkdtemp(Dir)) Die("mkdtemp");
  if (chdir(Dir) != 0) Die("chdir");
  Scratch = Dir;
  std::atexit(LeaveScratchDir);
  if (BookLines > 0) {
    std::ifstream In(TORVANE_BOOK_FILE);
    if (!In) Die(TORVANE_BOOK_FILE);
    std::ofstream Out("book.txt");
    std::string Line;
    for (int N = 0; N < BookLines && std::getline(In, Line); ++N) Out << Line << '\n';
  }
  if (!ResizeTable(FuzzTableMiB)) Die("table");
  // As torvane3-uci does: a reader gone makes writes fail instead.
  std::signal(SIGPIPE, SIG_IGN);
}

void WriteFileBytes(const char *Name, const uint8_t *Data, std::size_t Size) {
  const int F = open(Name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (F < 0) Die(Name);
  for (std::size_t Done = 0; Done < Size;) {
    const ssize_t N = write(F, Data + Done, Size - Done);
    if (N <= 0) Die(Name);
    Done += static_cast<std::size_t>(N);
  }
  close(F);
}

void RemoveFile(const char *Name) { unlink(Name); }

std::string BoundGoLines(std::string_view In) {
  std::string Out;
  Out.reserve(In.size() + 64);
  std::size_t Pos = 0;
  while (Pos < In.size()) {
    const std::size_t NL = In.find('\n', Pos);
    const std::size_t End = NL == std::string_view::npos ? In.size() : NL;
    std::string_view Line = In.substr(Pos, End - Pos);
    if (IsGoLine(Line)) {
      Line = Line.substr(0, Line.find('\0'));
      Out.append(Line);
      Out.append(" depth ");
      Out.append(std::to_string(GoDepthCap));
    } else {
      Out.append(Line);
    }
    if (NL != std::string_view::npos) Out.push_back('\n');
    Pos = End + 1;
  }
  return Out;
}

std::string BoundXboardLines(std::string_view In) {
  const std::string Sd = "sd " + std::to_string(GoDepthCap);
  std::string Out = "xboard\n" + Sd + "\n";
  Out.reserve(In.size() + 64);
  std::size_t Pos = 0;
  while (Pos < In.size()) {
    const std::size_t NL = In.find('\n', Pos);
    const std::size_t End = NL == std::string_view::npos ? In.size() : NL;
    std::string_view Line = In.substr(Pos, End - Pos);
    const std::string_view Word = Line.substr(0, Line.find_first_of(" \t\r"));
    if (Word == "sd")
      Out.append(Sd);
    else if (Word == "memory")
      Out.append("memory " + std::to_string(FuzzTableMiB));
    else
      Out.append(Line);
    Out.push_back('\n');
    if (Word == "new") Out.append(Sd + "\n");
    Pos = End + 1;
  }
  return Out;
}

void RunUciSession(const std::string &Text) {
  using namespace Uci;
  // Each run starts as the program does, whatever the one before set.
  OwnBook = true;
  ConsoleEngine = false;
  std::strcpy(BookPath, "book.txt");
  BookMissingSaid = false;
  MultiPV = 1;
  LimitStrengthOn = false;
  LevelElo = MaxLevelElo;
  LevelSeedOption = 0;
  if (Threads != 1) Threads = SetThreads(1);
  if (HasNoCase(Text, "hash")) {
    ResizeTable(FuzzTableMiB);
    TableResident = false;
  }
  if (DevNull < 0) DevNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  const int In = memfd_create("uci-input", MFD_CLOEXEC);
  if (In < 0 || DevNull < 0) Die("uci descriptors");
  for (std::size_t Done = 0; Done < Text.size();) {
    const ssize_t N = write(In, Text.data() + Done, Text.size() - Done);
    if (N <= 0) Die("memfd");
    Done += static_cast<std::size_t>(N);
  }
  lseek(In, 0, SEEK_SET);
  RunUci(In, DevNull);
  close(In);
}

void InstallFuzzConsole(bool KeysStop) {
  KeysStopSearches = KeysStop;
  InstallConsoleFrontEnd();
  Console = InstalledFrontEnd();
  FrontEndType F = Console;
  F.PollStop = CappedPollStop;
  F.ShowThinking = CountedThinking;
  InstallFrontEnd(F);
  PgnOpen("game.pgn");
}

void StartConsoleRun(const uint8_t *Keys, std::size_t Size) {
  RemoveFile("game.fen");
  RemoveFile("game.pgn");
  // What the console's tests reset between games: the draw's seed, the
  // clock's rule, the console's settings, the search's memory, the game.
  SetFixedSeed(12345);
  MoveTimeMs = SecondsRuleMs(60);
  Game.St.EndGame = false;
  ResetConsole();
  ClearHistory(Game.St);
  ClearPV(Game.St);
  NewGame();
  while (Screen.KeysLeft() > 0) Screen.GetKey();
  UseDevice(&Screen);
  Screen.Type(reinterpret_cast<const char *>(Keys), Size);
}

void RunConsolePasses() {
  while (!Quit && (Screen.KeysLeft() > 0 || !HumansMove)) GamePass();
}
