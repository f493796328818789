#include "fulleval/Tuning.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "TestUtil.h"
#include "diag/BenchPositions.h"
#include "fulleval/Evaluate.h"
#include "fulleval/FullEval.h"

namespace {
TEST(FullEvalTune, TheTraceRebuildsEveryScore) {
  const TuneWeights W = CurrentWeights();
  const char *Endings[] = {"1k6/8/8/P7/8/2K5/8/2B5 w - - 0 1", "k7/8/8/8/3K4/8/4N3/5B2 b - - 0 1",
                           "8/5k2/8/3b1P2/3B1P2/8/5K2/8 w - - 0 1",
                           "4k3/8/8/8/8/8/r7/2B1K2R b - - 0 1"};
  std::vector<const char *> Fens(std::begin(Endings), std::end(Endings));
  for (const BenchPosition &B : BenchPositions) Fens.push_back(B.Fen);
  for (const char *Fen : Fens) {
    SetFen(Fen);
    EvalTrace T;
    TraceEval(Game.Here(), Game.St.WhosMove, T);
    TuneSet Set;
    AddTrace(Set, T, 0.5f);
    // Within the rounding of the integer taper.
    EXPECT_NEAR(PositionScore(Set, Set.Positions[0], W), T.White, 1.0) << Fen;
    const int16_t Score = FullEval(Game.Here(), Game.St.WhosMove);
    EXPECT_EQ(Game.St.WhosMove == WMove ? Score : -Score, T.White) << Fen;
  }
}

TEST(FullEvalTune, ThePhaseCountsThePieces) {
  const std::pair<const char *, int> Cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", FullPhase},
      {"4k3/8/8/8/8/8/8/Q3K2R w - - 0 1", 6},
      {"4k3/8/8/8/8/8/r7/2B1K2R w - - 0 1", 5},
      {"4k3/pppppppp/8/8/8/8/PPPPPPPP/4K3 w - - 0 1", 0},
      {"qqq1k3/8/8/8/8/8/8/QQQ1K3 w - - 0 1", FullPhase},
  };
  EvalTrace T;
  for (const auto &[Fen, Phase] : Cases) {
    SetFen(Fen);
    TraceEval(Game.Here(), Game.St.WhosMove, T);
    EXPECT_EQ(T.Phase, Phase) << Fen;
  }
}

// A made-up linear model of six pairs: random sparse positions, each result
// drawn from the logistic of the known weights.
TuneSet MadeUpSet(const TuneWeights &Known, double K, int Positions) {
  std::mt19937 Rng(20240611);
  std::uniform_int_distribution<int> Pick(0, 5), Coef(-3, 3), Phase(0, FullPhase);
  std::uniform_real_distribution<double> Draw(0.0, 1.0);
  TuneSet Set;
  Set.NumPairs = 6;
  for (int P = 0; P < Positions; ++P) {
    TuneEntry E[3];
    for (int I = 0; I < 3; ++I) {
      int C = Coef(Rng);
      E[I] = {static_cast<uint16_t>(I * 2 + Pick(Rng) % 2), static_cast<int16_t>(C ? C : 1)};
    }
    const int Scale = P % 4 == 0 ? FullScale / 2 : FullScale;
    AddPosition(Set, E, 3, Phase(Rng), Scale, 0, 0.0f);
    const double Score = PositionScore(Set, Set.Positions.back(), Known);
    const double Expected = 1.0 / (1.0 + std::pow(10.0, -K * Score / 400.0));
    Set.Positions.back().Result = Draw(Rng) < Expected ? 1.0f : 0.0f;
  }
  return Set;
}

TEST(FullEvalTune, RecoversKnownWeightsAndK) {
  const TuneWeights Known = {{100, -40, 25, 60, 0, -15}, {150, -10, 40, 20, 30, -50}};
  const double K = 1.2;
  const TuneSet Set = MadeUpSet(Known, K, 20000);
  EXPECT_NEAR(FitK(Set, Known), K, 0.1);

  TuneWeights W = Known;
  for (size_t I = 0; I < 6; ++I) {
    W.Mg[I] += I % 2 ? 40 : -40;
    W.Eg[I] += I % 3 ? -35 : 35;
  }
  const double Before = MeanError(Set, W, K);
  FitOptions O;
  O.Epochs = 600;
  O.Rate = 2.0;
  const double After = FitWeights(Set, W, K, O);
  EXPECT_LT(After, Before);
  for (size_t I = 0; I < 6; ++I) {
    EXPECT_NEAR(W.Mg[I], Known.Mg[I], 10.0) << "pair " << I;
    EXPECT_NEAR(W.Eg[I], Known.Eg[I], 10.0) << "pair " << I;
  }
}

