// The transposition table: one flat array of packed 13-byte entries, addressed
// by the position's key (complemented when Black is to move) modulo a prime,
// one entry per slot, depth-preferred replacement. It lives for the whole run.
// The console empties it at every search start, new game, load, set-up and
// takeback; a front end that keeps it through a game says so (KeepTTOnSetUp,
// NewTTGeneration) and empties it itself.
// Searching threads share it without locks: an entry two writes have mixed
// fails the key check, and a move read from it is checked (ValidMove) before
// use. Everything but AddToTT, GetFromTT, PrefetchTT and HashFullPermill is for
// the time when no search runs.
#pragma once
#include <cstdint>

#include "board/Types.h"
#include "platform/FixedStr.h"

enum NodeType : uint8_t { None = 0, Exact = 1, FailLow = 2, FailHigh = 3 };

constexpr uint32_t NumTTEntries = 50331653; // a prime

// The entry as callers see it.
struct FullTTType {
  uint64_t Key; // in: the position's key; out: the side-adjusted key
  int16_t Score;
  NodeType Node;
  uint8_t Depth; // 0..15
  ShortStr Move; // empty or a 4-character move text
  int8_t Piece;  // code of the moving piece, 0 without a move
  bool Earlier;  // written by an earlier search of a kept table
};

// The full table takes this much memory; a front end may ask for less.
constexpr uint32_t MaxTTMiB = 624;

void ZeroTTs();
// The clear that a new game, a loaded or edited position and a takeback
// make; after KeepTTOnSetUp it does nothing, for a front end that keeps the
// table across the set-ups of one game and empties it itself.
void ZeroTTsOnSetUp();
// How many threads write the table in the searches to come (1 at start).
// With more than one, the slots written are not listed, and each clear is a
// whole one.
void SetTTWriters(int N);
void KeepTTOnSetUp();
// A search that keeps the table: what earlier searches wrote is still read,
// but any of it may be replaced, however deep.
void NewTTGeneration();
// A table of about MiB mebibytes (1..MaxTTMiB; MaxTTMiB gives the table of
// NumTTEntries), emptied. Only between searches; false, with the default
// table in use, when the size is out of range or the memory cannot be had.
bool SetTTSizeMiB(uint32_t MiB);
// Empties the table and starts making all of it resident, in 2 MiB pages
// where the kernel has them, on a thread of its own: no one waits for it, and
// the searches may run meanwhile. For front ends that own the table's memory
// from the start.
void MakeTTResident();
// Returns once MakeTTResident's work is done, for a program that times its
// searches.
void WaitTTResident();
// The same for a front end that answers once the table is ready: after
// HugePagesMs the kernel's search for 2 MiB pages (its memory compaction may
// take seconds) ends, and the rest of the table is made resident in ordinary
// pages.
void WaitTTResident(uint32_t HugePagesMs);
// How full the table is, in thousandths, from its first thousand entries.
uint32_t HashFullPermill();
// Side is the side to move in the position of the key.
void AddToTT(int8_t Side, uint64_t Key, int16_t Score, NodeType Node, uint8_t Depth,
             const ShortStr &Move, int8_t Piece);
void GetFromTT(FullTTType &Entry, int8_t Side);
// Starts loading the slot of a position's key for Side to move, so that the
// probe a little later finds it in the cache.
void PrefetchTT(uint64_t Key, int8_t Side);
// Whether the entry's move still fits D for Side to move: the stored piece
// stands on its from-square and the target is empty or an enemy non-king.
bool ValidMove(const FullTTType &M, const DataType &D, int8_t Side);
