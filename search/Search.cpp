#include "search/Search.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>
#include <utility>

#include "board/Attacks.h"
#include "board/Board.h"
#include "board/Squares.h"
#include "board/Zorbist.h"
#include "eval/Eval.h"
#include "eval/Material.h"
#include "frontend/FrontEnd.h"
#include "hash/TT.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"
#include "platform/Fatal.h"
#include "platform/Random.h"
#include "search/Clock.h"
#include "search/Reversible.h"

namespace {
// ---- the search in progress: its limits, settings and working state --------
constexpr int MaxHistory = 128; // a fifty-move count never looks further back
struct RootLine {
  int16_t Score;
  Str4 Moves[MaxPly + 1];
};

// Built from the limits, the settings and the game's keys when a search
// starts, and read by every thread of the search; the search reads nothing
// else of them. (What each thread writes is its Worker; the clock is
// search/Clock.h.)
struct SearchContext {
  // The limits.
  uint8_t FirstDepth = ConsoleFirstDepth;
  uint8_t LastDepth = NoFixedDepth;
  uint64_t NodeLimit = NoNodeLimit;
  int16_t MateStop = MateScore + 1; // a score at least this ends the deepening
  const ShortStr *RootMoves = nullptr;
  uint16_t NumRootMoves = 0;
  bool Unlimited = false; // no limit at all: the search runs until it is stopped

  // A strength level's noise on the static scores.
  int16_t EvalNoise = 0;
  uint64_t NoiseSeed = 0;

  // A table kept from one search to the next.
  bool KeepTable = false;
  int8_t RootSide = WMove; // the null move's child also runs at ply 0, for the other side

  // Several lines: the root searched once per line (Worker).
  RootLine Lines[MaxMultiPV]; // the iteration's lines as found, then ranked
  uint16_t LinesFound = 0;    // of the last iteration that searched several

  // Draw rules: the keys of the game, oldest first, then those of each
  // thread's path (Worker).
  bool DrawRules = false;
  uint64_t GameKeys[MaxHistory];
  int RepBase = 0;       // the number of the game's keys, and the index of the root's
  uint16_t Rule50 = 0;   // the root's fifty-move count
  bool RootDead = false; // the root has no mating material: every line is a draw
  // Before the root: the index of the same position's last time before, or
  // -1; whether any position stands there twice.
  int SeenBefore[MaxHistory];
  bool AnySeenTwice = false;
};
SearchContext Ctx;

// ---- the helper threads -------------------------------------------------------
// Helpers search the same root as the main thread, each on a record of its
// own, deepening as it does, and share the table and the children in search
// (Busy): what they find reaches the main thread through the table. The main
// thread alone reads the clock and the front end's stop, reports, and
// decides the move; the helpers stop when it does.
int NumHelpers = 0;             // threads started
int ActiveHelpers = 0;          // of them, those that searched in this search or the last
bool HelpersOn = false;         // helpers are searching now
std::atomic<uint32_t> Epoch{0}; // each search's start, and the helpers' end
std::atomic<int> Running{0};    // helpers not yet done with this search
std::atomic<bool> HelpersStop{false};
bool HelpersQuit = false; // written before an Epoch change, read after it
// What each helper has counted, as it last said: node counts are shown and
// limited for all threads together.
struct alignas(64) HelperCount {
  std::atomic<uint64_t> Nodes{0}, QNodes{0};
};
HelperCount Counts[MaxSearchThreads - 1];
std::atomic<uint64_t> MainCount{0}; // the main thread's nodes and quiescence nodes, as it last said
// The children other threads search now, by key: a thread that comes to one
// of them as a later move of a node leaves it until the node's other moves
// are done, and by then the table mostly has it. The threads thus share out
// a node's moves instead of searching them all in the same order.
constexpr uint32_t BusySlots = 8192;
constexpr int8_t DeferDepth = 3; // shallower nodes cost less than the look
constexpr int MaxDeferred = 32;
// How near the root an earlier search's entry is searched again (see Outdated).
constexpr int RecheckPlies = 8;
// How far below the last iteration's score the root's best so far must lie
// for the search to run on (RootFailingLow).
constexpr int16_t FailLowMargin = 50;
std::atomic<uint64_t> Busy[BusySlots];
bool DeferAll = false; // the tests' DeferEveryLaterMove
inline std::atomic<uint64_t> &BusySlot(uint64_t Key) { return Busy[Key % BusySlots]; }

uint64_t HelperNodes() {
  uint64_t N = 0;
  for (int I = 0; I < ActiveHelpers; ++I) N += Counts[I].Nodes.load(std::memory_order_relaxed);
  return N;
}
uint64_t HelperQNodes() {
  uint64_t N = 0;
  for (int I = 0; I < ActiveHelpers; ++I) N += Counts[I].QNodes.load(std::memory_order_relaxed);
  return N;
}

// One searching thread: the record it searches on (the game's own for the
// main thread) and what follows its own path.
struct Worker {
  SearchState &St;
  // Draw rules: the keys of the game, then those of the path, oldest first,
  // and the fifty-move count at each ply.
  uint64_t RepKeys[MaxHistory + MaxPly + 1];
  int RepFloor = 0; // no repetition is looked for below this index
  uint16_t Rule50At[MaxPly + 1];
  // The node count at which the limits are looked at next.
  uint64_t NextCheck = 0;
  int Helper = -1; // the helper's number; -1 for the main thread
  // While a line after the first is searched, the root leaves out the first
  // moves of the lines found before it in this iteration, tries RootGuess
  // first (the line of that rank in the iteration before), and neither reads
  // nor writes its table entry, which keeps the best line's move and score.
  ShortStr Excluded[MaxMultiPV];
  uint16_t NumExcluded = 0;
  Str4 RootGuess;
  // The moves each ply left until its other moves were done.
  MoveRec Deferred[MaxPly + 1][MaxDeferred];

