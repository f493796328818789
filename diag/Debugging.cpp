#include "diag/Debugging.h"

#include <cstdio>

#include "board/Globals.h"
#include "board/Squares.h"
#include "eval/LookUpTables.h"
#include "eval/Material.h"
#include "moves/GenMoves.h"
#include "platform/Terminal.h"
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

void WriteRow(const char *Label, const int8_t *Values, int N) {
  Write(Label);
  for (int I = 0; I < N; ++I) WriteInt(Values[I], 4);
  WriteLn();
}

// White slot 0, white slot 1, black slot 0, black slot 1 of one piece kind.
void WriteSlots(const char *Label, int8_t WCode) {
  const DataType &D = Data[Ply];
  const int K = PIdx(WCode);
  const int8_t Values[4] = {D.WPieceList[0][K], D.WPieceList[1][K], D.BPieceList[0][K],
                            D.BPieceList[1][K]};
  WriteRow(Label, Values, 4);
}

// One "label square=value" entry; returns the value.
int16_t ShowEntry(const char *Label, int8_t Sq, int16_t Value) {
  Write(Label);
  WriteInt(Sq);
  Write('=');
  WriteInt(Value);
  return Value;
}

// White's entry then Black's on one row at column 50; White's value counts for
// the sum, Black's (read on the mirrored square) against it.
template <typename T>
int16_t ShowPair(int Row, const char *WLabel, int8_t WSq, const char *BLabel, int8_t BSq,
                 const T *Table) {
  GotoXY(50, Row);
  const int16_t W = ShowEntry(WLabel, WSq, Table[WSq]);
  const int16_t B = ShowEntry(BLabel, BSq, Table[Flip(BSq)]);
  return static_cast<int16_t>(W - B);
}

// Pieces beyond the two slots are listed only by DisplayPieceLists, but their
// values belong in the sum, or a third queen would shift Material and not
// Positional. A stale count never reads past the list.
int ExtraCount(uint8_t Count) { return Count < MaxExtra ? Count : MaxExtra; }

int16_t ExtraValues() {
  const DataType &D = Data[Ply];
  int Sum = 0;
  for (int I = 0; I < ExtraCount(D.WExtraCount); ++I)
    Sum += PST(PieceOn(D, D.WExtra[I]), D.WExtra[I]);
  for (int I = 0; I < ExtraCount(D.BExtraCount); ++I)
    Sum -= PST(PieceOn(D, D.BExtra[I]), Flip(D.BExtra[I]));
  return static_cast<int16_t>(Sum);
}

// The extra pieces of code P, on one row when there are any.
void WriteExtraRow(const char *Label, int8_t P) {
  const DataType &D = Data[Ply];
  const int8_t *Extra = P < 9 ? D.WExtra : D.BExtra;
  int8_t Squares[MaxExtra];
  int N = 0;
  for (int I = 0; I < ExtraCount(P < 9 ? D.WExtraCount : D.BExtraCount); ++I)
    if (PieceOn(D, Extra[I]) == P) Squares[N++] = Extra[I];
  if (N > 0) WriteRow(Label, Squares, N);
}
} // namespace

bool WriteMoveList(uint8_t Index) {
  TextFile F;
  if (!F.Create("MoveList.txt")) return false;
  char Line[16];
  std::snprintf(Line, sizeof Line, "Ply=%d\n", Ply);
  bool Ok = F.Write(Line);
  for (int I = 1; I <= Index; ++I) Ok = WriteMoveEntry(F, I, MoveList[Ply][I]) && Ok;
  Ok = F.Write("-----------------------------------\n") && Ok;
  return F.Close() && Ok;
}

bool WriteHistoryTable() {
  TextFile F;
  if (!F.Create("History.txt")) return false;
  bool Ok = true;
  for (int P = 1; P <= 14; ++P)
    for (int S = 0; S < 64; ++S) {
      if (HistTab[P][S] == 0) continue;
      char Line[48];
      std::snprintf(Line, sizeof Line, "%s->%d%4d\n", PieceTypeStr[P], S, HistTab[P][S]);
      Ok = F.Write(Line) && Ok;
    }
  return F.Close() && Ok;
}

void DisplayBoard() {
  for (int Rank = 7; Rank >= 0; --Rank) {
    for (int Fyle = 0; Fyle < 8; ++Fyle) WriteUInt((Data[Ply].Board[Rank] >> (4 * Fyle)) & 0xF, 4);
    WriteLn();
  }
}

void DisplayPieceLists() {
  const DataType &D = Data[Ply];
  WriteLn();
  WriteRow("White Pawns: ", D.WPawnList, 8);
  WriteRow("Black Pawns: ", D.BPawnList, 8);
  WriteSlots("Rooks: ", WRook);
  WriteSlots("Knights: ", WNight);
  WriteSlots("Bishops: ", WBishop);
  WriteSlots("Queens: ", WQueen);
  WriteSlots("Kings: ", WKing);
  // Pieces from promotions beyond the two slots would otherwise not show at all.
  const struct {
    const char *Label;
    int8_t Code;
  } Extras[] = {{"Extra Wn: ", WNight}, {"Extra Wb: ", WBishop}, {"Extra Wr: ", WRook},
                {"Extra Wq: ", WQueen}, {"Extra Bn: ", BNight},  {"Extra Bb: ", BBishop},
                {"Extra Br: ", BRook},  {"Extra Bq: ", BQueen}};
  for (const auto &E : Extras) WriteExtraRow(E.Label, E.Code);
}

void DisplayEval() {
  // The breakdown owns the whole screen, whatever window the game left set.
  Window(1, 1, ScreenCols, ScreenRows);
  ClrScr();
  DisplayBoard();
  DisplayPieceLists();
  const DataType &D = Data[Ply];
  int16_t Score = 0;
  for (int I = 0; I < 8; ++I)
    Score += ShowPair(I + 1, "Wp on ", D.WPawnList[I], "    Bp on ", D.BPawnList[I], PST_Pawn);
  // The king's line is part of each slot pass, so both kings count twice, as
  // in the evaluation.
  const int16_t *KingTable = EndGame ? PST_King_EG : PST_King_MG;
  for (int I = 0; I < 2; ++I) {
    const int Row = 5 * I + 9;
    const auto &W = D.WPieceList[I];
    const auto &B = D.BPieceList[I];
    Score += ShowPair(Row, "Wn on ", W[PIdx(WNight)], "     Bn on ", B[PIdx(WNight)], PST_Knight);
    Score +=
        ShowPair(Row + 1, "Wb on ", W[PIdx(WBishop)], "     Bb on ", B[PIdx(WBishop)], PST_Bishop);
    Score += ShowPair(Row + 2, "Wr on ", W[PIdx(WRook)], "     Br on ", B[PIdx(WRook)], PST_Rook);
    Score +=
        ShowPair(Row + 3, "Wq on ", W[PIdx(WQueen)], "     Bq on ", B[PIdx(WQueen)], PST_Queen);
    Score += ShowPair(13, "Wk on ", D.WPieceList[0][PIdx(WKing)], "     Bk on ",
                      D.BPieceList[0][PIdx(WKing)], KingTable);
  }
  Score += ExtraValues();
  GotoXY(50, 18);
  Write("EndGame: ");
  Write(IsEndGame() ? "TRUE" : "FALSE");
  GotoXY(50, 19);
  Write("Material: ");
  WriteInt(CalcMaterial());
  Write("  Positional: ");
  WriteInt(Score);
  Str255 Answer;
  ReadLn(Answer);
  ClrScr();
}
