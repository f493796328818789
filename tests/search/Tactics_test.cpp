// What the program plays, not only how it searches: a set of public
// tactical positions at a fixed node budget, with a floor that the search
// met when a stop still unwound at once. Node counts at a fixed depth prove
// the tree; a search that plays moves scored after its stop keeps them and
// loses this floor. Any change to the search, its limits or its stop must
// keep this passing.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "board/Squares.h"
#include "search/Search.h"
#include "search/SearchState.h"

namespace {

struct Tactic {
  std::string Id, Fen;
  std::vector<std::string> Best; // engine move texts, "G3G6"
};

std::vector<Tactic> ReadSuite(const char *Path) {
  std::vector<Tactic> Suite;
  std::ifstream In(Path);
  std::string Line;
  while (std::getline(In, Line)) {
    if (Line.empty() || Line[0] == '#') continue;
    std::istringstream Fields(Line);
    Tactic T;
    std::string San, Uci;
    std::getline(Fields, T.Id, '\t');
    std::getline(Fields, T.Fen, '\t');
    std::getline(Fields, San, '\t');
    std::getline(Fields, Uci, '\t');
    std::istringstream Moves(Uci);
    for (std::string M; Moves >> M;) {
      std::string Text;
      for (std::size_t I = 0; I < 4 && I < M.size(); ++I)
        Text += static_cast<char>(std::toupper(static_cast<unsigned char>(M[I])));
      T.Best.push_back(Text);
    }
    Suite.push_back(T);
  }
  return Suite;
}

// Each engine at the budget on one and on two threads: the console's, and
// the UCI engine's own, which must solve more.
struct Floor {
  bool FullStrength;
  int Solved;
};

TEST(Tactics, WinAtChessPositionsAtAFixedNodeBudget) {
  const std::vector<Tactic> Suite = ReadSuite(TORVANE_TEST_DATA "/wac.tsv");
  ASSERT_EQ(Suite.size(), 74u);
  // A console search that stops the way it should solves 57 of these; one
  // that took the scores of lines cut short solved 33. The engine's own
  // solved 61 on one thread and 62 on two.
  const Floor Floors[] = {{false, 52}, {true, 57}};
  // On two threads the budget counts both threads' nodes: each thread gets
  // as many as one alone, and the move is still the main thread's.
  for (const Floor &F : Floors)
    for (const uint8_t Threads : {1, 2}) {
      ASSERT_EQ(SetSearchThreads(Threads), Threads);
      SearchSettings S;
      S.Threads = Threads;
      S.FullStrength = F.FullStrength;
      int Solved = 0;
      std::string Missed;
      for (const Tactic &T : Suite) {
        SetFen((T.Fen + " 0 1").c_str());
        SearchLimits L;
        L.Nodes = 200000 * Threads;
        const MoveRec M = SearchMove(Game.St, L, S);
        const std::string Played = M.FromSq < 0 ? "none" : SquaresToStr(M.FromSq, M.ToSq).c_str();
        bool Hit = false;
        for (const std::string &B : T.Best) Hit = Hit || B == Played;
        Solved += Hit;
        if (!Hit) Missed += " " + T.Id;
      }
      Game.St.Abort = false;
      std::printf("%s, %d thread(s): solved %d of %zu; missed:%s\n",
                  F.FullStrength ? "own engine" : "console engine", Threads, Solved, Suite.size(),
                  Missed.c_str());
      EXPECT_GE(Solved, F.Solved) << Threads << " thread(s)";
    }
  SetSearchThreads(1);
}

} // namespace
