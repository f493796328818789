// torvane3-uci driven as a child process through whole UCI sessions, the way
// an interface drives it: the answers are read from its standard output.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TestUtil.h"
#include "board/Squares.h"
#include "board/Types.h"
#include "game/Engine.h"
#include "game/Fen.h"
#include "moves/Move.h"
#include "search/Search.h"
#include "uci/EngineProcess.h"

namespace {

// The word after Key in an info line, or "" when it has none.
std::string Field(const std::string &Line, const std::string &Key) {
  const std::size_t At = Line.find(" " + Key + " ");
  if (At == std::string::npos) return "";
  const std::size_t From = At + Key.size() + 2;
  return Line.substr(From, Line.find(' ', From) - From);
}

// The move of a bestmove line, without the ponder move.
std::string BestMove(const std::string &Line) {
  const std::string Rest = Line.substr(std::strlen("bestmove "));
  return Rest.substr(0, Rest.find(' '));
}

class UciSession : public ::testing::Test {
protected:
  TempDir Dir; // the engine's working directory: its own book.txt or none
};

TEST_F(UciSession, HandshakeNamesTheEngineAndItsOptions) {
  Engine E;
  E.Send("uci");
  const auto Lines = E.Until("uciok");
  ASSERT_FALSE(Lines.empty());
  EXPECT_EQ(Lines.front(), "id name torvane3");
  EXPECT_TRUE(Contains(Lines, "id author "));
  EXPECT_TRUE(Contains(Lines, "option name OwnBook type check default true"));
  EXPECT_TRUE(Contains(Lines, "option name BookFile type string default book.txt"));
  EXPECT_TRUE(Contains(Lines, "option name Hash type spin default 624 min 1 max 624"));
  EXPECT_TRUE(Contains(Lines, "option name Clear Hash type button"));
  EXPECT_TRUE(Contains(Lines, "option name Ponder type check default false"));
  EXPECT_TRUE(Contains(Lines, "option name MultiPV type spin default 1 min 1 max 218"));
  E.Send("isready");
  EXPECT_EQ(E.Last("readyok"), "readyok");
  E.Send("quit");
  EXPECT_EQ(E.CloseAndWait(), 0);
}

TEST_F(UciSession, PositionListsPlayEveryKindOfMove) {
  const struct {
    const char *Command;
    const char *Fen;
  } Cases[] = {
      {"position startpos", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
      {"position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1",
       "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 b kq - 5 4"},
      {"position startpos moves d2d4 d7d5 c1f4 c8f5 b1c3 b8c6 d1d2 d8d7 e2e3 e8c8",
       "2kr1bnr/pppqpppp/2n5/3p1b2/3P1B2/2N1P3/PPPQ1PPP/R3KBNR w KQ - 1 6"},
      // a double step gives the capture en passant, which takes the pawn
      {"position startpos moves e2e4 a7a6 e4e5 d7d5",
       "rnbqkbnr/1pp1pppp/p7/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3"},
      {"position startpos moves e2e4 a7a6 e4e5 d7d5 e5d6",
       "rnbqkbnr/1pp1pppp/p2P4/8/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 3"},
      // the FEN's own en passant square counts
      {"position fen rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3 moves e5f6",
       "rnbqkbnr/ppp1p1pp/5P2/3p4/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 3"},
      // promotion with a capture, then a black one
      {"position fen r7/1P6/8/6k1/8/8/6p1/4K2R w K - 0 1 moves b7a8q g2h1q",
       "Q7/8/8/6k1/8/8/8/4K2q w - - 0 2"},
      // a move list stops at its first illegal move
      {"position startpos moves e2e4 e7e5 e1e3 g1f3",
       "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2"},
      // the piece a promotion names, a third of its kind included; no letter
      // makes a queen
      {"position fen 7k/P7/8/8/8/8/8/K7 w - - 0 1 moves a7a8n", "N6k/8/8/8/8/8/8/K7 b - - 0 1"},
      {"position fen 7k/8/8/8/8/8/2p5/K7 b - - 0 9 moves c2c1r", "7k/8/8/8/8/8/8/K1r5 w - - 0 10"},
      {"position fen 4k3/P7/8/8/8/8/8/NN2K3 w - - 0 1 moves a7a8n e8d7 a8b6",
       "8/3k4/1N6/8/8/8/8/NN2K3 b - - 2 2"},
      {"position fen 7k/P7/8/8/8/8/8/K7 w - - 0 1 moves a7a8", "Q6k/8/8/8/8/8/8/K7 b - - 0 1"},
      // the FEN's counters, and a knight's move counting towards fifty
      {"position fen 7k/8/8/8/8/8/8/KN6 w - - 41 60 moves b1c3", "7k/8/8/8/8/2N5/8/K7 b - - 42 60"},
  };
  Engine E;
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Command);
    E.Send(C.Command);
    EXPECT_EQ(E.Fen(), C.Fen);
  }
}

TEST_F(UciSession, MalformedLinesAreExplainedAndChangeNothing) {
  const std::string Lines[] = {
      "xyzzy",
      "position",
      "position middlegame",
      "position fen",
      "position fen 8/8/8 w - - 0 1",
      "position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1BNR w kq - 0 1",
      "position startpos e2e4",
      "position fen 4k3/8/8/8/8/8/8/4K2r b - - 0 1",
      // Ten queens and a pawn that could become an eleventh.
      "position fen QQQQQQQQ/QQ1P4/8/8/8/8/5ppp/K6k w - - 0 1",
      "position fen k6K/5PPP/8/8/8/8/qq1p4/qqqqqqqq b - - 0 1",
      "setoption name Hash value 0",
      "setoption name Hash value 625",
      "setoption name Hash value lots",
      "setoption name Ponder value maybe",
      "ponderhit",
      "setoption name Colour value red",
      "setoption OwnBook",
      "setoption name BookFile value " + std::string(300, 'b'),
      std::string(70000, 'x'),
  };
  Engine E;
  E.Send("position startpos moves e2e4");
  const std::string Before = E.Fen();
  for (const std::string &L : Lines) {
    SCOPED_TRACE(L.substr(0, 60));
    E.Send(L);
    E.Send("isready");
    const auto Answer = E.Until("readyok");
    ASSERT_GE(Answer.size(), 2u);
    EXPECT_EQ(Answer[Answer.size() - 2].rfind("info string ", 0), 0u) << Answer[0];
    EXPECT_EQ(E.Fen(), Before);
  }
  // Still playing after all of it.
  E.Send("go depth 4");
  EXPECT_TRUE(LegalIn(Before, BestMove(E.Last("bestmove"))));
}

TEST_F(UciSession, DepthSearchReportsEachIterationAndPlaysItsLine) {
  Engine E;
  E.Send("position fen r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4");
  const std::string Fen = E.Fen();
  E.Send("go depth 5");
  const auto Lines = E.Until("bestmove");
  std::vector<std::string> Depths;
  std::string LastInfo;
  for (const auto &L : Lines)
    if (L.rfind("info depth", 0) == 0) {
      Depths.push_back(Field(L, "depth"));
      LastInfo = L;
      for (const char *Key : {"score cp", "nodes", "nps", "time", "pv"})
        EXPECT_NE(L.find(std::string(" ") + Key + " "), std::string::npos) << Key << " in " << L;
    }
  EXPECT_EQ(Depths, (std::vector<std::string>{"1", "2", "3", "4", "5"}));
  const std::string Best = BestMove(Lines.back());
  EXPECT_EQ(Field(LastInfo, "pv"), Best);
  EXPECT_TRUE(LegalIn(Fen, Best)) << Best;
  // The whole line is playable move after move: five moves for five plies.
  const std::string Line = LastInfo.substr(LastInfo.find(" pv ") + 4);
  EXPECT_EQ(std::count(Line.begin(), Line.end(), ' '), 4) << Line;
}

