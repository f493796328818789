#include "search/Reversible.h"

#include <cstdlib>
#include <utility>

#include "board/Zorbist.h"

namespace {
// 1834 square pairs a side, found at the slot of their key change or in one of
// the slots after it: a table four times that size keeps the runs short.
constexpr int Slots = 8192;
struct PairEntry {
  uint64_t Change; // 0: a free slot (no pair of distinct keys gives 0)
  int8_t Piece, A, B;
};
PairEntry Table[Slots];
uint64_t BuiltFrom = 0; // a key of the set the table was built from

int SlotOf(uint64_t Change) { return static_cast<int>(Change >> 51) & (Slots - 1); }

// Whether Piece moves from A to B on an empty board.
bool Reaches(int8_t Piece, int A, int B) {
  const int Df = std::abs((A & 7) - (B & 7)), Dr = std::abs((A >> 3) - (B >> 3));
  const bool Straight = Df == 0 || Dr == 0, Diagonal = Df == Dr;
  switch (Piece & 7) {
  case WNight:
    return Df * Dr == 2;
  case WBishop:
    return Diagonal;
  case WRook:
    return Straight;
  case WQueen:
    return Straight || Diagonal;
  case WKing:
    return Df <= 1 && Dr <= 1;
  default:
    return false;
  }
}

// The squares strictly between A and B on their line are empty.
bool ClearBetween(const DataType &D, int A, int B) {
  const int Df = (B & 7) - (A & 7), Dr = (B >> 3) - (A >> 3);
  if (Df * Dr != 0 && std::abs(Df) != std::abs(Dr)) return true; // a knight's jump
  const int Step = (Dr > 0 ? 8 : Dr < 0 ? -8 : 0) + (Df > 0 ? 1 : Df < 0 ? -1 : 0);
  for (int Sq = A + Step; Sq != B; Sq += Step)
    if (PieceOn(D, Sq) != Empty) return false;
  return true;
}
} // namespace

void PrepareReversibleMoves() {
  const uint64_t Sample = ZorbistKey(WNight, 0) ^ ZorbistKey(BKing, 63);
  if (Sample == BuiltFrom && Sample != 0) return;
  BuiltFrom = Sample;
  for (PairEntry &E : Table) E = PairEntry{0, 0, 0, 0};
  for (int8_t Piece = WNight; Piece <= BKing; ++Piece) {
    if ((Piece & 7) < WNight || (Piece & 7) > WKing) continue;
    for (int A = 0; A < 64; ++A)
      for (int B = A + 1; B < 64; ++B) {
        if (!Reaches(Piece, A, B)) continue;
        const uint64_t Change =
            ZorbistKey(Piece, static_cast<int8_t>(A)) ^ ZorbistKey(Piece, static_cast<int8_t>(B));
        int S = SlotOf(Change);
        while (Table[S].Change != 0) S = (S + 1) & (Slots - 1);
        Table[S] = {Change, Piece, static_cast<int8_t>(A), static_cast<int8_t>(B)};
      }
  }
}

bool ReversibleMoveFor(const DataType &D, int8_t Side, uint64_t KeyChange, MoveRec &M) {
  for (int S = SlotOf(KeyChange); Table[S].Change != 0; S = (S + 1) & (Slots - 1)) {
    const PairEntry &E = Table[S];
    if (E.Change != KeyChange) continue;
    if (IsWhiteCode(E.Piece) != (Side == WMove)) return false;
    int8_t From = E.A, To = E.B;
    if (PieceOn(D, From) != E.Piece) std::swap(From, To);
    if (PieceOn(D, From) != E.Piece || PieceOn(D, To) != Empty) return false;
    if (!ClearBetween(D, From, To)) return false;
    M = MoveRec{From, To, 0, false, false, false};
    return true;
  }
  return false;
}
