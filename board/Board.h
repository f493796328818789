// Piece placement on a position record: the board, the piece and pawn lists
// and the hash key are kept in step by PutPiece and RemovePiece.
#pragma once
#include <bit>
#include <cstdint>
#include <cstring>

#include "board/Types.h"
#include "board/Zorbist.h"
#include "platform/Fatal.h"

// Writes code P on Sq; P = Empty only clears the square. A previous occupant
// must first be taken off with RemovePiece.
void PutPiece(DataType &D, int8_t P, int8_t Sq);
// Takes whatever stands on Sq off the board, out of its list and out of the key.
void RemovePiece(DataType &D, int8_t Sq);
// Empties D: board, every list entry free, CastleStat 0; HashKey and EnPasSq
// keep their values.
void ZeroBoardData(DataType &D);

// How many pieces of code P (pawns included) the lists of D hold, and
// whether one more would fit (one king, and the pieces beyond two of a kind
// and the pawns together no more than MaxExtra).
int CountPieces(const DataType &D, int8_t P);
bool RoomForPiece(const DataType &D, int8_t P);

// No sequence of legal moves can mate on D: the kings alone, a lone knight or
// bishop beside them, or bishops all on squares of one colour.
bool NoMatingMaterial(const DataType &D);

// ---- the same operations on a given record ---------------------------------
// MakeMove runs them several times per move; written here so that they are
// inlined into it, with the record found once and the moving codes known.

inline void SetSquare(DataType &D, int Sq, int8_t P) {
  const int Shift = (Sq & 7) * 4;
  uint32_t &Rank = D.Board[Sq >> 3];
  Rank = (Rank & ~(0xFu << Shift)) + (static_cast<uint32_t>(P) << Shift);
}

inline bool IsPieceListCode(int8_t P) { return (P >= 2 && P <= 6) || (P >= 10 && P <= 14); }

// A pawn list as one word, byte I holding entry I. It is read and written
// whole: a pawn move takes an entry out and puts one in, and a byte store
// followed by a word load of the same list would stall the load.
inline uint64_t LoadList(const int8_t *List) {
  uint64_t Word;
  std::memcpy(&Word, List, sizeof Word);
  return Word;
}

// Bit 7 of each byte of Word that equals B, and maybe of bytes above such a
// byte: the zero-byte test on Word ^ B, where borrows can only mark bytes
// above the first zero byte, so that the lowest mark is exact.
inline uint64_t ByteMarks(uint64_t Word, int8_t B) {
  const uint64_t V = Word ^ (0x0101010101010101ull * static_cast<uint8_t>(B));
  return (V - 0x0101010101010101ull) & ~V & 0x8080808080808080ull;
}

// The bit offset of the first byte of Word equal to B, 64 when there is none.
inline int FirstByte(uint64_t Word, int8_t B) { return std::countr_zero(ByteMarks(Word, B)) & ~7; }

// The first free entry (-1) becomes Sq.
inline void AddPawnEntry(int8_t *List, int8_t Sq, bool White) {
  uint64_t Word = LoadList(List);
  const int Bit = FirstByte(Word, -1);
  if (Bit == 64)
    Fatal("Board", __LINE__,
          White ? "Error in AddToPawnList, i value > 7, white code"
                : "Error in AddToPawnList, i value > 7, black code");
  Word ^= (0xFFull ^ static_cast<uint8_t>(Sq)) << Bit;
  std::memcpy(List, &Word, sizeof Word);
}

// The first entry holding Sq becomes free (-1).
inline void RemovePawnEntry(int8_t *List, int8_t Sq) {
  uint64_t Word = LoadList(List);
  const int Bit = FirstByte(Word, Sq);
  if (Bit == 64) Fatal("Board", __LINE__, "error: in removefrompawnlist");
  Word |= 0xFFull << Bit;
  std::memcpy(List, &Word, sizeof Word);
}