TEST_F(UciSession, ScoresAreFromTheSideToMoveWithMatesInMoves) {
  const struct {
    const char *Fen;
    const char *Score; // as the last info line gives it
    const char *Best;  // "" when any legal move will do
  } Cases[] = {
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "score mate 1", "a1a8"},
      {"r5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", "score mate 1", "a8a1"},
      // the scholar's mate
      {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", "score mate 1",
       "h5f7"},
      // Black's only move is Kb8, and Rh8 mates: mated in one move
      {"k7/8/1K6/8/8/8/8/7R b - - 0 1", "score mate -1", "a8b8"},
      // already mated, and stalemated: nothing to play
      {"R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", "score mate 0", "0000"},
      {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "score cp 0", "0000"},
      // a queen up, Black to move: a clearly negative score
      {"4k3/8/8/8/8/8/3QPPP1/4K3 b - - 0 1", "score cp -", ""},
  };
  Engine E;
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    E.Send(std::string("position fen ") + C.Fen);
    const std::string Fen = E.Fen();
    E.Send("go depth 5");
    const auto Lines = E.Until("bestmove");
    ASSERT_GE(Lines.size(), 2u);
    const std::string &Info = Lines[Lines.size() - 2];
    EXPECT_NE(Info.find(C.Score), std::string::npos) << Info;
    const std::string Best = BestMove(Lines.back());
    if (*C.Best)
      EXPECT_EQ(Best, C.Best);
    else
      EXPECT_TRUE(LegalIn(Fen, Best)) << Best;
  }
}

// The last info line before the bestmove that ends Lines.
std::string LastInfo(const std::vector<std::string> &Lines) {
  for (auto L = Lines.rbegin(); L != Lines.rend(); ++L)
    if (L->rfind("info depth", 0) == 0) return *L;
  return "";
}

TEST_F(UciSession, NodesMateSearchmovesAndHashLimitTheSearch) {
  Engine E;
  E.Send("setoption name Hash value 16");
  E.Send("position startpos moves e2e4");
  const std::string AfterE4 = E.Fen();
  E.Send("go nodes 20000");
  auto Lines = E.Until("bestmove", 20000);
  const long Nodes = std::stol(Field(LastInfo(Lines), "nodes"));
  EXPECT_GT(Nodes, 10000);
  EXPECT_LE(Nodes, 20000 + 2 * static_cast<long>(CheckInterval)) << "looked at every interval";
  EXPECT_TRUE(LegalIn(AfterE4, BestMove(Lines.back())));

  // Mate in two moves: three plies, found and played.
  E.Send("position fen k7/8/2K5/8/8/8/8/7R w - - 0 1");
  E.Send("go mate 2");
  Lines = E.Until("bestmove", 20000);
  EXPECT_EQ(Field(LastInfo(Lines), "mate"), "2");
  EXPECT_EQ(Lines.back().substr(0, 13), "bestmove c6c7");

  E.Send("setoption name Clear Hash");
  E.Send("position startpos");
  E.Send("go depth 5 searchmoves a2a3 h2h3");
  Lines = E.Until("bestmove", 20000);
  for (const std::string &L : Lines) {
    const std::string First = Field(L, "pv");
    if (!First.empty()) {
      EXPECT_TRUE(First == "a2a3" || First == "h2h3") << L;
    }
  }
  const std::string Best = BestMove(Lines.back());
  EXPECT_TRUE(Best == "a2a3" || Best == "h2h3") << Lines.back();
}

// A search stopped by its node count plays only what finished searches
// found. Once these gave a bishop (f8a3) or a knight (f6d5) for a pawn, or
// lost the thread (h8g8), on scores of lines cut short. With an empty table
// a search follows the same tree as a depth search up to its stop: each
// depth line it sends but the last is that search's own, and the last, which
// may come from root moves finished in the cut iteration, scores no higher
// than the whole iteration does.
TEST_F(UciSession, StoppedSearchesPlayWhatFinishedSearchesFound) {
  const struct {
    const char *Position;
    const char *Losing;
  } Cases[] = {
      {"position startpos moves e2e3 e7e5 b1c3 g8f6 f2f4 e5f4 g1f3 b8c6 d1e2 a8b8 a2a3", "f8a3"},
      {"position startpos moves d2d4 g8f6 c2c4 g7g6 f2f3 b8c6 d4d5", "f6d5 h8g8"},
  };
  // Each engine's reference search goes deeper than its stopped ones reach.
  const struct {
    const char *Console;
    const char *Reference;
    std::vector<const char *> Budgets;
  } Engines[] = {{"true", "go depth 10", {"60000", "300000"}},
                 {"false", "go depth 16", {"20000", "100000"}}};
  Engine E;
  for (const auto &En : Engines)
    for (const auto &C : Cases) {
      SCOPED_TRACE(C.Position);
      SCOPED_TRACE(En.Console);
      E.Send(std::string("setoption name ConsoleEngine value ") + En.Console);
      // The reference: every depth of one deep search from an empty table.
      E.Send("ucinewgame");
      E.Send(C.Position);
      E.Send(En.Reference);
      std::map<std::string, std::pair<std::string, std::string>> ByDepth; // score, first move
      for (const std::string &L : E.Until("bestmove", 60000))
        if (L.rfind("info depth ", 0) == 0)
          ByDepth[Field(L, "depth")] = {Field(L, "cp") + Field(L, "mate"), Field(L, "pv")};
      for (const char *Nodes : En.Budgets) {
        SCOPED_TRACE(Nodes);
        E.Send("ucinewgame");
        E.Send(C.Position);
        E.Send(std::string("go nodes ") + Nodes);
        const auto Lines = E.Until("bestmove", 60000);
        std::vector<std::string> Depths;
        for (const std::string &L : Lines)
          if (L.rfind("info depth ", 0) == 0) Depths.push_back(L);
        ASSERT_FALSE(Depths.empty());
        for (std::size_t I = 0; I < Depths.size(); ++I) {
          const std::string &L = Depths[I];
          ASSERT_EQ(ByDepth.count(Field(L, "depth")), 1u) << L;
          const auto &Ref = ByDepth[Field(L, "depth")];
          if (I + 1 < Depths.size() || Field(L, "cp") == Ref.first) {
            EXPECT_EQ(Field(L, "cp"), Ref.first) << L;
            EXPECT_EQ(Field(L, "pv"), Ref.second) << L;
          } else {
            EXPECT_LT(std::stoi(Field(L, "cp")), std::stoi(Ref.first)) << L;
          }
        }
        const std::string Best = BestMove(Lines.back());
        EXPECT_EQ(Best, Field(Depths.back(), "pv"));
        EXPECT_EQ(std::string(C.Losing).find(Best), std::string::npos) << Best;
      }
    }
}

