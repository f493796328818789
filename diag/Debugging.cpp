#include "diag/Debugging.h"

#include <cstdio>

#include "board/Squares.h"
#include "board/Types.h"
#include "eval/LookUpTables.h"
#include "eval/Material.h"
#include "moves/GenMoves.h"
#include "moves/PositionStack.h"
#include "platform/TextFile.h"

namespace {
// A dump of a stale or unused entry must not index past the square names.
const char *SquareName(int8_t Sq) { return Sq >= 0 && Sq < 64 ? SqToStr[Sq] : "??"; }

// The line of entry I: number, from-square, x for a capture, to-square, score.
bool WriteMoveEntry(TextFile &F, int I, const MoveRec &M) {
  char Line[48];
  std::snprintf(Line, sizeof Line, "%d %s%s%s  %d\n", I, SquareName(M.FromSq), M.Capture ? "x" : "",
                SquareName(M.ToSq), M.MoveValue);
  return F.Write(Line);
}

// A row's pair: White's entry, then Black's read on the mirrored square.
template <typename T> EvalPair PairOf(int8_t WSq, int8_t BSq, const T *Table) {
  return {{WSq, Table[WSq]}, {BSq, Table[Flip(BSq)]}};
}
int16_t PairSum(const EvalPair &P) { return static_cast<int16_t>(P.W.Value - P.B.Value); }

// Pieces beyond the two slots are not in the pairs, but their values belong
// in the sum, or a third queen would shift Material and not Positional.
int16_t ExtraValues(const DataType &D, bool EndGame) {
  int Sum = 0;
  for (int I = 0; I < D.WExtraCount; ++I) Sum += PST(PieceOn(D, D.WExtra[I]), D.WExtra[I], EndGame);
  for (int I = 0; I < D.BExtraCount; ++I)
    Sum -= PST(PieceOn(D, D.BExtra[I]), Flip(D.BExtra[I]), EndGame);
  return static_cast<int16_t>(Sum);
}
} // namespace

bool WriteMoveList(const PositionStack &St, uint8_t Index) {
  TextFile F;
  if (!F.Create("MoveList.txt")) return false;
  char Line[16];
  std::snprintf(Line, sizeof Line, "Ply=%d\n", St.Ply);
  bool Ok = F.Write(Line);
  for (int I = 1; I <= Index; ++I) Ok = WriteMoveEntry(F, I, St.MoveList[St.Ply][I]) && Ok;
  Ok = F.Write("-----------------------------------\n") && Ok;
  return F.Close() && Ok;
}

bool WriteHistoryTable(const PositionStack &St) {
  TextFile F;
  if (!F.Create("History.txt")) return false;
  bool Ok = true;
  for (int P = 1; P <= 14; ++P)
    for (int S = 0; S < 64; ++S) {
      if (St.HistTab[P][S] == 0) continue;
      char Line[48];
      std::snprintf(Line, sizeof Line, "%s->%d%4d\n", PieceTypeStr[P], S, St.HistTab[P][S]);
      Ok = F.Write(Line) && Ok;
    }
  return F.Close() && Ok;
}

EvalBreakdown GetEvalBreakdown(const DataType &Of, bool EndGame) {
  EvalBreakdown E;
  E.Position = Of;
  DataType &D = E.Position;
  // A stale count never reads past the list.
  if (D.WExtraCount > MaxExtra) D.WExtraCount = MaxExtra;
  if (D.BExtraCount > MaxExtra) D.BExtraCount = MaxExtra;
  int16_t Score = 0;
  for (int I = 0; I < 8; ++I) {
    E.Pawns[I] = PairOf(D.WPawnList[I], D.BPawnList[I], PST_Pawn);
    Score += PairSum(E.Pawns[I]);
  }
  E.Kings = PairOf(D.WPieceList[0][PIdx(WKing)], D.BPieceList[0][PIdx(WKing)],
                   EndGame ? PST_King_EG : PST_King_MG);
  const struct {
    int8_t Code;
    const int16_t *Table;
  } Kinds[4] = {
      {WNight, PST_Knight}, {WBishop, PST_Bishop}, {WRook, PST_Rook}, {WQueen, PST_Queen}};
  for (int I = 0; I < 2; ++I) {
    for (int K = 0; K < 4; ++K) {
      const int P = PIdx(Kinds[K].Code);
      E.Pieces[I][K] = PairOf(D.WPieceList[I][P], D.BPieceList[I][P], Kinds[K].Table);
      Score += PairSum(E.Pieces[I][K]);
    }
    // The king's line is part of each slot pass, so both kings count twice,
    // as in the evaluation.
    Score += PairSum(E.Kings);
  }
  Score += ExtraValues(D, EndGame);
  E.Positional = Score;
  E.Material = CalcMaterial(Of);
  E.EndGame = IsEndGame(Of);
  return E;
}