// Pieces past the two slots of their kind go to the extra list; P must be a
// list code.
inline void AddPieceEntry(DataType &D, int8_t P, int8_t Sq) {
  PieceListType &L = P < 9 ? D.WPieceList : D.BPieceList;
  const int K = PIdx(P);
  if (L[0][K] == -1) {
    L[0][K] = Sq;
  } else if (L[1][K] == -1) {
    L[1][K] = Sq;
  } else if ((P & 7) != WKing) {
    uint8_t &Count = P < 9 ? D.WExtraCount : D.BExtraCount;
    int8_t *Extra = P < 9 ? D.WExtra : D.BExtra;
    if (Count >= MaxExtra) Fatal("Board", __LINE__, "Error in AddToPieceList");
    Extra[Count++] = Sq;
  } else {
    // A third king: the callers refuse even a second one before it gets here.
    Fatal("Board", __LINE__, "Error in AddToPieceList");
  }
}

// Takes Sq out of the extra list, if there, and refills a free slot of P's
// kind from the last extra of that kind. Sq still holds P on the board.
void RemoveExtra(DataType &D, int8_t P, int8_t Sq);

inline void RemovePieceEntry(DataType &D, int8_t P, int8_t Sq) {
  PieceListType &L = P < 9 ? D.WPieceList : D.BPieceList;
  const int K = PIdx(P);
  if (L[0][K] == Sq) L[0][K] = -1;
  if (L[1][K] == Sq) L[1][K] = -1;
  // Out of line: almost every position has no extras.
  if ((P < 9 ? D.WExtraCount : D.BExtraCount) != 0) RemoveExtra(D, P, Sq);
}

inline void PutAt(DataType &D, int8_t P, int8_t Sq) {
  SetSquare(D, Sq, P);
  if (P == Empty) return;
  D.HashKey ^= ZorbistKey(P, Sq);
  if (P == WPawn || P == BPawn) {
    AddPawnEntry(P == WPawn ? D.WPawnList : D.BPawnList, Sq, P == WPawn);
  } else {
    // The unused codes 7..9 have no piece-list entry at all.
    if (!IsPieceListCode(P)) Fatal("Board", __LINE__, "Error in AddToPieceList");
    AddPieceEntry(D, P, Sq);
  }
}

inline void RemoveAt(DataType &D, int8_t Sq) {
  const int8_t P = PieceOn(D, Sq);
  if (P == Empty) return;
  if (P == WPawn || P == BPawn) {
    RemovePawnEntry(P == WPawn ? D.WPawnList : D.BPawnList, Sq);
  } else {
    if (!IsPieceListCode(P)) Fatal("Board", __LINE__, "Error in RemoveFromPieceList");
    RemovePieceEntry(D, P, Sq);
  }
  D.HashKey ^= ZorbistKey(P, Sq);
  SetSquare(D, Sq, Empty);
}

// The same as RemoveAt(D, From) then PutAt(D, P, To) for the piece P that
// stands on From, with the list changed in one pass: a pawn's entry is freed
// and the first free entry takes To, in the word that holds them all.
inline void ShiftPiece(DataType &D, int8_t P, int8_t From, int8_t To) {
  if (!(P == WPawn || P == BPawn || IsPieceListCode(P))) {
    RemoveAt(D, From);
    PutAt(D, P, To);
    return;
  }
  if (P == WPawn || P == BPawn) {
    int8_t *List = P == WPawn ? D.WPawnList : D.BPawnList;
    uint64_t Word = LoadList(List);
    const int Freed = FirstByte(Word, From);
    if (Freed == 64) Fatal("Board", __LINE__, "error: in removefrompawnlist");
    Word |= 0xFFull << Freed;
    // There is a free entry now, so the search for one needs no end mark.
    const int Free = std::countr_zero(ByteMarks(Word, -1) | 1ull << 63) & ~7;
    Word ^= (0xFFull ^ static_cast<uint8_t>(To)) << Free;
    std::memcpy(List, &Word, sizeof Word);
  } else {
    RemovePieceEntry(D, P, From);
    AddPieceEntry(D, P, To);
  }
  const uint64_t *Keys = ZorbistBrd[P + 128] + 128;
  D.HashKey ^= Keys[From] ^ Keys[To];
  SetSquare(D, From, Empty);
  SetSquare(D, To, P);
}
