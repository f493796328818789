// The one door by which a front end changes the game: set a position, play
// and take back moves, edit the board, and read where the game stands.
// Front ends read the position through the const views below and change it
// only through these calls; the engine's thinking is in game/Engine.h.
#pragma once
#include <cstdint>

#include "board/Types.h"
#include "game/Fen.h"

// ---- reading the game --------------------------------------------------------
// The game's position (the bottom of the position stack).
const DataType &GamePosition();
int8_t SideToMove();
bool BookInUse();
bool SideToMoveInCheck();
// The position after the legal move M of the game's position.
DataType PositionAfter(const MoveRec &M);
// Whether the position counts as an endgame for the evaluation.
bool IsEndGamePosition();
// Whether the last search took its root for an endgame: the king's table its
// evaluation read.
bool SearchedAsEndGame();

// The game since its last capture or pawn move, as the draw rules see it: the
// keys of the positions before the current one (oldest first) and the
// counters of a FEN; read from the game's list on each call.
struct GameRecord {
  static constexpr int MaxKeys = 128;
  uint64_t Keys[MaxKeys];
  uint16_t NumKeys;
  uint32_t HalfMoveClock;  // half-moves since the last capture or pawn move
  uint32_t FullMoveNumber; // as a FEN counts it, from 1
};
const GameRecord &GameHistory();
// The game's position as GameRecord's keys read positions.
uint64_t GamePositionKey();
// No sequence of legal moves can mate in the game's position.
bool NoMatingMaterialLeft();

// ---- setting a position ----------------------------------------------------------
// A new game from the start position (game/NewGame.h, with the record reset).
void NewGame();
// A position from a parsed FEN as a new game: the en-passant square Ep (-1:
// none) is kept only where a double step has just passed over it, and
// EpKept says whether it was; the book is left, since its lines begin at the
// start position. False, with nothing changed, when the side to move could
// take the other king.
bool SetupGame(const ParsedFEN &P, int8_t Ep, uint32_t HalfMoves, uint32_t FullMove, bool &EpKept);
// The console's R: the position of a FEN line (its first three fields) in
// place of the game's; the move count, the takeback stack and the book's line
// stay, but the book is left. False (with the reason) on a bad line or one
// whose side to move could take the other king; nothing changes then.
bool LoadPosition(const char *Line, const char *&Why);
// Whether Ep is a square a double step of the side not to move has just
// passed over in D: its pawn stands in front of it, and it and the square
// the pawn came from are empty.
bool EnPassantFits(const DataType &D, int8_t Side, int8_t Ep);

// ---- playing and taking back --------------------------------------------------
enum class MoveRefusal : uint8_t {
  None,         // played
  Illegal,      // not the text of a legal move of the side to move
  NotPromotion, // a promotion piece for a move that promotes nothing
  NoRoom,       // the promoted piece has no room in the piece lists
};
// Whether PlayMove would play the move (MoveRefusal::None) or why not, short
// of the room for an under-promoted piece; changes nothing.
MoveRefusal CheckMove(const ShortStr &Text, char Promote);
// Plays the move Text (engine text, "E7E8") on the game's position, the
// piece Promote (a letter of NBRQ in either case; 0: a queen) replacing the
// pawn on a promotion, and adds it to the game's list (game/History.h) with
// the front end's Tag. While the book is in use the move extends its line (an
// under-promotion leaves the book, whose lines hold queens only). Nothing
// changes on a refusal.
MoveRefusal PlayMove(const ShortStr &Text, char Promote = 0, uint8_t Tag = 0);
// The book is not consulted again until the next new game.
void LeaveBook();
// The book file to read (kept, not copied: it must outlive the game).
void SetBookFile(const char *Path);
// Takes back the last move of the game since its set-up: the position before
// it, a fresh table, line and history. False, with only those cleared, when
// no move is left to take back. (The console's B is TakeBackMove,
// game/TakeBack.h.)
bool TakeBack();

// ---- the board editor --------------------------------------------------------
enum class EditRefusal : uint8_t {
  None,
  PawnOnEdge,  // a pawn on its side's first or last rank
  TooMany,     // a piece no game could add: a second king, a ninth pawn...
  KingEnPrise, // the side to move could take the other king
};
// Starts an edit of the game's position; the position is kept so that an
// edit can be abandoned.
void EditBegin();
// Empties the board; the castling rights stay until the edit is committed.
void EditClear();
void EditRemove(int8_t Sq);
// Puts Piece on Sq in place of its occupant; the square stays as it was on a
// refusal.
EditRefusal EditPut(int8_t Piece, int8_t Sq);
void EditSetSide(int8_t Side);
// Ends the edit with the position as edited: castling rights and the
// en-passant square fitted to it, the move count from zero, fresh keys and
// table, the book left. KingEnPrise, with the edit still open, when the side
// to move could take the other king.
EditRefusal EditCommit();
// Ends the edit with the position it began with, committed in the same way.
void EditAbandon();
