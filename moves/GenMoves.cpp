// Full generation: every pseudo-legal move of the side to move, scored for
// the search's order.
#include "moves/GenMoves.h"

#include "moves/Generate.h"

using namespace MoveGen;

namespace {

// The diagonal step of a pawn towards file Fyle + Side, if that is on the board.
template <bool White> inline void PawnTake(GenState &G, int From, int One, int Fyle, int Side) {
  if (Fyle + Side < 0 || Fyle + Side > 7) return;
  const int To = One + Side;
  const int8_t P = G.Squares[To];
  if (To == G.D.EnPasSq || (White ? P >= 9 && P <= 13 : P >= 1 && P <= 5))
    AddScored<White, WPawn>(G, From, To, P);
}

// The single step, the double step (from any square off the middle four
// ranks, over an empty square) and the two diagonals, which take a piece
// other than the king or the en-passant square. Black's steps are White's
// mirrored in rank and file, so its diagonals come in the other file order.
template <bool White> inline void GenPawn(GenState &G, int From) {
  constexpr int Dir = White ? 1 : -1;
  const int Rank = From / 8 + Dir, Fyle = From % 8;
  if (Rank < 0 || Rank > 7) return;
  const int One = From + 8 * Dir;
  const int8_t P1 = G.Squares[One];
  if (P1 == Empty) AddScored<White, WPawn>(G, From, One, P1);
  if (Rank + Dir >= 0 && Rank + Dir <= 7) {
    const int8_t P2 = G.Squares[One + 8 * Dir];
    if (!(From >= 16 && From <= 47) && P2 == Empty && P1 == Empty)
      AddScored<White, WPawn>(G, From, One + 8 * Dir, P2);
  }
  PawnTake<White>(G, From, One, Fyle, -Dir);
  PawnTake<White>(G, From, One, Fyle, Dir);
}

template <bool White> void GenPawnMoves(GenState &G) {
  const int8_t *Pawns = White ? G.D.WPawnList : G.D.BPawnList;
  for (int I = 0; I < 8; ++I)
    if (Pawns[I] != -1) GenPawn<White>(G, Pawns[I]);
}

// A knight may take the enemy king; a king never steps onto a king.
template <bool White, int Type> void GenStepMoves(GenState &G, int FromSq, const StepTable &Table) {
  const Targets &T = Table.T[FromSq];
  for (int I = 0; I < T.N; ++I) {
    const int8_t P = G.Squares[T.Sq[I]];
    if (IsOwn<White>(P)) continue;
    if (Type == WKing && (P == WKing || P == BKing)) continue;
    AddScored<White, Type>(G, FromSq, T.Sq[I], P);
  }
}

// Nearest square outward; a capture (the enemy king included) ends the ray.
template <bool White, int Type, int Mover>
void GenSlideMoves(GenState &G, int FromSq, int FirstRow) {
  for (int Row = FirstRow; Row < FirstRow + 4; ++Row) {
    const Targets &T = Rays.R[FromSq][Row];
    for (int I = 0; I < T.N; ++I) {
      const int8_t P = G.Squares[T.Sq[I]];
      if (IsOwn<White>(P)) break;
      AddScored<White, Type, Mover>(G, FromSq, T.Sq[I], P);
      if (P != Empty) break;
    }
  }
}

template <bool White> void GenKnightMoves(GenState &G, int FromSq) {
  GenStepMoves<White, WNight>(G, FromSq, KnightTargets);
}
template <bool White, int Mover = WRook> void GenRookMoves(GenState &G, int FromSq) {
  GenSlideMoves<White, WRook, Mover>(G, FromSq, RookRows);
}
template <bool White, int Mover = WBishop> void GenBishopMoves(GenState &G, int FromSq) {
  GenSlideMoves<White, WBishop, Mover>(G, FromSq, BishopRows);
}
// Scored with the bishop's table on the diagonals and the rook's on the lines.
template <bool White> void GenQueenMoves(GenState &G, int FromSq) {
  GenBishopMoves<White, WQueen>(G, FromSq);
  GenRookMoves<White, WQueen>(G, FromSq);
}

struct CastleRow {
  int8_t Origin;
  uint8_t Bit;
  int8_t Empty[3]; // -1: no square
  int8_t Safe[3];
  int8_t Dest;
};
// The rook's presence is not tested: the castle bits are the record of it.
// b1 and b8 need only be empty.
constexpr CastleRow WhiteCastle[2] = {{4, 1, {5, 6, -1}, {4, 5, 6}, 6},
                                      {4, 2, {1, 2, 3}, {4, 2, 3}, 2}};
constexpr CastleRow BlackCastle[2] = {{60, 4, {61, 62, -1}, {60, 61, 62}, 62},
                                      {60, 8, {57, 58, 59}, {60, 58, 59}, 58}};

template <bool White> void GenKingMoves(GenState &G, int FromSq) {
  GenStepMoves<White, WKing>(G, FromSq, KingTargets);
  const DataType &D = G.D;
  for (const CastleRow &C : White ? WhiteCastle : BlackCastle) {
    if (FromSq != C.Origin || !(D.CastleStat & C.Bit)) continue;
    bool Ok = true;
    for (int8_t Sq : C.Empty)
      if (Sq != -1 && G.Squares[Sq] != Empty) Ok = false;
    for (int I = 0; Ok && I < 3; ++I)
      if (Attacked(D, C.Safe[I], White ? BMove : WMove)) Ok = false;
    if (Ok) Add<White>(G, FromSq, C.Dest, Own<White>(WKing), G.Squares[C.Dest], CastleScore);
  }
}

template <bool White> void GenAll(GenState &G) {
  const DataType &D = G.D;
  const PieceListType &L = White ? D.WPieceList : D.BPieceList;
  GenPawnMoves<White>(G);
  for (int Slot = 0; Slot < 2; ++Slot)
    if (L[Slot][PIdx(WNight)] != -1) GenKnightMoves<White>(G, L[Slot][PIdx(WNight)]);
  for (int Slot = 0; Slot < 2; ++Slot)
    if (L[Slot][PIdx(WRook)] != -1) GenRookMoves<White>(G, L[Slot][PIdx(WRook)]);
  for (int Slot = 0; Slot < 2; ++Slot)
    if (L[Slot][PIdx(WBishop)] != -1) GenBishopMoves<White>(G, L[Slot][PIdx(WBishop)]);
  for (int Slot = 0; Slot < 2; ++Slot)
    if (L[Slot][PIdx(WQueen)] != -1) GenQueenMoves<White>(G, L[Slot][PIdx(WQueen)]);
  // Pieces promoted beyond the two slots move after the listed ones.
  if ((White ? D.WExtraCount : D.BExtraCount) != 0)
    GenExtra<White, GenKnightMoves<White>, GenBishopMoves<White>, GenRookMoves<White>,
             GenQueenMoves<White>>(G);
  if (L[0][PIdx(WKing)] != -1) GenKingMoves<White>(G, L[0][PIdx(WKing)]);
}
} // namespace

uint16_t GenMoveList(PositionStack &St, const Str4 &TTMove) {
  ClearRow(St);
  St.HashMove = TTMove;
  ParseHashMove(St);
  return Generate<GenAll<true>, GenAll<false>>(St);
}