// ConsoleEngine gives the console's engine back: a depth search through the
// interface counts, node for node, what the console's search counts on the
// same position with the interface's settings, and the engine's own counts
// otherwise.
TEST_F(UciSession, ConsoleEngineSearchesNodeForNodeAsTheConsoleDoes) {
  const char *const Fens[] = {
      "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
  };
  Engine E;
  for (const char *Fen : Fens) {
    SCOPED_TRACE(Fen);
    SetFen(Fen);
    ClearTable();
    SearchLimits L;
    L.FirstDepth = 1;
    L.Depth = 6;
    SearchSettings S;
    S.DrawRules = true;
    S.KeepTable = true;
    S.AnyMove = true;
    const ThinkResult R = Think(L, S);
    const std::string Console = std::to_string(R.Nodes + R.QNodes);
    for (const char *On : {"true", "false"}) {
      E.Send(std::string("setoption name ConsoleEngine value ") + On);
      E.Send("ucinewgame");
      E.Send(std::string("position fen ") + Fen);
      E.Send("go depth 6");
      const std::string Nodes = Field(LastInfo(E.Until("bestmove", 20000)), "nodes");
      if (*On == 't')
        EXPECT_EQ(Nodes, Console);
      else
        EXPECT_NE(Nodes, Console);
    }
  }
}

// The table stays from one search of a game to the next, across the
// position line that interfaces send before every go, so a search of the
// same position again is far cheaper; a new game or Clear Hash empties it,
// and the search is the first one again, node for node. A mate found deep
// in one search reads right from the root of the next: distances are stored
// from the node they were found at.
TEST_F(UciSession, TheTableIsKeptWithinAGameAndItsMatesStayRight) {
  Engine E;
  const auto Nodes = [&] {
    return std::stol(Field(LastInfo(E.Until("bestmove", 20000)), "nodes"));
  };
  // The console's engine takes the table's scores at every node, the
  // engine's own only off the principal variation, which it searches again:
  // its search again of the same position is cheaper, but by less.
  const struct {
    const char *Console;
    double Saving; // the first search's nodes over the second's, at least
  } Engines[] = {{"true", 4}, {"false", 1.5}};
  for (const auto &En : Engines) {
    SCOPED_TRACE(En.Console);
    E.Send(std::string("setoption name ConsoleEngine value ") + En.Console);
    E.Send("ucinewgame");
    E.Send("position startpos moves e2e4 e7e5 g1f3");
    E.Send("go depth 8");
    const long First = Nodes();
    E.Send("position startpos moves e2e4 e7e5 g1f3");
    E.Send("go depth 8");
    EXPECT_LT(static_cast<double>(Nodes()) * En.Saving, static_cast<double>(First));
    for (const char *Clear : {"ucinewgame", "setoption name Clear Hash"}) {
      SCOPED_TRACE(Clear);
      E.Send(Clear);
      E.Send("position startpos moves e2e4 e7e5 g1f3");
      E.Send("go depth 8");
      EXPECT_EQ(Nodes(), First);
    }
  }

  // Mate in three with the rook and king; after the first two moves of the
  // line, the same table says mate in two.
  E.Send("ucinewgame");
  const std::string Start = "position fen 8/8/8/8/8/5K2/R7/6k1 w - - 0 1";
  E.Send(Start);
  E.Send("go depth 9");
  auto Lines = E.Until("bestmove", 20000);
  ASSERT_EQ(Field(LastInfo(Lines), "mate"), "3") << LastInfo(Lines);
  const std::string Line = LastInfo(Lines).substr(LastInfo(Lines).find(" pv ") + 4);
  std::istringstream Moves(Line);
  std::string M1, R1, M2;
  Moves >> M1 >> R1 >> M2;
  E.Send(Start + " moves " + M1 + " " + R1);
  E.Send("go depth 7");
  Lines = E.Until("bestmove", 20000);
  for (const std::string &L : Lines)
    if (L.rfind("info depth ", 0) == 0 && !Field(L, "mate").empty()) {
      EXPECT_EQ(Field(L, "mate"), "2") << L;
    }
  EXPECT_EQ(Field(LastInfo(Lines), "mate"), "2") << LastInfo(Lines);
}

// Interfaces send their lines ahead, all at once. Each line is acted on in
// its turn: a stop or ponderhit belongs to the search it follows, and a
// bestmove comes before anything that answers a later line. What the
// session writes, as the sequence of its bestmove, readyok and info string
// lines (the strings cut after their first words), shows the order.
TEST_F(UciSession, PipelinedLinesAreActedOnInTheirOrder) {
  const struct {
    const char *Lines;
    std::vector<std::string> Answers;
  } Cases[] = {
      {"isready\ngo infinite\nstop\ngo infinite\nstop\nisready\n",
       {"readyok", "bestmove", "bestmove", "readyok", "end of input"}},
      {"go infinite\nstop\nposition startpos moves e2e4\nisready\n",
       {"bestmove", "readyok", "end of input"}},
      // The second ponderhit is the second search's: it ends on its own time.
      {"go ponder movetime 200\nponderhit\ngo ponder movetime 200\nponderhit\nisready\n",
       {"bestmove", "readyok", "bestmove", "end of input"}},
      // isready inside a search is answered at once; a setoption waits and says so.
      {"go infinite\nisready\nsetoption name Hash value 16\nstop\n",
       {"readyok", "info string setoption", "bestmove", "end of input"}},
      {"go infinite\nquit\n", {"end of input"}},
      // Numbers it cannot use as they are, and the input quoted back escaped.
      {"go depth 99999999999\nstop\n",
       {"info string go: depth '99999999999' is beyond", "bestmove", "end of input"}},
      {"setoption name OwnBook value false\ngo wtime -5 btime 100\n",
       {"info string go: the clock '-5' has run out", "bestmove", "end of input"}},
      {"bad\x01\xe9\\line\n",
       {"info string unknown command 'bad\\x01\\xe9\\\\line'", "end of input"}},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Lines);
    Engine E;
    E.Send(std::string(C.Lines).substr(0, std::strlen(C.Lines) - 1));
    std::vector<std::string> Answers;
    std::string L;
    // What comes while the input stays open (as many answers as expected,
    // then a moment for any more), then what the end of the input brings.
    const auto Open = std::find(C.Answers.begin(), C.Answers.end(), "end of input");
    const std::size_t WhileOpen = static_cast<std::size_t>(Open - C.Answers.begin());
    const auto Collect = [&](int TimeoutMs) {
      if (!E.Next(L, TimeoutMs)) return false;
      for (const char *Kind : {"bestmove", "readyok", "info string"})
        if (L.rfind(Kind, 0) == 0) Answers.push_back(L);
      return true;
    };
    while (Answers.size() < WhileOpen && Collect(10000)) {
    }
    while (Collect(300)) {
    }
    Answers.push_back("end of input");
    E.CloseInput();
    while (Collect(10000)) {
    }
    ASSERT_EQ(Answers.size(), C.Answers.size()) << (Answers.empty() ? "" : Answers.back());
    for (std::size_t I = 0; I < Answers.size(); ++I)
      EXPECT_EQ(Answers[I].substr(0, C.Answers[I].size()), C.Answers[I]);
  }
}

