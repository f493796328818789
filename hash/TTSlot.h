// The table's slots as its own code and its tests see them: the packed entry
// and the slot of a key. Nobody else pokes the bytes; they call hash/TT.h.
#pragma once
#include <cstdint>

/// The stored entry, packed without gaps (13 bytes):
///   Key        64 bits  bits 0-55: the key adjusted for the side to move,
///                       XOR-ed with the other 40 bits (DataBits), so that an
///                       entry mixed of two threads' writes fails the key
///                       check; bits 56-63: the search that wrote it
///   Score      16 bits  as the caller gave it
///   Node_Depth  8 bits  bits 4-5 NodeType, 0-3 depth 0..15
///   Move_Piece 16 bits  bits 0-5 from-square, 6-11 to-square, 12-15 piece code
struct __attribute__((packed)) InternTTType {
  uint64_t Key;
  int16_t Score;
  uint8_t Node_Depth;
  uint16_t Move_Piece;
};
static_assert(sizeof(InternTTType) == 13, "a table entry is 13 bytes");

// The slot of Key for Side to move.
InternTTType &TTSlot(uint64_t Key, int8_t Side);
