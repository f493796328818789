// What the console's node search and the UCI engine's own node search share:
// the table's conversions and stores, the prefetches, the table probe, the
// null move and the taking of a node's moves, with the draw rules, the root's
// limits, the lines and the threads' sharing of moves they keep.
#pragma once
#include <cstdint>

#include "board/Squares.h"
#include "board/Types.h"
#include "board/Zorbist.h"
#include "hash/TT.h"
#include "search/Worker.h"

// ---- a strength level's noise on the static scores ------------------------
// Score moved by the level's noise, by an amount that only the placement,
// the side to move and the seed decide.
inline int16_t WithNoise(const SearchState &St, int16_t Score) {
  uint64_t H = Ctx.NoiseSeed ^ (St.WhosMove == WMove ? 0 : GoldenGamma);
  for (const uint32_t Rank : St.Data[St.Ply].Board) H = (H ^ Rank) * 0x100000001B3ull;
  H ^= H >> 29;
  const int Span = 2 * Ctx.EvalNoise + 1;
  return static_cast<int16_t>(Score + static_cast<int>(H % static_cast<uint64_t>(Span)) -
                              Ctx.EvalNoise);
}

// another root; a table emptied before every search keeps scores as they are.
inline int16_t ToTT(const SearchState &St, int16_t S) {
  if (!Ctx.KeepTable) return S;
  if (S >= MateBound) return static_cast<int16_t>(S + St.Ply);
  if (S <= -MateBound) return static_cast<int16_t>(S - St.Ply);
  return S;
}
inline int16_t FromTT(const SearchState &St, int16_t S) {
  if (!Ctx.KeepTable) return S;
  if (S >= MateBound) return static_cast<int16_t>(S - St.Ply);
  if (S <= -MateBound) return static_cast<int16_t>(S + St.Ply);
  return S;
}

inline void Store(const SearchState &St, int16_t Score, NodeType Node, int8_t Depth,
                  const ShortStr &Move, int8_t Piece) {
  AddToTT(St.WhosMove, St.Data[St.Ply].HashKey, ToTT(St, Score), Node, static_cast<uint8_t>(Depth),
          Move, Piece);
}

inline void PassTurn(SearchState &St) { St.WhosMove = static_cast<int8_t>(-St.WhosMove); }

// ---- the children's table slots ---------------------------------------------
// The table slots of the children are asked for before the children are
// searched. A child probes its slot first thing, and one fetch from memory
// after another was most of the search's time; asked for together, they
// arrive together. A child's key is the parent's with the mover and the
// victim changed; a castling or an en passant capture gets a slot of no
// use, which is harmless.
inline void PrefetchChild(const DataType &D, int8_t Side, const MoveRec &M) {
  const int8_t Mover = PieceOn(D, M.FromSq), Victim = PieceOn(D, M.ToSq);
  const int8_t Lands = M.Promotion ? static_cast<int8_t>((Mover & 8) | WQueen) : Mover;
  PrefetchTT(D.HashKey ^ ZorbistKey(Mover, M.FromSq) ^ ZorbistKey(Lands, M.ToSq) ^
                 ZorbistKey(Victim, M.ToSq),
             static_cast<int8_t>(-Side));
}

// Every move of row Ply.
inline void PrefetchChildren(const SearchState &St, uint16_t Count) {
  for (uint16_t I = 1; I <= Count; ++I)
    PrefetchChild(St.Data[St.Ply], St.WhosMove, St.MoveList[St.Ply][I]);
}

// The moves a cut most often comes from, searched first: the table's move,
// the captures and the promotions. Asking for every slot at every node
// asked four times as many as were probed, and the fetches waited on one
// another; the rest are asked for once the first move has not cut.
inline void PrefetchLikelyCuts(const SearchState &St, uint16_t Count, const Str4 &TTMove) {
  const int8_t From = SquareOf(TTMove[0], TTMove[1]), To = SquareOf(TTMove[2], TTMove[3]);
  for (uint16_t I = 1; I <= Count; ++I) {
    const MoveRec &M = St.MoveList[St.Ply][I];
    if (M.Capture || M.Promotion || (M.FromSq == From && M.ToSq == To))
      PrefetchChild(St.Data[St.Ply], St.WhosMove, M);
  }
}

// ---- what a node knows before its moves ---------------------------------------
struct NodeStart {
  Str4 TTMove;   // searched first
  bool LineRoot; // the root of a line after the first (Worker::Excluded)
};

// The table's entry for the node: its move, and the node's value when the
// entry is deep enough and may be trusted here (true, with Value set).

// The table's entry for the node: its move, and the node's value when the
// entry is deep enough and may be trusted here (true, with Value set).
bool ProbeNode(Worker &W, int16_t Alpha, int16_t Beta, int8_t Depth, NodeStart &N, int16_t &Value);

// The other side moves twice: the table still tells the positions apart
// because its key depends on the side to move. True, with Value set, when the
// node is cut, or the search stopped during the pass.
// Child is the node search the pass goes on with, R how much shallower.
template <int16_t (*Child)(Worker &, int16_t, int16_t, int8_t, bool)>
bool NullMoveCuts(Worker &W, int16_t Alpha, int16_t Beta, int8_t Depth, int8_t R, int16_t &Value) {
  SearchState &St = *W.St;
  // Past the pass no repetition counts; the node's own key comes back after.
  const int SavedFloor = W.RepFloor;
  const uint64_t OwnKey = W.RepKeys[Ctx.RepBase + St.Ply];
  W.RepFloor = Ctx.RepBase + St.Ply + 1;
  PassTurn(St);
  const int16_t Score =
      Neg(Child(W, Neg(Beta), Neg(Beta - 1), static_cast<int8_t>(Depth - R), false));
  PassTurn(St);
  W.RepFloor = SavedFloor;
  W.RepKeys[Ctx.RepBase + St.Ply] = OwnKey;
  // A stopped search has no score: nothing is stored or cut from it.
  if (St.Abort) {
    Value = Alpha;
    return true;
  }
  if (Score < Beta) return false;
  ++St.BetaCuts;
  ++St.NullCuts;
  Store(St, Score, FailHigh, Depth, ShortStr(), 0);
  Value = Beta;
  return true;
}

// ---- the node's moves -----------------------------------------------------------
// The node's moves in turn: the generator's, best first, then those left
// until the others were done. MoveIndex counts moves taken, legal or not.
struct MovePicker {
  uint16_t NumMoves;
  uint16_t NumDeferred = 0;
  MoveRec *Deferred;
  bool More(uint16_t MoveIndex) const { return MoveIndex <= NumMoves + NumDeferred; }
};

// The next move to search: taken from the list (or from those left for
// later); false when the root's limits or its lines leave it out.
bool PickMove(Worker &W, MovePicker &P, uint16_t MoveIndex, const NodeStart &N, MoveRec &ThisMove);
// The move made on the record above: false when it is skipped (illegal, or
// left for later while another thread searches it).
bool EnterMove(Worker &W, MovePicker &P, uint16_t MoveIndex, bool MayDefer, bool FirstLegal,
               const MoveRec &ThisMove, uint64_t &BusyKey);
