// Perft: the leaf count of the tree of legal moves, built with the search's
// own machinery (full generation, best-first selection, make on a copy, the
// check test), so that a generator fault shows up as a wrong count.
#pragma once
#include <cstdint>

struct PositionStack;

// Leaves Depth plies below St.Data[St.Ply]. At the level where Depth equals X each
// legal move is listed on standard output with its own count, in the order
// GetAMove hands them out; recursive calls keep X. Perft(N, 0) lists nothing.
uint64_t Perft(PositionStack &St, uint8_t Depth, uint8_t X);
// Generates the move list of the position at the root of St, as a search or a
// perft starts it, for the dumps of the developer programs; the number of
// moves in it.
uint16_t GenerateRootMoves(PositionStack &St);
