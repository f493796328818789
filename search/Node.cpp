// The node search and the quiescence search: fail-hard negamax with the
// table, the null move, the check extension and reduced null-window searches
// for every move after the first.
#include "board/Attacks.h"
#include "board/Board.h"
#include "board/Squares.h"
#include "board/Zorbist.h"
#include "eval/Eval.h"
#include "hash/TT.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"
#include "search/Clock.h"
#include "search/NodeParts.h"
#include "search/Worker.h"

namespace {
// The static score, moved by a strength level's noise. A score at the
// window's edge may be the lazy evaluation's bound, far outside the window:
// it stays.
inline int16_t NoisyEval(const SearchState &St, int16_t Alpha, int16_t Beta) {
  const int16_t Score = EvalPosition(St.Data[St.Ply], St.WhosMove, St.EndGame, Alpha, Beta);
  if (Ctx.EvalNoise == 0 || Score <= Alpha || Score >= Beta) return Score;
  return WithNoise(St, Score);
}

// with a reduced null window first, searched again in full when it lands
// inside the window.
inline int16_t SearchChild(Worker &W, int16_t Alpha, int16_t Beta, int8_t Depth, bool First) {
  if (First) return Neg(Search(W, Neg(Beta), Neg(Alpha), static_cast<int8_t>(Depth - 1), true));
  const uint8_t R = ReducedDepthCut(Depth);
  const int16_t Score =
      Neg(Search(W, Neg(Alpha + 1), Neg(Alpha), static_cast<int8_t>(Depth - R), true));
  if (W.St->Abort || Score <= Alpha || Score >= Beta) return Score;
  return Neg(Search(W, Neg(Beta), Neg(Alpha), static_cast<int8_t>(Depth - 1), true));
}

int16_t SearchMoves(Worker &W, int16_t Alpha, int16_t Beta, int8_t Depth, const NodeStart &N) {
  SearchState &St = *W.St;
  int16_t Score = 0;
  bool NoMoves = true;
  bool FailLowNode = true;
  // A node stores its entry as each move raises alpha and, while none has,
  // after each move. Another thread could take such an entry for the node's
  // value before the node is done (a mate its later moves escape), and a
  // stopped search leaves it for the next search that keeps the table: in
  // both cases the node stores once, when it is done.
  const bool StoreAtEnd = Ctx.HelpersOn || Ctx.KeepTable;
  const bool StoreNow = !N.LineRoot && !StoreAtEnd;
  ShortStr BestText;
  int8_t BestPiece = 0;
  MovePicker P{GenMoveList(St, N.TTMove), 0, W.Deferred[St.Ply]};
  PrefetchLikelyCuts(St, P.NumMoves, N.TTMove);
  // With helpers, a later move another thread searches now waits for the
  // node's other moves; the first legal move never waits.
  const bool MayDefer = Ctx.ShareMoves && Depth >= DeferDepth && !N.LineRoot;
  // After an illegal first move every legal one gets the reduced null window.
  for (uint16_t MoveIndex = 1; P.More(MoveIndex); ++MoveIndex) {
    MoveRec ThisMove;
    uint64_t BusyKey;
    if (!PickMove(W, P, MoveIndex, N, ThisMove) ||
        !EnterMove(W, P, MoveIndex, MayDefer, NoMoves, ThisMove, BusyKey))
      continue;
    NoMoves = false;
    Score = SearchChild(W, Alpha, Beta, Depth, MoveIndex == 1);
    UnmakeMove(St);
    if (BusyKey != 0) UnmarkBusy(BusyKey);
    // The child was stopped before it finished: its score was never computed,
    // so it changes nothing here, and every open node returns at once. What
    // this node returns is ignored in turn, up to the root, which keeps what
    // its finished moves gave.
    if (St.Abort) return Alpha;
    if (Score > Alpha) {
      Alpha = Score;
      FailLowNode = false;
      const ShortStr MoveText = SquaresToStr(ThisMove.FromSq, ThisMove.ToSq);
      const int8_t Piece = PieceOn(St.Data[St.Ply], ThisMove.FromSq);
      if (Alpha >= Beta) {
        ++St.BetaCuts;
        if (!ThisMove.Capture) AddToHistory(St, ThisMove, Depth);
        Store(St, Score, FailHigh, Depth, MoveText, Piece);
        return Beta;
      }
      if (StoreNow) Store(St, Score, Exact, Depth, MoveText, Piece);
      BestText = MoveText;
      BestPiece = Piece;
      UpdatePV(St, MoveText, St.Ply);
    }
    // Each fail-low store replaces the last: the entry keeps the score of the
    // last move searched.
    if (FailLowNode && StoreNow) Store(St, Score, FailLow, Depth, ShortStr(), 0);
    // The root's best so far against the last iteration's: well below it, a
    // move on a game clock may run on to find a better one.
    if (St.Ply == 0 && W.Helper < 0 && !N.LineRoot && St.CurrentDepth > Ctx.FirstDepth)
      RootFailingLow(Alpha < St.PVScore - FailLowMargin);
    if (StopRequested(W)) {
      St.Abort = true;
      return Alpha;
    }
  }
  if (NoMoves)
    return InCheck(St.Data[St.Ply], St.WhosMove) ? static_cast<int16_t>(St.Ply - MateScore) : 0;
  if (StoreAtEnd && !N.LineRoot) {
    if (FailLowNode)
      Store(St, Score, FailLow, Depth, ShortStr(), 0);
    else
      Store(St, Alpha, Exact, Depth, BestText, BestPiece);
  }
  return Alpha;
}
} // namespace