TEST(FullEvalTune, WritesBackTheHeaderItWasBuiltWith) {
  FILE *Out = std::tmpfile();
  ASSERT_NE(Out, nullptr);
  WriteWeights(Out, CurrentWeights());
  std::rewind(Out);
  std::string Written;
  for (int C; (C = std::fgetc(Out)) != EOF;) Written += static_cast<char>(C);
  std::fclose(Out);
  const std::string Path = std::string(TORVANE_TEST_DATA) + "/../../fulleval/Weights.h";
  FILE *In = std::fopen(Path.c_str(), "r");
  ASSERT_NE(In, nullptr) << Path;
  std::string Header;
  for (int C; (C = std::fgetc(In)) != EOF;) Header += static_cast<char>(C);
  std::fclose(In);
  EXPECT_EQ(Written, Header);
}

struct Line {
  const char *Text;
  bool Good;
  int8_t Side;
  float Result;
  const char *Fen; // the same placement as a test diagram
};

TEST(FullEvalTune, ReadsGoodLinesAndRefusesTheRest) {
  const Line Cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1;0.5", true, WMove, 0.5f,
       "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
      {"4k3/8/8/8/8/8/8/4K2R b - -;1.0\n", true, BMove, 1.0f, "4k3/8/8/8/8/8/8/4K2R b - - 0 1"},
      {"r3k3/1P6/8/8/8/8/8/4K2R w;0.0\r\n", true, WMove, 0.0f, "r3k3/1P6/8/8/8/8/8/4K2R w - - 0 1"},
      {"4k3/8/8/8/8/8/8/4K2R w - - 0 1", false, 0, 0, nullptr},      // no result
      {"4k3/8/8/8/8/8/8/4K2R w - - 0 1;0.7", false, 0, 0, nullptr},  // not a result
      {"4k3/8/8/8/8/8/8/4K2R w - - 0 1;1.0x", false, 0, 0, nullptr}, // trailing text
      {"4k3/8/8/8/8/8/8/4K2R w - - 0 1;", false, 0, 0, nullptr},     // empty result
      {"4k3/8/8/8/8/8/8/4K2R x - - 0 1;1.0", false, 0, 0, nullptr},  // no side
      {"4k3/8/8/8/8/8/8/4K3R w - - 0 1;1.0", false, 0, 0, nullptr},  // nine files
      {"4k3/8/8/8/8/8/4K2R w - - 0 1;1.0", false, 0, 0, nullptr},    // seven ranks
      {"4k3/8/8/8/8/8/8/7R w - - 0 1;1.0", false, 0, 0, nullptr},    // no white king
      {"4k3/8/8/8/8/8/8/K3K3 w - - 0 1;1.0", false, 0, 0, nullptr},  // two white kings
      {"P3k3/8/8/8/8/8/8/4K3 w - - 0 1;1.0", false, 0, 0, nullptr},  // a pawn on the last rank
      {"4k3/8/8/8/8/8/8/4KX2 w - - 0 1;1.0", false, 0, 0, nullptr},  // no such piece
      {"", false, 0, 0, nullptr},
  };
  for (const Line &C : Cases) {
    DataType D;
    int8_t Side = 0;
    float Result = -1;
    EXPECT_EQ(ParseTuneLine(C.Text, D, Side, Result), C.Good) << C.Text;
    if (!C.Good) continue;
    EXPECT_EQ(Side, C.Side) << C.Text;
    EXPECT_EQ(Result, C.Result) << C.Text;
    SetFen(C.Fen);
    for (int Sq = 0; Sq < 64; ++Sq) EXPECT_EQ(PieceOn(D, Sq), PieceOn(Game.Here(), Sq)) << C.Text;
  }
}
} // namespace
