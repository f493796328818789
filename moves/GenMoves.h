// Move lists, one row per ply, with ordering scores; best-first selection; the
// history table; full and capture-only move generation.
#pragma once
#include <cstdint>

#include "board/Types.h"
#include "moves/PositionStack.h"

constexpr int16_t Sentinal = -32000;

// Each call works on the lists of one record, St (moves/PositionStack.h).

// The best remaining entry of row Ply among the first Count, marked taken; NoMove when none.
MoveRec GetAMove(PositionStack &St, uint16_t Count);
void AddToHistory(PositionStack &St, const MoveRec &TheMove, int8_t Depth);
void ClearHistory(PositionStack &St);

// All pseudo-legal moves of St.WhosMove in St.Data[St.Ply] into row St.Ply; the count.
uint16_t GenMoveList(PositionStack &St, const Str4 &TTMove);
// The captures (no king, no en passant) of St.WhosMove in St.Data[St.Ply]; the count.
uint16_t GenCaptureList(PositionStack &St);
