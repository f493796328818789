// The fixed positions of the bench and of the node-count signature test, and
// how each one is prepared, so that both count exactly the same search.
#pragma once
#include <cstdint>

#include "board/Types.h"
#include "seam/Limits.h"

struct BenchPosition {
  const char *Name;
  const char *Fen;
};

// clang-format off
inline constexpr BenchPosition BenchPositions[] = {
    {"start",       "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
    {"ruy lopez",   "r1bqkbnr/1ppp1ppp/p1n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 0 4"},
    {"sicilian",    "r1bqk2r/pp2bppp/2nppn2/8/3NP3/2N1B3/PPPQ1PPP/R3KB1R w KQkq - 2 8"},
    {"queen pawn",  "r2q1rk1/pp2bppp/2n1pn2/2pp4/3P4/2PBPN2/PP1N1PPP/R2QK2R w KQ - 0 9"},
    {"castles",     "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"},
    {"sacrifice",   "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - 0 1"},
    {"black loose", "r1b1k2r/ppppnppp/2n2q2/2b5/3NP3/2P1B3/PP3PPP/RN1QKB1R w KQkq - 0 1"},
    {"rook ending", "8/5pk1/6p1/R7/5P2/6PK/r7/8 w - - 0 1"},
    {"pawn ending", "8/8/1p2k3/p1p5/P1P1K3/1P6/8/8 w - - 0 1"},
    {"rook pawns",  "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"},
    {"promotions",  "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1"},
};
// clang-format on

constexpr uint64_t BenchSeed = 20240601;
constexpr uint8_t BenchDepth = 10;    // the bench tool's default
constexpr uint8_t SignatureDepth = 6; // the pinned signature test's depth

// After the position Root is set up: keys drawn from the bench's own seed, so
// a position's count never depends on what ran before it; the limits are a
// depth fixed as the X command fixes it.
SearchLimits PrepareBenchSearch(DataType &Root, uint8_t Depth);
