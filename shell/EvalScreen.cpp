#include "shell/EvalScreen.h"

#include "diag/Debugging.h"
#include "game/Game.h"
#include "platform/Terminal.h"

namespace {
void WriteRow(const char *Label, const int8_t *Values, int N) {
  Write(Label);
  for (int I = 0; I < N; ++I) WriteInt(Values[I], 4);
  WriteLn();
}

// White slot 0, white slot 1, black slot 0, black slot 1 of one piece kind.
void WriteSlots(const DataType &D, const char *Label, int8_t WCode) {
  const int K = PIdx(WCode);
  const int8_t Values[4] = {D.WPieceList[0][K], D.WPieceList[1][K], D.BPieceList[0][K],
                            D.BPieceList[1][K]};
  WriteRow(Label, Values, 4);
}

// The extra pieces of code P, on one row when there are any. A stale count
// never reads past the list.
void WriteExtraRow(const DataType &D, const char *Label, int8_t P) {
  const int8_t *Extra = P < 9 ? D.WExtra : D.BExtra;
  const uint8_t Count = P < 9 ? D.WExtraCount : D.BExtraCount;
  int8_t Squares[MaxExtra];
  int N = 0;
  for (int I = 0; I < (Count < MaxExtra ? Count : MaxExtra); ++I)
    if (PieceOn(D, Extra[I]) == P) Squares[N++] = Extra[I];
  if (N > 0) WriteRow(Label, Squares, N);
}

// One "label square=value" entry.
void ShowEntry(const char *Label, const EvalEntry &E) {
  Write(Label);
  WriteInt(E.Sq);
  Write('=');
  WriteInt(E.Value);
}

// White's entry then Black's on one row at column 50.
void ShowPair(int Row, const char *WLabel, const char *BLabel, const EvalPair &P) {
  GotoXY(50, Row);
  ShowEntry(WLabel, P.W);
  ShowEntry(BLabel, P.B);
}
} // namespace

void DisplayBoard(const DataType &D) {
  for (int Rank = 7; Rank >= 0; --Rank) {
    for (int Fyle = 0; Fyle < 8; ++Fyle) WriteUInt((D.Board[Rank] >> (4 * Fyle)) & 0xF, 4);
    WriteLn();
  }
}

void DisplayPieceLists(const DataType &D) {
  WriteLn();
  WriteRow("White Pawns: ", D.WPawnList, 8);
  WriteRow("Black Pawns: ", D.BPawnList, 8);
  WriteSlots(D, "Rooks: ", WRook);
  WriteSlots(D, "Knights: ", WNight);
  WriteSlots(D, "Bishops: ", WBishop);
  WriteSlots(D, "Queens: ", WQueen);
  WriteSlots(D, "Kings: ", WKing);
  // Pieces from promotions beyond the two slots would otherwise not show at all.
  const struct {
    const char *Label;
    int8_t Code;
  } Extras[] = {{"Extra Wn: ", WNight}, {"Extra Wb: ", WBishop}, {"Extra Wr: ", WRook},
                {"Extra Wq: ", WQueen}, {"Extra Bn: ", BNight},  {"Extra Bb: ", BBishop},
                {"Extra Br: ", BRook},  {"Extra Bq: ", BQueen}};
  for (const auto &E : Extras) WriteExtraRow(D, E.Label, E.Code);
}

void DisplayEval() {
  const EvalBreakdown E = GetEvalBreakdown(GamePosition(), SearchedAsEndGame());
  // The breakdown owns the whole screen, whatever window the game left set.
  Window(1, 1, ScreenCols, ScreenRows);
  ClrScr();
  DisplayBoard(E.Position);
  DisplayPieceLists(E.Position);
  for (int I = 0; I < 8; ++I) ShowPair(I + 1, "Wp on ", "    Bp on ", E.Pawns[I]);
  // Slot 0's pieces, the kings, then slot 1's: the kings' row is drawn with
  // each slot, as it is counted with each.
  for (int I = 0; I < 2; ++I) {
    const int Row = 5 * I + 9;
    ShowPair(Row, "Wn on ", "     Bn on ", E.Pieces[I][0]);
    ShowPair(Row + 1, "Wb on ", "     Bb on ", E.Pieces[I][1]);
    ShowPair(Row + 2, "Wr on ", "     Br on ", E.Pieces[I][2]);
    ShowPair(Row + 3, "Wq on ", "     Bq on ", E.Pieces[I][3]);
    ShowPair(13, "Wk on ", "     Bk on ", E.Kings);
  }
  GotoXY(50, 18);
  Write("EndGame: ");
  Write(E.EndGame ? "TRUE" : "FALSE");
  GotoXY(50, 19);
  Write("Material: ");
  WriteInt(E.Material);
  Write("  Positional: ");
  WriteInt(E.Positional);
  Str255 Answer;
  ReadLn(Answer);
  ClrScr();
}
