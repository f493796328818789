#include "hash/TT.h"

#include <cstring>

#include "board/Board.h"
#include "board/Globals.h"
#include "board/Squares.h"

namespace {
/// The stored entry, packed without gaps (13 bytes):
///   Key        64 bits  key adjusted for the side to move
///   Score      16 bits  as the caller gave it
///   Node_Depth  8 bits  high nibble NodeType, low nibble depth 0..15
///   Move_Piece 16 bits  bits 0-5 from-square, 6-11 to-square, 12-15 piece code
struct __attribute__((packed)) InternTTType {
  uint64_t Key;
  int16_t Score;
  uint8_t Node_Depth;
  uint16_t Move_Piece;
};
static_assert(sizeof(InternTTType) == 13, "a table entry is 13 bytes");

InternTTType TransTable[NumTTEntries + 1];

// The slots written since the last clear, so that a clear after a short search
// zeroes only those instead of all 624 MiB; past the list's capacity the whole
// table is cleared. Either way every slot ends up all zero.
constexpr uint32_t TouchedCapacity = 1u << 22;
uint32_t Touched[TouchedCapacity];
uint32_t NumTouched = 0;
bool Overflowed = false;

bool IsEmptyEntry(const InternTTType &E) {
  return E.Key == 0 && E.Score == 0 && E.Node_Depth == 0 && E.Move_Piece == 0;
}

uint64_t AdjustKey(uint64_t Key) { return WhosMove == BMove ? ~Key : Key; }

int8_t TextSquare(char File, char Rank) {
  return static_cast<int8_t>((Rank - '1') * 8 + (File - 'A'));
}
} // namespace

void ZeroTTs() {
  if (Overflowed) {
    std::memset(static_cast<void *>(TransTable), 0, sizeof TransTable);
  } else {
    for (uint32_t I = 0; I < NumTouched; ++I) TransTable[Touched[I]] = InternTTType{};
  }
  NumTouched = 0;
  Overflowed = false;
}

void AddToTT(uint64_t Key, int16_t Score, NodeType Node, uint8_t Depth, const ShortStr &Move,
             int8_t Piece) {
  const uint64_t Adjusted = AdjustKey(Key);
  const uint32_t Slot = static_cast<uint32_t>(Adjusted % NumTTEntries);
  InternTTType &E = TransTable[Slot];
  // The depth has four bits; deeper results are stored as 15 so that the
  // node type in the high nibble stays intact.
  if (Depth > 15) Depth = 15;
  if ((E.Node_Depth & 0x0F) > Depth) return;
  uint16_t Word = 0;
  if (!Move.Empty()) {
    const int From = TextSquare(Move[0], Move[1]);
    const int To = TextSquare(Move[2], Move[3]);
    Word = static_cast<uint16_t>(From + To * 64 + (Piece & 0x0F) * 4096);
  }
  if (IsEmptyEntry(E)) {
    if (NumTouched < TouchedCapacity)
      Touched[NumTouched++] = Slot;
    else
      Overflowed = true;
  }
  E.Key = Adjusted;
  E.Score = Score;
  E.Node_Depth = static_cast<uint8_t>(Node * 16 + Depth);
  E.Move_Piece = Word;
}

void GetFromTT(FullTTType &Entry) {
  Entry.Key = AdjustKey(Entry.Key);
  const InternTTType &E = TransTable[Entry.Key % NumTTEntries];
  if (E.Key != Entry.Key) {
    Entry.Score = 0;
    Entry.Node = None;
    Entry.Depth = 0;
    Entry.Move.Clear();
    Entry.Piece = 0;
    return;
  }
  Entry.Score = E.Score;
  Entry.Node = static_cast<NodeType>(E.Node_Depth >> 4);
  Entry.Depth = E.Node_Depth & 0x0F;
  Entry.Move = SquaresToStr(E.Move_Piece & 63, (E.Move_Piece >> 6) & 63);
  Entry.Piece = static_cast<int8_t>(E.Move_Piece >> 12);
}

bool ValidMove(const FullTTType &M) {
  if (M.Move.Length() < 4) return false;
  const int8_t From = TextSquare(M.Move[0], M.Move[1]);
  const int8_t To = TextSquare(M.Move[2], M.Move[3]);
  if (From < 0 || From > 63 || To < 0 || To > 63) return false;
  const DataType &D = Data[Ply];
  if (PieceOn(D, From) != M.Piece) return false;
  const int8_t Target = PieceOn(D, To);
  if (WhosMove == WMove) return Target == Empty || (Target >= BPawn && Target <= BQueen);
  return Target < WKing;
}
