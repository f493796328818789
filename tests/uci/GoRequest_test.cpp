// The go line read on its words alone, and its limits for a side to move: no
// position and no search.
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "search/Clock.h"
#include "uci/GoRequest.h"

namespace {

using Uci::GoRequest;

// A message as the session says it, with the quoted word in <>.
std::string Said(const Uci::GoMessage &M) {
  std::ostringstream S;
  if (M.Text) S << M.Text;
  if (M.Quoted) S << '<' << M.Quoted << '>';
  if (M.After) S << M.After;
  return S.str();
}

// A line cut into words, kept as long as the request that points into them.
struct Line {
  explicit Line(const char *Text) {
    std::istringstream In(Text);
    Kept.assign(std::istream_iterator<std::string>(In), {});
    for (const auto &W : Kept) Words.push_back(W.c_str());
  }
  GoRequest Parse() const { return Uci::ParseGo(Words.data(), static_cast<int>(Words.size())); }
  std::vector<std::string> Kept;
  std::vector<const char *> Words;
};

// What the line asks for, non-default fields only, in one text, after the
// words dropped and why, each in {}.
std::string Read(const char *Text) {
  const Line Words(Text); // the request points into its words
  const GoRequest R = Words.Parse();
  std::ostringstream S;
  for (int I = 0; I < R.NumDropped; ++I) S << '{' << Said(R.Dropped[I]) << "} ";
  for (int I = 0; I < R.NumMoveWords; ++I)
    S << (I == R.LastListAt && R.Restricted ? "[" : "") << R.MoveWords[I] << ' ';
  const char *Names[] = {"wtime",    "btime", "winc",  "binc", "movestogo",
                         "movetime", "depth", "nodes", "mate"};
  const int64_t Values[] = {R.Time[0],  R.Time[1], R.Inc[0], R.Inc[1], R.MovesToGo,
                            R.MoveTime, R.Depth,   R.Nodes,  R.Mate};
  const int64_t Defaults[] = {-1, -1, 0, 0, 0, -1, -1, -1, -1};
  for (int I = 0; I < 9; ++I)
    if (Values[I] != Defaults[I]) S << Names[I] << ' ' << Values[I] << ' ';
  if (R.Infinite) S << "infinite ";
  if (R.Ponder) S << "ponder ";
  return S.str();
}

TEST(GoRequest, EachWordFillsItsFieldOrIsDroppedAlone) {
  const struct {
    const char *Line, *Expected;
  } Rows[] = {
      {"go wtime 1000 btime 2000 winc 10 binc 20", "wtime 1000 btime 2000 winc 10 binc 20 "},
      {"go btime -5 wtime -7 movestogo 3", "wtime 0 btime 0 movestogo 3 "},
      {"go winc -5 btime 7", "{go: <winc> needs a whole number; dropped with its value} btime 7 "},
      {"go movetime -1", "{go: <movetime> needs a whole number; dropped with its value} "},
      {"go depth", "{go: <depth> needs a whole number; dropped} "},
      {"go depth wtime 5", "{go: <depth> needs a whole number; dropped} wtime 5 "},
      {"go nodes 1234567890123456", "{go: <nodes> needs a whole number; dropped with its value} "},
      {"go wtime 99999999999999999999 depth 2",
       "{go: <wtime> needs a whole number; dropped with its value} depth 2 "},
      {"go nodes 123456789012345 depth 3", "depth 3 nodes 123456789012345 "},
      {"go nodes 0 depth 4", "{go: nodes must be at least 1; dropped} depth 4 "},
      {"go mate 50 movetime 0", "movetime 0 mate 50 "},
      {"go mate 51", "{go: mate takes 1 to 50 moves; dropped} "},
      {"go mate 0", "{go: mate takes 1 to 50 moves; dropped} "},
      {"go infinite sideways", "{go: unknown word <sideways>; dropped} infinite "},
      {"go ponder infinite", "infinite ponder "},
      {"go searchmoves e2e4 d2d4 depth 3", "[e2e4 d2d4 depth 3 "},
      {"go searchmoves a2a3 searchmoves e2e4 nodes 5 h2h3",
       "{go: unknown word <h2h3>; dropped} a2a3 [e2e4 nodes 5 "},
      {"go searchmoves a2a3 ponder searchmoves e2e4 b1c3", "a2a3 [e2e4 b1c3 ponder "},
      {"go searchmoves a2a3 searchmoves",
       "{go: searchmoves needs at least one move; dropped} [a2a3 "},
      {"go searchmoves e2e5 wtime x",
       "{go: <wtime> needs a whole number; dropped with its value} [e2e5 "},
  };
  for (const auto &Row : Rows) EXPECT_EQ(Read(Row.Line), Row.Expected) << Row.Line;
}

TEST(GoRequest, LimitsCountTheSideToMovesClock) {
  const struct {
    const char *Line;
    int Side;
    uint64_t MinMs, MaxMs; // the search's time limit, 0: none
    int Depth;
    bool UntilStop;
    const char *Notes;
  } Rows[] = {
      {"go", 0, 0, 0, NoFixedDepth, true, ""},
      {"go movetime 0", 0, 2, 2, NoFixedDepth, false, ""},
      {"go wtime 100000 btime 1000", 1, 1, 1001, NoFixedDepth, false, ""},
      {"go wtime 1000 btime 100000", 0, 1, 1001, NoFixedDepth, false, ""},
      {"go wtime 1000 btime 100000 infinite", 0, 0, 0, NoFixedDepth, true, ""},
      {"go wtime 1000 btime -5", 0, 1, 1001, NoFixedDepth, false, ""},
      {"go wtime 1000 btime -5", 1, 1, 100, NoFixedDepth, false,
       "go: the clock <-5> has run out; moving at once with the shortest search"},
      {"go wtime -5 movetime 50", 0, 51, 51, NoFixedDepth, false, ""},
      {"go depth 0", 0, 0, 0, 1, false, "go: depth <0> is below 1 ply; searching 1"},
      {"go depth 101", 0, 0, 0, 100, false, "go: depth <101> is beyond 100 plies; searching 100"},
      {"go movestogo 5000 wtime 9000", 0, 1, 9001, NoFixedDepth, false,
       "go: movestogo <5000> is taken as 1000"},
      {"go mate 3", 1, 0, 0, NoFixedDepth, false, ""},
      // Every limit dropped: a finite search all the same; a bare go and
      // one that asks for infinite run until stop.
      {"go nodes 0", 0, 1001, 1001, NoFixedDepth, false,
       "go: no limit left; searching for a second"},
      {"go foo", 0, 1001, 1001, NoFixedDepth, false, "go: no limit left; searching for a second"},
      {"go foo infinite", 0, 0, 0, NoFixedDepth, true, ""},
      {"go nodes 0 depth 4", 0, 0, 0, 4, false, ""},
  };
  for (const auto &Row : Rows) {
    const Line L(Row.Line);
    const GoRequest R = L.Parse();
    const Uci::GoPlan P = Uci::PlanGo(R, Row.Side);
    std::string Notes;
    for (int I = 0; I < P.NumNotes; ++I) Notes += Said(P.Notes[I]);
    SCOPED_TRACE(std::string(Row.Line) + (Row.Side == 0 ? ", white" : ", black"));
    // What the search's clock makes of the limits.
    const uint64_t Stop = MoveTimesFor(P.Limits).StopMs;
    const uint64_t Ms = Stop == NoTimeLimitMs ? 0 : Stop;
    EXPECT_GE(Ms, Row.MinMs);
    EXPECT_LE(Ms, Row.MaxMs);
    EXPECT_EQ(P.Limits.Depth, Row.Depth);
    EXPECT_EQ(P.UntilStop, Row.UntilStop);
    EXPECT_EQ(Notes, Row.Notes);
  }
}

} // namespace
