// Shared helpers of the unit tests: positions are written as FEN so that a
// test reads like a chess diagram.
#pragma once
#include <cstring>

#include "board/Types.h"
#include "game/GameState.h"
#include "moves/GenMoves.h"

// A fresh game state (start position, White to move, human at the keyboard,
// default limits), then the FEN position in Data[0]. Fails the test on a bad FEN.
void SetFen(const char *Fen);
// The start position and default game settings, as at program start.
void ResetGame();
// Set by a front end's tests: resets that front end's own state in ResetGame.
extern void (*ResetFrontEndState)();
// The FEN placement of Data[Ply], side and castling (WriteFEN's format).
const char *BoardFen();

// Runs a test inside a fresh temporary directory (files the program writes,
// such as game.fen, never clash between tests running side by side).
class TempDir {
public:
  TempDir();
  ~TempDir();
  const char *Path() const { return Dir; }

private:
  char Dir[64];
  char Old[4096];
};

// Writes a file in the current directory (binary-safe).
void WriteFile(const char *Name, const char *Bytes, unsigned long Len);
void WriteFile(const char *Name, const char *Text);
// The whole content of a file (empty if missing), at most 64 KiB.
const char *ReadFile(const char *Name);

// A front end that records the engine's messages instead of showing them.
struct RecordingFrontEnd {
  RecordingFrontEnd();
  ~RecordingFrontEnd();
  static int Count;
  static char Last[256];
};

// The game's position, the first move-list row and the history table as they
// stand now: a read-only screen or dump must leave them as they were.
struct Tables {
  Tables() {
    std::memcpy(static_cast<void *>(&D), &Game.St.Data[0], sizeof D);
    std::memcpy(static_cast<void *>(Row), Game.St.MoveList[0], sizeof Row);
    std::memcpy(Hist, Game.St.HistTab, sizeof Hist);
  }
  bool Same() const {
    return std::memcmp(&D, &Game.St.Data[0], sizeof D) == 0 &&
           std::memcmp(Row, Game.St.MoveList[0], sizeof Row) == 0 &&
           std::memcmp(Hist, Game.St.HistTab, sizeof Hist) == 0 && Game.St.Ply == 0;
  }
  DataType D;
  MoveRec Row[MoveListCapacity + 1];
  uint16_t Hist[16][64];
};
