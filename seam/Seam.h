// The one seam between the engine and whoever shows it: the console installs
// its screen here at start-up, the tests their in-memory screen, and another
// front end its own output. Until something is installed every call is silent
// and no key is ever pressed, so the engine never waits on a key nobody types.
#pragma once
#include <cstdint>

#include "board/Types.h"
#include "platform/FixedStr.h"

// How PVScore reads. A score this far from zero is a mate within 20 plies:
// deepening stops, and the panel shows the distance to it.
constexpr int16_t MateFound = 9980;
// Any score this far from zero is a mate: no line is longer than the stack.
constexpr int16_t MateBound = MateScore - MaxPly;

// What the search reports after each iteration (full widths: the console
// panel decides how to print them).
struct SearchInfo {
  uint64_t Nodes;
  uint64_t QNodes;
  uint32_t BetaCuts;
  uint32_t NullCuts;
  uint32_t TTHits;
  uint32_t ExactTTHits;
  int16_t PVScore;
  const Str4 *PV;   // the line: MaxPly + 1 entries, ended by an empty one
  uint32_t PVLegal; // moves of the line that can be played one after another
  double EBF;
  uint32_t Time;     // whole seconds of this search
  uint64_t TimeMs;   // milliseconds of this search
  uint32_t Depth;    // the depth of the search that gave PVScore and PV
  bool Fresh;        // a root move of this iteration finished: else only the counts are new
  uint32_t SelDepth; // the deepest ply reached, quiescence included
  uint32_t MultiPV;  // the line's rank when the search shows several (1: the best), else 0
};

struct FrontEndType {
  // A message the user caused; waits for a key, which stays pending.
  void (*ErrorMsg)(const char *S);
  // The computer has started to think.
  void (*ShowThinking)();
  // The panel after each iteration of the search.
  void (*ShowInfo)(const SearchInfo &Info);
  // The opening line the book chose, as stored in the book.
  void (*ShowBookLine)(const char *Line);
  // Polled during the search: true when the user asks it to stop now.
  bool (*PollStop)();
};

// Installs a front end; a null member keeps the silent default.
void InstallFrontEnd(const FrontEndType &F);
// Back to the silent front end.
void ResetFrontEnd();
// The front end installed now (silent members where it has none), so that a
// harness can wrap one of its calls and install the rest as they are.
const FrontEndType &InstalledFrontEnd();

void ErrorMsg(const char *S);
void ShowThinking();
void ShowInfo(const SearchInfo &Info);
void ShowBookLine(const char *Line);
bool PollStop();
