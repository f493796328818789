#include "search/Search.h"

#include <cstdlib>

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

uint8_t FirstDepth = 4;

namespace {
// A score this far from zero is a mate within 20 plies: deepening stops.
constexpr int16_t MateFound = 9980;

int16_t Neg(int Score) { return static_cast<int16_t>(-Score); }

void PassTurn() {
  WhosMove = static_cast<int8_t>(-WhosMove);
  HumansMove = !HumansMove;
}

bool StopRequested() { return PollStop() || TimesUp(); }
} // namespace

int16_t QSearch(int16_t Alpha, int16_t Beta) {
  FullTTType TTEntry;
  TTEntry.Key = Data[Ply].HashKey;
  GetFromTT(TTEntry);
  if (TTEntry.Node == Exact) return TTEntry.Score;
  if (TTEntry.Node == FailHigh && TTEntry.Score >= Beta) return Beta;

  int16_t Score = EvalPosition(Alpha, Beta);
  if (Score > Alpha) Alpha = Score;
  if (Score >= Beta) {
    ++BetaCuts;
    return Beta;
  }
  if (Ply == MaxPly) return Score;

  const uint16_t NumCaptures = GenCaptureList();
  if (NumCaptures == 0) return Alpha;
  for (uint16_t I = 1; I <= NumCaptures; ++I) {
    const MoveRec M = GetAMove(NumCaptures);
    const DataType &D = Data[Ply];
    // A dearer piece taking a defended cheaper one loses material: not tried.
    if (PieceValue[PieceOn(D, M.ToSq)] < PieceValue[PieceOn(D, M.FromSq)] &&
        Attacked(M.ToSq, static_cast<int8_t>(-WhosMove)))
      continue;
    MakeOnCopy(M, true);
    Score = Neg(QSearch(Neg(Beta), Neg(Alpha)));
    UnmakeMove();
    if (Score > Alpha) {
      Alpha = Score;
      if (Alpha >= Beta) {
        ++BetaCuts;
        return Beta;
      }
    }
  }
  return Alpha;
}

int16_t Search(int16_t Alpha, int16_t Beta, int8_t Depth, bool NullAllowed) {
  if (Abort || Ply == MaxPly) return EvalPosition(Alpha, Beta);
  // The clock is read only while bit 13 of the count is clear; the node goes
  // on even if time has just run out, its children return at once.
  if ((Nodes & 8192) == 0) Abort = TimesUp();
  if (Depth < 1) return QSearch(Alpha, Beta);

  const bool Check = InCheck(WhosMove);
  if (Check) ++Depth;

  FullTTType TTEntry;
  TTEntry.Key = Data[Ply].HashKey;
  GetFromTT(TTEntry);
  const bool TTMoveFits = ValidMove(TTEntry);
  const Str4 TTMove = TTMoveFits ? Str4(TTEntry.Move) : Str4("A1A1");
  if (TTEntry.Depth >= Depth) {
    ++TTHits;
    if (TTEntry.Node == FailHigh && TTEntry.Score >= Beta) return Beta;
    if (TTEntry.Node == FailLow && TTEntry.Score <= Alpha) return Alpha;
    if (TTMoveFits && TTEntry.Node == Exact) {
      ++ExactTTHits;
      return TTEntry.Score;
    }
  }

  int16_t Score = 0;
  // The other side moves twice: the table still tells the positions apart
  // because its key depends on the side to move.
  if (NullAllowed && !Check && !EndGame && Depth > 2) {
    PassTurn();
    Score = Neg(Search(Neg(Beta), Neg(Beta - 1), static_cast<int8_t>(Depth - 2), false));
    PassTurn();
    if (Score >= Beta) {
      ++BetaCuts;
      ++NullCuts;
      AddToTT(Data[Ply].HashKey, Score, FailHigh, static_cast<uint8_t>(Depth), ShortStr(), 0);
      return Beta;
    }
  }

  bool NoMoves = true;
  bool FailLowNode = true;
  const uint16_t NumMoves = GenMoveList(TTMove);
  // MoveIndex counts moves taken, legal or not: after an illegal first move
  // every legal one gets the reduced null window.
  for (uint16_t MoveIndex = 1; MoveIndex <= NumMoves; ++MoveIndex) {
    const MoveRec ThisMove = GetAMove(NumMoves);
    MakeOnCopy(ThisMove, false);
    if (InCheck(static_cast<int8_t>(-WhosMove))) {
      UnmakeMove();
      continue;
    }
    NoMoves = false;
    const uint8_t R = Depth > 6 ? 3 : 2;
    if (MoveIndex == 1) {
      Score = Neg(Search(Neg(Beta), Neg(Alpha), static_cast<int8_t>(Depth - 1), true));
    } else {
      Score = Neg(Search(Neg(Alpha + 1), Neg(Alpha), static_cast<int8_t>(Depth - R), true));
      if (Score > Alpha && Score < Beta)
        Score = Neg(Search(Neg(Beta), Neg(Alpha), static_cast<int8_t>(Depth - 1), true));
    }
    UnmakeMove();

    const uint64_t HashKey = Data[Ply].HashKey;
    if (Score > Alpha) {
      Alpha = Score;
      FailLowNode = false;
      const ShortStr MoveText = SquaresToStr(ThisMove.FromSq, ThisMove.ToSq);
      const int8_t Piece = PieceOn(Data[Ply], ThisMove.FromSq);
      if (Alpha >= Beta) {
        ++BetaCuts;
        if (!ThisMove.Capture) AddToHistory(ThisMove, Depth);
        AddToTT(HashKey, Score, FailHigh, static_cast<uint8_t>(Depth), MoveText, Piece);
        return Beta;
      }
      AddToTT(HashKey, Score, Exact, static_cast<uint8_t>(Depth), MoveText, Piece);
      UpdatePV(MoveText, Ply);
    }
    // Each fail-low store replaces the last: the entry keeps the score of the
    // last move searched.
    if (FailLowNode) AddToTT(HashKey, Score, FailLow, static_cast<uint8_t>(Depth), ShortStr(), 0);
    if (StopRequested()) {
      Abort = true;
      return Alpha;
    }
  }
  if (NoMoves) return InCheck(WhosMove) ? static_cast<int16_t>(Ply - MateScore) : 0;
  return Alpha;
}

