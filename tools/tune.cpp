// Developer program: tune DATA [--limit N] [--epochs N] [--rate R] [--k K] [--report N] [--out
// FILE]. Fits the UCI engine's evaluation weights to game results (docs/tuning.md). DATA holds one
// position a line, "FEN;RESULT" with RESULT 1.0, 0.5 or 0.0 for White. Each position's trace is
// taken once; the logistic's K is fitted to the weights in fulleval/Weights.h (unless --k gives
// it), then every weight by Adam on the mean squared error. The new fulleval/Weights.h goes to
// FILE (standard output by default); the figures of the run go to standard error.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fulleval/Tuning.h"

namespace {
int Usage() {
  std::fprintf(stderr, "usage: tune DATA [--limit N] [--epochs N] [--rate R] [--k K] [--report N] "
                       "[--out FILE]\n");
  return 2;
}

bool ReadNumber(const char *S, double Min, double Max, double &V) {
  char *End = nullptr;
  V = std::strtod(S, &End);
  return End != S && *End == '\0' && V >= Min && V <= Max;
}

double SecondsSince(std::chrono::steady_clock::time_point Start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}
} // namespace

int main(int Argc, char **Argv) {
  const char *Data = nullptr, *OutPath = nullptr;
  double Limit = 0, Epochs = 1000, Rate = 1.0, K = 0, Report = 50;
  for (int I = 1; I < Argc; ++I) {
    const bool HasValue = I + 1 < Argc;
    if (std::strcmp(Argv[I], "--limit") == 0 && HasValue) {
      if (!ReadNumber(Argv[++I], 0, 1e9, Limit)) return Usage();
    } else if (std::strcmp(Argv[I], "--epochs") == 0 && HasValue) {
      if (!ReadNumber(Argv[++I], 0, 1e7, Epochs)) return Usage();
    } else if (std::strcmp(Argv[I], "--rate") == 0 && HasValue) {
      if (!ReadNumber(Argv[++I], 1e-6, 1e3, Rate)) return Usage();
    } else if (std::strcmp(Argv[I], "--k") == 0 && HasValue) {
      if (!ReadNumber(Argv[++I], 1e-3, 100, K)) return Usage();
    } else if (std::strcmp(Argv[I], "--report") == 0 && HasValue) {
      if (!ReadNumber(Argv[++I], 0, 1e7, Report)) return Usage();
    } else if (std::strcmp(Argv[I], "--out") == 0 && HasValue) {
      OutPath = Argv[++I];
    } else if (Argv[I][0] != '-' && !Data) {
      Data = Argv[I];
    } else {
      return Usage();
    }
  }
  if (!Data) return Usage();

  const auto Start = std::chrono::steady_clock::now();
  TuneSet Set;
  LoadCounts Counts;
  if (!LoadTuneFile(Data, Set, static_cast<uint64_t>(Limit), Counts)) {
    std::fprintf(stderr, "tune: cannot read %s\n", Data);
    return 1;
  }
  std::fprintf(stderr,
               "%" PRIu64 " lines, %" PRIu64 " positions kept, %" PRIu64 " refused; %zu "
               "coefficients (%.1f a position), %.1f s\n",
               Counts.Lines, Counts.Kept, Counts.Refused, Set.Entries.size(),
               Counts.Kept ? double(Set.Entries.size()) / double(Counts.Kept) : 0.0,
               SecondsSince(Start));
  if (Counts.Kept == 0) return 1;

  TuneWeights W = CurrentWeights();
  if (K == 0) K = FitK(Set, W);
  std::fprintf(stderr, "K %.6f, error of the current weights %.8f\n", K, MeanError(Set, W, K));
  FitOptions O;
  O.Epochs = static_cast<int>(Epochs);
  O.Rate = Rate;
  O.ReportEvery = static_cast<int>(Report);
  O.Progress = stderr;
  FitWeights(Set, W, K, O);

  std::fprintf(stderr, "final error %.8f (K %.6f), %.1f s\n", MeanError(Set, RoundedWeights(W), K),
               K, SecondsSince(Start));
  FILE *Out = OutPath ? std::fopen(OutPath, "w") : stdout;
  if (!Out) {
    std::fprintf(stderr, "tune: cannot write %s\n", OutPath);
    return 1;
  }
  WriteWeights(Out, W);
  return (OutPath ? std::fclose(Out) : std::fflush(Out)) == 0 ? 0 : 1;
}
