// Zobrist keys: one random 64-bit number per piece code and square. A position's
// key is the exclusive-or of the numbers of the pieces on the board; it has no
// part for the side to move, the castling rights or the en-passant square.
#pragma once
#include <cstdint>

struct DataType;

// Indexed by any signed byte piece code and square (stored with an offset of
// 128), so that no index can leave the table; only codes 1..6 and 9..14 on
// squares 0..63 hold random numbers, every other entry is 0.
extern uint64_t ZorbistBrd[256][256];

inline uint64_t ZorbistKey(int8_t P, int8_t Sq) { return ZorbistBrd[P + 128][Sq + 128]; }

// Draws a fresh table (seeded from the clock) and sets HashKey of D; after
// KeepZorbistKeys, only sets HashKey with the table it has.
void InitZorbistBoard(DataType &D);
// From now on the keys stay as they are: a front end whose table outlives a
// position needs the same key for the same position in every new set-up.
void KeepZorbistKeys();
// The key of D computed from its piece and pawn lists.
uint64_t CalcBrdKey(const DataType &D);
