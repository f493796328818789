// Shared helpers of the unit tests: positions are written as FEN so that a
// test reads like a chess diagram.
#pragma once
#include "board/Globals.h"

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