// ---- what both node searches share (search/NodeParts.h) ----------------------
bool ProbeNode(Worker &W, int16_t Alpha, int16_t Beta, int8_t Depth, NodeStart &N, int16_t &Value) {
  SearchState &St = *W.St;
  FullTTType TTEntry;
  TTEntry.Key = St.Data[St.Ply].HashKey;
  GetFromTT(TTEntry, St.WhosMove);
  TTEntry.Score = FromTT(St, TTEntry.Score);
  const bool TTMoveFits = ValidMove(TTEntry, St.Data[St.Ply], St.WhosMove);
  const bool AtRoot = St.Ply == 0 && St.WhosMove == Ctx.RootSide;
  N.LineRoot = W.NumExcluded > 0 && AtRoot;
  N.TTMove = N.LineRoot ? W.RootGuess : TTMoveFits ? Str4(TTEntry.Move) : Str4(NoMoveText);
  // An earlier search's entry for the root, an earlier line's or a helper's
  // (a ply ahead) would end the search without a line; within one search on
  // one thread and with one line the root's entries are always too shallow.
  const bool KeptRoot = (Ctx.KeepTable || N.LineRoot || Ctx.HelpersOn) && AtRoot;
  // No entry knows how near the fifty-move draw this path has come.
  const bool NearFifty = Ctx.DrawRules && W.Rule50At[St.Ply] + Depth >= FiftyMoveHalfMoves;
  // An earlier search scored its entries on the game as it stood then. Near
  // the root a repetition the game now allows may lie a few moves below, and
  // such an entry hides it: there it only orders the moves, unless a capture
  // or a pawn's move came last, after which no earlier position comes again.
  // Nor does it end the line shown there: by the iteration's end its slot
  // may hold another position, and the line would stop at the cut.
  const bool Outdated = TTEntry.Earlier && St.Ply < RecheckPlies &&
                        (Beta - Alpha > 1 || (Ctx.DrawRules && W.Rule50At[St.Ply] > 0));
  if (TTEntry.Depth < Depth || KeptRoot || NearFifty || Outdated) return false;
  ++St.TTHits;
  if (TTEntry.Node == FailHigh && TTEntry.Score >= Beta) {
    Value = Beta;
    return true;
  }
  const bool FailsLow = TTEntry.Node == FailLow && TTEntry.Score <= Alpha;
  if (!FailsLow && !(TTMoveFits && TTEntry.Node == Exact)) return false;
  // A score below a draw the side can claim with its next move came from
  // another history: the node is searched, and the claim with it.
  const bool Below = FailsLow ? Alpha < 0 : TTEntry.Score < 0;
  if (Ctx.DrawRules && St.Ply > 0 && Below && CanDrawNext(W, false)) return false;
  if (FailsLow) {
    Value = Alpha;
    return true;
  }
  ++St.ExactTTHits;
  Value = TTEntry.Score;
  return true;
}

bool PickMove(Worker &W, MovePicker &P, uint16_t MoveIndex, const NodeStart &N, MoveRec &ThisMove) {
  SearchState &St = *W.St;
  if (MoveIndex <= P.NumMoves) {
    if (MoveIndex == 2) PrefetchChildren(St, P.NumMoves);
    ThisMove = GetAMove(St, P.NumMoves);
    // Root moves left out of the search count as illegal ones.
    if (Ctx.NumRootMoves > 0 && St.Ply == 0 && !IsRootMove(ThisMove)) return false;
    if (N.LineRoot && IsExcluded(W, SquaresToStr(ThisMove.FromSq, ThisMove.ToSq))) return false;
  } else {
    ThisMove = P.Deferred[MoveIndex - P.NumMoves - 1];
  }
  return true;
}