uint32_t WalkLegalPV(uint32_t Len, void (*Visit)(const Str4 &Move, uint32_t Index)) {
  const uint64_t SavedNodes = Nodes, SavedQNodes = QNodes;
  const uint16_t SavedMoveNum = MoveNum;
  const int8_t SavedSide = WhosMove;
  const bool SavedHumans = HumansMove;
  const uint8_t SavedPly = Ply;
  uint32_t N = 0;
  while (N < Len && Ply < MaxPly && IsLegalMove(PV[0][N])) {
    if (Visit) Visit(PV[0][N], N);
    MakeOnCopy(MoveStrToMoveRec(PV[0][N]), false);
    ++N;
  }
  Ply = SavedPly;
  WhosMove = SavedSide;
  HumansMove = SavedHumans;
  MoveNum = SavedMoveNum;
  Nodes = SavedNodes;
  QNodes = SavedQNodes;
  return N;
}

void InitSearch() {
  ShowThinking();
  ClearPV();
  ClearHistory();
  ZeroTTs();
  Nodes = QNodes = 0;
  BetaCuts = NullCuts = TTHits = ExactTTHits = 0;
  PVScore = 0;
  Abort = false;
  Time = static_cast<uint32_t>(Clock(Start));
  CurrentDepth = static_cast<int16_t>(FirstDepth - 1);
  EndGame = IsEndGame();
}

double EBF(const SaveNodesType &Nodes, uint8_t Len) {
  double Sum = 0.0;
  int Ratios = 0;
  for (int I = 0; I < 3; ++I) {
    const int Below = Len - I - 1;
    if (Below < 0 || Nodes[Below] == 0) continue;
    Sum += static_cast<double>(Nodes[Below + 1]) / static_cast<double>(Nodes[Below]);
    ++Ratios;
  }
  return Ratios == 0 ? 0.0 : Sum / Ratios;
}

namespace {
bool DeepenFurther() {
  // No legal move at the root leaves the first entry of the line empty;
  // deeper iterations could not change that.
  if (CurrentDepth >= FirstDepth && PV[0][0].Empty()) return false;
  const int Limit = FixedDepth < FirstDepth ? FirstDepth : FixedDepth;
  // Every ply of a line needs a record of the position stack.
  return !TimesUp() && !Abort && CurrentDepth < Limit && CurrentDepth < MaxPly &&
         std::abs(PVScore) < MateFound;
}

void ReportIteration() {
  SearchInfo Info;
  Info.Nodes = Nodes;
  Info.QNodes = QNodes;
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
  Info.Depth = static_cast<uint32_t>(CurrentDepth);
  ShowInfo(Info);
}
} // namespace

MoveRec ComputerMove() {
  InitSearch();
  while (DeepenFurther()) {
    ++CurrentDepth;
    PVScore = Search(-30000, 30000, static_cast<int8_t>(CurrentDepth), true);
    Time = static_cast<uint32_t>(Clock(Elapsed));
    SaveNodes[CurrentDepth] = Nodes + QNodes - SaveNodes[CurrentDepth - 1];
    if (std::abs(PVScore) != MateScore) ReportIteration();
  }
  if (CalcBrdKey() != Data[Ply].HashKey) Fatal("Search", __LINE__, "error zorbist key");
  if (std::abs(PVScore) == MateScore) return NoMove;
  if (PV[0][0].Empty() || PV[0][0] == "MATE") return NoMove;
  return MoveStrToMoveRec(PV[0][0]);
}
