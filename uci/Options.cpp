#include "uci/Options.h"

#include <cstdint>
#include <cstring>

#include "game/Engine.h"
#include "uci/GoRequest.h"
#include "uci/Io.h"

namespace Uci {

bool OwnBook = true;
bool ConsoleEngine = false;
bool TableResident = false;
bool ClearPending = false;
char BookPath[256] = "book.txt";
bool BookMissingSaid = false;
uint8_t MultiPV = 1;
bool LimitStrengthOn = false;
uint16_t LevelElo = MaxLevelElo;
uint64_t LevelSeedOption = 0;
uint8_t Threads = 1;

namespace {
bool PonderOption = false; // the interface may ponder; the engine needs no setup for it
static_assert(MaxMultiPV == 218, "the bound the MultiPV message names");
static_assert(MaxSearchThreads == 64, "the bound the Threads message names");
static_assert(MinLevelElo == 1350 && MaxLevelElo == 1900, "the range the UCI_Elo message names");
} // namespace

void SayEngineMessage(const char *S) {
  // Every search of a game asks the book; a missing one is news only once.
  if (std::strcmp(S, "Missing Library File") == 0) {
    if (BookMissingSaid) return;
    BookMissingSaid = true;
  }
  Say(S);
}

void SayBookLine(const char *L) { Say("book line ", nullptr, L); }

void ReadyTable() {
  if (!TableResident) {
    PrepareTable();
    TableResident = true;
  } else if (ClearPending) {
    ClearTable();
  }
  ClearPending = false;
}

void CmdUci() {
  Put("id name torvane3");
  EndLine();
  Put("id author the torvane3 developers");
  EndLine();
  Put("option name Hash type spin default 624 min 1 max 624");
  EndLine();
  Put("option name Threads type spin default 1 min 1 max ");
  PutNum(MaxSearchThreads);
  EndLine();
  Put("option name Clear Hash type button");
  EndLine();
  Put("option name Ponder type check default false");
  EndLine();
  Put("option name OwnBook type check default true");
  EndLine();
  Put("option name BookFile type string default book.txt");
  EndLine();
  Put("option name MultiPV type spin default 1 min 1 max ");
  PutNum(MaxMultiPV);
  EndLine();
  Put("option name UCI_LimitStrength type check default false");
  EndLine();
  Put("option name UCI_Elo type spin default ");
  PutNum(MaxLevelElo);
  Put(" min ");
  PutNum(MinLevelElo);
  Put(" max ");
  PutNum(MaxLevelElo);
  EndLine();
  Put("option name Seed type spin default 0 min 0 max 2147483647");
  EndLine();
  Put("option name ConsoleEngine type check default false");
  EndLine();
  Put("uciok");
  EndLine();
}

void CmdSetOption() {
  if (NumWords < 3 || !Is(Word[1], "name")) {
    Say("setoption needs: name <option> [value <value>]; line ignored");
    return;
  }
  char Name[256] = "";
  std::size_t NameLen = 0;
  int I = 2;
  for (; I < NumWords && !Is(Word[I], "value"); ++I) {
    const std::size_t L = std::strlen(Word[I]);
    if (NameLen + L + 1 >= sizeof Name) break;
    if (NameLen > 0) Name[NameLen++] = ' ';
    std::memcpy(Name + NameLen, Word[I], L);
    NameLen += L;
    Name[NameLen] = '\0';
  }
  char ValueBuf[256] = "";
  const char *Value = I + 1 < NumWords ? RestOfLine(I + 1, ValueBuf) : nullptr;
  if (I + 1 < NumWords && !Value) {
    Say("option values are at most 255 characters; unchanged");
    return;
  }
  SetOption(Name, Value);
}

void SetOption(const char *Name, const char *Value) {
  if (IsNoCase(Name, "OwnBook") || IsNoCase(Name, "Ponder") ||
      IsNoCase(Name, "UCI_LimitStrength") || IsNoCase(Name, "ConsoleEngine")) {
    bool &Flag = IsNoCase(Name, "OwnBook")         ? OwnBook
                 : IsNoCase(Name, "Ponder")        ? PonderOption
                 : IsNoCase(Name, "ConsoleEngine") ? ConsoleEngine
                                                   : LimitStrengthOn;
    if (Value && (IsNoCase(Value, "true") || Is(Value, "1") || IsNoCase(Value, "on")))
      Flag = true;
    else if (Value && (IsNoCase(Value, "false") || Is(Value, "0") || IsNoCase(Value, "off")))
      Flag = false;
    else
      Say(Name, nullptr, " takes true or false; unchanged");
  } else if (IsNoCase(Name, "BookFile")) {
    if (!Value)
      Say("BookFile needs a value; unchanged");
    else {
      std::strcpy(BookPath, Value);
      BookMissingSaid = false;
    }
  } else if (IsNoCase(Name, "Hash")) {
    int64_t MiB = 0;
    if (!Value || !GoNumber(Value, false, MiB) || MiB < 1 || MiB > MaxTableMiB)
      Say("Hash takes a whole number of MiB from 1 to 624; unchanged");
    else if (!ResizeTable(static_cast<uint32_t>(MiB)))
      Say("no memory for a table of that size; the full table stays");
    TableResident = false;
  } else if (IsNoCase(Name, "Threads")) {
    int64_t N = 0;
    if (!Value || !GoNumber(Value, false, N) || N < 1 || N > MaxSearchThreads)
      Say("Threads takes a whole number from 1 to 64; unchanged");
    else if ((Threads = SetThreads(static_cast<uint8_t>(N))) < N)
      Say("the system gave fewer threads; searching on those it gave");
  } else if (IsNoCase(Name, "MultiPV")) {
    int64_t Lines = 0;
    if (!Value || !GoNumber(Value, false, Lines) || Lines < 1 || Lines > MaxMultiPV)
      Say("MultiPV takes a whole number of lines from 1 to 218; unchanged");
    else
      MultiPV = static_cast<uint8_t>(Lines);
  } else if (IsNoCase(Name, "UCI_Elo")) {
    int64_t Elo = 0;
    if (!Value || !GoNumber(Value, false, Elo) || Elo < MinLevelElo || Elo > MaxLevelElo)
      Say("UCI_Elo takes a whole number from 1350 to 1900; unchanged");
    else
      LevelElo = static_cast<uint16_t>(Elo);
  } else if (IsNoCase(Name, "Seed")) {
    int64_t Seed = 0;
    if (!Value || !GoNumber(Value, false, Seed) || Seed > 2147483647)
      Say("Seed takes a whole number from 0 to 2147483647; unchanged");
    else
      LevelSeedOption = static_cast<uint64_t>(Seed);
  } else if (IsNoCase(Name, "Clear Hash")) {
    ClearPending = true;
  } else {
    Say("no option named ", Name, "; ignored");
  }
}

} // namespace Uci