TEST_F(UciSession, PonderWaitsForPonderhitOrStop) {
  Engine E;
  E.Send("position startpos moves e2e4");
  const std::string Fen = E.Fen();
  // Done at its depth, a ponder search still holds its answer back.
  E.Send("go ponder depth 3");
  std::string L;
  while (E.Next(L, 300)) ASSERT_NE(L.rfind("bestmove", 0), 0u) << "answered before ponderhit";
  E.Send("ponderhit");
  std::string Best = E.Last("bestmove", 5000);
  EXPECT_TRUE(LegalIn(Fen, BestMove(Best))) << Best;
  EXPECT_NE(Best.find(" ponder "), std::string::npos) << Best;
  E.Send("go ponder wtime 600000 btime 600000");
  while (E.Next(L, 300)) ASSERT_NE(L.rfind("bestmove", 0), 0u) << "answered before stop";
  E.Send("stop");
  Best = E.Last("bestmove", 5000);
  EXPECT_TRUE(LegalIn(Fen, BestMove(Best))) << Best;
}

// Repetitions and the fifty-move count score as draws in the engine's games:
// a side far behind holds by perpetual check, and a side far ahead steers
// round a third repetition.
TEST_F(UciSession, DrawRulesSaveTheLostSideAndStopTheWinningOne) {
  // Black is a queen and two rooks against a queen up and threatens mate; after
  // Qe5+ Kg8 Qe6+ Kh8 White's queen checks for ever.
  const std::string Perpetual = "7k/8/4Q1p1/8/8/1r1q4/r4PPP/6K1 w - - 4 3";
  const struct {
    std::string Position;
    const char *Go;
    int MinCp, MaxCp;
    const char *Best, *Avoid; // "" when any move will do
    const char *Mate = "";    // a mate score instead of the centipawn range
  } Cases[] = {
      // Back to a position of the game for the third time: a draw; for the
      // second time, or without that history, it is scored on the board.
      {"position startpos moves g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1", "go depth 5 searchmoves f6g8",
       0, 0, "f6g8", ""},
      {"position startpos moves g1f3 g8f6 f3g1", "go depth 5 searchmoves f6g8", -200, -1, "f6g8",
       ""},
      {"position fen rnbqkb1r/pppppppp/5n2/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 3 2",
       "go depth 5 searchmoves f6g8", -200, -1, "f6g8", ""},
      // The hundredth half-move draws a queen up, unless it mates.
      {"position fen 7k/8/8/8/8/8/8/KQ6 w - - 99 80", "go depth 6", 0, 0, "", ""},
      {"position fen 7k/8/8/8/8/8/8/KQ6 w - - 0 80", "go depth 6", 500, 2000, "", ""},
      {"position fen 7k/8/6K1/8/8/8/8/1Q6 w - - 99 80", "go depth 6", 0, 0, "b1b8", "", "1"},
      // Qe5+ once more stands for the third time: a draw at once.
      {"position fen 7k/2Q5/6p1/8/8/1r1q4/r4PPP/6K1 w - - 0 1 moves c7e5 h8g8 e5e6 g8h8 e6e5 h8g8 "
       "e5e6 g8h8",
       "go depth 6", -30, 30, "e6e5", ""},
      // The only move, Kd2, stands where the king stood before; the opponent
      // need not repeat, and mates: no draw, a mate against.
      {"position fen r4bk1/p1n1p1p1/8/2Pb4/3p1P2/P4q2/1PR1K3/1R5r w - - 7 29 moves e2d2 h1h2 d2e1 "
       "h2h1",
       "go depth 6", 0, 0, "e1d2", "", "-1"},
      // Without that history the perpetual lies beyond six plies, and the
      // material counts; nine plies see it come round on the search's path.
      {"position fen " + Perpetual, "go depth 6", -30000, -500, "", ""},
      {"position fen " + Perpetual, "go depth 9", -30, 30, "e6e8", ""},
      // A rook up, Ke4 is the way on, but here it would stand on a square
      // the king has stood on twice with the same moves to come: a draw. The
      // king goes another way and the win stays.
      {"position fen 8/8/4k3/8/8/3K4/8/3R4 w - - 0 1", "go depth 6", 300, 2000, "d3e4", ""},
      {"position fen 8/8/4k3/8/4K3/8/8/3R4 b - - 0 1 moves e6f6 e4d3 f6e6 d3e4 e6f6 e4d3 f6e6",
       "go depth 6", 300, 2000, "", "d3e4"},
      // A perpetual whose checks come back to the root position itself.
      {"position fen 7k/5Q2/8/8/1r6/7r/4qPPP/6K1 w - - 0 1", "go depth 9", -30, 30, "", ""},
      // Rxf2 Kxf2 leaves a lone bishop, which cannot mate.
      {"position fen 8/5R2/8/8/2B5/8/5r2/K5k1 w - - 0 1", "go depth 6 searchmoves f7f2", 0, 0, "",
       ""},
      // The engine's own scores rook and bishop against rook as the near
      // draw it is, still above the dead draw of the trade.
      {"position fen 8/5R2/8/8/2B5/8/5r2/K5k1 w - - 0 1", "go depth 6", 30, 2000, "", "f7f2"},
  };
  Engine E;
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Position);
    // Each case is a game of its own: the table keeps draws that hold only
    // on the path of the game that found them.
    E.Send("ucinewgame");
    E.Send(C.Position);
    E.Send(C.Go);
    const auto Lines = E.Until("bestmove", 20000);
    const std::string Info = LastInfo(Lines);
    if (*C.Mate) {
      EXPECT_EQ(Field(Info, "mate"), C.Mate) << Info;
    } else {
      const std::string Cp = Field(Info, "cp");
      ASSERT_FALSE(Cp.empty()) << Info;
      EXPECT_GE(std::stoi(Cp), C.MinCp) << Info;
      EXPECT_LE(std::stoi(Cp), C.MaxCp) << Info;
    }
    const std::string Best = BestMove(Lines.back());
    if (*C.Best) {
      EXPECT_EQ(Best, C.Best);
    }
    if (*C.Avoid) {
      EXPECT_NE(Best, C.Avoid);
    }
  }
}

TEST_F(UciSession, MovetimeIsUsedToTheMillisecondAndNotBeyond) {
  Engine E;
  E.Send("position startpos moves e2e4 e7e5");
  const std::string Fen = E.Fen();
  const auto Start = Clock::now();
  E.Send("go movetime 500");
  const auto Lines = E.Until("bestmove", 10000);
  const long Took = MsSince(Start);
  // The start position is far too deep to finish: the search ends on time,
  // never before it.
  EXPECT_GE(Took, 500);
  if (WallClockBounds) {
    EXPECT_LT(Took, 5000);
  }
  ASSERT_GE(Lines.size(), 2u);
  EXPECT_TRUE(LegalIn(Fen, BestMove(Lines.back())));
}

TEST_F(UciSession, ClockTimeIsBudgetedFromWhatIsLeft) {
  Engine E;
  E.Send("setoption name OwnBook value false");
  E.Send("position startpos");
  // 1.5 s left and nothing added: a small share of it (45 ms), never the lot.
  const auto Start = Clock::now();
  E.Send("go wtime 1500 btime 1500");
  E.Until("bestmove", 10000);
  if (WallClockBounds) {
    EXPECT_LT(MsSince(Start), 1400);
  }
  // Almost nothing left: an answer all the same, and a legal one.
  E.Send("position startpos moves g1f3");
  E.Send("go wtime 5 btime 1 winc 0 binc 0");
  const std::string Best = BestMove(E.Last("bestmove", 10000));
  EXPECT_TRUE(LegalIn("rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R b KQkq -", Best)) << Best;
}

