// The record a thread plays its moves on: the position stack with its ply
// and side to move, each ply's move list with its scores and table move, and
// the history table that orders them. The game keeps one (its position is the
// bottom record) and each helper thread of a search another; every routine
// that reads or changes one takes it, so none can touch another by mistake.
#pragma once
#include <cstdint>

#include "board/Types.h"
#include "platform/FixedStr.h"

// A row of the move lists holds every pseudo-legal move of any position the
// lists can describe: ten queens (two listed, eight extra), two rooks,
// bishops and knights, a king with both castlings and eight pawns (a
// position file may hold all of them at once) cannot exceed
// 10*27 + 2*14 + 2*13 + 2*8 + 10 + 8*4 = 382.
constexpr int MoveListCapacity = 384;

struct PositionStack {
  DataType Data[MaxPly + 1]{}; // one record per ply; Data[0] is the root
  uint8_t Ply = 0;             // index of the current record
  int8_t WhosMove = WMove;     // WMove or BMove
  // The root counts as an endgame: fixed when a search starts, it picks the
  // king's table for the evaluation and the move ordering.
  bool EndGame = false;
  // Entries 1 .. count of row Ply (entry 0 unused), and the scores once more,
  // eight to a 16-byte block (moves/GenMoves.cpp). Entries go in through the
  // generators only: GetAMove picks by the copy of the scores, and marks the
  // entry it takes in both.
  MoveRec MoveList[MaxPly + 1][MoveListCapacity + 1]{};
  alignas(16) int16_t MoveScore[MaxPly + 1][MoveListCapacity + 8]{};
  uint16_t MoveListIndex = 0;
  Str4 HashMove{};
  int8_t HashFrom = -1, HashTo = -1; // HashMove as squares
  uint16_t HistTab[16][64]{};        // by piece code (board nibble 0..15) and square
  // Moves made since the search started, counted by MakeMove: a castling
  // counts two. QNodes are those of the quiescence search.
  uint64_t Nodes = 0, QNodes = 0;
};
