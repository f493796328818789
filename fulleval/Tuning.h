// The tuner's side of the evaluation (tools/tune, docs/tuning.md): each
// position's trace, a data set of traces held compactly, the fit of the
// logistic's scale and of the weights, and the weights header written back.
// The evaluation is linear in the weights once the phase, the endgame factor
// and the bonus outside the weights are known, and a trace records just
// those, so a fit never evaluates a position again.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

#include "board/Types.h"
#include "fulleval/Terms.h"

// How often each pair of weights was counted in a position, for White minus
// for Black, and what else made its score.
struct EvalTrace {
  int16_t Coef[NumWeights];
  int Phase, Scale, Extra;
  int White; // the score from White's side, before FullEval keeps it within bounds
};
void TraceEval(const DataType &D, int8_t Side, EvalTrace &T);

// A position's non-zero coefficients, one after another in the set's array.
struct TuneEntry {
  uint16_t Index;
  int16_t Coef;
};
struct TunePosition {
  uint32_t First; // of its entries
  uint16_t Count;
  uint8_t Phase, Scale;
  int16_t Extra;
  float Result; // 1 White won, 0.5 drawn, 0 Black won
};
struct TuneSet {
  int NumPairs = NumWeights;
  std::vector<TuneEntry> Entries;
  std::vector<TunePosition> Positions;
};
void AddTrace(TuneSet &Set, const EvalTrace &T, float Result);
// Any linear model of the same shape (the tests make small ones).
void AddPosition(TuneSet &Set, const TuneEntry *Entries, int Used, int Phase, int Scale, int Extra,
                 float Result);

// The weights while they are fitted, pair I as Mg[I], Eg[I].
struct TuneWeights {
  std::vector<double> Mg, Eg;
};
TuneWeights CurrentWeights();

// A position's score from White's side under W, without rounding.
double PositionScore(const TuneSet &Set, const TunePosition &P, const TuneWeights &W);
// The mean squared distance between the results and 1 / (1 + 10^(-K * score / 400)).
double MeanError(const TuneSet &Set, const TuneWeights &W, double K);
// The K that makes W's scores predict the results best.
double FitK(const TuneSet &Set, const TuneWeights &W);

struct FitOptions {
  int Epochs = 1000;
  double Rate = 1.0;   // Adam's step, in centipawns
  int ReportEvery = 0; // epochs between lines on Progress; 0: none
  FILE *Progress = nullptr;
};
// Adam on the mean squared error over the whole set, every pair free; the
// error at the end.
double FitWeights(const TuneSet &Set, TuneWeights &W, double K, const FitOptions &O);

// A data line: a FEN (placement and side to move are read, the rest of the
// fields may follow), ';', then the result for White: 1.0, 0.5 or 0.0.
bool ParseTuneLine(const char *Line, DataType &D, int8_t &Side, float &Result);
struct LoadCounts {
  uint64_t Lines = 0, Kept = 0, Refused = 0;
};
// Every line of the file at Path (at most Limit kept, 0: all) into Set.
bool LoadTuneFile(const char *Path, TuneSet &Set, uint64_t Limit, LoadCounts &Counts);

// W as the header holds it: whole centipawns that fit an int16_t.
TuneWeights RoundedWeights(const TuneWeights &W);
// fulleval/Weights.h as it would read with RoundedWeights(W).
void WriteWeights(FILE *Out, const TuneWeights &W);
