// The draw rules at a node: the fifty-move rule, repetitions of the path and
// of the game, too little material to mate, and a draw the side to move can
// claim with its next move.
#include "board/Attacks.h"
#include "board/Board.h"
#include "moves/Move.h"
#include "search/Reversible.h"
#include "search/Worker.h"

namespace {
// Whether the side to move is in check without a legal move. This node's
// move list is not made yet, so the test may use its row.
bool Checkmated(SearchState &St) {
  if (!InCheck(St.Data[St.Ply], St.WhosMove)) return false;
  const WalkKept Kept(St);
  bool Escape = false;
  WalkLegalMoves(St, [&](const MoveRec &) {
    Escape = true;
    return false;
  });
  return !Escape;
}

// Whether a quiet move of the side to move is legal: on the hundredth
// half-move any of them claims the draw.
bool AnyQuietMove(SearchState &St) {
  const WalkKept Kept(St);
  const DataType &D = St.Data[St.Ply];
  bool Quiet = false;
  WalkLegalMoves(
      St, [&](const MoveRec &M) { return !M.Capture && !IsPawnCode(PieceOn(D, M.FromSq)); },
      [&](const MoveRec &) {
        Quiet = true;
        return false;
      });
  return Quiet;
}
} // namespace

uint64_t RepetitionKey(const DataType &D, int8_t Side) {
  // The placement key, told apart by the side to move and the castling rights.
  return D.HashKey ^ (Side == BMove ? BlackToMoveKey : 0) ^ (0xC2B2AE3D27D4EB4Full * D.CastleStat);
}

// A position the game has seen only once before the root is no draw: the
// opponent need not repeat it.
bool DrawnNode(Worker &W) {
  SearchState &St = *W.St;
  const int Cur = Ctx.RepBase + St.Ply;
  W.RepKeys[Cur] = RepetitionKey(St.Data[St.Ply], St.WhosMove);
  const int Reversible = W.Rule50At[St.Ply];
  // Material leaves the board only by a capture, which starts the count anew.
  if (Ctx.RootDead || (Reversible == 0 && NoMatingMaterial(St.Data[St.Ply]))) return true;
  // The hundredth half-move draws unless it mated.
  if (Reversible >= FiftyMoveHalfMoves) return !Checkmated(St);
  const int Lowest = Cur - Reversible > W.RepFloor ? Cur - Reversible : W.RepFloor;
  bool SeenBeforeRoot = false;
  for (int I = Cur - 2; I >= Lowest; I -= 2) {
    if (W.RepKeys[I] != W.RepKeys[Cur]) continue;
    if (I >= Ctx.RepBase || SeenBeforeRoot) return true;
    SeenBeforeRoot = true;
  }
  return false;
}

// A quiet move back to a position the child would repeat (see DrawnNode), or
// any quiet move on the hundredth half-move. The table's entry for this node
// may come from a game in which that position had not been seen, or from
// earlier in the fifty moves, and would hide the draw.
bool CanDrawNext(Worker &W, bool GameOnly) {
  SearchState &St = *W.St;
  const int Cur = Ctx.RepBase + St.Ply;
  const int Reversible = W.Rule50At[St.Ply];
  if (Reversible + 1 >= FiftyMoveHalfMoves && AnyQuietMove(St)) return true;
  // A cycle back to the same side to move takes four half-moves at least.
  if (Reversible < 3 || (GameOnly && !Ctx.AnySeenTwice)) return false;
  const int Lowest = Cur - Reversible > W.RepFloor ? Cur - Reversible : W.RepFloor;
  int J = Cur - 3;
  if (GameOnly && J >= Ctx.RepBase) J -= ((J - Ctx.RepBase) / 2 + 1) * 2;
  for (; J >= Lowest; J -= 2) {
    // On the path any return draws; before the root only a third time.
    if (J >= Ctx.RepBase ? GameOnly : Ctx.SeenBefore[J] < Lowest) continue;
    MoveRec M;
    if (!ReversibleMoveFor(St.Data[St.Ply], St.WhosMove,
                           W.RepKeys[Cur] ^ W.RepKeys[J] ^ BlackToMoveKey, M))
      continue;
    const WalkKept Kept(St);
    MakeOnCopy(St, M, false);
    const bool Legal = !InCheck(St.Data[St.Ply], static_cast<int8_t>(-St.WhosMove));
    UnmakeMove(St);
    if (Legal) return true;
  }
  return false;
}

void SetDrawContext(const SearchState &St, const GameKeys &G) {
  Ctx.RepBase = 0;
  if (!Ctx.DrawRules) return;
  const int Keep = G.Len < MaxHistory ? G.Len : MaxHistory;
  for (int I = 0; I < Keep; ++I) Ctx.GameKeys[I] = G.Keys[G.Len - Keep + I];
  Ctx.RepBase = Keep;
  // The root is the first position of each path (Worker::StartPath): a line
  // back to it repeats.
  Ctx.Rule50 = static_cast<uint16_t>(G.Rule50 > FiftyMoveHalfMoves ? FiftyMoveHalfMoves : G.Rule50);
  Ctx.RootDead = NoMatingMaterial(St.Data[0]);
  PrepareReversibleMoves();
  Ctx.AnySeenTwice = false;
  for (int J = 0; J < Ctx.RepBase; ++J) {
    Ctx.SeenBefore[J] = -1;
    for (int K = J - 2; K >= 0 && Ctx.SeenBefore[J] < 0; K -= 2)
      if (Ctx.GameKeys[K] == Ctx.GameKeys[J]) Ctx.SeenBefore[J] = K;
    Ctx.AnySeenTwice = Ctx.AnySeenTwice || Ctx.SeenBefore[J] >= 0;
  }
}

void Worker::StartPath() {
  RepFloor = 0;
  NextCheck = CheckInterval;
  NumExcluded = 0;
  if (!Ctx.DrawRules) return;
  for (int I = 0; I < Ctx.RepBase; ++I) RepKeys[I] = Ctx.GameKeys[I];
  RepKeys[Ctx.RepBase] = RepetitionKey(St->Data[0], St->WhosMove);
  Rule50At[0] = Ctx.Rule50;
}
