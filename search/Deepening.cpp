// The iterative-deepening driver: one search from its limits and settings to
// the move, an iteration at a time, each reported, until a limit, a mate or
// the stop ends it.
#include <algorithm>
#include <cstdlib>

#include "board/Squares.h"
#include "board/Zorbist.h"
#include "eval/Material.h"
#include "hash/TT.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"
#include "platform/Fatal.h"
#include "seam/Seam.h"
#include "search/Clock.h"
#include "search/Worker.h"

SearchContext Ctx;

namespace {
// The thread that reports and decides the move searches on the record it is
// given, the game's own.
Worker MainWorker;

// Whether a score ends the deepening as a mate. A table kept from earlier
// searches holds mates that a shallow iteration reads without seeing the
// line; such a mate ends it only once the iteration is as deep as the mate,
// for every line shown, and never a search that runs until it is stopped.
bool MateEnds(const SearchState &St, int16_t Score) {
  if (std::abs(Score) < MateFound) return false;
  return !Ctx.KeepTable || MateScore - std::abs(Score) <= St.CurrentDepth;
}
bool MateEndsDeepening(const SearchState &St) {
  if (St.PVScore >= Ctx.MateStop) return true;
  if (!MateEnds(St, St.PVScore)) return false;
  if (!Ctx.KeepTable) return true;
  if (Ctx.Unlimited || ClockPondering()) return false;
  for (uint16_t I = 1; I < Ctx.LinesFound; ++I)
    if (!MateEnds(St, Ctx.Lines[I].Score)) return false;
  return true;
}

bool DeepenFurther(const SearchState &St) {
  // No legal move at the root leaves the first entry of the line empty;
  // deeper iterations could not change that.
  if (St.CurrentDepth >= Ctx.FirstDepth && St.PV[0][0].Empty()) return false;
  const int Limit = Ctx.LastDepth < Ctx.FirstDepth ? Ctx.FirstDepth : Ctx.LastDepth;
  // Every ply of a line needs a record of the position stack.
  if (St.Abort || St.CurrentDepth >= Limit || St.CurrentDepth >= MaxPly || MateEndsDeepening(St))
    return false;
  // The first iteration starts however little time is left, so that a search
  // has a move of its own; a limit stops it at its next look at the limits.
  if (St.CurrentDepth < Ctx.FirstDepth) return true;
  return !TimesUp() && !NodesUsedUp(St) && IterationTimeLeft();
}

// The UCI engine's own search looks first in a window around the last
// iteration's score, and widens it on the side the score fell out of.
constexpr int16_t AspirationDepth = 5;
constexpr int AspirationWindow = 20;

// One iteration with one line: the root searched once (or again with a wider
// window), and reported.
void SearchIteration(Worker &W, uint32_t Rank) {
  SearchState &St = *W.St;
  const auto Depth = static_cast<int8_t>(St.CurrentDepth);
  int Alpha = -RootWindow, Beta = RootWindow, Delta = AspirationWindow;
  if (Ctx.Full && St.CurrentDepth >= AspirationDepth && std::abs(St.PVScore) < MateFound) {
    Alpha = std::max(St.PVScore - Delta, -RootWindow + 0);
    Beta = std::min(St.PVScore + Delta, RootWindow + 0);
  }
  int16_t Score;
  for (;;) {
    Score = RootSearch(W, static_cast<int16_t>(Alpha), static_cast<int16_t>(Beta), Depth);
    if (St.Abort) break;
    if (Score <= Alpha && Alpha > -RootWindow)
      Alpha = std::max(Alpha - Delta, -RootWindow + 0);
    else if (Score >= Beta && Beta < RootWindow)
      Beta = std::min(Beta + Delta, RootWindow + 0);
    else
      break;
    Delta *= 2;
  }
  // The root returns its window's floor only when no move of a stopped
  // search finished inside it; such a move's score is always above it.
  const bool Fresh = !(St.Abort && Score <= Alpha);
  if (Fresh) St.PVScore = Score;
  St.Time = static_cast<uint32_t>(Clock(Elapsed));
  St.SaveNodes[St.CurrentDepth] = St.Nodes + St.QNodes - St.SaveNodes[St.CurrentDepth - 1];
  if (std::abs(St.PVScore) != MateScore) ReportIteration(W, Fresh, Rank);
}

void SetContext(const SearchState &St, const SearchLimits &L, const SearchSettings &S,
                const GameKeys &G) {
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
  Ctx.RootSide = St.WhosMove;
  Ctx.Root = &St.Data[0];

  Ctx.DrawRules = S.DrawRules;
  SetDrawContext(St, G);
  Ctx.Full = S.FullStrength;
}
} // namespace

void InitSearch(SearchState &St) {
  ShowThinking();
  ClearPV(St);
  ClearHistory(St);
  if (Ctx.KeepTable)
    NewTTGeneration();
  else
    ZeroTTs();
  St.Nodes = St.QNodes = 0;
  St.BetaCuts = St.NullCuts = St.TTHits = St.ExactTTHits = 0;
  St.SelDepth = 0;
  St.PVScore = 0;
  St.Abort = false;
  St.Time = 0;
  St.CurrentDepth = static_cast<int16_t>(Ctx.FirstDepth - 1);
  // Below the first iteration there are no figures, whatever a search that
  // began at a shallower depth left there.
  for (int D = 0; D <= St.CurrentDepth; ++D) St.SaveNodes[D] = 0;
  St.EndGame = IsEndGame(St.Data[St.Ply]);
  Ctx.EndGame = St.EndGame;
}

void ForgetMoveMemory() { ClearMoveMemory(MainWorker.Mem); }

SearchLimits FixedDepthLimits(uint8_t Depth) {
  SearchLimits L;
  L.Depth = Depth;
  L.TimeMs = SecondsRuleMs(NoTimeLimitSecs);
  return L;
}

int16_t Search(SearchState &St, int16_t Alpha, int16_t Beta, int8_t Depth, bool NullAllowed) {
  MainWorker.St = &St;
  return Search(MainWorker, Alpha, Beta, Depth, NullAllowed);
}

MoveRec SearchMove(SearchState &St, const SearchLimits &L, const SearchSettings &S,
                   const GameKeys &G) {
  St.Ply = 0;
  MainWorker.St = &St;
  SetContext(St, L, S, G);
  StartMoveClock(L);
  InitSearch(St);
  MainWorker.StartPath();
  AgeMoveMemory(MainWorker.Mem);
  StartHelpers(S.Threads);
  const uint16_t Wanted = LinesWanted(St, L.MultiPV);
  // A root with one move to search still shows it as the first line of several.
  const uint32_t Rank = L.MultiPV > 1 ? 1 : 0;
  while (DeepenFurther(St)) {
    ++St.CurrentDepth;
    RootFailingLow(false);
    const Str4 LastBest = St.PV[0][0];
    if (Wanted > 1)
      SearchLines(MainWorker, Wanted);
    else
      SearchIteration(MainWorker, Rank);
    if (St.CurrentDepth > Ctx.FirstDepth) RootBestChanged(!(St.PV[0][0] == LastBest));
  }
  StopHelpers();
  Ctx.DrawRules = false;
  Ctx.NumRootMoves = 0;
  StopMoveClock();
  if (CalcBrdKey(St.Data[St.Ply]) != St.Data[St.Ply].HashKey)
    Fatal("Search", __LINE__, "error zorbist key");
  if (std::abs(St.PVScore) == MateScore) return NoMove;
  if (St.PV[0][0].Empty()) return NoMove;
  return MoveStrToMoveRec(St.Data[St.Ply], St.WhosMove, St.PV[0][0]);
}