TEST_F(UciSession, InfiniteRunsUntilStopAndStillAnswersIsReady) {
  Engine E;
  E.Send("position startpos moves d2d4");
  const std::string Fen = E.Fen();
  E.Send("go infinite");
  std::string L;
  const auto Start = Clock::now();
  while (E.Next(L, 400)) ASSERT_NE(L.rfind("bestmove", 0), 0u) << "answered before stop";
  E.Send("isready");
  EXPECT_EQ(E.Last("readyok", 2000), "readyok");
  E.Send("stop");
  const std::string Best = E.Last("bestmove", 2000);
  EXPECT_GE(MsSince(Start), 400);
  EXPECT_TRUE(LegalIn(Fen, BestMove(Best))) << Best;
}

// A search that waits for stop (or ponderhit), behind 100,000 bytes of lines
// that wait for its end: the stop cannot be read until the queue empties, so
// the search answers when the queue is full, and the lines after it are served.
TEST_F(UciSession, AFullQueueNeverLeavesASearchWaitingForAStop) {
  for (const char *Go : {"go infinite", "go ponder wtime 60000 btime 60000"}) {
    SCOPED_TRACE(Go);
    Engine E;
    // The table ready first: the last readyok then waits for nothing else.
    E.Send("isready");
    E.Last("readyok");
    E.Send("position startpos moves e2e4");
    E.Send(Go);
    E.Until("info depth", 5000);
    std::string Lines;
    while (Lines.size() < 100000) Lines += "setoption name MultiPV value 1\n";
    Lines += "stop\nisready";
    // Written from a thread of its own: the engine's notices fill our end
    // of the pipe while the lines fill its end.
    std::thread Writer([&E, &Lines] { E.Send(Lines); });
    const auto Answers = E.Until("readyok", 10000);
    Writer.join();
    int BestMoves = 0;
    for (const auto &L : Answers) BestMoves += L.rfind("bestmove", 0) == 0;
    EXPECT_EQ(BestMoves, 1);
  }
}

