// The limits of one search as a front end fills them in, and the bounds it
// needs to fill them: the search reads the record, the front ends reach it
// through the game's think call (game/Engine.h).
#pragma once
#include <cstdint>

#include "board/Types.h"
#include "platform/FixedStr.h"

constexpr uint8_t ConsoleFirstDepth = 4;
// The seconds of a search that only its depth ends: the console's X sets them.
constexpr uint16_t NoTimeLimitSecs = 65000;
// Half-moves without a capture or a pawn move that draw the game.
constexpr uint16_t FiftyMoveHalfMoves = 100;
// The most lines one search shows: no legal position has more legal moves,
// so an interface can ask for a line for every move of any position.
constexpr uint8_t MaxMultiPV = 218;

// The limits of one search as one record; each field's default is "none".
// The search stops at the first limit reached, or when the front end's stop
// poll says so.
struct SearchLimits {
  uint8_t Depth = NoFixedDepth;           // the deepest iteration
  uint8_t FirstDepth = ConsoleFirstDepth; // the first iteration, run whatever Depth says
  uint64_t Nodes = 0;                     // about this many nodes; 0: none
  uint16_t Mate = 0;                      // a mate in this many moves is enough; 0: none
  const ShortStr *SearchMoves = nullptr;  // the root moves to search (move texts); null: all
  uint16_t NumSearchMoves = 0;
  // Lines shown, the best first: each iteration searches the root once per
  // line, without the first moves of the lines it found before. No more lines
  // than the root has moves (within SearchMoves); 1 is the one best line.
  uint8_t MultiPV = 1;
  // The time: a fixed time for the move, or else a game clock (ClockMs left,
  // IncMs added after each move, MovesToGo to the next control, 0: the rest
  // of the game), from which the search's clock unit works out its budget.
  uint64_t TimeMs = 0; // milliseconds from the start; 0: none
  bool OnClock = false;
  uint64_t ClockMs = 0, IncMs = 0;
  uint32_t MovesToGo = 0;
  bool Ponder = false;    // the time runs only from PonderHit on
  uint64_t StartTick = 0; // the clock's start (a tick count); 0: the search's start
};

// The most threads one search may use.
constexpr uint8_t MaxSearchThreads = 64;

// How a search plays, apart from its limits.
struct SearchSettings {
  // Threads that search together, sharing the table, as far as the engine
  // has them started (SetSearchThreads); a strength level searches on one.
  uint8_t Threads = 1;
  // A weaker play for a strength level: each static score is moved by up to
  // EvalNoise centipawns, by an amount that only the placement, the side to
  // move and NoiseSeed decide, so that a search is reproducible.
  int16_t EvalNoise = 0;
  uint64_t NoiseSeed = 0;
  // Repetitions and the fifty-move rule score as draws, from the game's
  // positions since its last capture or pawn move.
  bool DrawRules = false;
  // The table is kept from the search before, mates stored as distances
  // from their node, so that the searches of one game share what they found.
  bool KeepTable = false;
  // The book may answer; a search stopped before its first move still
  // answers with a legal move.
  bool UseBook = false;
  bool AnyMove = false;
  // The UCI engine's own evaluation and search; otherwise the console's.
  bool FullStrength = false;
};
