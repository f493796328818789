// The game as one list: where it began and every change made to it since,
// each entry holding the position it was made in, so that a takeback is a
// pop and a copy. The draw rules' record, the book's line, the console's
// takeback and the game record (PGN) are all read from this list.
#pragma once
#include <cstdint>

#include "board/Types.h"
#include "game/San.h"

enum class EntryKind : uint8_t {
  Move,  // a move of the game
  Pass,  // a console pass that played no move: a refused text, or no move to make
  SetUp, // a position put in place of the game's (the console's R and S)
};

struct GameEntry {
  DataType Before;  // the game's position before the entry
  uint16_t MoveNum; // Game.MoveNum before it
  int8_t Side;      // the side to move before it
  EntryKind Kind;
  bool Irreversible; // a capture or a pawn move: no earlier position comes back
  bool Over;         // no legal move is left after the move
  uint8_t Tag;       // the front end's mark (the console: played by the computer)
  ShortStr Text;     // the move's text; a pass: the text refused, or "A1A1"
  char San[SanSize]; // a move's SAN with its check or mate mark
};

// The position at the bottom of the list: the start position or a set-up.
struct GameStart {
  DataType D;
  int8_t Side;
  uint16_t MoveNum;
  uint32_t HalfMoves; // the FEN's counters of that position
  uint32_t FullMove;
  bool SetUp; // not the game's start position
};

// Far beyond any game; past it the oldest entries are forgotten, and the
// bottom moves up with them.
constexpr int MaxGameEntries = 4096;

struct GameList {
  GameStart Bottom;
  int Count;          // entries 0 .. Count - 1 are in use, the oldest first
  uint32_t Forgotten; // entries dropped from the bottom since the list began
  GameEntry Entries[MaxGameEntries];
};
const GameList &TheGame();

// The first entry of the current game: the one after the last set-up (0:
// the game began at the bottom).
int GameBegin();
// The position, side and counters the current game began with.
struct GameOrigin {
  const DataType *D;
  int8_t Side;
  uint32_t HalfMoves, FullMove;
  bool SetUp;
  uint32_t Forgotten; // moves of this game no longer held
};
GameOrigin OriginOf(int Begin);