TEST_F(UciSession, InfiniteWaitsForStopEvenWhenTheMateIsFound) {
  Engine E;
  E.Send("position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
  E.Send("go infinite");
  const auto Lines = E.Until("info depth", 5000);
  std::string L;
  while (E.Next(L, 300)) ASSERT_NE(L.rfind("bestmove", 0), 0u) << "answered before stop";
  E.Send("stop");
  EXPECT_EQ(E.Last("bestmove", 2000), "bestmove a1a8");
}

TEST_F(UciSession, BookAnswersTimedMovesAndOptionsChooseIt) {
  WriteFile("book.txt", "E2E4E7E5G1F3B8C6\n");
  WriteFile("other.txt", "E2E4C7C5\n");
  Engine E;
  E.Send("ucinewgame");
  E.Send("position startpos moves e2e4");
  E.Send("go wtime 60000 btime 60000");
  auto Lines = E.Until("bestmove");
  EXPECT_EQ(BestMove(Lines.back()), "e7e5");
  EXPECT_TRUE(Contains(Lines, "info string book line E2E4E7E5G1F3B8C6"));
  // The book's move, searched alone for its score, and why it was played.
  EXPECT_EQ(Field(LastInfo(Lines), "pv"), "e7e5");
  EXPECT_FALSE(Field(LastInfo(Lines), "cp").empty()) << LastInfo(Lines);
  EXPECT_TRUE(Contains(Lines, "info string book move e7e5"));

  // Several lines are analysis too: searched, with scores.
  E.Send("setoption name MultiPV value 2");
  E.Send("go movetime 300");
  Lines = E.Until("bestmove");
  EXPECT_TRUE(Contains(Lines, " multipv 2 score "));
  EXPECT_FALSE(Contains(Lines, "book move"));
  E.Send("setoption name MultiPV value 1");

  // An analysis search never takes the book.
  E.Send("go depth 4");
  EXPECT_TRUE(Contains(E.Until("bestmove"), "info depth 4"));

  E.Send("setoption name BookFile value " + std::string(Dir.Path()) + "/other.txt");
  E.Send("go movetime 5000");
  EXPECT_EQ(BestMove(E.Last("bestmove")), "c7c5");

  E.Send("setoption name OwnBook value false");
  E.Send("go movetime 200");
  Lines = E.Until("bestmove");
  EXPECT_TRUE(Contains(Lines, "info depth 4"));

  // Out of the book's lines: searched, and a missing book is only mentioned.
  E.Send("setoption name OwnBook value true");
  E.Send("setoption name BookFile value nowhere.txt");
  E.Send("go movetime 200");
  Lines = E.Until("bestmove");
  EXPECT_TRUE(Contains(Lines, "info string Missing Library File"));
  EXPECT_TRUE(Contains(Lines, "info depth 4"));
  // Said once: the next search of the game knows it already.
  E.Send("go movetime 100");
  EXPECT_FALSE(Contains(E.Until("bestmove"), "Missing Library File"));
  // A FIFO as the book is refused at once, like a missing one.
  ASSERT_EQ(mkfifo("fifo.txt", 0644), 0);
  E.Send("setoption name BookFile value fifo.txt");
  E.Send("ucinewgame");
  E.Send("position startpos moves e2e4");
  E.Send("go movetime 200");
  Lines = E.Until("bestmove", 5000);
  EXPECT_TRUE(Contains(Lines, "info string Missing Library File"));

  // A new game: the start position, and the book (back on its file) in use.
  E.Send("setoption name BookFile value book.txt");
  E.Send("ucinewgame");
  EXPECT_EQ(E.Fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  E.Send("position startpos moves e2e4 e7e5");
  E.Send("go movetime 5000");
  EXPECT_EQ(BestMove(E.Last("bestmove")), "g1f3");
}

// The first moves of the last iteration's lines, sorted: from the last
// "multipv 1" line on.
std::string LastFirsts(const std::vector<std::string> &Lines) {
  std::vector<std::string> Firsts;
  for (const std::string &L : Lines) {
    if (L.rfind("info depth ", 0) != 0) continue;
    if (Field(L, "multipv") == "1") Firsts.clear();
    Firsts.push_back(Field(L, "pv"));
  }
  std::sort(Firsts.begin(), Firsts.end());
  std::string S;
  for (const std::string &M : Firsts) S += (S.empty() ? "" : " ") + M;
  return S;
}

// A bad MultiPV is refused and the count stays; the lines are as many as
// asked for, or one per move the root may search; one line is shown as ever,
// without the field. The judge (tests/uci/judge) checks the lines themselves.
TEST_F(UciSession, MultiPVShowsTheBestLinesUpToTheMovesThereAre) {
  const struct {
    const char *Value;  // the setoption's value; null: none given
    bool Refused;       // answered with an info string
    const char *Search; // the position, then the go line's end
    std::size_t Lines;  // in the last iteration; 0: no multipv field at all
    const char *Firsts; // their first moves sorted, when the position decides them
  } Cases[] = {
      {"3", false, "startpos|", 3, ""},
      {"0", true, "startpos|", 3, ""},
      {"219", true, "startpos|", 3, ""},
      {"three", true, "startpos|", 3, ""},
      {nullptr, true, "startpos|", 3, ""},
      // Kg1 and e5 are the only moves
      {"5", false, "fen 7k/8/8/8/4P3/8/r7/7K w - - 0 1|", 2, "e4e5 h1g1"},
      {"4", false, "startpos| searchmoves a2a3 h2h3 g1f3", 3, "a2a3 g1f3 h2h3"},
      // Kxe2 alone: one line, still ranked
      {"218", false, "fen 4k3/8/8/8/8/8/4q3/4K3 w - - 0 1|", 1, "e1e2"},
      {"1", false, "startpos|", 0, ""},
  };
  Engine E;
  for (const auto &C : Cases) {
    const std::string Set =
        std::string("setoption name MultiPV") + (C.Value ? std::string(" value ") + C.Value : "");
    const std::string Search = C.Search, Bar = "|";
    SCOPED_TRACE(Set + " / " + Search);
    E.Send(Set);
    E.Send("isready");
    const auto Answer = E.Until("readyok");
    EXPECT_EQ(Answer.size() == 2 && Answer[0].rfind("info string MultiPV ", 0) == 0, C.Refused);
    E.Send("position " + Search.substr(0, Search.find(Bar)));
    E.Send("go depth 5" + Search.substr(Search.find(Bar) + 1));
    const auto Lines = E.Until("bestmove");
    const std::string Firsts = LastFirsts(Lines);
    EXPECT_EQ(Contains(Lines, " multipv "), C.Lines > 0) << LastInfo(Lines);
    if (C.Lines == 0) continue;
    EXPECT_EQ(static_cast<std::size_t>(std::count(Firsts.begin(), Firsts.end(), ' ') + 1), C.Lines)
        << Firsts;
    if (*C.Firsts) {
      EXPECT_EQ(Firsts, C.Firsts);
    }
  }
  // Two mates in one: the first found ends nothing before the second is.
  E.Send("setoption name MultiPV value 3");
  E.Send("position fen 7k/6pp/8/8/8/8/8/R3R1K1 w - - 0 1");
  E.Send("go depth 6");
  const auto Lines = E.Until("bestmove");
  EXPECT_EQ(Field(LastInfo(Lines), "depth"), "6");
  std::map<std::string, std::string> Last; // the last line of each rank
  for (const std::string &L : Lines)
    if (L.rfind("info depth ", 0) == 0) Last[Field(L, "multipv")] = L;
  EXPECT_EQ(Field(Last["1"], "mate") + Field(Last["2"], "mate"), "11");
  EXPECT_EQ(Field(Last["1"], "pv") + Field(Last["2"], "pv"), "a1a8e1e8");
}

// Every level still plays chess, the console engine's and the own engine's:
// it mates in one, saves a queen a pawn attacks, and under one seed plays the
// same search again; the levels differ.
TEST_F(UciSession, StrengthLevelsStayChessAndRepeatUnderASeed) {
  const struct {
    const char *Fen;
    const char *Good; // the moves that count as chess here, sorted texts
  } Cases[] = {
      {"6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1", "a1a8"}, // back-rank mate
      {"r1b1kbnr/pppp1ppp/2n5/4p1q1/3PP3/5N2/PPP2PPP/RNBQKB1R b KQkq - 0 4", "g5*"}, // the queen
      {"rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq - 0 2", "d8h4"},     // mate
  };
  Engine E;
  E.Send("setoption name OwnBook value false");
  E.Send("setoption name UCI_LimitStrength value true");
  E.Send("setoption name Seed value 11");
  constexpr int Levels[] = {1350, 1550, 1700, 1900};
  std::string Nodes[2][4];
  for (int Run = 0; Run < 2; ++Run)
    for (int Level = 0; Level < 4; ++Level) {
      const int Elo = Levels[Level];
      E.Send("setoption name UCI_Elo value " + std::to_string(Elo));
      for (const auto &C : Cases) {
        SCOPED_TRACE(std::to_string(Elo) + " " + C.Fen);
        E.Send("ucinewgame");
        E.Send("position fen " + std::string(C.Fen));
        E.Send("go wtime 60000 btime 60000");
        const auto Lines = E.Until("bestmove");
        const std::string Move = BestMove(Lines.back());
        const std::string Good = C.Good;
        EXPECT_TRUE(Good.back() == '*' ? Move.rfind(Good.substr(0, 2), 0) == 0 : Move == Good)
            << Move;
        Nodes[Run][Level] += Field(LastInfo(Lines), "nodes") + " ";
      }
    }
  for (int Level = 0; Level < 4; ++Level) EXPECT_EQ(Nodes[0][Level], Nodes[1][Level]);
  EXPECT_NE(Nodes[0][0], Nodes[0][2]) << "the lowest level searches less than the highest";
  // Two games under one seed, the book's choices included, move for move.
  WriteFile("book.txt", "E2E4E7E5G1F3B8C6\nE2E4C7C5G1F3D7D6\nE2E4E7E6D2D4D7D5\n"
                        "D2D4D7D5C2C4E7E6\nD2D4G8F6C2C4G7G6\nD2D4G8F6C2C4E7E6\n"
                        "C2C4E7E5B1C3G8F6\nG1F3D7D5G2G3G8F6\n");
  E.Send("setoption name OwnBook value true");
  E.Send("setoption name UCI_Elo value 1400");
  E.Send("setoption name Seed value 99");
  std::string Games[2];
  for (std::string &Game : Games) {
    E.Send("ucinewgame");
    for (int Ply = 0; Ply < 8; ++Ply) {
      E.Send("position startpos" + (Game.empty() ? "" : " moves" + Game));
      E.Send("go wtime 60000 btime 60000");
      Game.append(" ").append(BestMove(E.Last("bestmove")));
    }
  }
  EXPECT_EQ(Games[0], Games[1]);
  E.Send("setoption name UCI_Elo value 1349");
  E.Send("isready");
  const auto Answer = E.Until("readyok");
  EXPECT_TRUE(Contains(Answer, "info string UCI_Elo takes a whole number from 1350 to 1900"));
}

// Above the console's top level the own engine plays: a level's search is
// the own engine's on the level's budget, node for node. ConsoleEngine keeps
// the console's, whose levels then end at their top.
TEST_F(UciSession, LevelsAboveTheConsolesTopUseTheOwnEngine) {
  Engine E;
  E.Send("setoption name OwnBook value false");
  const auto Nodes = [&](const char *Console, int Elo, const std::string &Go) {
    E.Send(std::string("setoption name ConsoleEngine value ") + Console);
    E.Send(std::string("setoption name UCI_LimitStrength value ") + (Elo ? "true" : "false"));
    if (Elo) E.Send("setoption name UCI_Elo value " + std::to_string(Elo));
    E.Send("ucinewgame");
    E.Send("position fen r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4");
    E.Send(Go);
    return Field(LastInfo(E.Until("bestmove")), "nodes");
  };
  const auto Budget = [](int Elo) {
    SearchLimits L;
    SearchSettings S;
    LimitStrength(L, S, static_cast<uint16_t>(Elo), 1);
    return "go nodes " + std::to_string(L.Nodes);
  };
  const std::string Clock = "go wtime 60000 btime 60000";
  EXPECT_EQ(Nodes("false", 1800, Clock), Nodes("false", 0, Budget(1800)));
  EXPECT_NE(Nodes("false", 1800, Clock), Nodes("true", 0, Budget(1800)));
  const std::string ConsoleTop = Nodes("true", 1700, Clock);
  EXPECT_EQ(Nodes("true", 1900, Clock), ConsoleTop);
  EXPECT_EQ(Nodes("false", 1700, Clock), ConsoleTop);
}

TEST_F(UciSession, EndOfInputEndsTheProgramCleanly) {
  {
    // A piped script: its search still runs to its depth and answers.
    Engine E;
    E.Send("position startpos");
    E.Send("go depth 5");
    E.CloseInput();
    EXPECT_TRUE(Contains(E.Until("bestmove"), "info depth 5"));
    EXPECT_EQ(E.CloseAndWait(), 0);
  }
  {
    // Nobody is left to say stop: the infinite search answers and ends.
    Engine E;
    E.Send("go infinite");
    E.Send("isready");
    EXPECT_EQ(E.Last("readyok"), "readyok");
    E.CloseInput();
    EXPECT_EQ(BestMove(E.Last("bestmove")).size(), 4u);
    EXPECT_EQ(E.CloseAndWait(), 0);
  }
  {
    Engine E;
    E.Send("go infinite");
    E.Send("quit");
    EXPECT_EQ(E.CloseAndWait(), 0);
  }
}

} // namespace

namespace {
// The defender of a lost ending: it goes back to a position of the game
// whenever one of its moves can, the one seen most, and otherwise varies its
// reply with the seed. Engine side: the FEN the engine printed.
std::string DefenderMove(const std::string &EngineFen, std::map<uint64_t, int> &Seen,
                         unsigned &Seed) {
  SetFen(EngineFen.c_str());
  std::string Best;
  int BestSeen = -1;
  int Count = 0;
  WalkLegalMoves(Game.St, [&](const MoveRec &M) {
    const int Times = Seen[RepetitionKey(Game.Here(), Game.St.WhosMove)];
    Seed = Seed * 1103515245u + 12345u;
    // Among moves seen equally often, a pseudo-random one.
    const bool Pick = Times > BestSeen || (Times == BestSeen && (Seed >> 16) % ++Count == 0);
    if (Times > BestSeen) Count = 1;
    if (Pick) {
      BestSeen = Times;
      const ShortStr T = SquaresToStr(M.FromSq, M.ToSq);
      Best.clear();
      for (int I = 0; I < 4; ++I) Best += static_cast<char>(std::tolower(T[I]));
    }
    return true;
  });
  return Best;
}
} // namespace

// A won ending played as a game is played: one search per move with the
// table kept, against a defender that repeats whenever it can. The mate
// comes within fifty moves, no position stands for the third time, and no search stops on a mate
// deeper than its last iteration unless its node limit stopped it.
TEST_F(UciSession, WonEndingsAreMatedWithoutRepetition) {
  const struct {
    const char *Fen;
    unsigned Seed;
  } Cases[] = {
      {"8/8/8/4k3/8/8/8/4K2Q w - - 0 1", 1},
      {"8/8/8/4k3/8/8/8/4K2Q w - - 0 1", 7},
      // a game once drawn by repetition: the pawn queens, then rook and queen
      {"8/7p/2r5/4k3/8/4P3/1p4K1/8 b - - 1 74", 3},
      {"8/7p/2r5/4k3/8/4P3/1p4K1/8 b - - 1 74", 11},
      // the pawn runs; the king is outside its square
      {"8/8/8/8/8/5k2/1P6/K7 w - - 0 1", 5},
      {"8/8/8/8/8/5k2/1P6/K7 w - - 0 1", 9},
  };
  constexpr long NodeLimit = 20000;
  Engine E;
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::string(C.Fen) + " seed " + std::to_string(C.Seed));
    unsigned Seed = C.Seed;
    E.Send("ucinewgame");
    std::string Moves;
    std::map<uint64_t, int> Seen;
    bool Mated = false;
    for (int Move = 0; Move < 50 && !Mated; ++Move) {
      E.Send(std::string("position fen ") + C.Fen + (Moves.empty() ? "" : " moves" + Moves));
      std::string Fen = E.Fen();
      SetFen(Fen.c_str());
      ASSERT_LT(++Seen[RepetitionKey(Game.St.Data[0], Game.St.WhosMove)], 3)
          << "threefold before " << Fen;
      E.Send("go nodes " + std::to_string(NodeLimit));
      const auto Lines = E.Until("bestmove");
      const std::string Info = LastInfo(Lines), Best = BestMove(Lines.back());
      ASSERT_TRUE(LegalIn(Fen, Best)) << Best << " in " << Fen;
      const std::string Mate = Field(Info, "mate");
      if (!Mate.empty() && std::stoi(Mate) > 0 &&
          std::stoi(Field(Info, "depth")) < 2 * std::stoi(Mate) - 1) {
        EXPECT_GE(std::stol(Field(Info, "nodes")), NodeLimit) << "a mate from the table: " << Info;
      }
      Moves += " " + Best;
      E.Send(std::string("position fen ") + C.Fen + " moves" + Moves);
      Fen = E.Fen();
      SetFen(Fen.c_str());
      ASSERT_LT(++Seen[RepetitionKey(Game.St.Data[0], Game.St.WhosMove)], 3)
          << "threefold after " << Best;
      const std::string Reply = DefenderMove(Fen, Seen, Seed);
      if (Reply.empty()) {
        SetFen(Fen.c_str());
        Mated = InCheck(Game.Here(), Game.St.WhosMove);
        ASSERT_TRUE(Mated) << "stalemate: " << Fen;
        break;
      }
      Moves += " " + Reply;
    }
    EXPECT_TRUE(Mated) << "no mate in 50 moves:" << Moves;
  }
}

