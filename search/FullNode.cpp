// The UCI engine's own node search: a principal-variation search over the
// same table, draw rules, stops, lines and threads as the console's, with
// what the console's lacks: killer, counter and history ordering, exchange
// values for captures, late-move reductions scaled by history, pruning near
// the leaves (static margins, futility, late moves, losing exchanges), an
// adaptive null move and a quiescence search that skips losing captures.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "board/Attacks.h"
#include "board/Board.h"
#include "board/Exchange.h"
#include "board/Squares.h"
#include "fulleval/FullEval.h"
#include "hash/TT.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"
#include "search/Clock.h"
#include "search/NodeParts.h"
#include "search/Worker.h"

namespace {
// ---- the numbers -------------------------------------------------------------
// Move ordering: the table's move, winning and even captures and promotions,
// the killers and the counter move, the quiet moves by history, and the
// losing captures last.
constexpr int16_t TTOrder = 30000;
constexpr int16_t PromotionOrder = 25000;
constexpr int16_t GoodCaptureOrder = 20000;
constexpr int16_t KillerOrder[2] = {16000, 15900};
constexpr int16_t CounterOrder = 15800;
constexpr int16_t HistoryCap = 12000;
constexpr int16_t BadCaptureOrder = -13000;
// History is kept within +-HistoryMax by its own decay.
constexpr int HistoryMax = 16384;

// Pruning near the leaves, by remaining depth.
constexpr int8_t StaticPruneDepth = 7;
constexpr int StaticMargin = 80;
constexpr int8_t FutilityDepth = 8;
constexpr int FutilityBase = 80, FutilityPerPly = 110;
constexpr int8_t LateMoveDepth = 8;
constexpr int8_t ExchangePruneDepth = 6;
constexpr int QuietExchangeMargin = 60, CaptureExchangeMargin = 100;
// The quiescence search skips a capture that cannot lift the score near alpha.
constexpr int DeltaMargin = 200;

constexpr int MoveKeyOf(int From, int To) { return From | To << 6; }
inline uint16_t KeyOf(const MoveRec &M) {
  return static_cast<uint16_t>(MoveKeyOf(M.FromSq, M.ToSq));
}
inline int SideIndex(int8_t Side) { return Side == WMove ? 0 : 1; }

// Reductions: deeper nodes and later moves are reduced more.
struct ReductionTable {
  int8_t R[64][64];
};
ReductionTable MakeReductions() {
  ReductionTable T{};
  for (int D = 1; D < 64; ++D)
    for (int M = 1; M < 64; ++M)
      T.R[D][M] = static_cast<int8_t>(0.75 + std::log(D) * std::log(M) / 2.25);
  return T;
}
const ReductionTable Reductions = MakeReductions();

// How many quiet moves a node near the leaves searches before it skips the rest.
constexpr int LateMoveLimit(int8_t Depth, bool Improving) {
  return Improving ? 3 + Depth * Depth : (3 + Depth * Depth) / 2;
}

inline int16_t Evaluate(const SearchState &St) {
  const int16_t Score = FullEval(St.Data[St.Ply], St.WhosMove);
  return Ctx.EvalNoise == 0 ? Score : WithNoise(St, Score);
}

// Whether Side has a piece besides its king and pawns: without one, passing
// could be the best move, and the null move would be wrong.
bool HasPieces(const DataType &D, int8_t Side) {
  const PieceListType &L = Side == WMove ? D.WPieceList : D.BPieceList;
  for (const auto &Slot : L)
    for (int K = PIdx(WNight); K <= PIdx(WQueen); ++K)
      if (Slot[K] != -1) return true;
  return (Side == WMove ? D.WExtraCount : D.BExtraCount) > 0;
}

int16_t &HistoryOf(Worker &W, int8_t Side, const MoveRec &M) {
  return W.Mem.History[SideIndex(Side)][M.FromSq][M.ToSq];
}

// The move the last move is most often answered by.
uint16_t CounterOf(const Worker &W) {
  const int Ply = W.St->Ply;
  const int8_t Piece = W.Mem.PrevPiece[Ply];
  return Piece == 0 ? 0 : W.Mem.Counter[Piece][W.Mem.PrevTo[Ply]];
}

// The row's ordering scores, written over the generator's.
void OrderMoves(Worker &W, uint16_t Count, const Str4 &TTMove) {
  SearchState &St = *W.St;
  const DataType &D = St.Data[St.Ply];
  const int TTKey = IsMoveText(TTMove.c_str()) && !(TTMove == Str4(NoMoveText))
                        ? MoveKeyOf(SquareOf(TTMove[0], TTMove[1]), SquareOf(TTMove[2], TTMove[3]))
                        : -1;
  const uint16_t *Killers = W.Mem.Killers[St.Ply][SideIndex(St.WhosMove)];
  const uint16_t Counter = CounterOf(W);
  for (uint16_t I = 1; I <= Count; ++I) {
    MoveRec &M = St.MoveList[St.Ply][I];
    const int Key = KeyOf(M);
    int Score;
    if (Key == TTKey) {
      Score = TTOrder;
    } else if (M.Promotion) {
      Score = PromotionOrder + ExchangeValue[PieceOn(D, M.ToSq) & 7] / 10;
    } else if (M.Capture) {
      const int Mover = PieceOn(D, M.FromSq) & 7;
      const int Victim =
          M.ToSq == D.EnPasSq && PieceOn(D, M.ToSq) == Empty ? WPawn : PieceOn(D, M.ToSq) & 7;
      const bool Wins =
          ExchangeValue[Victim] >= ExchangeValue[Mover] || StaticExchange(D, M.FromSq, M.ToSq) >= 0;
      Score = (Wins ? GoodCaptureOrder : BadCaptureOrder) + Victim * 100 - Mover;
    } else if (Key == Killers[0]) {
      Score = KillerOrder[0];
    } else if (Key == Killers[1]) {
      Score = KillerOrder[1];
    } else if (Key == Counter) {
      Score = CounterOrder;
    } else {
      Score = std::clamp<int>(HistoryOf(W, St.WhosMove, M), -HistoryCap, HistoryCap);
    }
    M.MoveValue = static_cast<int16_t>(Score);
    St.MoveScore[St.Ply][I - 1] = static_cast<int16_t>(Score);
  }
}

inline void Decay(int16_t &H, int Bonus) {
  H = static_cast<int16_t>(H + Bonus - H * std::abs(Bonus) / HistoryMax);
}

// A quiet move cut: it becomes the killer and the answer to the last move,
// and its history rises while that of the quiet moves tried before it falls.
void RewardQuiet(Worker &W, const MoveRec &M, int8_t Depth, const uint16_t *Tried, int NumTried) {
  SearchState &St = *W.St;
  const uint16_t Key = KeyOf(M);
  uint16_t *Killers = W.Mem.Killers[St.Ply][SideIndex(St.WhosMove)];
  if (Killers[0] != Key) {
    Killers[1] = Killers[0];
    Killers[0] = Key;
  }
  if (W.Mem.PrevPiece[St.Ply] != 0)
    W.Mem.Counter[W.Mem.PrevPiece[St.Ply]][W.Mem.PrevTo[St.Ply]] = Key;
  const int Bonus = std::min(20 * Depth * Depth, 2000);
  int16_t(&Hist)[64][64] = W.Mem.History[SideIndex(St.WhosMove)];
  Decay(Hist[M.FromSq][M.ToSq], Bonus);
  for (int I = 0; I < NumTried; ++I)
    if (Tried[I] != Key) Decay(Hist[Tried[I] & 63][Tried[I] >> 6], -Bonus);
}

int16_t FullQSearch(Worker &W, int16_t Alpha, int16_t Beta);

// One move of the quiescence search, searched when it is legal (Legal says
// whether it was); true when it cuts, with Alpha raised as it goes.
bool QuiescenceMove(Worker &W, const MoveRec &M, int16_t &Alpha, int16_t Beta, bool &Legal) {
  SearchState &St = *W.St;
  MakeOnCopy(St, M, true);
  Legal = !InCheck(St.Data[St.Ply], static_cast<int8_t>(-St.WhosMove));
  if (!Legal) {
    UnmakeMove(St);
    return false;
  }
  const int16_t Score = Neg(FullQSearch(W, Neg(Beta), Neg(Alpha)));
  UnmakeMove(St);
  if (Score <= Alpha) return false;
  Alpha = Score;
  if (Alpha < Beta) return false;
  ++St.BetaCuts;
  return true;
}

// A side in check at the horizon may not stand pat: every move that gets out
// of check is searched, and with none it is mated.
int16_t Evasions(Worker &W, int16_t Alpha, int16_t Beta) {
  SearchState &St = *W.St;
  if (St.Ply == MaxPly) return Evaluate(St);
  const uint16_t Count = GenMoveList(St, Str4(NoMoveText));
  OrderMoves(W, Count, Str4(NoMoveText));
  bool AnyLegal = false;
  for (uint16_t I = 1; I <= Count; ++I) {
    bool Legal;
    if (QuiescenceMove(W, GetAMove(St, Count), Alpha, Beta, Legal)) return Beta;
    AnyLegal = AnyLegal || Legal;
  }
  return AnyLegal ? Alpha : static_cast<int16_t>(St.Ply - MateScore);
}

int16_t FullQSearch(Worker &W, int16_t Alpha, int16_t Beta) {
  SearchState &St = *W.St;
  if (St.Ply > St.SelDepth) St.SelDepth = St.Ply;
  if (Ctx.DrawRules && NoMatingMaterial(St.Data[St.Ply])) return DrawScore(Alpha, Beta);
  FullTTType TTEntry;
  TTEntry.Key = St.Data[St.Ply].HashKey;
  GetFromTT(TTEntry, St.WhosMove);
  TTEntry.Score = FromTT(St, TTEntry.Score);
  if (TTEntry.Node == Exact) return TTEntry.Score;
  if (TTEntry.Node == FailHigh && TTEntry.Score >= Beta) return Beta;

  if (InCheck(St.Data[St.Ply], St.WhosMove)) return Evasions(W, Alpha, Beta);
  const int16_t StandPat = Evaluate(St);
  if (StandPat >= Beta) {
    ++St.BetaCuts;
    return Beta;
  }
  if (StandPat > Alpha) Alpha = StandPat;
  if (St.Ply == MaxPly) return StandPat;

  const uint16_t Count = GenCaptureList(St);
  if (Count == 0) return Alpha;
  const DataType &D = St.Data[St.Ply];
  for (uint16_t I = 1; I <= Count; ++I) {
    MoveRec &M = St.MoveList[St.Ply][I];
    const int Score = (PieceOn(D, M.ToSq) & 7) * 100 - (PieceOn(D, M.FromSq) & 7);
    M.MoveValue = static_cast<int16_t>(Score);
    St.MoveScore[St.Ply][I - 1] = static_cast<int16_t>(Score);
  }
  PrefetchChildren(St, Count);
  for (uint16_t I = 1; I <= Count; ++I) {
    const MoveRec M = GetAMove(St, Count);
    const int Mover = PieceOn(D, M.FromSq) & 7, Victim = PieceOn(D, M.ToSq) & 7;
    if (!M.Promotion && StandPat + ExchangeValue[Victim] + DeltaMargin <= Alpha) continue;
    if (ExchangeValue[Mover] > ExchangeValue[Victim] && StaticExchange(D, M.FromSq, M.ToSq) < 0)
      continue;
    bool Legal;
    if (QuiescenceMove(W, M, Alpha, Beta, Legal)) return Beta;
  }
  return Alpha;
}

// What a node knows once it has looked at itself.
struct NodeView {
  bool PvNode, Check, Improving;
  int16_t Eval;
};

// A later move: a null window, reduced by R, then the null window at full
// depth when it beat alpha reduced, then the full window when it lands
// inside it.
inline int16_t SearchChild(Worker &W, int16_t Alpha, int16_t Beta, int8_t Depth, bool First,
                           int R) {
  const auto Full = static_cast<int8_t>(Depth - 1);
  if (First) return Neg(FullSearch(W, Neg(Beta), Neg(Alpha), Full, true));
  int16_t Score =
      Neg(FullSearch(W, Neg(Alpha + 1), Neg(Alpha), static_cast<int8_t>(Full - R), true));
  if (!W.St->Abort && Score > Alpha && R > 0)
    Score = Neg(FullSearch(W, Neg(Alpha + 1), Neg(Alpha), Full, true));
  if (!W.St->Abort && Score > Alpha && Score < Beta)
    Score = Neg(FullSearch(W, Neg(Beta), Neg(Alpha), Full, true));
  return Score;
}

// Whether the move checks: made and taken back, off the node counts, since
// a check is never left out however late it comes.
bool GivesCheck(SearchState &St, const MoveRec &M) {
  const uint64_t Nodes = St.Nodes;
  MakeOnCopy(St, M, false);
  const bool Check = InCheck(St.Data[St.Ply], St.WhosMove) &&
                     !InCheck(St.Data[St.Ply], static_cast<int8_t>(-St.WhosMove));
  UnmakeMove(St);
  St.Nodes = Nodes;
  return Check;
}

// Whether a move may be left out near the leaves, before it is made.
bool Prunable(const Worker &W, const MoveRec &M, int8_t Depth, const NodeView &V, int16_t Alpha,
              int QuietsSeen, bool Remembered) {
  const DataType &D = W.St->Data[W.St->Ply];
  if (!M.Capture && !M.Promotion) {
    if (Remembered) return false;
    if (Depth <= LateMoveDepth && QuietsSeen >= LateMoveLimit(Depth, V.Improving)) return true;
    if (Depth <= FutilityDepth && V.Eval + FutilityBase + FutilityPerPly * Depth <= Alpha)
      return true;
    return Depth <= ExchangePruneDepth &&
           StaticExchange(D, M.FromSq, M.ToSq) < -QuietExchangeMargin * Depth;
  }
  return M.MoveValue < 0 && Depth <= ExchangePruneDepth &&
         StaticExchange(D, M.FromSq, M.ToSq) < -CaptureExchangeMargin * Depth;
}

int16_t SearchMoves(Worker &W, int16_t Alpha, int16_t Beta, int8_t Depth, const NodeStart &N,
                    const NodeView &V) {
  SearchState &St = *W.St;
  int16_t Score = 0;
  bool NoMoves = true;
  bool FailLowNode = true;
  ShortStr BestText;
  int8_t BestPiece = 0;
  const uint16_t Count = GenMoveList(St, N.TTMove);
  OrderMoves(W, Count, N.TTMove);
  MovePicker P{Count, 0, W.Deferred[St.Ply]};
  PrefetchLikelyCuts(St, P.NumMoves, N.TTMove);
  const bool MayDefer = Ctx.ShareMoves && Depth >= DeferDepth && !N.LineRoot;
  const bool Root = St.Ply == 0 && St.WhosMove == Ctx.RootSide;
  const uint16_t *Killers = W.Mem.Killers[St.Ply][SideIndex(St.WhosMove)];
  const uint16_t Counter = CounterOf(W);
  uint16_t Tried[64];
  int NumTried = 0, Searched = 0, QuietsSeen = 0;
  for (uint16_t MoveIndex = 1; P.More(MoveIndex); ++MoveIndex) {
    MoveRec ThisMove;
    uint64_t BusyKey;
    if (!PickMove(W, P, MoveIndex, N, ThisMove)) continue;
    const bool Quiet = !ThisMove.Capture && !ThisMove.Promotion;
    const uint16_t Key = KeyOf(ThisMove);
    const bool Remembered = Key == Killers[0] || Key == Killers[1] || Key == Counter;
    if (!Root && !V.Check && Searched > 0 && Alpha > -MateBound &&
        Prunable(W, ThisMove, Depth, V, Alpha, QuietsSeen, Remembered) &&
        !GivesCheck(St, ThisMove)) {
      QuietsSeen += Quiet;
      continue;
    }
    if (!EnterMove(W, P, MoveIndex, MayDefer, NoMoves, ThisMove, BusyKey)) continue;
    NoMoves = false;
    ++Searched;
    if (Quiet) {
      ++QuietsSeen;
      if (NumTried < 64) Tried[NumTried++] = Key;
    }
    W.Mem.PrevPiece[St.Ply] = PieceOn(St.Data[St.Ply], ThisMove.ToSq);
    W.Mem.PrevTo[St.Ply] = ThisMove.ToSq;
    const bool GivesCheck = InCheck(St.Data[St.Ply], St.WhosMove);
    int R = 0;
    if (Depth >= 3 && Searched > 1 && (Quiet || ThisMove.MoveValue < 0)) {
      R = Reductions.R[std::min<int>(Depth, 63)][std::min(Searched, 63)];
      R += !V.Improving - V.PvNode - GivesCheck - Remembered;
      if (Quiet) R -= HistoryOf(W, static_cast<int8_t>(-St.WhosMove), ThisMove) / 6000;
      R = std::clamp(R, 0, Depth - 2);
    }
    Score = SearchChild(W, Alpha, Beta, Depth, Searched == 1, R);
    UnmakeMove(St);
    if (BusyKey != 0) UnmarkBusy(BusyKey);
    if (St.Abort) return Alpha;
    if (Score > Alpha) {
      Alpha = Score;
      FailLowNode = false;
      const ShortStr MoveText = SquaresToStr(ThisMove.FromSq, ThisMove.ToSq);
      const int8_t Piece = PieceOn(St.Data[St.Ply], ThisMove.FromSq);
      if (Alpha >= Beta) {
        ++St.BetaCuts;
        if (Quiet) RewardQuiet(W, ThisMove, Depth, Tried, NumTried);
        Store(St, Score, FailHigh, Depth, MoveText, Piece);
        return Beta;
      }
      BestText = MoveText;
      BestPiece = Piece;
      UpdatePV(St, MoveText, St.Ply);
    }
    if (St.Ply == 0 && W.Helper < 0 && !N.LineRoot && St.CurrentDepth > Ctx.FirstDepth)
      RootFailingLow(Alpha < St.PVScore - FailLowMargin);
    if (StopRequested(W)) {
      St.Abort = true;
      return Alpha;
    }
  }
  if (NoMoves) return V.Check ? static_cast<int16_t>(St.Ply - MateScore) : 0;
  if (!N.LineRoot) {
    if (FailLowNode)
      Store(St, Score, FailLow, Depth, ShortStr(), 0);
    else
      Store(St, Alpha, Exact, Depth, BestText, BestPiece);
  }
  return Alpha;
}

// A pass to the other side, from a node whose score is well above beta.
bool NullMoveCutsHere(Worker &W, int16_t Beta, int8_t Depth, const NodeView &V, int16_t &Value) {
  SearchState &St = *W.St;
  if (Depth < 2 || V.Eval < Beta || !HasPieces(St.Data[St.Ply], St.WhosMove)) return false;
  const int R = 3 + Depth / 4 + std::min(3, (V.Eval - Beta) / 200);
  // The pass is searched on the same ply: what the node keeps there waits.
  const int8_t Piece = W.Mem.PrevPiece[St.Ply], To = W.Mem.PrevTo[St.Ply];
  W.Mem.PrevPiece[St.Ply] = 0;
  const bool Cut = NullMoveCuts<FullSearch>(W, static_cast<int16_t>(Beta - 1), Beta, Depth,
                                            static_cast<int8_t>(R), Value);
  W.Mem.PrevPiece[St.Ply] = Piece;
  W.Mem.PrevTo[St.Ply] = To;
  W.Mem.StaticEval[St.Ply] = V.Eval;
  return Cut;
}
} // namespace

