#include "moves/Move.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "board/Attacks.h"
#include "board/Board.h"
#include "board/Squares.h"
#include "moves/GenMoves.h"

namespace {
constexpr uint8_t AllRights = WhiteShort | WhiteLong | BlackShort | BlackLong;
constexpr uint8_t WhiteRights = WhiteShort | WhiteLong, BlackRights = BlackShort | BlackLong;

// The rights a rook on each square stands for, as the mask that clears them:
// a1 the white long castling, h1 the white short, a8 and h8 black's; elsewhere
// none.
struct CornerTable {
  uint8_t Mask[64];
};
constexpr CornerTable MakeCornerTable() {
  CornerTable T{};
  for (uint8_t &M : T.Mask) M = AllRights;
  T.Mask[0] = AllRights & ~WhiteLong;
  T.Mask[7] = AllRights & ~WhiteShort;
  T.Mask[56] = AllRights & ~BlackLong;
  T.Mask[63] = AllRights & ~BlackShort;
  return T;
}
constexpr CornerTable Corners = MakeCornerTable();

// The rights that survive a move of piece P (a board nibble) from square Sq:
// a king gives up both of its side's, a rook the one its corner stands for.
struct KeptTable {
  uint8_t Mask[16][64];
};
constexpr KeptTable MakeKeptTable() {
  KeptTable T{};
  for (int P = 0; P < 16; ++P)
    for (int Sq = 0; Sq < 64; ++Sq)
      T.Mask[P][Sq] = P == WKing                 ? BlackRights
                      : P == BKing               ? WhiteRights
                      : P == WRook || P == BRook ? Corners.Mask[Sq]
                                                 : AllRights;
  return T;
}
constexpr KeptTable Kept = MakeKeptTable();

inline uint8_t RightsKept(int8_t P, int8_t Sq) { return Kept.Mask[P & 15][Sq]; }

// Neither a castling, a capture nor a promotion: the three flags are bytes 4
// to 6 of the record, tested together.
static_assert(offsetof(MoveRec, Castle) == 4 && offsetof(MoveRec, Capture) == 5 &&
                  offsetof(MoveRec, Promotion) == 6,
              "the flags are three bytes in a row");
inline bool IsPlain(const MoveRec &M) {
  uint32_t Flags;
  std::memcpy(&Flags, &M.Castle, sizeof Flags);
  return (Flags & 0x00FFFFFF) == 0;
}

// The rook's half of a castling, made while the king is off the board. It is
// a move of its own (it counts a node); only the turn it passed is taken back.
[[gnu::noinline]] void CastleRook(PositionStack &St, DataType &D, int8_t KingTo) {
  MoveRec Rook = {};
  if (St.WhosMove == WMove) {
    D.CastleStat &= BlackRights;
    Rook.FromSq = KingTo == 6 ? 7 : 0;
    Rook.ToSq = KingTo == 6 ? 5 : 3;
  } else {
    D.CastleStat &= WhiteRights;
    Rook.FromSq = KingTo == 62 ? 63 : 56;
    Rook.ToSq = KingTo == 62 ? 61 : 59;
  }
  MakeMove(St, Rook, false);
  St.WhosMove = static_cast<int8_t>(-St.WhosMove);
}

// A capture takes the piece on the target square, or, en passant, the pawn
// that passed: it stands behind the target square, seen from the mover.
inline void TakeVictim(DataType &D, int8_t Side, const MoveRec &TheMove, int8_t FromPiece,
                       int8_t ToPiece) {
  if (ToPiece != Empty) {
    RemoveAt(D, TheMove.ToSq);
    D.CastleStat &= Corners.Mask[TheMove.ToSq];
  }
  const bool Pawn = FromPiece == WPawn || FromPiece == BPawn;
  if (D.EnPasSq == TheMove.ToSq && Pawn) {
    RemoveAt(D, static_cast<int8_t>(TheMove.ToSq - Side * 8));
    D.EnPasSq = -1;
  }
}

// A castling, a capture or a promotion (or a move from an empty square); the
// code that lands on the target square.
[[gnu::noinline]] int8_t MakeOther(PositionStack &St, DataType &D, const MoveRec &TheMove,
                                   int8_t FromPiece) {
  const int8_t ToPiece = PieceOn(D, TheMove.ToSq);
  RemoveAt(D, TheMove.FromSq);
  D.CastleStat &= RightsKept(FromPiece, TheMove.FromSq);
  if (TheMove.Castle) CastleRook(St, D, TheMove.ToSq);
  if (TheMove.Capture) TakeVictim(D, St.WhosMove, TheMove, FromPiece, ToPiece);
  if (TheMove.Promotion) FromPiece = St.WhosMove == WMove ? WQueen : BQueen;
  PutAt(D, FromPiece, TheMove.ToSq);
  return FromPiece;
}

// The move on record D, with the record handed in so that it stays in a
// register instead of being found again from Ply at every step. Most moves
// only take a piece from one square to another; the rest go the long way.
[[gnu::noinline]] void MakeOn(PositionStack &St, DataType &D, const MoveRec &TheMove) {
  int8_t FromPiece = PieceOn(D, TheMove.FromSq);
  if (FromPiece != Empty && IsPlain(TheMove)) {
    ShiftPiece(D, FromPiece, TheMove.FromSq, TheMove.ToSq);
    D.CastleStat &= RightsKept(FromPiece, TheMove.FromSq);
  } else {
    FromPiece = MakeOther(St, D, TheMove, FromPiece);
  }
  const bool DoubleStep =
      (FromPiece == WPawn || FromPiece == BPawn) && std::abs(TheMove.FromSq - TheMove.ToSq) == 16;
  D.EnPasSq = DoubleStep ? static_cast<int8_t>(TheMove.ToSq - St.WhosMove * 8) : -1;
}
} // namespace

void MakeMove(PositionStack &St, const MoveRec &TheMove, bool QS) {
  if (QS)
    ++St.QNodes;
  else
    ++St.Nodes;
  MakeOn(St, St.Data[St.Ply], TheMove);
  St.WhosMove = static_cast<int8_t>(-St.WhosMove);
}

bool IsLegalMove(PositionStack &St, const ShortStr &TheMove) {
  bool Result = false;
  const auto Named = [&](const MoveRec &M) {
    return SquaresToStr(M.FromSq, M.ToSq) == TheMove && !TakesKing(St.Data[St.Ply], M);
  };
  WalkLegalMoves(St, Named, [&](const MoveRec &) {
    Result = true;
    return false;
  });
  return Result;
}