// The table keeps what a search found in one game's history; in another,
// the defender may have a draw within reach that the entry knows nothing of.
// Each case fills the table from a position first, then searches it (or
// the position before it) in a game where a draw is one move away.
TEST_F(UciSession, TableEntriesOfAnotherHistoryHideNoDraw) {
  const struct {
    const char *Fill, *Game, *Go;
  } Cases[] = {
      // After Rg6+ the king goes back to h2, where it stood twice before:
      // the table's mate is a threefold repetition here.
      {"8/7p/6r1/8/8/4k3/6K1/1q6 w - - 0 1",
       "8/7p/6r1/8/8/4k3/7K/1q6 b - - 0 1 moves g6h6 h2g2 h6g6 g2h2 g6h6 h2g2",
       "go depth 3 searchmoves h6g6"},
      // The rook's mate in three, with four half-moves left before the fifty.
      {"8/8/8/8/8/5K2/R7/6k1 w - - 0 1", "8/8/8/8/8/5K2/R7/6k1 w - - 96 1", "go depth 5"},
  };
  Engine E;
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Game);
    E.Send("ucinewgame");
    E.Send(std::string("position fen ") + C.Fill);
    E.Send("go depth 9");
    E.Until("bestmove");
    E.Send(std::string("position fen ") + C.Game);
    E.Send(C.Go);
    const std::string Info = LastInfo(E.Until("bestmove"));
    EXPECT_EQ(Field(Info, "cp"), "0") << Info;
  }
}