  explicit Worker(SearchState &S) : St(S) {}
  Worker(const Worker &) = delete;
  Worker &operator=(const Worker &) = delete;
  // The game's keys and the root's, as the search starts.
  void StartPath() {
    RepFloor = 0;
    NextCheck = CheckInterval;
    NumExcluded = 0;
    if (!Ctx.DrawRules) return;
    for (int I = 0; I < Ctx.RepBase; ++I) RepKeys[I] = Ctx.GameKeys[I];
    RepKeys[Ctx.RepBase] = RepetitionKey(St.Data[0], St.WhosMove);
    Rule50At[0] = Ctx.Rule50;
  }
};
// ---- a strength level's noise on the static scores ------------------------

// The static score, moved by the level's noise. A score at the window's edge
// may be the lazy evaluation's bound, far outside the window: it stays.
inline int16_t NoisyEval(const SearchState &St, int16_t Alpha, int16_t Beta) {
  const int16_t Score = EvalPosition(St.Data[St.Ply], St.WhosMove, Alpha, Beta);
  if (Ctx.EvalNoise == 0 || Score <= Alpha || Score >= Beta) return Score;
  uint64_t H = Ctx.NoiseSeed ^ (St.WhosMove == WMove ? 0 : GoldenGamma);
  for (const uint32_t Rank : St.Data[St.Ply].Board) H = (H ^ Rank) * 0x100000001B3ull;
  H ^= H >> 29;
  const int Span = 2 * Ctx.EvalNoise + 1;
  return static_cast<int16_t>(Score + static_cast<int>(H % static_cast<uint64_t>(Span)) -
                              Ctx.EvalNoise);
}

// ---- several lines: the root searched once per line -------------------------
// While a line after the first is searched, the root leaves out the first
// moves of the lines found before it in this iteration, tries RootGuess first
// (the line of that rank in the iteration before), and neither reads nor
// writes its table entry, which keeps the best line's move and score.

// ---- draw rules: the keys of the game and of the path, oldest first --------
// What a repetition key adds for Black to move (RepetitionKey).
constexpr uint64_t BlackToMoveKey = GoldenGamma;

int16_t Neg(int Score) { return static_cast<int16_t>(-Score); }

// ---- a table kept from one search to the next -------------------------------
// A mate is stored as its distance from the node, so that it reads right from
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

// The main thread's count and what the helpers last said of theirs.
bool NodesUsedUp(const SearchState &St) {
  return St.Nodes + St.QNodes + HelperNodes() + HelperQNodes() >= Ctx.NodeLimit;
}
// The same seen from a helper: a helper that finds the limit reached stops
// them all, the main thread at its next look at the limits, so that a
// thread the system holds back holds none of the others beyond it.
bool AllNodesUsedUp() {
  return MainCount.load(std::memory_order_relaxed) + HelperNodes() + HelperQNodes() >=
         Ctx.NodeLimit;
}

inline bool CheckDue(Worker &W) {
  const uint64_t Count = W.St.Nodes + W.St.QNodes;
  if (Count < W.NextCheck) return false;
  W.NextCheck = Count + CheckInterval;
  return true;
}

void PassTurn(SearchState &St) { St.WhosMove = static_cast<int8_t>(-St.WhosMove); }

bool StopRequested(Worker &W) {
  if (W.Helper >= 0) {
    if (CheckDue(W)) {
      Counts[W.Helper].Nodes.store(W.St.Nodes, std::memory_order_relaxed);
      Counts[W.Helper].QNodes.store(W.St.QNodes, std::memory_order_relaxed);
      if (AllNodesUsedUp()) HelpersStop.store(true, std::memory_order_relaxed);
    }
    return HelpersStop.load(std::memory_order_relaxed);
  }
  if (!CheckDue(W)) return false;
  if (ActiveHelpers > 0) MainCount.store(W.St.Nodes + W.St.QNodes, std::memory_order_relaxed);
  return PollStop() || TimesUp() || NodesUsedUp(W.St) ||
         HelpersStop.load(std::memory_order_relaxed);
}

bool IsRootMove(const MoveRec &M) {
  return InList(SquaresToStr(M.FromSq, M.ToSq), Ctx.RootMoves, Ctx.NumRootMoves);
}

bool IsExcluded(const Worker &W, const ShortStr &Text) {
  return InList(Text, W.Excluded, W.NumExcluded);
}

// Moves made off the search proper (a legality test, a line walked for the
// interface) count no nodes and leave the side and the ply as they were.
struct WalkKept {
  SearchState &St;
  uint64_t N = St.Nodes, Q = St.QNodes;
  int8_t Side = St.WhosMove;
  uint8_t AtPly = St.Ply;
  explicit WalkKept(SearchState &S) : St(S) {}
  WalkKept(const WalkKept &) = delete;
  WalkKept &operator=(const WalkKept &) = delete;
  ~WalkKept() {
    St.Nodes = N;
    St.QNodes = Q;
    St.WhosMove = Side;
    St.Ply = AtPly;
  }
};

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

// Whether the node at Ply is drawn by the fifty-move rule, repeats a
// position of the path (the root included), or stands for the third time in
// the game since its last capture or pawn move. A position the game has seen
// only once before the root is no draw: the opponent need not repeat it.
bool DrawnNode(Worker &W) {
  SearchState &St = W.St;
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

// Whether the side to move at Ply can claim a draw with its next move: a
// quiet move back to a position the child would repeat (see DrawnNode), or
// any quiet move on the hundredth half-move. The table's entry for this node
// may come from a game in which that position had not been seen, or from
// earlier in the fifty moves, and would hide the draw. With GameOnly, only
// a third time in the game counts, not a repetition of the search's path.
bool CanDrawNext(Worker &W, bool GameOnly) {
  SearchState &St = W.St;
  const int Cur = Ctx.RepBase + St.Ply;
  const int Reversible = W.Rule50At[St.Ply];
  if (Reversible + 1 >= FiftyMoveHalfMoves) {
    const WalkKept Kept(St);
    const DataType &D = St.Data[St.Ply];
    bool Quiet = false;
    WalkLegalMoves(
        St, [&](const MoveRec &M) { return !M.Capture && !IsPawnCode(PieceOn(D, M.FromSq)); },
        [&](const MoveRec &) {
          Quiet = true;
          return false;
        });
    if (Quiet) return true;
  }
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

// A draw score inside the fail-hard window.
int16_t DrawScore(int16_t Alpha, int16_t Beta) { return Alpha > 0 ? Alpha : (Beta < 0 ? Beta : 0); }
} // namespace

namespace {
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
  SearchState &St = W.St;
  if (St.Abort || St.Ply == MaxPly) return EvalPosition(St.Data[St.Ply], St.WhosMove, Alpha, Beta);
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

  FullTTType TTEntry;
  TTEntry.Key = St.Data[St.Ply].HashKey;
  GetFromTT(TTEntry, St.WhosMove);
  TTEntry.Score = FromTT(St, TTEntry.Score);
  const bool TTMoveFits = ValidMove(TTEntry, St.Data[St.Ply], St.WhosMove);
  const bool LineRoot = W.NumExcluded > 0 && St.Ply == 0 && St.WhosMove == Ctx.RootSide;
  const Str4 TTMove = LineRoot ? W.RootGuess : TTMoveFits ? Str4(TTEntry.Move) : Str4(NoMoveText);
  // An earlier search's entry for the root, an earlier line's or a helper's
  // (a ply ahead) would end the search without a line; within one search on
  // one thread and with one line the root's entries are always too shallow.
  const bool KeptRoot =
      (Ctx.KeepTable || LineRoot || HelpersOn) && St.Ply == 0 && St.WhosMove == Ctx.RootSide;
  // No entry knows how near the fifty-move draw this path has come.
  const bool NearFifty = Ctx.DrawRules && W.Rule50At[St.Ply] + Depth >= FiftyMoveHalfMoves;
  // An earlier search scored its entries on the game as it stood then. Near
  // the root a repetition the game now allows may lie a few moves below, and
  // such an entry hides it (a rook and a knight up, a king walked back into
  // checks that repeated): there it only orders the moves, unless a capture
  // or a pawn's move came last, after which no earlier position comes again.
  // Nor does it end the line shown there: by the iteration's end its slot
  // may hold another position, and the line would stop at the cut.
  const bool Outdated = TTEntry.Earlier && St.Ply < RecheckPlies &&
                        (Beta - Alpha > 1 || (Ctx.DrawRules && W.Rule50At[St.Ply] > 0));
  if (TTEntry.Depth >= Depth && !KeptRoot && !NearFifty && !Outdated) {
    ++St.TTHits;
    if (TTEntry.Node == FailHigh && TTEntry.Score >= Beta) return Beta;
    const bool FailsLow = TTEntry.Node == FailLow && TTEntry.Score <= Alpha;
    if (FailsLow || (TTMoveFits && TTEntry.Node == Exact)) {
      // A score below a draw the side can claim with its next move came
      // from another history: the node is searched, and the claim with it.
      const bool Below = FailsLow ? Alpha < 0 : TTEntry.Score < 0;
      if (!(Ctx.DrawRules && St.Ply > 0 && Below && CanDrawNext(W, false))) {
        if (FailsLow) return Alpha;
        ++St.ExactTTHits;
        return TTEntry.Score;
      }
    }
  }

  int16_t Score = 0;
  // The other side moves twice: the table still tells the positions apart
  // because its key depends on the side to move.
  if (NullAllowed && !Check && !EndGame && Depth > NullMoveReduction) {
    // Past the pass no repetition counts; the node's own key comes back after.
    const int SavedFloor = W.RepFloor;
    const uint64_t OwnKey = W.RepKeys[Ctx.RepBase + St.Ply];
    W.RepFloor = Ctx.RepBase + St.Ply + 1;
    PassTurn(St);
    Score = Neg(
        Search(W, Neg(Beta), Neg(Beta - 1), static_cast<int8_t>(Depth - NullMoveReduction), false));
    PassTurn(St);
    W.RepFloor = SavedFloor;
    W.RepKeys[Ctx.RepBase + St.Ply] = OwnKey;
    // A stopped search has no score: nothing is stored or cut from it.
    if (St.Abort) return Alpha;
    if (Score >= Beta) {
      ++St.BetaCuts;
      ++St.NullCuts;
      AddToTT(St.WhosMove, St.Data[St.Ply].HashKey, ToTT(St, Score), FailHigh,
              static_cast<uint8_t>(Depth), ShortStr(), 0);
      return Beta;
    }
  }

  bool NoMoves = true;
  bool FailLowNode = true;
  // A node stores its entry as each move raises alpha and, while none has,
  // after each move. Another thread could take such an entry for the node's
  // value before the node is done (a mate its later moves escape), and a
  // stopped search leaves it for the next search that keeps the table: in
  // both cases the node stores once, when it is done.
  const bool StoreAtEnd = HelpersOn || Ctx.KeepTable;
  ShortStr BestText;
  int8_t BestPiece = 0;
  const uint16_t NumMoves = GenMoveList(St, TTMove);
  PrefetchLikelyCuts(St, NumMoves, TTMove);
  // With helpers, a later move another thread searches now waits for the
  // node's other moves (Busy); the first legal move never waits.
  const bool MayDefer = (HelpersOn || DeferAll) && Depth >= DeferDepth && !LineRoot;
  MoveRec *const Deferred = W.Deferred[St.Ply];
  uint16_t NumDeferred = 0;
  // MoveIndex counts moves taken, legal or not: after an illegal first move
  // every legal one gets the reduced null window. Past NumMoves come the
  // moves left until the others were done.
  for (uint16_t MoveIndex = 1; MoveIndex <= NumMoves + NumDeferred; ++MoveIndex) {
    MoveRec ThisMove;
    if (MoveIndex <= NumMoves) {
      if (MoveIndex == 2) PrefetchChildren(St, NumMoves);
      ThisMove = GetAMove(St, NumMoves);
      // Root moves left out of the search count as illegal ones.
      if (Ctx.NumRootMoves > 0 && St.Ply == 0 && !IsRootMove(ThisMove)) continue;
      if (LineRoot && IsExcluded(W, SquaresToStr(ThisMove.FromSq, ThisMove.ToSq))) continue;
    } else {
      ThisMove = Deferred[MoveIndex - NumMoves - 1];
    }
    MakeOnCopy(St, ThisMove, false);
    if (InCheck(St.Data[St.Ply], static_cast<int8_t>(-St.WhosMove))) {
      UnmakeMove(St);
      continue;
    }
    uint64_t BusyKey = 0;
    if (MayDefer && !NoMoves) {
      BusyKey = St.Data[St.Ply].HashKey ^ (St.WhosMove == BMove ? BlackToMoveKey : 0);
      if (MoveIndex <= NumMoves && NumDeferred < MaxDeferred &&
          (DeferAll || BusySlot(BusyKey).load(std::memory_order_relaxed) == BusyKey)) {
        UnmakeMove(St);
        Deferred[NumDeferred++] = ThisMove;
        continue;
      }
      BusySlot(BusyKey).store(BusyKey, std::memory_order_relaxed);
    }
    if (Ctx.DrawRules) {
      const bool Irreversible =
          ThisMove.Capture || (PieceOn(St.Data[St.Ply - 1], ThisMove.FromSq) & 7) == WPawn;
      W.Rule50At[St.Ply] = Irreversible ? 0 : static_cast<uint16_t>(W.Rule50At[St.Ply - 1] + 1);
    }
    NoMoves = false;
    const uint8_t R = ReducedDepthCut(Depth);
    if (MoveIndex == 1) {
      Score = Neg(Search(W, Neg(Beta), Neg(Alpha), static_cast<int8_t>(Depth - 1), true));
    } else {
      Score = Neg(Search(W, Neg(Alpha + 1), Neg(Alpha), static_cast<int8_t>(Depth - R), true));
      if (!St.Abort && Score > Alpha && Score < Beta)
        Score = Neg(Search(W, Neg(Beta), Neg(Alpha), static_cast<int8_t>(Depth - 1), true));
    }
    UnmakeMove(St);
    if (BusyKey != 0) {
      uint64_t Mine = BusyKey;
      BusySlot(BusyKey).compare_exchange_strong(Mine, 0, std::memory_order_relaxed);
    }
    // The child was stopped before it finished: its score was never computed,
    // so it changes nothing here, and every open node returns at once. What
    // this node returns is ignored in turn, up to the root, which keeps what
    // its finished moves gave.
    if (St.Abort) return Alpha;

    const uint64_t HashKey = St.Data[St.Ply].HashKey;
    if (Score > Alpha) {
      Alpha = Score;
      FailLowNode = false;
      const ShortStr MoveText = SquaresToStr(ThisMove.FromSq, ThisMove.ToSq);
      const int8_t Piece = PieceOn(St.Data[St.Ply], ThisMove.FromSq);
      if (Alpha >= Beta) {
        ++St.BetaCuts;
        if (!ThisMove.Capture) AddToHistory(St, ThisMove, Depth);
        AddToTT(St.WhosMove, HashKey, ToTT(St, Score), FailHigh, static_cast<uint8_t>(Depth),
                MoveText, Piece);
        return Beta;
      }
      if (!LineRoot && !StoreAtEnd)
        AddToTT(St.WhosMove, HashKey, ToTT(St, Score), Exact, static_cast<uint8_t>(Depth), MoveText,
                Piece);
      BestText = MoveText;
      BestPiece = Piece;
      UpdatePV(St, MoveText, St.Ply);
    }
    // Each fail-low store replaces the last: the entry keeps the score of the
    // last move searched.
    if (FailLowNode && !LineRoot && !StoreAtEnd)
      AddToTT(St.WhosMove, HashKey, ToTT(St, Score), FailLow, static_cast<uint8_t>(Depth),
              ShortStr(), 0);
    // The root's best so far against the last iteration's: well below it, a
    // move on a game clock may run on to find a better one.
    if (St.Ply == 0 && W.Helper < 0 && !LineRoot && CurrentDepth > Ctx.FirstDepth)
      RootFailingLow(Alpha < PVScore - FailLowMargin);
    if (StopRequested(W)) {
      St.Abort = true;
      return Alpha;
    }
  }
  if (NoMoves)
    return InCheck(St.Data[St.Ply], St.WhosMove) ? static_cast<int16_t>(St.Ply - MateScore) : 0;
  if (StoreAtEnd && !LineRoot) {
    if (FailLowNode)
      AddToTT(St.WhosMove, St.Data[St.Ply].HashKey, ToTT(St, Score), FailLow,
              static_cast<uint8_t>(Depth), ShortStr(), 0);
    else
      AddToTT(St.WhosMove, St.Data[St.Ply].HashKey, ToTT(St, Alpha), Exact,
              static_cast<uint8_t>(Depth), BestText, BestPiece);
  }
  return Alpha;
}

// The thread that reports and decides the move searches on the game's record.
Worker MainWorker(MainState);

// The threads and their records are made in place and never destroyed, so
// that an exit while they wait for a search (or from a helper's consistency
// failure) needs no join; SetSearchThreads ends them in turn. Raw storage
// keeps the records out of the program file: a record's first values are
// not all zero.
alignas(std::thread) unsigned char ThreadStore[MaxSearchThreads - 1][sizeof(std::thread)];
alignas(SearchState) unsigned char StateStore[MaxSearchThreads - 1][sizeof(SearchState)];
std::thread &HelperThread(int I) {
  return *std::launder(reinterpret_cast<std::thread *>(ThreadStore[I]));
}
SearchState &HelperState(int I) {
  return *std::launder(reinterpret_cast<SearchState *>(StateStore[I]));
}

// A helper's search: the root of the main thread, deepened until the main
// thread stops it.
void HelperSearch(int Id) {
  SearchState &St = HelperState(Id);
  Worker W(St);
  W.Helper = Id;
  St.Data[0] = MainState.Data[0];
  St.Ply = 0;
  St.WhosMove = Ctx.RootSide;
  ClearHistory(St);
  ClearPV(St);
  St.Nodes = St.QNodes = 0;
  St.BetaCuts = St.NullCuts = St.TTHits = St.ExactTTHits = 0;
  St.SelDepth = 0;
  St.Abort = false;
  W.StartPath();
  for (int Depth = 1; Depth <= MaxPly; ++Depth) {
    St.CurrentDepth = static_cast<int16_t>(Depth);
    Search(W, -RootWindow, RootWindow, static_cast<int8_t>(Depth), true);
    if (St.Abort || HelpersStop.load(std::memory_order_relaxed)) break;
  }
  Counts[Id].Nodes.store(St.Nodes, std::memory_order_relaxed);
  Counts[Id].QNodes.store(St.QNodes, std::memory_order_relaxed);
}

void HelperLoop(int Id, uint32_t Seen) {
  for (;;) {
    Epoch.wait(Seen, std::memory_order_acquire);
    Seen = Epoch.load(std::memory_order_acquire);
    if (HelpersQuit) return;
    if (Id < ActiveHelpers) HelperSearch(Id);
    if (Running.fetch_sub(1, std::memory_order_acq_rel) == 1) Running.notify_all();
  }
}

// Everything a helper reads of the search (the context, the root, the
// table's generation) is written before this.
void StartHelpers(uint8_t Threads) {
  // Set by the last search's end: a search on one thread looks at it too.
  HelpersStop.store(false, std::memory_order_relaxed);
  ActiveHelpers = Threads - 1 < NumHelpers ? Threads - 1 : NumHelpers;
  if (ActiveHelpers <= 0) {
    ActiveHelpers = 0;
    return;
  }
  for (int I = 0; I < ActiveHelpers; ++I) {
    Counts[I].Nodes.store(0, std::memory_order_relaxed);
    Counts[I].QNodes.store(0, std::memory_order_relaxed);
  }
  MainCount.store(0, std::memory_order_relaxed);
  Running.store(NumHelpers, std::memory_order_relaxed);
  HelpersOn = true;
  Epoch.fetch_add(1, std::memory_order_release);
  Epoch.notify_all();
}

// Returns once every helper has left its search; their counts stay readable.
void StopHelpers() {
  if (ActiveHelpers == 0) return;
  HelpersStop.store(true, std::memory_order_relaxed);
  for (int R = Running.load(std::memory_order_acquire); R != 0;
       R = Running.load(std::memory_order_acquire))
    Running.wait(R, std::memory_order_acquire);
  HelpersOn = false;
}
} // namespace

uint64_t SearchedNodes() { return Nodes + HelperNodes(); }
uint64_t SearchedQNodes() { return QNodes + HelperQNodes(); }

uint8_t SetSearchThreads(uint8_t Threads) {
  if (Threads < 1) Threads = 1;
  if (Threads > MaxSearchThreads) Threads = MaxSearchThreads;
  if (Threads - 1 == NumHelpers) return Threads;
  if (NumHelpers > 0) {
    HelpersQuit = true;
    Epoch.fetch_add(1, std::memory_order_release);
    Epoch.notify_all();
    for (int I = 0; I < NumHelpers; ++I) {
      HelperThread(I).join();
      HelperThread(I).~thread();
    }
    NumHelpers = 0;
    HelpersQuit = false;
  }
  const uint32_t Now = Epoch.load(std::memory_order_relaxed);
  try {
    while (NumHelpers < Threads - 1) {
      new (StateStore[NumHelpers]) SearchState();
      new (ThreadStore[NumHelpers]) std::thread(HelperLoop, NumHelpers, Now);
      ++NumHelpers;
    }
  } catch (const std::system_error &) {
    // The system would give no more threads: the search uses those it has.
  }
  // Several writers keep no list of the table's written slots.
  SetTTWriters(NumHelpers + 1);
  return static_cast<uint8_t>(NumHelpers + 1);
}

int16_t QSearch(int16_t Alpha, int16_t Beta) { return QSearch(MainState, Alpha, Beta); }

int16_t Search(int16_t Alpha, int16_t Beta, int8_t Depth, bool NullAllowed) {
  return Search(MainWorker, Alpha, Beta, Depth, NullAllowed);
}

uint32_t WalkLegalPV(uint32_t Len, void (*Visit)(const Str4 &Move, uint32_t Index)) {
  const WalkKept Kept(MainState);
  uint32_t N = 0;
  while (N < Len && Ply < MaxPly && IsLegalMove(PV[0][N])) {
    if (Visit) Visit(PV[0][N], N);
    MakeOnCopy(MoveStrToMoveRec(PV[0][N]), false);
    ++N;
  }
  return N;
}

void InitSearch() {
  ShowThinking();
  ClearPV();
  ClearHistory();
  if (Ctx.KeepTable)
    NewTTGeneration();
  else
    ZeroTTs();
  Nodes = QNodes = 0;
  BetaCuts = NullCuts = TTHits = ExactTTHits = 0;
  SelDepth = 0;
  PVScore = 0;
  Abort = false;
  Time = 0;
  CurrentDepth = static_cast<int16_t>(Ctx.FirstDepth - 1);
  EndGame = IsEndGame();
}

double EBF(const SaveNodesType &Figures, uint8_t Len) {
  double Sum = 0.0;
  int Ratios = 0;
  for (int I = 0; I < 3; ++I) {
    const int Below = Len - I - 1;
    if (Below < 0 || Figures[Below] == 0) continue;
    Sum += static_cast<double>(Figures[Below + 1]) / static_cast<double>(Figures[Below]);
    ++Ratios;
  }
  return Ratios == 0 ? 0.0 : Sum / Ratios;
}

namespace {
// Whether a score ends the deepening as a mate. A table kept from earlier
// searches holds mates that a shallow iteration reads without seeing the
// line; such a mate ends it only once the iteration is as deep as the mate,
// for every line shown, and never a search that runs until it is stopped.
bool MateEnds(int16_t Score) {
  if (std::abs(Score) < MateFound) return false;
  return !Ctx.KeepTable || MateScore - std::abs(Score) <= CurrentDepth;
}
bool MateEndsDeepening() {
  if (PVScore >= Ctx.MateStop) return true;
  if (!MateEnds(PVScore)) return false;
  if (!Ctx.KeepTable) return true;
  if (Ctx.Unlimited || ClockPondering()) return false;
  for (uint16_t I = 1; I < Ctx.LinesFound; ++I)
    if (!MateEnds(Ctx.Lines[I].Score)) return false;
  return true;
}

bool DeepenFurther() {
  // No legal move at the root leaves the first entry of the line empty;
  // deeper iterations could not change that.
  if (CurrentDepth >= Ctx.FirstDepth && PV[0][0].Empty()) return false;
  const int Limit = Ctx.LastDepth < Ctx.FirstDepth ? Ctx.FirstDepth : Ctx.LastDepth;
  // Every ply of a line needs a record of the position stack.
  if (Abort || CurrentDepth >= Limit || CurrentDepth >= MaxPly || MateEndsDeepening()) return false;
  // The first iteration starts however little time is left, so that a search
  // has a move of its own; a limit stops it at its next look at the limits.
  if (CurrentDepth < Ctx.FirstDepth) return true;
  return !TimesUp() && !NodesUsedUp(MainState) && IterationTimeLeft();
}

// A line the search cut short where a table entry stood for the rest goes on
// with the table's moves, as far as each is legal and no position of the line
// comes again, so that an interface shows what the search saw. The moves are
// made on the scratch records above the root, as in WalkLegalPV.
void CompleteLine() {
  const WalkKept Kept(MainState);
  const int Want = CurrentDepth < MaxPly ? CurrentDepth : MaxPly;
  uint64_t Keys[MaxPly + 1];
  Keys[0] = RepetitionKey(Data[Ply], WhosMove);
  int N = 0;
  bool FromTable = false; // past the searched line, only the table's moves
  while (N < Want) {
    Str4 Next = PV[0][N];
    if (FromTable || Next.Empty() || !IsLegalMove(Next)) {
      FullTTType Entry;
      Entry.Key = Data[Ply].HashKey;
      GetFromTT(Entry);
      if (Entry.Move.Empty() || !IsLegalMove(Entry.Move)) break;
      Next = Str4(Entry.Move);
      FromTable = true;
    }
    MakeOnCopy(MoveStrToMoveRec(Next), false);
    const uint64_t Key = RepetitionKey(Data[Ply], WhosMove);
    bool Repeats = false;
    for (int I = 0; I <= N; ++I) Repeats = Repeats || Keys[I] == Key;
    if (Repeats && FromTable) break;
    PV[0][N] = Next;
    Keys[++N] = Key;
  }
  PV[0][N].Clear();
}

// Rank: the line's place when the search shows several, else 0.
void ReportIteration(bool Fresh, uint32_t Rank) {
  if (Fresh && Ctx.KeepTable) CompleteLine();
  SearchInfo Info;
  Info.Nodes = Nodes + HelperNodes();
  Info.QNodes = QNodes + HelperQNodes();
  Info.BetaCuts = BetaCuts;
  Info.NullCuts = NullCuts;
  Info.TTHits = TTHits;
  Info.ExactTTHits = ExactTTHits;
  Info.PVScore = PVScore;
  Info.PV = &PV;
  Info.PVLegal = WalkLegalPV(static_cast<uint32_t>(CurrentDepth), nullptr);
  Info.EBF = EBF(SaveNodes, static_cast<uint8_t>(CurrentDepth));
  Info.Time = Time;
  Info.TimeMs = static_cast<uint64_t>(Delta);
  // A stop before any root move of this iteration finished leaves the last
  // finished iteration's score and line standing, and its depth.
  Info.Depth = static_cast<uint32_t>(Fresh ? CurrentDepth : CurrentDepth - 1);
  Info.Fresh = Fresh;
  Info.SelDepth = SelDepth;
  Info.MultiPV = Rank;
  ShowInfo(Info);
}

// As many lines as asked for, and no more than the root has moves to search.
uint16_t LinesWanted(uint8_t Asked) {
  if (Asked <= 1) return 1;
  uint16_t Count = 0;
  {
    const WalkKept Kept(MainState);
    WalkLegalMoves(
        MainState, [](const MoveRec &M) { return Ctx.NumRootMoves == 0 || IsRootMove(M); },
        [&](const MoveRec &) {
          ++Count;
          return true;
        });
  }
  for (RootLine &Line : Ctx.Lines) Line.Moves[0].Clear();
  return Count < Asked ? Count : Asked;
}

void LineToPV(const RootLine &Line) {
  for (int I = 0; I <= MaxPly; ++I) PV[0][I] = Line.Moves[I];
}

// One iteration that shows Wanted lines, ranked by score. A stop keeps the
// lines that finished; a line cut before any of its root moves finished is no
// line, and when that is the first, the last iteration's best line stays.
void SearchLines(Worker &W, uint16_t Wanted) {
  uint16_t Found = 0;
  bool Cut = false;
  while (Found < Wanted && !Abort) {
    const ShortStr Guess = Ctx.Lines[Found].Moves[0];
    W.RootGuess = Guess.Empty() || IsExcluded(W, Guess) ? Str4(NoMoveText) : Str4(Guess);
    const int16_t Score =
        Search(W, -RootWindow, RootWindow, static_cast<int8_t>(CurrentDepth), true);
    if (Abort && Score == -RootWindow) {
      Cut = true;
      break;
    }
    Ctx.Lines[Found].Score = Score;
    for (int I = 0; I <= MaxPly; ++I) Ctx.Lines[Found].Moves[I] = PV[0][I];
    W.Excluded[W.NumExcluded++] = PV[0][0];
    ++Found;
  }
  W.NumExcluded = 0;
  Ctx.LinesFound = Found;
  Time = static_cast<uint32_t>(Clock(Elapsed));
  SaveNodes[CurrentDepth] = Nodes + QNodes - SaveNodes[CurrentDepth - 1];
  // A later line can score above an earlier one, seen anew without the
  // earlier moves: the best goes first, and it is the move.
  for (uint16_t I = 1; I < Found; ++I)
    for (uint16_t J = I; J > 0 && Ctx.Lines[J].Score > Ctx.Lines[J - 1].Score; --J)
      std::swap(Ctx.Lines[J], Ctx.Lines[J - 1]);
  for (uint16_t I = 0; I < Found; ++I) {
    LineToPV(Ctx.Lines[I]);
    PVScore = Ctx.Lines[I].Score;
    ReportIteration(true, I + 1u);
  }
  if (Found > 0) {
    LineToPV(Ctx.Lines[0]);
    PVScore = Ctx.Lines[0].Score;
  }
  if (Cut) ReportIteration(false, 0);
}

void SetContext(const SearchLimits &L, const SearchSettings &S, const GameKeys &G) {
  Ctx.FirstDepth = L.FirstDepth == 0 ? 1 : L.FirstDepth;
  Ctx.LastDepth = L.Depth;
  if (L.Mate > 0) {
    // A mate in N moves is N plies of the winner and N - 1 of the loser;
    // the slack covers the reduced searches of moves after the first.
    const int Plies = 2 * L.Mate - 1;
    if (L.Depth == NoFixedDepth)
      Ctx.LastDepth = static_cast<uint8_t>(Plies + 5 < MaxPly ? Plies + 5 : MaxPly);
    Ctx.MateStop = static_cast<int16_t>(Plies < MaxPly ? MateScore - Plies : MateScore - MaxPly);
  } else {
    Ctx.MateStop = MateScore + 1;
  }
  Ctx.NodeLimit = L.Nodes == 0 ? NoNodeLimit : L.Nodes;
  Ctx.RootMoves = L.SearchMoves;
  Ctx.NumRootMoves = L.SearchMoves ? L.NumSearchMoves : 0;
  Ctx.Unlimited =
      L.TimeMs == 0 && !L.OnClock && L.Depth == NoFixedDepth && L.Nodes == 0 && L.Mate == 0;
  Ctx.LinesFound = 0;

  Ctx.EvalNoise = S.EvalNoise;
  Ctx.NoiseSeed = S.NoiseSeed;
  Ctx.KeepTable = S.KeepTable;
  Ctx.RootSide = WhosMove;

  Ctx.DrawRules = S.DrawRules;
  Ctx.RepBase = 0;
  if (Ctx.DrawRules) {
    const int Keep = G.Len < MaxHistory ? G.Len : MaxHistory;
    for (int I = 0; I < Keep; ++I) Ctx.GameKeys[I] = G.Keys[G.Len - Keep + I];
    Ctx.RepBase = Keep;
    // The root is the first position of each path (Worker::StartPath): a
    // line back to it repeats.
    Ctx.Rule50 =
        static_cast<uint16_t>(G.Rule50 > FiftyMoveHalfMoves ? FiftyMoveHalfMoves : G.Rule50);
    Ctx.RootDead = NoMatingMaterial(Data[0]);
    PrepareReversibleMoves();
    Ctx.AnySeenTwice = false;
    for (int J = 0; J < Ctx.RepBase; ++J) {
      Ctx.SeenBefore[J] = -1;
      for (int K = J - 2; K >= 0 && Ctx.SeenBefore[J] < 0; K -= 2)
        if (Ctx.GameKeys[K] == Ctx.GameKeys[J]) Ctx.SeenBefore[J] = K;
      Ctx.AnySeenTwice = Ctx.AnySeenTwice || Ctx.SeenBefore[J] >= 0;
    }
  }
}
} // namespace

uint64_t RepetitionKey(const DataType &D, int8_t Side) {
  // The placement key, told apart by the side to move and the castling rights.
  return D.HashKey ^ (Side == BMove ? BlackToMoveKey : 0) ^ (0xC2B2AE3D27D4EB4Full * D.CastleStat);
}

void DeferEveryLaterMove(bool On) { DeferAll = On; }

SearchLimits FixedDepthLimits(uint8_t Depth) {
  SearchLimits L;
  L.Depth = Depth;
  L.TimeMs = SecondsRuleMs(NoTimeLimitSecs);
  return L;
}

MoveRec SearchMove(const SearchLimits &L, const SearchSettings &S, const GameKeys &G) {
  Ply = 0;
  SetContext(L, S, G);
  StartMoveClock(L);
  InitSearch();
  MainWorker.StartPath();
  StartHelpers(S.Threads);
  const uint16_t Wanted = LinesWanted(L.MultiPV);
  // A root with one move to search still shows it as the first line of several.
  const uint32_t Rank = L.MultiPV > 1 ? 1 : 0;
  while (DeepenFurther()) {
    ++CurrentDepth;
    RootFailingLow(false);
    const Str4 LastBest = PV[0][0];
    if (Wanted > 1) {
      SearchLines(MainWorker, Wanted);
    } else {
      const int16_t Score =
          Search(MainWorker, -RootWindow, RootWindow, static_cast<int8_t>(CurrentDepth), true);
      // The root returns its full window's floor only when no move of a
      // stopped iteration finished; a finished move's score is always above it.
      const bool Fresh = !(Abort && Score == -RootWindow);
      if (Fresh) PVScore = Score;
      Time = static_cast<uint32_t>(Clock(Elapsed));
      SaveNodes[CurrentDepth] = Nodes + QNodes - SaveNodes[CurrentDepth - 1];
      if (std::abs(PVScore) != MateScore) ReportIteration(Fresh, Rank);
    }
    if (CurrentDepth > Ctx.FirstDepth) RootBestChanged(!(PV[0][0] == LastBest));
  }
  StopHelpers();
  Ctx.DrawRules = false;
  Ctx.NumRootMoves = 0;
  StopMoveClock();
  if (CalcBrdKey() != Data[Ply].HashKey) Fatal("Search", __LINE__, "error zorbist key");
  if (std::abs(PVScore) == MateScore) return NoMove;
  if (PV[0][0].Empty()) return NoMove;
  return MoveStrToMoveRec(PV[0][0]);
}
