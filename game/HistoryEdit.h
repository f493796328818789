// The changes of the game's list, for game/ alone: the front ends change the
// game through game/Game.h and read the list through game/History.h.
#pragma once
#include "game/History.h"

// An empty list whose bottom is the game's position now.
void ListBegin(bool SetUp, uint32_t HalfMoves, uint32_t FullMove);
// Appends E; a full list forgets its oldest entry first.
void ListPush(const GameEntry &E);
// Removes the newest entry.
void ListPop();
// An empty list with the given bottom.
void ListRestart(const GameStart &Bottom);
// The entry as the game's position and side stand now (Kind and the rest
// are the caller's).
GameEntry EntryHere(EntryKind Kind);
// The game's position, side and move count as an entry held them.
void RestoreGame(const DataType &D, int8_t Side, uint16_t Moves);
// While the book is in use its line is the list's texts; a line too long
// for it leaves the book.
void FollowBookLine();
