// A scripted UCI session run in this process, from a file to a file: book
// moves, searches of every kind, move lists and bad lines allocate nothing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "AllocCount.h"
#include "TestUtil.h"
#include "uci/Uci.h"

namespace {

TEST(NoAllocation, AScriptedUciSessionAllocatesNothing) {
  TempDir Dir;
  WriteFile("book.txt", "E2E4E7E5G1F3B8C6\nE2E4C7C5G1F3D7D6\n");
  WriteFile("session.txt", "uci\n"
                           "isready\n"
                           "ucinewgame\n"
                           "position startpos moves e2e4\n"
                           "go wtime 60000 btime 60000 winc 1000 binc 1000\n"
                           "go depth 5\n"
                           "position startpos moves e2e4 a7a6 e4e5 d7d5 e5d6 e8d7 d6c7 d7e8\n"
                           "go movetime 100\n"
                           "position fen 7k/P7/8/8/8/8/8/K7 w - - 0 1 moves a7a8q h8g7\n"
                           "d\n"
                           "go movestogo 5 wtime 2000 btime 2000\n"
                           "setoption name MultiPV value 3\n"
                           "go depth 5 searchmoves a8a7 a8b7 a8c6 a1b1\n"
                           "setoption name MultiPV value 1\n"
                           "setoption name OwnBook value false\n"
                           "setoption name Hash value 1\n"
                           "position startpos moves e2e4 e7e5 e1e3\n"
                           "go sideways\n"
                           "nonsense\n"
                           "go infinite\n");
  // The first thread of a process costs the C library one allocation (its
  // thread-local storage), once: a session before the counted one starts the
  // table's residency thread.
  WriteFile("ready.txt", "isready\n");
  const int Ready = open("ready.txt", O_RDONLY);
  const int Null = open("/dev/null", O_WRONLY);
  ASSERT_EQ(RunUci(Ready, Null), 0);
  close(Ready);
  close(Null);
  const int In = open("session.txt", O_RDONLY);
  const int Out = open("answers.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(In, 0);
  ASSERT_GE(Out, 0);
  const long Before = AllocationCount();
  const int Status = RunUci(In, Out);
  const long During = AllocationCount() - Before;
  close(In);
  close(Out);
  EXPECT_EQ(Status, 0);
  EXPECT_EQ(During, 0) << "allocations during the session";

  const std::string Answers = ReadFile("answers.txt");
  std::size_t BestMoves = 0;
  for (std::size_t At = 0; (At = Answers.find("bestmove ", At)) != std::string::npos; ++At)
    ++BestMoves;
  // Every go answers, the one whose only word was dropped too.
  EXPECT_EQ(BestMoves, 7u) << Answers;
  EXPECT_NE(Answers.find("info string fen Q7/6k1/8/8/8/8/8/K7 w - -"), std::string::npos);
  EXPECT_NE(Answers.find("info depth 5 "), std::string::npos);
  EXPECT_NE(Answers.find(" multipv 3 "), std::string::npos);
}

} // namespace