void ClearMoveMemory(MoveMemory &M) { std::memset(&M, 0, sizeof M); }

void AgeMoveMemory(MoveMemory &M) {
  std::memset(M.Killers, 0, sizeof M.Killers);
  for (auto &Side : M.History)
    for (auto &From : Side)
      for (int16_t &H : From) H = static_cast<int16_t>(H / 2);
}

int16_t FullSearch(Worker &W, int16_t Alpha, int16_t Beta, int8_t Depth, bool NullAllowed) {
  SearchState &St = *W.St;
  if (St.Abort || St.Ply == MaxPly) return Evaluate(St);
  // A line ends where the node's own search ends it.
  if (St.Ply > 0) St.PV[St.Ply][St.Ply].Clear();
  if (Ctx.DrawRules && St.Ply > 0 && DrawnNode(W)) return DrawScore(Alpha, Beta);
  if (Depth < 1) {
    const int16_t Score = FullQSearch(W, Alpha, Beta);
    return Score < 0 && Ctx.DrawRules && St.Ply > 0 && CanDrawNext(W, true) ? DrawScore(Alpha, Beta)
                                                                            : Score;
  }
  if (St.Ply > St.SelDepth) St.SelDepth = St.Ply;

  NodeView V;
  V.PvNode = Beta - Alpha > 1;
  V.Check = InCheck(St.Data[St.Ply], St.WhosMove);
  if (V.Check) ++Depth;
  NodeStart N;
  int16_t Value;
  if (ProbeNode(W, Alpha, Beta, Depth, N, Value) && !V.PvNode) return Value;
  V.Eval = V.Check ? static_cast<int16_t>(-MateScore) : Evaluate(St);
  W.Mem.StaticEval[St.Ply] = V.Eval;
  V.Improving = !V.Check && St.Ply >= 2 && V.Eval > W.Mem.StaticEval[St.Ply - 2];
  if (!V.PvNode && !V.Check && std::abs(Beta) < MateBound) {
    const int Margin = StaticMargin * (Depth - V.Improving);
    if (Depth <= StaticPruneDepth && V.Eval - Margin >= Beta) return Beta;
    if (NullAllowed && NullMoveCutsHere(W, Beta, Depth, V, Value)) return Value;
  }
  // A node the table knows no move for is searched a ply shallower.
  if (Depth >= 4 && N.TTMove == Str4(NoMoveText)) --Depth;
  return SearchMoves(W, Alpha, Beta, Depth, N, V);
}
