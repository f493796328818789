#include "fulleval/Tuning.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "board/Board.h"
#include "fulleval/Evaluate.h"

namespace {
// Adds the weights as the play path does and counts each pair as it goes.
struct TraceSum : ScoreSum {
  int16_t *Coef;
  explicit TraceSum(int16_t *C) : Coef(C) {}
  template <Term T> void Add(int Index, int Times) {
    ScoreSum::Add<T>(Index, Times);
    Coef[TermOffset(T) + Index] = static_cast<int16_t>(Coef[TermOffset(T) + Index] + Times);
  }
};
} // namespace

void TraceEval(const DataType &D, int8_t Side, EvalTrace &T) {
  std::memset(T.Coef, 0, sizeof T.Coef);
  TraceSum Sum(T.Coef);
  const EvalParts E = Evaluate(D, Side, Sum);
  T.Phase = E.Phase;
  T.Scale = E.Scale;
  T.Extra = E.Extra;
  T.White = E.White;
}

void AddPosition(TuneSet &Set, const TuneEntry *Entries, int Used, int Phase, int Scale, int Extra,
                 float Result) {
  TunePosition P;
  P.First = static_cast<uint32_t>(Set.Entries.size());
  P.Count = static_cast<uint16_t>(Used);
  P.Phase = static_cast<uint8_t>(Phase);
  P.Scale = static_cast<uint8_t>(Scale);
  P.Extra = static_cast<int16_t>(Extra);
  P.Result = Result;
  Set.Entries.insert(Set.Entries.end(), Entries, Entries + Used);
  Set.Positions.push_back(P);
}

void AddTrace(TuneSet &Set, const EvalTrace &T, float Result) {
  TuneEntry Entries[NumWeights];
  int Used = 0;
  for (int I = 0; I < NumWeights; ++I)
    if (T.Coef[I] != 0) Entries[Used++] = {static_cast<uint16_t>(I), T.Coef[I]};
  AddPosition(Set, Entries, Used, T.Phase, T.Scale, T.Extra, Result);
}

TuneWeights CurrentWeights() {
  TuneWeights W;
  for (const TermInfo &T : Terms)
    for (int I = 0; I < T.Size; ++I) {
      W.Mg.push_back(T.Values[I].Mg);
      W.Eg.push_back(T.Values[I].Eg);
    }
  return W;
}

namespace {
// How much a pair's middlegame and endgame weights move a position's score.
struct Taper {
  double Mg, Eg;
};
Taper TaperOf(const TunePosition &P) {
  const double Phase = P.Phase / double(FullPhase), Scale = P.Scale / double(FullScale);
  return {Phase * Scale, (1.0 - Phase) * Scale};
}

double Sigmoid(double K, double Score) { return 1.0 / (1.0 + std::pow(10.0, -K * Score / 400.0)); }
} // namespace

double PositionScore(const TuneSet &Set, const TunePosition &P, const TuneWeights &W) {
  double Mg = 0, Eg = 0;
  for (uint32_t I = P.First; I < P.First + P.Count; ++I) {
    const TuneEntry &E = Set.Entries[I];
    Mg += E.Coef * W.Mg[E.Index];
    Eg += E.Coef * W.Eg[E.Index];
  }
  const Taper T = TaperOf(P);
  return Mg * T.Mg + Eg * T.Eg + P.Extra;
}

namespace {
double MeanErrorOf(const TuneSet &Set, const std::vector<double> &Scores, double K) {
  double Sum = 0;
  for (size_t I = 0; I < Scores.size(); ++I) {
    const double Miss = Set.Positions[I].Result - Sigmoid(K, Scores[I]);
    Sum += Miss * Miss;
  }
  return Scores.empty() ? 0.0 : Sum / double(Scores.size());
}

std::vector<double> ScoresOf(const TuneSet &Set, const TuneWeights &W) {
  std::vector<double> Scores;
  Scores.reserve(Set.Positions.size());
  for (const TunePosition &P : Set.Positions) Scores.push_back(PositionScore(Set, P, W));
  return Scores;
}
} // namespace

double MeanError(const TuneSet &Set, const TuneWeights &W, double K) {
  return MeanErrorOf(Set, ScoresOf(Set, W), K);
}

