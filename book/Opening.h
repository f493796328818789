// The opening book: book.txt in the working directory, one opening line per
// text line as concatenated move texts from the start position. While the game
// follows a line the computer answers from it instead of searching.
#pragma once
#include <cstdint>

#include "moves/PositionStack.h"
#include "platform/FixedStr.h"

constexpr int32_t MaxOpenings = 73479; // lines a lookup may read
extern const char *LibFileName;        // "book.txt"
extern int32_t LibStartLine, LibFinishLine;

// The line window reset, as for a new game.
void InitOpeningLib();
// The next book move after PlayedMoves, or NoMoveText when there is none or when
// the book's answer is not a legal move in St.Data[St.Ply]. The chosen line goes to
// the front end; a book that cannot be opened is reported through ErrorMsg.
// With no moves played the answer is a weighted first move, without the file.
// Seed 0 draws from the clock; any other seed draws the same line every time
// after the same moves.
ShortStr GetLibraryMove(PositionStack &St, const Str255 &PlayedMoves, uint64_t Seed = 0);
// The different next moves of the book after PlayedMoves that are legal in
// St.Data[St.Ply], each with the number of book lines that play it (with no
// moves played, the weights of the first move), in the book's order: at most
// Max of them. Reads the whole book; nothing is reported.
int ListLibraryMoves(PositionStack &St, const Str255 &PlayedMoves, ShortStr *Moves,
                     uint32_t *Counts, int Max);
