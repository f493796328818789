// FEN lines: the board, side to move and castling fields, as the console's
// position file game.fen holds them. The reader checks the whole line before
// it touches the position, so a damaged line is refused and the game goes on
// unchanged.
#pragma once
#include <cstdint>

#include "board/Types.h"

// A placement, side and castling rights, checked and ready to set up.
struct ParsedFEN {
  int8_t Squares[64];
  int8_t Side;
  uint8_t CastleStat; // rights whose king and rook are not at home dropped
};

// Rights whose king or rook has left its home square (Sq: the 64 squares)
// cannot be used, so the generator never castles with a rook that is not there.
uint8_t FitCastling(uint8_t Rights, const int8_t *Sq);

// Parses a FEN line (three fields or the full six; the rest is ignored). On
// failure returns false with a short reason and leaves Out undefined.
bool ParseFEN(const char *Line, ParsedFEN &Out, const char *&Why);
// Sets up Data[Ply] and WhosMove from a parsed position, with fresh keys and
// an empty table; EnPasSq is -1. False, with nothing changed, when the side
// to move could take the other king.
bool SetupParsedFEN(const ParsedFEN &P);
constexpr const char *KingTakenWhy = "the side to move could take the king";
// ParseFEN then SetupParsedFEN; false (nothing changed) on a bad line.
bool SetupFEN(const char *Line, const char *&Why);

// The three fields of Data[Ply] and WhosMove as W writes them (at most 90
// characters with the terminating NUL).
constexpr int FenTextSize = 96;
void FenText(char (&Text)[FenTextSize]);
// The same of the position D with Side to move; reads nothing else, so that
// a signal handler may call it.
void FenTextOf(const DataType &D, int8_t Side, char (&Text)[FenTextSize]);