// Analysis goes on until stop: every line of several deepens past a mate in
// two, and a second look at the same position, with the table full, still
// shows lines as long as the search saw.
TEST_F(UciSession, AnalysisDeepensPastMatesAndShowsWholeLines) {
  Engine E;
  E.Send("setoption name MultiPV value 3");
  // Kb6 and Rh8 mate; the other lines are a rook up
  E.Send("position fen k7/8/2K5/8/8/8/8/7R w - - 0 1");
  E.Send("go infinite");
  std::map<std::string, int> Depth; // the deepest iteration shown of each line
  const auto Note = [&](const std::string &I) {
    if (I.rfind("info depth ", 0) == 0) Depth[Field(I, "multipv")] = std::stoi(Field(I, "depth"));
  };
  std::string L;
  for (const auto Start = Clock::now(); MsSince(Start) < 1500;) {
    if (!E.Next(L, 100)) continue;
    ASSERT_NE(L.rfind("bestmove", 0), 0u) << "answered before stop";
    Note(L);
  }
  E.Send("stop");
  for (const std::string &I : E.Until("bestmove")) Note(I);
  ASSERT_EQ(Depth.size(), 3u);
  for (const auto &[Line, D] : Depth) EXPECT_GT(D, 6) << "line " << Line;

  E.Send("setoption name MultiPV value 1");
  for (int Look = 0; Look < 2; ++Look) {
    E.Send("position startpos moves e2e4 c7c5 g1f3 d7d6");
    E.Send("go depth 11");
    for (const std::string &I : E.Until("bestmove")) {
      if (I.rfind("info depth ", 0) != 0 || std::stoi(Field(I, "depth")) < 10) continue;
      const std::string Line = I.substr(I.find(" pv ") + 4);
      EXPECT_GE(std::count(Line.begin(), Line.end(), ' ') + 1, 4) << I;
    }
  }
}

// Every go gets exactly one bestmove: a word that cannot be used is dropped
// and said, a line left without a limit searches briefly, and a go that comes
// while a search waits for stop ends that search first.
TEST_F(UciSession, EveryGoGetsExactlyOneBestmove) {
  const struct {
    std::vector<std::string> Lines;
    int Answers;      // bestmove lines
    const char *Said; // a part of the info string said first, or ""
  } Cases[] = {
      {{"go nodes -1"}, 1, "go: 'nodes' needs a whole number"},
      {{"go nodes 0"}, 1, "nodes must be at least 1"},
      {{"go mate 0"}, 1, "mate takes 1 to 50 moves"},
      {{"go depth -1"}, 1, "go: 'depth' needs a whole number"},
      {{"go movetime -100"}, 1, "go: 'movetime' needs"},
      {{"go winc -1000"}, 1, "go: 'winc' needs"},
      {{"go wtime 99999999999999999999"}, 1, "go: 'wtime' needs"},
      {{"go foo"}, 1, "unknown word 'foo'"},
      {{"go searchmoves"}, 1, "searchmoves needs at least one move"},
      {{"go searchmoves e2e4 e7e5"}, 1, "searchmoves 'e7e5' is not a legal move here"},
      {{"go infinite", "go depth 3", "stop", "isready", "stop", "isready"}, 2, ""},
      {{"go ponder wtime 1000 btime 1000", "go depth 3"}, 2, ""},
  };
  Engine E;
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Lines[0] + (C.Lines.size() > 1 ? " ..." : ""));
    E.Send("position startpos");
    for (const std::string &L : C.Lines) E.Send(L);
    std::vector<std::string> Seen;
    for (int I = 0; I < C.Answers; ++I)
      for (const std::string &L : E.Until("bestmove", 10000)) Seen.push_back(L);
    E.Send("isready");
    for (const std::string &L : E.Until("readyok", 10000)) Seen.push_back(L);
    EXPECT_EQ(std::count_if(Seen.begin(), Seen.end(),
                            [](const std::string &L) { return L.rfind("bestmove", 0) == 0; }),
              C.Answers);
    if (*C.Said) {
      EXPECT_TRUE(Contains(Seen, C.Said)) << C.Said;
    }
  }
}

// Interfaces read a score from every info line that shows a line: a book
// move's, a search's, a stopped search's and every line of several.
TEST_F(UciSession, EveryLineShownComesWithADepthAndAScore) {
  WriteFile("book.txt", "E2E4E7E5G1F3B8C6\n");
  const struct {
    const char *MultiPV, *Go;
    bool Stop;
  } Cases[] = {
      {"1", "go wtime 60000 btime 60000", false}, // the book's move
      {"1", "go depth 6", false},
      {"1", "go infinite", true},
      {"3", "go depth 6", false},
      {"3", "go infinite", true},
  };
  Engine E;
  for (const auto &C : Cases) {
    SCOPED_TRACE(std::string(C.Go) + " multipv " + C.MultiPV);
    E.Send(std::string("setoption name MultiPV value ") + C.MultiPV);
    E.Send("position startpos moves e2e4");
    E.Send(C.Go);
    // Every line of the search, those before the stop included: after it a
    // stopped search may show none, when no root move of its last iteration
    // finished.
    std::vector<std::string> Lines;
    if (C.Stop) {
      Lines = E.Until("info depth 5");
      E.Send("stop");
    }
    for (const std::string &L : E.Until("bestmove")) Lines.push_back(L);
    int Shown = 0;
    for (const std::string &L : Lines) {
      if (L.find(" pv ") == std::string::npos) continue;
      ++Shown;
      EXPECT_EQ(L.rfind("info depth ", 0), 0u) << L;
      EXPECT_GE(std::stoi(Field(L, "depth")), 1) << L;
      EXPECT_TRUE(!Field(L, "cp").empty() || !Field(L, "mate").empty()) << L;
    }
    EXPECT_GT(Shown, 0);
  }
}

// A position line's FEN is read strictly; what an editor may leave behind
// (rights the position has lost, an en passant square no double step left,
// no counters) is dropped and said, or taken as 0 1.
TEST_F(UciSession, PositionFenIsReadStrictly) {
  const struct {
    const char *Fen;
    const char *Held; // the position held after it, as d shows it; "" for the one before
    const char *Said; // part of the info string said, or "" for none
  } Cases[] = {
      {"4k3/8/8/8/8/8/8/4K3 x - - 0 1", "", "side not w or b"},
      {"4k3/8/8/8/8/8/8/4K3 white - - 0 1", "", "side not w or b"},
      {"4k3/8/8/8/8/8/8/3XK3 w - - 0 1", "", "unknown piece letter"},
      {"P3k3/8/8/8/8/8/8/4K3 w - - 0 1", "", "pawn on rank 1 or 8"},
      {"4k3/8/8/8/8/8/8/p3K3 b - - 0 1", "", "pawn on rank 1 or 8"},
      {"4k3/8/8/8/8/8/8/4K3 w xyz - 0 1", "", "castling not - or KQkq"},
      {"4k3/8/8/8/8/8/8/4K3 w - - x 1", "", "move counters must be numbers"},
      {"r3k3/8/8/8/8/8/8/4K2R w KQkq - 3 9", "r3k3/8/8/8/8/8/8/4K2R w Kq - 3 9",
       "castling rights 'KQkq' do not all fit"},
      {"4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1", "4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1", ""},
      {"4k3/8/8/8/8/8/4P3/4K3 b - e3 0 1", "4k3/8/8/8/8/8/4P3/4K3 b - - 0 1",
       "en passant square 'e3' does not fit"},
      {"4k3/8/8/8/8/8/8/4K3 b -", "4k3/8/8/8/8/8/8/4K3 b - - 0 1", ""},
  };
  Engine E;
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Fen);
    E.Send("position startpos moves e2e4");
    const std::string Before = E.Fen();
    E.Send(std::string("position fen ") + C.Fen);
    E.Send("isready");
    const auto Lines = E.Until("readyok");
    EXPECT_EQ(E.Fen(), *C.Held ? C.Held : Before);
    if (*C.Said) {
      EXPECT_TRUE(Contains(Lines, C.Said)) << (Lines.size() > 1 ? Lines[0] : "");
    } else {
      EXPECT_EQ(Lines.size(), 1u) << Lines[0];
    }
  }
}
