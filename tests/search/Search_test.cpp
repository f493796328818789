#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "board/Attacks.h"
#include "board/Squares.h"
#include "board/Types.h"
#include "board/Zorbist.h"
#include "eval/Eval.h"
#include "game/TakeBack.h"
#include "hash/TT.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"
#include "seam/Seam.h"
#include "search/Clock.h"
#include "search/Search.h"
#include "search/SearchState.h"

// Move texts print as text when an expectation fails.
template <std::size_t N> void PrintTo(const FixedStr<N> &S, std::ostream *Os) {
  *Os << '"' << S.c_str() << '"';
}

namespace {
// A front end that records every panel update and answers the stop poll from
// a script: true from poll number StopAtPoll on (0: never).
struct Panel {
  static int Infos;
  static uint32_t Depths[128];
  static int16_t Scores[128];
  static double EBFs[128];
  static long PollsAtInfo[128];
  static bool Fresh[128];
  static Str4 Moves[128];
  static Str4 LastPVMove;
  static long Polls;
  static long StopAtPoll;
};
int Panel::Infos;
uint32_t Panel::Depths[128];
int16_t Panel::Scores[128];
double Panel::EBFs[128];
long Panel::PollsAtInfo[128];
bool Panel::Fresh[128];
Str4 Panel::Moves[128];
Str4 Panel::LastPVMove;
long Panel::Polls;
long Panel::StopAtPoll;

void RecordInfo(const SearchInfo &I) {
  if (Panel::Infos < 128) {
    Panel::Depths[Panel::Infos] = I.Depth;
    Panel::Scores[Panel::Infos] = I.PVScore;
    Panel::EBFs[Panel::Infos] = I.EBF;
    Panel::PollsAtInfo[Panel::Infos] = Panel::Polls;
    Panel::Fresh[Panel::Infos] = I.Fresh;
    Panel::Moves[Panel::Infos] = I.PV[0];
  }
  Panel::LastPVMove = I.PV[0];
  ++Panel::Infos;
}

bool ScriptedStop() {
  ++Panel::Polls;
  return Panel::StopAtPoll != 0 && Panel::Polls >= Panel::StopAtPoll;
}

class SearchTest : public ::testing::Test {
protected:
  void SetUp() override {
    Panel::Infos = 0;
    Panel::Polls = 0;
    Panel::StopAtPoll = 0;
    Panel::LastPVMove.Clear();
    FrontEndType F = {};
    F.ShowInfo = RecordInfo;
    F.PollStop = ScriptedStop;
    InstallFrontEnd(F);
  }
  void TearDown() override {
    ResetFrontEnd();
    Game.St.Ply = 0;
    Game.St.Abort = false;
  }
};

// The position set up for a direct call of Search or QSearch: counters at 0
// and the phase fixed as a search would fix it.
void Prepare(const char *Fen, bool InEndGame = false) {
  SetFen(Fen);
  Game.St.EndGame = InEndGame;
  Game.St.Nodes = Game.St.QNodes = 0;
  Game.St.BetaCuts = Game.St.NullCuts = Game.St.TTHits = Game.St.ExactTTHits = 0;
  Game.St.Abort = false;
  Game.St.CurrentDepth = 4;
  MoveTimeMs = SecondsRuleMs(NoTimeLimitSecs);
}

ShortStr Text(const MoveRec &M) {
  return M.FromSq < 0 ? ShortStr("none") : SquaresToStr(M.FromSq, M.ToSq);
}

// The legal moves of the side to move in Data[Ply], counted the way the
// search tests them.
int LegalMoveCount() {
  const uint16_t N = GenMoveList(Game.St, Str4());
  int Legal = 0;
  for (uint16_t I = 1; I <= N; ++I) {
    const MoveRec M = GetAMove(Game.St, N);
    ++Game.St.Ply;
    Game.Here() = Game.St.Data[Game.St.Ply - 1];
    MakeMove(Game.St, M, false);
    if (!InCheck(Game.Here(), static_cast<int8_t>(-Game.St.WhosMove))) ++Legal;
    UnmakeMove(Game.St);
  }
  return Legal;
}

// ---- the driver -----------------------------------------------------------

struct MateCase {
  const char *Fen;
  const char *Moves; // the first moves that mate in the fewest moves
  int Plies;         // of the mate
};

TEST_F(SearchTest, MateInOneEndsTheDeepeningAfterTheFirstIteration) {
  const MateCase Cases[] = {
      {"6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1", "A1A8", 1},
      {"r5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", "A8A1", 1},
      {"k7/8/1K6/8/8/8/8/7R w - - 0 1", "H1H8", 1},
  };
  for (const MateCase &C : Cases) {
    SetUp();
    SetFen(C.Fen);
    // A cap well above the mate, so that a miss cannot run for a minute.
    const MoveRec M = SearchMove(Game.St, FixedDepthLimits(10));
    EXPECT_EQ(Text(M), C.Moves) << C.Fen;
    EXPECT_EQ(Game.St.PVScore, 9999) << C.Fen;
    ASSERT_EQ(Panel::Infos, 1) << C.Fen;
    EXPECT_EQ(Panel::Depths[0], 4u) << C.Fen;
    EXPECT_EQ(Panel::Scores[0], 9999) << C.Fen;
  }
}

TEST_F(SearchTest, LongerMatesScoreTheirDistanceInPlies) {
  const MateCase Cases[] = {
      {"r1b2k1r/ppp1bppp/8/1B1Q4/5q2/2P5/PPP2PPP/R3R1K1 w - - 1 1", "D5D8", 3},
      {"6k1/pp4p1/2p5/2bp4/8/P5Pb/1P3rrP/2BRRN1K b - - 0 1", "G2G1", 3},
      {"7k/8/8/8/8/8/R7/1R4K1 w - - 0 1", "B1B7 A2A7", 3},
      {"r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1", "F6A6", 5},
      {"r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - 0 1", "F8C5", 5},
  };
  for (const MateCase &C : Cases) {
    SetUp();
    SetFen(C.Fen);
    const MoveRec M = SearchMove(Game.St, FixedDepthLimits(10));
    const ShortStr T = Text(M);
    EXPECT_NE(std::strstr(C.Moves, T.c_str()), nullptr) << C.Fen << " played " << T.c_str();
    EXPECT_EQ(Game.St.PVScore, 10000 - C.Plies) << C.Fen;
    ASSERT_GE(Panel::Infos, 1) << C.Fen;
    // The iteration that found it was the last one.
    EXPECT_EQ(Panel::Scores[Panel::Infos - 1], Game.St.PVScore) << C.Fen;
    EXPECT_EQ(Panel::Depths[Panel::Infos - 1], static_cast<uint32_t>(3 + Panel::Infos)) << C.Fen;
  }
}

TEST_F(SearchTest, NoLegalMoveGivesNoMove) {
  struct Case {
    const char *Fen;
    int16_t Score;
    int Infos; // a mated root shows no panel; a stalemate its one iteration
  } const Cases[] = {
      {"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3", -10000, 0},
      {"rnbqkbnr/ppppp2p/5p2/6pQ/3PP3/8/PPP2PPP/RNB1KBNR b KQkq - 1 3", -10000, 0},
      {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 0, 1},
      {"8/8/8/8/8/6k1/5q2/7K w - - 0 1", 0, 1},
  };
  for (const Case &C : Cases) {
    SetUp();
    SetFen(C.Fen);
    const MoveRec M = SearchMove(Game.St, FixedDepthLimits(10));
    EXPECT_EQ(M.FromSq, -1) << C.Fen;
    EXPECT_EQ(M.ToSq, -1) << C.Fen;
    EXPECT_EQ(Game.St.PVScore, C.Score) << C.Fen;
    EXPECT_TRUE(Game.St.PV[0][0].Empty()) << C.Fen;
    EXPECT_EQ(Panel::Infos, C.Infos) << C.Fen;
  }
}

TEST_F(SearchTest, FixedDepthRunsTheIterationsFromFourUpToIt) {
  struct Case {
    uint8_t FixedDepth;
    int Iterations;
  } const Cases[] = {{6, 3}, {5, 2}, {4, 1}, {3, 1}, {2, 1}, {1, 1}, {0, 1}};
  for (const Case &C : Cases) {
    SetUp();
    SetFen("r1bqkbnr/1ppp1ppp/p1n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 0 4");
    const MoveRec M = SearchMove(Game.St, FixedDepthLimits(C.FixedDepth));
    ASSERT_EQ(Panel::Infos, C.Iterations) << "X" << int(C.FixedDepth);
    for (int I = 0; I < C.Iterations; ++I)
      EXPECT_EQ(Panel::Depths[I], static_cast<uint32_t>(4 + I));
    EXPECT_TRUE(IsLegalMove(Game.St, Text(M)))
        << "X" << int(C.FixedDepth) << " " << Text(M).c_str();
    EXPECT_EQ(Text(M), Panel::LastPVMove);
  }
}

TEST_F(SearchTest, BranchingFactorIsNeverNotANumber) {
  SetFen("r1bqk2r/pp2bppp/2nppn2/8/3NP3/2N1B3/PPPQ1PPP/R3KB1R w KQkq - 2 8");
  SearchMove(Game.St, FixedDepthLimits(7));
  ASSERT_EQ(Panel::Infos, 4);
  // Depth 4 has no earlier figure to divide by.
  EXPECT_EQ(Panel::EBFs[0], 0.0);
  const double Ratio54 =
      static_cast<double>(Game.St.SaveNodes[5]) / static_cast<double>(Game.St.SaveNodes[4]);
  EXPECT_DOUBLE_EQ(Panel::EBFs[1], Ratio54);
  for (int I = 0; I < 4; ++I) EXPECT_TRUE(std::isfinite(Panel::EBFs[I])) << I;
}

TEST(EBF, MeanOfTheRatiosThatExist) {
  struct Case {
    uint64_t N3, N4, N5, N6, N7;
    uint8_t Len;
    double Expected;
  } const Cases[] = {
      {0, 0, 0, 0, 0, 4, 0.0},
      {0, 100, 0, 0, 0, 4, 0.0},
      {0, 100, 300, 0, 0, 5, 3.0},
      {0, 100, 300, 600, 0, 6, (3.0 + 2.0) / 2},
      {0, 100, 300, 600, 1800, 7, (3.0 + 2.0 + 3.0) / 3},
      {50, 100, 300, 600, 0, 6, (3.0 + 2.0 + 2.0) / 3},
      // A zero figure is a ratio of 0 above it and no ratio below it.
      {0, 100, 0, 50, 0, 6, 0.0},
  };
  for (const Case &C : Cases) {
    SaveNodesType S = {};
    S[3] = C.N3;
    S[4] = C.N4;
    S[5] = C.N5;
    S[6] = C.N6;
    S[7] = C.N7;
    EXPECT_DOUBLE_EQ(EBF(S, C.Len), C.Expected) << int(C.Len);
  }
}

// The front end is polled once per check interval of nodes: deep enough
// iterations give it many chances.
// A search stopped by its node limit or by the front end ("p" in the console)
// plays only what finished searches found. Up to the stop it searches the
// same tree as a fixed-depth search, so every iteration it reports as
// finished gives that search's move and score; the cut iteration may report
// a root move that finished in it, whose score can only be at or below what
// the whole iteration gives, and the move played is the one last reported.
// Taking a score from a child cut short breaks these, at some ply, for some
// of these positions and stops.
TEST_F(SearchTest, AStoppedSearchPlaysWhatFinishedSearchesFound) {
  const char *Fens[] = {
      "r2q1rk1/pp2bppp/2n1pn2/2pp4/3P4/2PBPN2/PP1N1PPP/R2QK2R w KQ - 0 9",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - 0 1",
      // After 1.e3 e5 2.Nc3 Nf6 3.f4 exf4 4.Nf3 Nc6 5.Qe2 Rb8 6.a3: a stopped
      // search once gave up the bishop on a3 here.
      "1rbqkb1r/pppp1ppp/2n2n2/8/5p2/P1N1PN2/1PPPQ1PP/R1B1KB1R b KQk - 0 6",
      "8/5pk1/6p1/R7/5P2/6PK/r7/8 w - - 0 1",
  };
  const struct {
    uint64_t Nodes;
    long StopAtPoll;
  } Stops[] = {{2000, 0}, {9000, 0}, {40000, 0}, {150000, 0}, {0, 1}, {0, 4}, {0, 25}};
  int Cuts = 0;
  for (const char *Fen : Fens) {
    // What the fixed-depth searches find, by depth.
    Str4 RefMove[32];
    int16_t RefScore[32] = {};
    int RefDepth = 0;
    const auto Reference = [&](int Depth) {
      while (RefDepth < Depth) {
        ++RefDepth;
        SetUp();
        SetFen(Fen);
        SearchLimits L;
        L.Depth = static_cast<uint8_t>(RefDepth < ConsoleFirstDepth ? ConsoleFirstDepth : RefDepth);
        SearchMove(Game.St, L);
        RefMove[RefDepth] = Game.St.PV[0][0];
        RefScore[RefDepth] = Game.St.PVScore;
      }
    };
    for (const auto &Stop : Stops) {
      SCOPED_TRACE(std::string(Fen) + " nodes " + std::to_string(Stop.Nodes) + " poll " +
                   std::to_string(Stop.StopAtPoll));
      SetUp();
      SetFen(Fen);
      Panel::StopAtPoll = Stop.StopAtPoll;
      SearchLimits L;
      L.Nodes = Stop.Nodes;
      const ShortStr Played = Text(SearchMove(Game.St, L));
      const int16_t PlayedScore = Game.St.PVScore;
      Cuts += Game.St.Abort; // else the limit was seen between two iterations
      // The reports, before the reference searches overwrite them.
      const int Infos = Panel::Infos < 128 ? Panel::Infos : 128;
      const std::vector<uint32_t> Depths(Panel::Depths, Panel::Depths + Infos);
      const std::vector<int16_t> Scores(Panel::Scores, Panel::Scores + Infos);
      const std::vector<bool> Fresh(Panel::Fresh, Panel::Fresh + Infos);
      const std::vector<Str4> Moves(Panel::Moves, Panel::Moves + Infos);
      int LastFresh = -1;
      for (int I = 0; I < Infos; ++I) {
        if (!Fresh[I]) continue;
        const int D = static_cast<int>(Depths[I]);
        ASSERT_LT(D, 32);
        Reference(D);
        const bool Cut = I == Infos - 1;
        if (!Cut || Scores[I] == RefScore[D]) {
          EXPECT_EQ(Scores[I], RefScore[D]) << "depth " << D;
          EXPECT_EQ(Moves[I], RefMove[D]) << "depth " << D;
        }
        EXPECT_LE(Scores[I], RefScore[D]) << "depth " << D;
        LastFresh = I;
      }
      if (LastFresh < 0) {
        EXPECT_EQ(Played, ShortStr("none")); // stopped before any root move finished
      } else {
        EXPECT_EQ(Played, ShortStr(Moves[LastFresh].c_str()));
        EXPECT_EQ(PlayedScore, Scores[LastFresh]);
      }
    }
  }
  EXPECT_GE(Cuts, 25); // of 35 searches: most stop inside an iteration
}

// ---- the quiescence search --------------------------------------------------

TEST_F(SearchTest, QSearchWithoutCapturesStandsPat) {
  Prepare("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
  const int16_t S = EvalPosition(Game.Here(), Game.St.WhosMove, Game.St.EndGame, -30000, 30000);
  struct Case {
    int Alpha, Beta, Expected, BetaCuts;
  } const Cases[] = {
      {S - 50, S + 50, S, 0},
      {S - 100, S - 10, S - 10, 1},
      {S - 100, S, S, 1},
      {S + 10, S + 100, S + 10, 0},
  };
  for (const Case &C : Cases) {
    Game.St.BetaCuts = 0;
    EXPECT_EQ(QSearch(Game.St, static_cast<int16_t>(C.Alpha), static_cast<int16_t>(C.Beta)),
              C.Expected)
        << "(" << C.Alpha << ", " << C.Beta << ")";
    EXPECT_EQ(Game.St.BetaCuts, static_cast<uint32_t>(C.BetaCuts))
        << "(" << C.Alpha << ", " << C.Beta << ")";
  }
  EXPECT_EQ(Game.St.QNodes, 0u);
  EXPECT_EQ(Game.St.Nodes, 0u);
}

TEST_F(SearchTest, QSearchSkipsDearPiecesTakingDefendedCheapOnes) {
  struct Case {
    const char *Fen;
    bool Searched;
    const char *Why;
  } const Cases[] = {
      {"4k3/8/2p5/3n4/8/8/6B1/4K3 w - - 0 1", false, "bishop takes defended knight"},
      {"4k3/8/8/3n4/8/8/6B1/4K3 w - - 0 1", true, "bishop takes undefended knight"},
      {"4k3/8/2p5/3b4/8/4N3/8/4K3 w - - 0 1", true, "knight takes defended bishop"},
      {"4k3/8/2p5/3r4/8/8/8/3RK3 w - - 0 1", true, "rook takes defended rook"},
      {"4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", false, "queen takes defended pawn"},
      {"4k3/8/8/3p4/8/8/8/3QK3 w - - 0 1", true, "queen takes undefended pawn"},
      {"4k3/8/2p5/3n4/4P3/8/8/4K3 w - - 0 1", true, "pawn takes defended knight"},
      {"4k3/8/8/3P4/2B5/8/8/4K2q b - - 0 1", false, "black queen takes defended pawn"},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.Why);
    Prepare(C.Fen);
    const int16_t Static =
        EvalPosition(Game.Here(), Game.St.WhosMove, Game.St.EndGame, -30000, 30000);
    const int16_t Score = QSearch(Game.St, -30000, 30000);
    EXPECT_EQ(Game.St.QNodes > 0, C.Searched) << C.Fen;
    EXPECT_EQ(Game.St.Nodes, 0u) << C.Fen;
    if (!C.Searched) {
      EXPECT_EQ(Score, Static) << C.Fen;
    }
  }
}

TEST_F(SearchTest, QSearchTakesWhatWins) {
  // The bishop wins the loose knight: the score is the static score after it.
  Prepare("4k3/8/8/3n4/8/8/6B1/4K3 w - - 0 1");
  const int16_t Score = QSearch(Game.St, -30000, 30000);
  Prepare("4k3/8/8/3B4/8/8/8/4K3 b - - 0 1");
  EXPECT_EQ(Score, -EvalPosition(Game.Here(), Game.St.WhosMove, Game.St.EndGame, -30000, 30000));
}

TEST_F(SearchTest, QSearchTableEntries) {
  const char *Fen = "4k3/8/8/3n4/8/8/6B1/4K3 w - - 0 1";
  Prepare(Fen);
  const int16_t Plain = QSearch(Game.St, -1000, 1000);
  ASSERT_GT(Game.St.QNodes, 0u);
  struct Case {
    NodeType Node;
    int16_t Score;
    int16_t Expected;
    bool Searched;
  } const Cases[] = {
      {Exact, 777, 777, false}, // outside the window, any depth
      {Exact, -5000, -5000, false},  {FailHigh, 1500, 1000, false},
      {FailHigh, 999, Plain, true}, // below beta: no cut-off
      {FailLow, -5000, Plain, true},
  };
  for (const Case &C : Cases) {
    Prepare(Fen);
    AddToTT(Game.St.WhosMove, Game.St.Data[0].HashKey, C.Score, C.Node, 0, ShortStr(), 0);
    EXPECT_EQ(QSearch(Game.St, -1000, 1000), C.Expected) << int(C.Node) << " " << C.Score;
    EXPECT_EQ(Game.St.QNodes > 0, C.Searched) << int(C.Node) << " " << C.Score;
  }
}

TEST_F(SearchTest, QSearchAtTheLastPlyReturnsTheStaticScore) {
  Prepare("4k3/8/8/3n4/8/8/6B1/4K3 w - - 0 1");
  const int16_t S = EvalPosition(Game.Here(), Game.St.WhosMove, Game.St.EndGame, -30000, 30000);
  for (int P = MaxPly - 1; P <= MaxPly; ++P) {
    Prepare("4k3/8/8/3n4/8/8/6B1/4K3 w - - 0 1");
    Game.St.Data[P] = Game.St.Data[0];
    Game.St.Ply = static_cast<uint8_t>(P);
    const int16_t Score =
        QSearch(Game.St, static_cast<int16_t>(S + 100), static_cast<int16_t>(S + 200));
    Game.St.Ply = 0;
    if (P == MaxPly) {
      EXPECT_EQ(Score, S) << "below alpha, captures not generated";
      EXPECT_EQ(Game.St.QNodes, 0u);
    } else {
      EXPECT_EQ(Score, S + 200) << "the knight is won";
      EXPECT_GT(Game.St.QNodes, 0u);
    }
  }
}

// ---- the alpha-beta search ----------------------------------------------------

struct TTCase {
  const char *Fen;
  NodeType Node;
  int16_t Score;
  uint8_t StoredDepth;
  const char *Move;
  int8_t Piece;
  int8_t Depth;
  bool Ended;
  int16_t Expected; // when Ended
  const char *Why;
};

TEST_F(SearchTest, TableEntriesEndNodesOnlyWithEnoughDepth) {
  const char *Quiet = "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1";
  const char *Checked = "4k3/8/8/8/8/8/4P3/r3K3 w - - 0 1";
  const TTCase Cases[] = {
      {Quiet, FailHigh, 200, 5, "", 0, 5, true, 150, "fail high at depth 5"},
      {Quiet, FailHigh, 200, 5, "", 0, 6, false, 0, "fail high too shallow"},
      {Quiet, FailHigh, 100, 5, "", 0, 5, false, 0, "fail high below beta"},
      {Quiet, FailLow, -100, 5, "", 0, 5, true, -50, "fail low at depth 5"},
      {Quiet, FailLow, 0, 5, "", 0, 5, false, 0, "fail low above alpha"},
      {Quiet, Exact, 777, 5, "E2E4", WPawn, 5, true, 777, "exact with a fitting move"},
      {Quiet, Exact, 777, 5, "E2E4", WNight, 5, false, 0, "exact whose move no longer fits"},
      {Quiet, Exact, 777, 4, "E2E4", WPawn, 5, false, 0, "exact too shallow"},
      {Checked, FailHigh, 200, 5, "", 0, 5, false, 0, "in check: depth 5 searched as 6"},
      {Checked, FailHigh, 200, 6, "", 0, 5, true, 150, "in check: a depth-6 entry"},
  };
  for (const TTCase &C : Cases) {
    SCOPED_TRACE(C.Why);
    Prepare(C.Fen, true);
    AddToTT(Game.St.WhosMove, Game.St.Data[0].HashKey, C.Score, C.Node, C.StoredDepth,
            ShortStr(C.Move), C.Piece);
    const int16_t Score = Search(Game.St, -50, 150, C.Depth, true);
    EXPECT_EQ(Game.St.Nodes == 0, C.Ended);
    if (C.Ended) {
      EXPECT_EQ(Score, C.Expected);
      EXPECT_EQ(Game.St.TTHits, 1u);
      EXPECT_EQ(Game.St.ExactTTHits, C.Node == Exact ? 1u : 0u);
    }
  }
}

struct NullCase {
  const char *Fen;
  int8_t Depth;
  bool NullAllowed;
  bool InEndGame;
  bool NullCut;
  uint8_t RootDepth; // stored with the root's result
  const char *Why;
};

TEST_F(SearchTest, NullMoveOnlyWhereAllowed) {
  // White a rook up against beta 0: a null move fails high at once if tried.
  const char *RookUp = "1nbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQk - 0 1";
  const char *RookUpInCheck = "1nbqk1nr/pppp1ppp/8/4p3/1b6/8/PPP1PPPP/RNBQKBNR w KQk - 0 1";
  const NullCase Cases[] = {
      {RookUp, 3, true, false, true, 3, "depth 3"},
      {RookUp, 4, true, false, true, 4, "depth 4"},
      {RookUp, 2, true, false, false, 2, "depth 2"},
      {RookUp, 1, true, false, false, 1, "depth 1"},
      {RookUp, 3, false, false, false, 3, "below a null move"},
      {RookUp, 3, true, true, false, 3, "endgame"},
      {RookUpInCheck, 3, true, false, false, 4, "in check, extended"},
  };
  for (const NullCase &C : Cases) {
    SCOPED_TRACE(C.Why);
    Prepare(C.Fen, C.InEndGame);
    EXPECT_EQ(Search(Game.St, -30000, 0, C.Depth, C.NullAllowed), 0);
    FullTTType E;
    E.Key = Game.St.Data[0].HashKey;
    GetFromTT(E, Game.St.WhosMove);
    EXPECT_EQ(E.Node, FailHigh);
    EXPECT_EQ(E.Depth, C.RootDepth);
    // A null-move cut-off stores no move; a move's cut-off stores the move.
    EXPECT_EQ(E.Move == "A1A1" && E.Piece == 0, C.NullCut) << E.Move.c_str();
    // In check the root's children may still try theirs.
    if (C.RootDepth == C.Depth) {
      EXPECT_EQ(Game.St.NullCuts, C.NullCut ? 1u : 0u);
    }
  }
}

TEST_F(SearchTest, CheckExtendsTheDepthStoredAtTheNode) {
  struct Case {
    const char *Fen;
    int8_t Depth;
    uint8_t Stored;
  } const Cases[] = {
      {"1nbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQk - 0 1", 1, 1},
      {"1nbqk1nr/pppp1ppp/8/4p3/1b6/8/PPP1PPPP/RNBQKBNR w KQk - 0 1", 1, 2},
      {"1nbqk1nr/pppp1ppp/8/4p3/1b6/8/PPP1PPPP/RNBQKBNR w KQk - 0 1", 2, 3},
  };
  for (const Case &C : Cases) {
    Prepare(C.Fen);
    Search(Game.St, -30000, 30000, C.Depth, true);
    FullTTType E;
    E.Key = Game.St.Data[0].HashKey;
    GetFromTT(E, Game.St.WhosMove);
    EXPECT_EQ(E.Node, Exact) << C.Fen;
    EXPECT_EQ(E.Depth, C.Stored) << C.Fen;
  }
}

TEST_F(SearchTest, HardStopsReturnTheStaticScore) {
  const char *Fen = "4k3/8/8/3n4/8/8/6B1/4K3 w - - 0 1";
  Prepare(Fen);
  const int16_t Static =
      EvalPosition(Game.Here(), Game.St.WhosMove, Game.St.EndGame, -30000, 30000);

  Game.St.Abort = true;
  EXPECT_EQ(Search(Game.St, -30000, 30000, 5, true), Static);
  EXPECT_EQ(Game.St.Nodes + Game.St.QNodes, 0u);

  Prepare(Fen);
  Game.St.Data[MaxPly] = Game.St.Data[0];
  Game.St.Ply = MaxPly;
  EXPECT_EQ(Search(Game.St, -30000, 30000, 5, true), Static);
  Game.St.Ply = 0;
  EXPECT_EQ(Game.St.Nodes + Game.St.QNodes, 0u);

  // Depth 0 goes to the quiescence search, which wins the knight.
  Prepare(Fen);
  EXPECT_EQ(Search(Game.St, -30000, 30000, 0, true), QSearch(Game.St, -30000, 30000));
  EXPECT_EQ(Game.St.Nodes, 0u);
}

TEST_F(SearchTest, MateAndStalemateScoresDependOnPly) {
  struct Case {
    const char *Fen;
    uint8_t AtPly;
    int16_t Expected;
  } const Cases[] = {
      {"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3", 0, -10000},
      {"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3", 1, -9999},
      {"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3", 7, -9993},
      {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 0, 0},
      {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 3, 0},
  };
  for (const Case &C : Cases) {
    Prepare(C.Fen);
    Game.St.Data[C.AtPly] = Game.St.Data[0];
    Game.St.Ply = C.AtPly;
    EXPECT_EQ(Search(Game.St, -30000, 30000, 2, true), C.Expected)
        << C.Fen << " at ply " << int(C.AtPly);
    EXPECT_EQ(Game.St.Ply, C.AtPly);
    Game.St.Ply = 0;
  }
}

TEST_F(SearchTest, SearchLeavesThePositionAsItFoundIt) {
  Prepare("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
  const DataType Before = Game.St.Data[0];
  Search(Game.St, -30000, 30000, 5, true);
  EXPECT_EQ(Game.St.Ply, 0);
  EXPECT_EQ(Game.St.WhosMove, WMove);
  EXPECT_EQ(std::memcmp(&Before, &Game.St.Data[0], sizeof Before), 0);
  EXPECT_EQ(CalcBrdKey(Game.Here()), Game.St.Data[0].HashKey);
  EXPECT_GT(Game.St.Nodes, 0u);
  EXPECT_GT(Game.St.QNodes, 0u);
}

// ---- self-play ----------------------------------------------------------------

// Games of the console's engine and of the own engine, in turn, from each
// first move (from eight of them without optimisation, where it is slow).
TEST_F(SearchTest, SelfPlayGamesStayLegal) {
  const char *FirstMoves[] = {"A2A3", "A2A4", "B2B3", "B2B4", "C2C3", "C2C4", "D2D3",
                              "D2D4", "E2E3", "E2E4", "F2F3", "F2F4", "G2G3", "G2G4",
                              "H2H3", "H2H4", "B1A3", "B1C3", "G1F3", "G1H3"};
#ifdef TORVANE_UNOPTIMISED_TESTS
  constexpr int NumGames = 8;
#else
  constexpr int NumGames = 20;
#endif
  constexpr int MaxHalfMoves = 200;
  int Finished = 0, Played = 0;
  for (int Index = 0; Index < NumGames; ++Index) {
    const char *First = FirstMoves[Index];
    SearchSettings S;
    S.FullStrength = Index % 2 == 1;
    SCOPED_TRACE(std::string(First) + (S.FullStrength ? " (own engine)" : " (console engine)"));
    SetUp();
    SetFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    ASSERT_TRUE(IsLegalMove(Game.St, First));
    MakeMove(Game.St, MoveStrToMoveRec(Game.Here(), Game.St.WhosMove, First), false);
    for (int HalfMove = 1; HalfMove < MaxHalfMoves; ++HalfMove) {
      const int Legal = LegalMoveCount();
      const MoveRec M = SearchMove(Game.St, FixedDepthLimits(4), S);
      if (M.FromSq < 0) {
        ASSERT_EQ(Legal, 0) << "no move returned at half-move " << HalfMove << ": " << BoardFen();
        ++Finished;
        break;
      }
      const ShortStr T = Text(M);
      ASSERT_TRUE(IsLegalMove(Game.St, T))
          << T.c_str() << " at half-move " << HalfMove << ": " << BoardFen();
      MakeMove(Game.St, M, false);
      ++Played;
      ASSERT_EQ(CalcBrdKey(Game.Here()), Game.St.Data[0].HashKey)
          << T.c_str() << ": " << BoardFen();
    }
  }
  EXPECT_GT(Played, NumGames * 20);
  std::printf("self-play: %d half-moves, %d of %d games ended by mate or stalemate\n", Played,
              Finished, NumGames);
}
} // namespace
