// Move lists, one row per ply, with ordering scores; best-first selection; the
// history table; full and capture-only move generation.
#pragma once
#include <cstdint>

#include "board/Globals.h"

// A row holds every pseudo-legal move of any position the lists can describe:
// ten queens (two listed, eight extra), two rooks, bishops and knights, a
// king with both castlings and eight pawns (a position file may hold all of
// them at once) cannot exceed 10*27 + 2*14 + 2*13 + 2*8 + 10 + 8*4 = 382.
constexpr int MoveListCapacity = 384;
constexpr int16_t Sentinal = -32000;

// Entries 1 .. count of row Ply (entry 0 unused). Entries go in through the
// generators only: GetAMove picks by a copy of the scores that they keep
// beside the row, and marks the entry it takes in both.
extern MoveRec MoveList[MaxPly + 1][MoveListCapacity + 1];
extern uint16_t MoveListIndex;
extern Str4 HashMove;
// History counters by piece code (board nibble 0..15) and square.
extern uint16_t HistTab[16][64];

// The best remaining entry of row Ply among the first Count, marked taken; NoMove when none.
MoveRec GetAMove(uint16_t Count);
void AddToHistory(const MoveRec &TheMove, int8_t Depth);
void ClearHistory();

// All pseudo-legal moves of WhosMove in Data[Ply] into row Ply; the count.
uint16_t GenMoveList(const Str4 &TTMove);
// The captures (no king, no en passant) of WhosMove in Data[Ply]; the count.
uint16_t GenCaptureList();