double FitK(const TuneSet &Set, const TuneWeights &W) {
  // The error is unimodal in K: a golden-section search narrows the bracket.
  const std::vector<double> Scores = ScoresOf(Set, W);
  const double Ratio = (std::sqrt(5.0) - 1.0) / 2.0;
  double Lo = 0.01, Hi = 10.0;
  double A = Hi - Ratio * (Hi - Lo), B = Lo + Ratio * (Hi - Lo);
  double ErrA = MeanErrorOf(Set, Scores, A), ErrB = MeanErrorOf(Set, Scores, B);
  while (Hi - Lo > 1e-6) {
    if (ErrA < ErrB) {
      Hi = B, B = A, ErrB = ErrA;
      A = Hi - Ratio * (Hi - Lo);
      ErrA = MeanErrorOf(Set, Scores, A);
    } else {
      Lo = A, A = B, ErrA = ErrB;
      B = Lo + Ratio * (Hi - Lo);
      ErrB = MeanErrorOf(Set, Scores, B);
    }
  }
  return (Lo + Hi) / 2.0;
}

double FitWeights(const TuneSet &Set, TuneWeights &W, double K, const FitOptions &O) {
  const size_t N = static_cast<size_t>(Set.NumPairs);
  const double Beta1 = 0.9, Beta2 = 0.999, Epsilon = 1e-8;
  const double Slope = K * std::log(10.0) / 400.0;
  std::vector<double> GradMg(N), GradEg(N), M1Mg(N), M1Eg(N), M2Mg(N), M2Eg(N);
  double Error = 0;
  for (int Epoch = 1; Epoch <= O.Epochs; ++Epoch) {
    std::fill(GradMg.begin(), GradMg.end(), 0.0);
    std::fill(GradEg.begin(), GradEg.end(), 0.0);
    Error = 0;
    for (const TunePosition &P : Set.Positions) {
      const double S = Sigmoid(K, PositionScore(Set, P, W));
      const double Miss = P.Result - S;
      Error += Miss * Miss;
      // d(Miss^2)/d(score), the constant 2 / N left to the step size.
      const double Grad = -Miss * S * (1.0 - S) * Slope;
      const Taper T = TaperOf(P);
      for (uint32_t I = P.First; I < P.First + P.Count; ++I) {
        const TuneEntry &E = Set.Entries[I];
        GradMg[E.Index] += Grad * E.Coef * T.Mg;
        GradEg[E.Index] += Grad * E.Coef * T.Eg;
      }
    }
    const double Positions = Set.Positions.empty() ? 1.0 : double(Set.Positions.size());
    Error /= Positions;
    const double Fix1 = 1.0 - std::pow(Beta1, Epoch), Fix2 = 1.0 - std::pow(Beta2, Epoch);
    const auto Step = [&](std::vector<double> &Value, const std::vector<double> &Grad,
                          std::vector<double> &M1, std::vector<double> &M2) {
      for (size_t I = 0; I < N; ++I) {
        const double G = 2.0 * Grad[I] / Positions;
        M1[I] = Beta1 * M1[I] + (1 - Beta1) * G;
        M2[I] = Beta2 * M2[I] + (1 - Beta2) * G * G;
        Value[I] -= O.Rate * (M1[I] / Fix1) / (std::sqrt(M2[I] / Fix2) + Epsilon);
      }
    };
    Step(W.Mg, GradMg, M1Mg, M2Mg);
    Step(W.Eg, GradEg, M1Eg, M2Eg);
    if (O.Progress && O.ReportEvery > 0 && Epoch % O.ReportEvery == 0)
      std::fprintf(O.Progress, "epoch %d: error %.8f\n", Epoch, Error);
  }
  return MeanError(Set, W, K);
}

