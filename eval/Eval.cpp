#include "eval/Eval.h"

#include "board/Board.h"
#include "board/Squares.h"
#include "board/Types.h"
#include "eval/LookUpTables.h"
#include "eval/Material.h"

namespace {
constexpr int Knight = PIdx(WNight), Bishop = PIdx(WBishop), Rook = PIdx(WRook),
              Queen = PIdx(WQueen), King = PIdx(WKing);

int PawnTerms(const DataType &D) {
  int Score = 0;
  for (int I = 0; I < 8; ++I) Score += PST_Pawn[D.WPawnList[I]];
  for (int I = 0; I < 8; ++I) Score -= PST_Pawn[Flip(D.BPawnList[I])];
  return Score;
}

// A free slot holds -1, which every table reads as 0.
int PieceTerms(const DataType &D, bool EndGame) {
  const int16_t *KingTable = EndGame ? PST_King_EG : PST_King_MG;
  int Score = 0;
  for (int Slot = 0; Slot < 2; ++Slot) {
    const int8_t *W = D.WPieceList[Slot];
    const int8_t *B = D.BPieceList[Slot];
    Score += PST_Knight[W[Knight]] - PST_Knight[Flip(B[Knight])];
    Score += PST_Bishop[W[Bishop]] - PST_Bishop[Flip(B[Bishop])];
    Score += PST_Rook[W[Rook]] - PST_Rook[Flip(B[Rook])];
    Score += PST_Queen[W[Queen]] - PST_Queen[Flip(B[Queen])];
    // Inside the pass on purpose: the king's square is worth twice its table value.
    Score += KingTable[D.WPieceList[0][King]] - KingTable[Flip(D.BPieceList[0][King])];
  }
  // Promoted pieces beyond the two slots count with the table of their kind.
  for (int I = 0; I < D.WExtraCount; ++I)
    Score += PST(PieceOn(D, D.WExtra[I]), D.WExtra[I], EndGame);
  for (int I = 0; I < D.BExtraCount; ++I)
    Score -= PST(PieceOn(D, D.BExtra[I]), Flip(D.BExtra[I]), EndGame);
  return Score;
}

int CastleTerms(const DataType &D) {
  int Score = 0;
  if ((D.CastleStat & 3) == 3) Score -= NotCastPenalty;
  if ((D.CastleStat & 12) == 12) Score += NotCastPenalty;
  return Score;
}

int BishopPairTerms(const DataType &D) {
  int Score = 0;
  if (D.WPieceList[0][Bishop] != -1 && D.WPieceList[1][Bishop] != -1) Score += TwoBishopBonus;
  if (D.BPieceList[0][Bishop] != -1 && D.BPieceList[1][Bishop] != -1) Score -= TwoBishopBonus;
  return Score;
}

// KingSafety for each of the three pawn squares and the knight square that
// holds its piece.
int Shield(const DataType &D, int8_t Pawn, int8_t Night, int A, int B, int C, int N) {
  return KingSafety * ((PieceOn(D, A) == Pawn) + (PieceOn(D, B) == Pawn) + (PieceOn(D, C) == Pawn) +
                       (PieceOn(D, N) == Night));
}

// A shield counts only while a side holds exactly one right. The colours pair
// rights and wings differently: White's lone queen-side right guards the king
// side, Black's lone king-side right guards the king side.
int ShieldTerms(const DataType &D) {
  int Score = 0;
  switch (D.CastleStat & 3) {
  case 2:
    Score += Shield(D, WPawn, WNight, 13, 14, 15, 21);
    break; // f2 g2 h2, f3
  case 1:
    Score += Shield(D, WPawn, WNight, 8, 9, 10, 18);
    break; // a2 b2 c2, c3
  default:
    break;
  }
  switch (D.CastleStat & 12) {
  case 4:
    Score -= Shield(D, BPawn, BNight, 53, 54, 55, 45);
    break; // f7 g7 h7, f6
  case 8:
    Score -= Shield(D, BPawn, BNight, 48, 49, 50, 42);
    break; // a7 b7 c7, c6
  default:
    break;
  }
  return Score;
}

// The cost of the extra pawns on each file of one side.
int Doubled(const PawnListType &Pawns) {
  uint8_t PawnFiles[8] = {};
  for (int I = 0; I < 8; ++I)
    if (Pawns[I] != -1) ++PawnFiles[Pawns[I] % 8];
  int Penalty = 0;
  for (uint8_t N : PawnFiles)
    if (N != 0) Penalty += (N - 1) * DoublePawnPenalty;
  return Penalty;
}
} // namespace

int16_t EvalPosition(const DataType &D, int8_t Side, bool EndGame, int16_t Alpha, int16_t Beta) {
  const int Material = CalcMaterial(D);
  if (!EndGame) {
    const int LazyEval = Material * Side;
    if (LazyEval + CutOff < Alpha) return Alpha;
    if (LazyEval - CutOff > Beta) return Beta;
  }
  int Score = 0;
  Score += PawnTerms(D);
  Score += PieceTerms(D, EndGame);
  Score += CastleTerms(D);
  Score += BishopPairTerms(D);
  Score += ShieldTerms(D);
  Score -= Doubled(D.WPawnList);
  Score += Doubled(D.BPawnList);
  return static_cast<int16_t>((Score + Material) * Side);
}
