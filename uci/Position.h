// The game the session plays: every call that sets up, changes or reads the
// engine's position and the game record the draw rules need is made here.
#pragma once
#include <cstdint>

#include "board/Types.h"
#include "game/Engine.h"
#include "game/Fen.h"
#include "platform/FixedStr.h"

namespace Uci {

// The session's first game; from then on a set-up keeps the table and the
// positions' keys.
void StartGame();
// The start position, a fresh game record, the book as the options say.
void NewGame();

// A position line's FEN, read and checked but not yet set up.
struct FenSetUp {
  ParsedFEN P;
  const char *EpField = nullptr;
  uint32_t HalfMoves = 0, FullMove = 1;
};
// Reads the FEN of the line taken from word I up to "moves" or the end,
// leaving I there; false, with the reason said, when it cannot be set up.
bool ReadFen(int &I, FenSetUp &F);
// Sets up a position read by ReadFen; false, with the reason said, when the
// side to move could take the king.
bool SetUpFen(const FenSetUp &F);
// Plays one move of a position list; false when it is not legal here.
bool PlayListMove(const char *W);

// A searchmoves word as the engine's move text; false when it is not a
// legal move here.
bool SearchMoveHere(const char *W, ShortStr &M);
int SideToMove(); // 0 white, 1 black
bool InCheckHere();
bool InBook(); // the game's moves are still a book line

// Moves in UCI's text: one of the game's position, one of a line in the
// position Before it, and the reply expected after Best.
void PutMoveHere(const MoveRec &M);
void PutLineMove(const DataType &Before, const Str4 &M);
void PutPonderReply(const MoveRec &Best, const Str4 &Reply);

void CmdShowPosition(); // the position as a FEN with the game's move counters

} // namespace Uci
