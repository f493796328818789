#include "shell/InfoPanel.h"

#include <cmath>
#include <cstdlib>

#include "game/Engine.h"
#include "game/Game.h"
#include "platform/Terminal.h"

namespace {
// The panel window on the full screen.
constexpr int PanelLeft = 49, PanelTop = 2, PanelRight = 79, PanelBottom = 12;

// Row 23 holds 14 moves up to column 75 and row 24 fifteen more up to column
// 80; a longer line would spill onto row 25 and scroll the screen.
constexpr uint32_t MovesOnRow23 = 14;
constexpr uint32_t MovesShown = MovesOnRow23 + 15;
static_assert(MovesShown <= MaxPly + 1, "the shown moves stay inside a PV row");

// A ratio of node counts is small; a value beyond what the fixed-point writer
// can print did not come from counts, so it is shown as 0.0 like NaN.
double ShownEBF(double EBF) { return std::isfinite(EBF) && std::fabs(EBF) < 1e18 ? EBF : 0.0; }

int Digits(uint64_t V) {
  int N = 1;
  while (V >= 10) V /= 10, ++N;
  return N;
}

// The counts are 64-bit, so their sum could wrap: divide them one by one.
uint64_t NodesPerSecond(uint64_t Nodes, uint64_t QNodes, uint32_t Time) {
  if (Time == 0) return 0;
  return Nodes / Time + QNodes / Time + (Nodes % Time + QNodes % Time) / Time;
}

// Rounded half to even by the default rounding mode.
int64_t QuiescenceShare(uint64_t Nodes, uint64_t QNodes) {
  const double Sum = static_cast<double>(Nodes) + static_cast<double>(QNodes);
  return static_cast<int64_t>(std::nearbyint(static_cast<double>(QNodes) * 100.0 / Sum));
}

// Rows are placed by row number rather than by line ends, so a count wider
// than its field that reaches the window edge cannot push the rows below down.
void PanelRow(int Row, const char *Label) {
  GotoXY(1, Row);
  Write(Label);
}

void WriteScoreRow(int16_t PVScore) {
  const int A = std::abs(static_cast<int>(PVScore));
  GotoXY(1, 10);
  if (A == MateScore - 1) {
    Write("***** Check Mate *****");
  } else if (A > MateFound) {
    Write("Mate in:");
    WriteInt(MateScore - A, 14);
  } else {
    Write("Score:");
    WriteInt(static_cast<int>(PVScore) * SideToMove(), 16);
  }
}

void WriteMove(const Str4 &Move) {
  for (std::size_t I = Move.Length(); I < 5; ++I) Write(' ');
  Write(Move);
}
} // namespace

void WriteInfoToScreen(const SearchInfo &Info) {
  // The position the panel reports on is the root the search fixed EndGame
  // from, so the door's answer is the search's flag.
  GotoXY(1, 1);
  if (IsEndGamePosition()) Write("*");
  Window(PanelLeft, PanelTop, PanelRight, PanelBottom);
  ClrScr();

  PanelRow(1, "Nodes:");
  WriteUInt(Info.Nodes, 16);
  PanelRow(2, "QNodes:");
  WriteUInt(Info.QNodes, 15);
  // Only a twenty-digit count leaves no room for the share inside the panel.
  const int QNodesEnd = 7 + (Digits(Info.QNodes) > 15 ? Digits(Info.QNodes) : 15);
  if (Info.Nodes > 0 && QNodesEnd + 5 <= PanelRight - PanelLeft + 1) {
    WriteInt(QuiescenceShare(Info.Nodes, Info.QNodes), 4);
    Write("%");
  }
  PanelRow(3, "NPS:");
  WriteUInt(NodesPerSecond(Info.Nodes, Info.QNodes, Info.Time), 18);
  PanelRow(4, "EBF:");
  WriteFixed(ShownEBF(Info.EBF), 18, 1);
  PanelRow(5, "Beta Cuts:");
  WriteUInt(Info.BetaCuts, 12);
  PanelRow(6, "Null Cuts:");
  WriteUInt(Info.NullCuts, 12);
  PanelRow(7, "TT Hits:");
  WriteUInt(Info.ExactTTHits, 6);
  Write("/");
  WriteUInt(Info.TTHits, 7);
  PanelRow(8, "Time Used:");
  WriteUInt(Info.Time, 12);
  PanelRow(9, "Depth:");
  WriteUInt(Info.Depth, 16);
  WriteScoreRow(Info.PVScore);

  if (Info.PV) WritePV(Info.PV, Info.Depth, Info.PVLegal);
  if (IsEndGamePosition()) {
    GotoXY(1, 1);
    Write("EG");
  }
}

void WritePV(const Str4 *Line, uint32_t Len, uint32_t Legal) {
  if (Len > MovesShown) Len = MovesShown;
  const Str4 Blank;
  const auto Move = [&](uint32_t I) -> const Str4 & { return I < Legal ? Line[I] : Blank; };
  Window(1, 1, ScreenCols, ScreenRows);
  GotoXY(2, 23);
  ClrEol();
  Write("PV: ");
  for (uint32_t I = 0; I < MovesOnRow23 && I < Len; ++I) WriteMove(Move(I));
  GotoXY(6, 24);
  ClrEol();
  for (uint32_t I = MovesOnRow23; I < Len; ++I) WriteMove(Move(I));
}
