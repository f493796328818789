// Move lists, one row per ply, with ordering scores; best-first selection; the
// history table; full and capture-only move generation.
#pragma once
#include <cstdint>

#include "board/Globals.h"

constexpr int16_t Sentinal = -32000;

// Entries 1 .. count of row Ply (entry 0 unused). Entries go in through the
// generators only: GetAMove picks by a copy of the scores that they keep
// beside the row, and marks the entry it takes in both.
inline constexpr auto &MoveList = MainState.MoveList;
inline constexpr auto &MoveListIndex = MainState.MoveListIndex;
inline constexpr auto &HashMove = MainState.HashMove;
// History counters by piece code (board nibble 0..15) and square.
inline constexpr auto &HistTab = MainState.HistTab;

// Each call works on the lists of one search's record, St; the forms
// without it on the game's record.

// The best remaining entry of row Ply among the first Count, marked taken; NoMove when none.
MoveRec GetAMove(SearchState &St, uint16_t Count);
void AddToHistory(SearchState &St, const MoveRec &TheMove, int8_t Depth);
void ClearHistory(SearchState &St);

// All pseudo-legal moves of WhosMove in Data[Ply] into row Ply; the count.
uint16_t GenMoveList(SearchState &St, const Str4 &TTMove);
// The captures (no king, no en passant) of WhosMove in Data[Ply]; the count.
uint16_t GenCaptureList(SearchState &St);

inline MoveRec GetAMove(uint16_t Count) { return GetAMove(MainState, Count); }
inline void AddToHistory(const MoveRec &M, int8_t Depth) { AddToHistory(MainState, M, Depth); }
inline void ClearHistory() { ClearHistory(MainState); }
inline uint16_t GenMoveList(const Str4 &TTMove) { return GenMoveList(MainState, TTMove); }
inline uint16_t GenCaptureList() { return GenCaptureList(MainState); }