namespace {
// The placement field of a FEN onto an empty record; false on anything a
// game could not hold.
bool ReadPlacement(const char *&S, DataType &D) {
  ZeroBoardData(D);
  D.EnPasSq = -1;
  D.HashKey = 0;
  int Rank = 7, File = 0;
  for (; *S && *S != ' '; ++S) {
    if (*S == '/') {
      if (File != 8 || Rank == 0) return false;
      --Rank, File = 0;
    } else if (*S >= '1' && *S <= '8') {
      File += *S - '0';
      if (File > 8) return false;
    } else {
      const int8_t P = CodeOfLetter(*S);
      const int8_t Sq = static_cast<int8_t>(Rank * 8 + File);
      if (P == Empty || File > 7 || (IsPawnCode(P) && IsLastRank(Sq)) || !RoomForPiece(D, P))
        return false;
      PutPiece(D, P, Sq);
      ++File;
    }
  }
  return Rank == 0 && File == 8 && CountPieces(D, WKing) == 1 && CountPieces(D, BKing) == 1;
}
} // namespace

bool ParseTuneLine(const char *Line, DataType &D, int8_t &Side, float &Result) {
  const char *S = Line;
  while (*S == ' ') ++S;
  if (!ReadPlacement(S, D) || *S != ' ') return false;
  ++S;
  if (*S != 'w' && *S != 'b') return false;
  Side = *S == 'w' ? WMove : BMove;
  const char *Semi = std::strchr(S, ';');
  if (!Semi) return false;
  char *End = nullptr;
  const double R = std::strtod(Semi + 1, &End);
  while (End && (*End == ' ' || *End == '\r' || *End == '\n')) ++End;
  if (End == Semi + 1 || !End || *End != '\0' || !(R == 0.0 || R == 0.5 || R == 1.0)) return false;
  Result = static_cast<float>(R);
  return true;
}

bool LoadTuneFile(const char *Path, TuneSet &Set, uint64_t Limit, LoadCounts &Counts) {
  FILE *In = std::fopen(Path, "r");
  if (!In) return false;
  char Line[512];
  EvalTrace T;
  while ((Limit == 0 || Counts.Kept < Limit) && std::fgets(Line, sizeof Line, In)) {
    ++Counts.Lines;
    DataType D;
    int8_t Side;
    float Result;
    if (!ParseTuneLine(Line, D, Side, Result)) {
      ++Counts.Refused;
      continue;
    }
    TraceEval(D, Side, T);
    AddTrace(Set, T, Result);
    ++Counts.Kept;
  }
  std::fclose(In);
  return true;
}

namespace {
constexpr const char *WeightsHead =
    R"(// The weights of the UCI engine's evaluation, each a pair (middlegame,
// endgame) in centipawns. tools/tune writes this file (docs/tuning.md):
// tables by square run from a1 to h8, rank 1 first, as White sees the board,
// and Black reads them mirrored; a table by rank counts from the own side.
#pragma once
#include <cstdint>

struct Pair {
  int16_t Mg, Eg;
};

// clang-format off
namespace Weights {
)";

double Rounded(double V) { return std::clamp(std::round(V), -32767.0, 32767.0); }
} // namespace

TuneWeights RoundedWeights(const TuneWeights &W) {
  TuneWeights R = W;
  for (double &V : R.Mg) V = Rounded(V);
  for (double &V : R.Eg) V = Rounded(V);
  return R;
}

void WriteWeights(FILE *Out, const TuneWeights &Weights) {
  const TuneWeights W = RoundedWeights(Weights);
  std::fputs(WeightsHead, Out);
  int Index = 0;
  for (const TermInfo &T : Terms) {
    std::fprintf(Out, "// %s\n", T.Why);
    if (T.Width == 0) {
      std::fprintf(Out, "constexpr Pair %s = {%d, %d};\n", T.Name, static_cast<int>(W.Mg[Index]),
                   static_cast<int>(W.Eg[Index]));
      ++Index;
      continue;
    }
    std::fprintf(Out, "constexpr Pair %s[%d] = {\n", T.Name, T.Size);
    for (int I = 0; I < T.Size; ++I, ++Index)
      std::fprintf(Out, "%s{%4d,%4d}%s", I % T.Width == 0 ? "    " : "",
                   static_cast<int>(W.Mg[Index]), static_cast<int>(W.Eg[Index]),
                   (I + 1) % T.Width == 0 || I + 1 == T.Size ? ",\n" : ",");
    std::fputs("};\n", Out);
  }
  std::fputs("} // namespace Weights\n// clang-format on\n", Out);
}