bool EnterMove(Worker &W, MovePicker &P, uint16_t MoveIndex, bool MayDefer, bool FirstLegal,
               const MoveRec &ThisMove, uint64_t &BusyKey) {
  SearchState &St = *W.St;
  MakeOnCopy(St, ThisMove, false);
  if (InCheck(St.Data[St.Ply], static_cast<int8_t>(-St.WhosMove))) {
    UnmakeMove(St);
    return false;
  }
  BusyKey = 0;
  if (MayDefer && !FirstLegal) {
    BusyKey = St.Data[St.Ply].HashKey ^ (St.WhosMove == BMove ? BlackToMoveKey : 0);
    if (MoveIndex <= P.NumMoves && P.NumDeferred < MaxDeferred &&
        (Ctx.DeferAll || BusyElsewhere(BusyKey))) {
      UnmakeMove(St);
      P.Deferred[P.NumDeferred++] = ThisMove;
      return false;
    }
    MarkBusy(BusyKey);
  }
  if (Ctx.DrawRules) {
    const bool Irreversible =
        ThisMove.Capture || (PieceOn(St.Data[St.Ply - 1], ThisMove.FromSq) & 7) == WPawn;
    W.Rule50At[St.Ply] = Irreversible ? 0 : static_cast<uint16_t>(W.Rule50At[St.Ply - 1] + 1);
  }
  return true;
}

// The child's score: the first move with the full window, each later one
bool IsRootMove(const MoveRec &M) {
  return InList(SquaresToStr(M.FromSq, M.ToSq), Ctx.RootMoves, Ctx.NumRootMoves);
}

bool IsExcluded(const Worker &W, const ShortStr &Text) {
  return InList(Text, W.Excluded, W.NumExcluded);
}

int16_t QSearch(SearchState &St, int16_t Alpha, int16_t Beta) {
  if (St.Ply > St.SelDepth) St.SelDepth = St.Ply;
  // A capture can leave too little to mate: a draw, however much is left.
  if (Ctx.DrawRules && NoMatingMaterial(St.Data[St.Ply])) return DrawScore(Alpha, Beta);
  FullTTType TTEntry;
  TTEntry.Key = St.Data[St.Ply].HashKey;
  GetFromTT(TTEntry, St.WhosMove);
  TTEntry.Score = FromTT(St, TTEntry.Score);
  if (TTEntry.Node == Exact) return TTEntry.Score;
  if (TTEntry.Node == FailHigh && TTEntry.Score >= Beta) return Beta;

  int16_t Score = NoisyEval(St, Alpha, Beta);
  if (Score > Alpha) Alpha = Score;
  if (Score >= Beta) {
    ++St.BetaCuts;
    return Beta;
  }
  if (St.Ply == MaxPly) return Score;

  const uint16_t NumCaptures = GenCaptureList(St);
  if (NumCaptures == 0) return Alpha;
  PrefetchChildren(St, NumCaptures);
  for (uint16_t I = 1; I <= NumCaptures; ++I) {
    const MoveRec M = GetAMove(St, NumCaptures);
    const DataType &D = St.Data[St.Ply];
    const int8_t Mover = PieceOn(D, M.FromSq), Victim = PieceOn(D, M.ToSq);
    // A dearer piece taking a defended cheaper one loses material: not tried.
    if (PieceValue[Victim] < PieceValue[Mover] &&
        Attacked(D, M.ToSq, static_cast<int8_t>(-St.WhosMove)))
      continue;
    MakeOnCopy(St, M, true);
    Score = Neg(QSearch(St, Neg(Beta), Neg(Alpha)));
    UnmakeMove(St);
    if (Score > Alpha) {
      Alpha = Score;
      if (Alpha >= Beta) {
        ++St.BetaCuts;
        return Beta;
      }
    }
  }
  return Alpha;
}

int16_t Search(Worker &W, int16_t Alpha, int16_t Beta, int8_t Depth, bool NullAllowed) {
  SearchState &St = *W.St;
  if (St.Abort || St.Ply == MaxPly)
    return EvalPosition(St.Data[St.Ply], St.WhosMove, St.EndGame, Alpha, Beta);
  if (Ctx.DrawRules && St.Ply > 0 && DrawnNode(W)) return DrawScore(Alpha, Beta);
  if (Depth < 1) {
    const int16_t Score = QSearch(St, Alpha, Beta);
    // The horizon sees no quiet move: a draw the game's rules let the side
    // claim with one stands for the captures' score below it. A return to
    // the search's own path is left to deeper searches, which see it.
    return Score < 0 && Ctx.DrawRules && St.Ply > 0 && CanDrawNext(W, true) ? DrawScore(Alpha, Beta)
                                                                            : Score;
  }
  if (St.Ply > St.SelDepth) St.SelDepth = St.Ply;

  const bool Check = InCheck(St.Data[St.Ply], St.WhosMove);
  if (Check) ++Depth;
  NodeStart N;
  int16_t Value;
  if (ProbeNode(W, Alpha, Beta, Depth, N, Value)) return Value;
  if (NullAllowed && !Check && !St.EndGame && Depth > NullMoveReduction &&
      NullMoveCuts<Search>(W, Alpha, Beta, Depth, NullMoveReduction, Value))
    return Value;
  return SearchMoves(W, Alpha, Beta, Depth, N);
}
