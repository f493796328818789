// What the search shows after each iteration: the line, completed from the
// table where a kept table cut it short, and the several lines of a search
// that shows more than one, each searched without the first moves of those
// found before it.
#include <utility>

#include "board/Squares.h"
#include "hash/TT.h"
#include "moves/Move.h"
#include "seam/Seam.h"
#include "search/Clock.h"
#include "search/Worker.h"

namespace {
// A line the search cut short where a table entry stood for the rest goes on
// with the table's moves, as far as each is legal and no position of the line
// comes again, so that an interface shows what the search saw. The moves are
// made on the scratch records above the root, as in WalkLegalPV.
void CompleteLine(SearchState &St) {
  const WalkKept Kept(St);
  const int Want = St.CurrentDepth < MaxPly ? St.CurrentDepth : MaxPly;
  auto &Line = St.PV[0];
  uint64_t Keys[MaxPly + 1];
  Keys[0] = RepetitionKey(St.Data[St.Ply], St.WhosMove);
  int N = 0;
  bool FromTable = false; // past the searched line, only the table's moves
  while (N < Want) {
    Str4 Next = Line[N];
    if (FromTable || Next.Empty() || !IsLegalMove(St, Next)) {
      FullTTType Entry;
      Entry.Key = St.Data[St.Ply].HashKey;
      GetFromTT(Entry, St.WhosMove);
      if (Entry.Move.Empty() || !IsLegalMove(St, Entry.Move)) break;
      Next = Str4(Entry.Move);
      FromTable = true;
    }
    MakeOnCopy(St, MoveStrToMoveRec(St.Data[St.Ply], St.WhosMove, Next), false);
    const uint64_t Key = RepetitionKey(St.Data[St.Ply], St.WhosMove);
    bool Repeats = false;
    for (int I = 0; I <= N; ++I) Repeats = Repeats || Keys[I] == Key;
    if (Repeats && FromTable) break;
    Line[N] = Next;
    Keys[++N] = Key;
  }
  Line[N].Clear();
}

void LineToPV(SearchState &St, const RootLine &Line) {
  for (int I = 0; I <= MaxPly; ++I) St.PV[0][I] = Line.Moves[I];
}
} // namespace

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

uint32_t WalkLegalPV(SearchState &St, uint32_t Len, LineVisit Visit) {
  const WalkKept Kept(St);
  const auto &Line = St.PV[0];
  uint32_t N = 0;
  while (N < Len && St.Ply < MaxPly && IsLegalMove(St, Line[N])) {
    if (Visit) Visit(St.Data[St.Ply], Line[N], N);
    MakeOnCopy(St, MoveStrToMoveRec(St.Data[St.Ply], St.WhosMove, Line[N]), false);
    ++N;
  }
  return N;
}

void ReportIteration(Worker &W, bool Fresh, uint32_t Rank) {
  SearchState &St = *W.St;
  if (Fresh && Ctx.KeepTable) CompleteLine(St);
  SearchInfo Info;
  Info.Nodes = St.Nodes + HelperNodes();
  Info.QNodes = St.QNodes + HelperQNodes();
  Info.BetaCuts = St.BetaCuts;
  Info.NullCuts = St.NullCuts;
  Info.TTHits = St.TTHits;
  Info.ExactTTHits = St.ExactTTHits;
  Info.PVScore = St.PVScore;
  Info.PV = St.PV[0];
  Info.PVLegal = WalkLegalPV(St, static_cast<uint32_t>(St.CurrentDepth), nullptr);
  Info.EBF = EBF(St.SaveNodes, static_cast<uint8_t>(St.CurrentDepth));
  Info.Time = St.Time;
  Info.TimeMs = static_cast<uint64_t>(Delta);
  // A stop before any root move of this iteration finished leaves the last
  // finished iteration's score and line standing, and its depth.
  Info.Depth = static_cast<uint32_t>(Fresh ? St.CurrentDepth : St.CurrentDepth - 1);
  Info.Fresh = Fresh;
  Info.SelDepth = St.SelDepth;
  Info.MultiPV = Rank;
  ShowInfo(Info);
}

uint16_t LinesWanted(SearchState &St, uint8_t Asked) {
  if (Asked <= 1) return 1;
  uint16_t Count = 0;
  {
    const WalkKept Kept(St);
    WalkLegalMoves(
        St, [](const MoveRec &M) { return Ctx.NumRootMoves == 0 || IsRootMove(M); },
        [&](const MoveRec &) {
          ++Count;
          return true;
        });
  }
  for (RootLine &Line : Ctx.Lines) Line.Moves[0].Clear();
  return Count < Asked ? Count : Asked;
}

// A stop keeps the lines that finished; a line cut before any of its root
// moves finished is no line, and when that is the first, the last
// iteration's best line stays.
void SearchLines(Worker &W, uint16_t Wanted) {
  SearchState &St = *W.St;
  uint16_t Found = 0;
  bool Cut = false;
  while (Found < Wanted && !St.Abort) {
    const ShortStr Guess = Ctx.Lines[Found].Moves[0];
    W.RootGuess = Guess.Empty() || IsExcluded(W, Guess) ? Str4(NoMoveText) : Str4(Guess);
    const int16_t Score =
        RootSearch(W, -RootWindow, RootWindow, static_cast<int8_t>(St.CurrentDepth));
    if (St.Abort && Score == -RootWindow) {
      Cut = true;
      break;
    }
    Ctx.Lines[Found].Score = Score;
    for (int I = 0; I <= MaxPly; ++I) Ctx.Lines[Found].Moves[I] = St.PV[0][I];
    W.Excluded[W.NumExcluded++] = St.PV[0][0];
    ++Found;
  }
  W.NumExcluded = 0;
  Ctx.LinesFound = Found;
  St.Time = static_cast<uint32_t>(Clock(Elapsed));
  St.SaveNodes[St.CurrentDepth] = St.Nodes + St.QNodes - St.SaveNodes[St.CurrentDepth - 1];
  // A later line can score above an earlier one, seen anew without the
  // earlier moves: the best goes first, and it is the move.
  for (uint16_t I = 1; I < Found; ++I)
    for (uint16_t J = I; J > 0 && Ctx.Lines[J].Score > Ctx.Lines[J - 1].Score; --J)
      std::swap(Ctx.Lines[J], Ctx.Lines[J - 1]);
  for (uint16_t I = 0; I < Found; ++I) {
    LineToPV(St, Ctx.Lines[I]);
    St.PVScore = Ctx.Lines[I].Score;
    ReportIteration(W, true, I + 1u);
  }
  if (Found > 0) {
    LineToPV(St, Ctx.Lines[0]);
    St.PVScore = Ctx.Lines[0].Score;
  }
  if (Cut) ReportIteration(W, false, 0);
}
