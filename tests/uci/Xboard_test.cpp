// torvane3-uci driven through whole xboard sessions, as xboard drives an
// engine that speaks the protocol itself.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "uci/EngineProcess.h"

namespace {

const char *const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

class XboardSession : public ::testing::Test {
protected:
  TempDir Dir; // no book here: the engine searches every move

  // A new engine in xboard mode, its features read.
  void Open(Engine &E) {
    E.Send("xboard");
    E.Send("protover 2");
    Features = E.Until("feature done=1");
  }
  std::vector<std::string> Features;
};

// The move of a "move" line.
std::string MoveOf(const std::string &Line) {
  return Line.rfind("move ", 0) == 0 ? Line.substr(5) : "";
}

// The lines up to the answer to a ping: what the engine said meanwhile.
std::vector<std::string> Sync(Engine &E, int N = 1) {
  E.Send("ping " + std::to_string(N));
  return E.Until("pong " + std::to_string(N), 20000);
}

TEST_F(XboardSession, HandshakeAnnouncesWhatInterfacesNeed) {
  Engine E;
  Open(E);
  for (const char *F : {"ping=1", "setboard=1", "usermove=1", "time=1", "analyze=1",
                        "myname=\"torvane3\"", "colors=0", "sigint=0", "sigterm=0", "reuse=1",
                        "memory=1", "smp=1", "done=1", "option=\"MultiPV -spin 1 1 218\"",
                        "option=\"UCI_Elo -spin 1900 1350 1900\"", "option=\"Clear Hash -button\""})
    EXPECT_TRUE(Contains(Features, F)) << F;
  EXPECT_EQ(Features.front(), "feature done=0");
  EXPECT_EQ(Sync(E, 7).back(), "pong 7");
  E.Send("frobnicate");
  EXPECT_EQ(E.Last("Error"), "Error (unknown command): frobnicate");
}

// Who moves when: the engine plays the side go or playother gave it, or
// Black after new; force makes it play neither; a refused move is said.
TEST_F(XboardSession, PlaysTheSideItIsGivenAndRefusesIllegalMoves) {
  struct Case {
    std::vector<std::string> Lines;
    std::string Fen;  // the position the engine's move must be legal in; "" for no move
    std::string Said; // a line that must come, or ""
  } Cases[] = {
      {{"new", "sd 3", "usermove e2e4"},
       "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -",
       ""},
      {{"new", "sd 3", "go"}, Start, ""},
      {{"new", "sd 3", "force", "usermove e2e4", "go"},
       "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -",
       ""},
      {{"new", "sd 3", "force", "usermove e2e4", "playother", "usermove e7e5"},
       "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -",
       ""},
      {{"new", "force", "usermove e2e4", "usermove e7e5"}, "", ""},
      {{"new", "force", "usermove e2e4", "playother"}, "", ""},
      {{"new", "usermove e2e5"}, "", "Illegal move: e2e5"},
      // Moves without usermove, as the first protocol version sends them.
      {{"new", "sd 3", "force", "e2e4", "go"},
       "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -",
       ""},
      {{"new", "sd 3", "d2d4"}, "rnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR b KQkq -", ""},
      {{"new", "force", "e2e5"}, "", "Illegal move: e2e5"},
      {{"new", "force", "e2e4x"}, "", "Error (unknown command): e2e4x"},
      {{"new", "force", "usermove e2e4", "usermove e2e4"}, "", "Illegal move: e2e4"},
      // Castling as a king's move and as O-O.
      {{"new", "force", "setboard r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "usermove O-O",
        "usermove e8c8", "usermove g1g2"},
       "",
       ""},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.Lines.back());
    Engine E;
    Open(E);
    for (const auto &L : C.Lines) E.Send(L);
    const auto Lines = Sync(E);
    std::string Move;
    for (const auto &L : Lines)
      if (!MoveOf(L).empty()) Move = MoveOf(L);
    if (C.Fen.empty() && C.Said.empty()) {
      EXPECT_EQ(Move, "");
      EXPECT_FALSE(Contains(Lines, "Illegal")) << "a legal line was refused";
      continue;
    }
    if (!C.Said.empty()) {
      EXPECT_TRUE(Contains(Lines, C.Said));
    }
    if (!C.Fen.empty()) {
      if (Move.empty()) Move = MoveOf(E.Last("move "));
      EXPECT_TRUE(LegalIn(C.Fen, Move)) << Move;
    }
  }
}

// bk lists the book's moves here, the most played first, then an empty line.
TEST_F(XboardSession, BkListsTheBooksMoves) {
  WriteFile("book.txt", "E2E4C7C5\nE2E4E7E5\nE2E4E7E5G1F3\nD2D4D7D5\n");
  Engine E;
  Open(E);
  E.Send("new");
  E.Send("force");
  E.Send("usermove e2e4");
  E.Send("bk");
  std::vector<std::string> Lines;
  std::string L;
  while (E.Next(L, 5000) && !L.empty()) Lines.push_back(L);
  EXPECT_EQ(Lines, (std::vector<std::string>{" e7e5 66%", " c7c5 33%"}));
  E.Send("usermove a7a6");
  E.Send("bk");
  EXPECT_EQ(E.Last(" "), " no book move here");
}

// A script piped in that ends with go still gets its move before the
// engine leaves.
TEST_F(XboardSession, AScriptEndingWithGoGetsItsMove) {
  Engine E;
  for (const char *L : {"xboard", "new", "sd 3", "go"}) E.Send(L);
  E.CloseInput();
  EXPECT_TRUE(LegalIn(Start, MoveOf(E.Last("move "))));
  EXPECT_EQ(E.CloseAndWait(), 0);
}

// The game's end is said with its reason, whoever made the last move, and
// the engine then makes no move of its own.
TEST_F(XboardSession, SaysHowTheGameEnded) {
  struct Case {
    std::vector<std::string> Lines;
    const char *Result;
  } Cases[] = {
      {{"setboard 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "go"}, "1-0 {White mates}"},
      {{"force", "setboard 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "usermove a1a8"},
       "1-0 {White mates}"},
      {{"force", "setboard r5k1/8/8/8/8/8/5PPP/6K1 b - - 0 1", "usermove a8a1"},
       "0-1 {Black mates}"},
      {{"setboard k7/8/8/8/8/8/8/KQ6 w - - 0 1", "usermove b1b6"}, "1/2-1/2 {Stalemate}"},
      // Set up after the end: said, not searched.
      {{"setboard k7/8/1Q6/8/8/8/8/K7 b - - 0 1", "go"}, "1/2-1/2 {Stalemate}"},
      {{"setboard k7/8/8/8/8/8/8/KR6 w - - 99 80", "usermove b1b2"},
       "1/2-1/2 {Draw by fifty move rule}"},
      {{"setboard k7/8/8/8/8/8/1r6/K7 w - - 0 1", "usermove a1b2"},
       "1/2-1/2 {Insufficient material}"},
      {{"force", "usermove g1f3", "usermove g8f6", "usermove f3g1", "usermove f6g8",
        "usermove g1f3", "usermove g8f6", "usermove f3g1", "usermove f6g8"},
       "1/2-1/2 {Draw by repetition}"},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.Lines.back());
    Engine E;
    Open(E);
    E.Send("new");
    E.Send("sd 4");
    for (const auto &L : C.Lines) E.Send(L);
    const auto Lines = E.Until(C.Result);
    ASSERT_FALSE(Lines.empty());
    EXPECT_EQ(Lines.back(), C.Result);
    // Nothing more: no move after the end, though it would be the engine's turn.
    E.Send("usermove a7a6");
    EXPECT_FALSE(Contains(Sync(E, 2), "move "));
  }
  // Only the third time the position comes is a repetition.
  Engine E;
  Open(E);
  E.Send("force");
  for (const char *M : {"g1f3", "g8f6", "f3g1", "f6g8"}) E.Send(std::string("usermove ") + M);
  EXPECT_FALSE(Contains(Sync(E), "1/2-1/2"));
}

TEST_F(XboardSession, SetBoardUndoAndRemoveChangeThePositionTheEngineSees) {
  struct Case {
    std::vector<std::string> Lines;
    const char *Said; // must come; null: no error of any kind
  } Cases[] = {
      // The refused FEN is quoted: pychess keeps quiet about an empty board.
      {{"setboard 8/8/8/8/8/8/8/8 w - - 0 1"},
       "tellusererror Illegal position: 8/8/8/8/8/8/8/8 w - - 0 1"},
      {{"setboard rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1"},
       "tellusererror Illegal position"},
      {{"undo"}, "Error (no move to take back): undo"},
      {{"usermove e2e4", "usermove e7e5", "remove", "remove"}, "Error (no move to take back)"},
      // Each of these moves is legal only where the takeback went back to.
      {{"usermove e2e4", "usermove e7e5", "undo", "usermove e7e6"}, nullptr},
      {{"usermove e2e4", "usermove e7e5", "remove", "usermove e2e4"}, nullptr},
      {{"setboard 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "usermove e2e4", "undo", "usermove e2e3"},
       nullptr},
      {{"setboard 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "usermove e2e4", "undo", "undo"},
       "Error (no move to take back)"},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.Lines.back());
    Engine E;
    Open(E);
    E.Send("new");
    E.Send("force");
    for (const auto &L : C.Lines) E.Send(L);
    const auto Lines = Sync(E);
    if (C.Said) {
      EXPECT_TRUE(Contains(Lines, C.Said));
    } else {
      EXPECT_FALSE(Contains(Lines, "Illegal")) << Lines.front();
      EXPECT_FALSE(Contains(Lines, "Error")) << Lines.front();
    }
  }
  // After a takeback the engine plays the side to move of the position it
  // went back to.
  Engine E;
  Open(E);
  E.Send("new");
  E.Send("force");
  E.Send("sd 3");
  E.Send("usermove e2e4");
  E.Send("usermove e7e5");
  E.Send("undo");
  E.Send("go");
  const std::string M = MoveOf(E.Last("move "));
  EXPECT_TRUE(LegalIn("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -", M)) << M;
}

// Thinking lines: ply, score, time in centiseconds, nodes, line; sd and st
// bound the search; post and nopost turn the lines on and off.
TEST_F(XboardSession, ThinkingLinesAndTheSearchLimits) {
  Engine E;
  Open(E);
  E.Send("new");
  E.Send("post");
  E.Send("sd 3");
  E.Send("setboard 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
  E.Send("go");
  auto Lines = E.Until("move ");
  ASSERT_GE(Lines.size(), 2u);
  // Mate in one: 100000 plus the moves to the mate.
  EXPECT_EQ(Lines[Lines.size() - 2].substr(0, 9), "1 100001 ");
  EXPECT_TRUE(Lines[Lines.size() - 2].find(" a1a8") != std::string::npos);

  E.Send("new");
  E.Send("sd 3");
  E.Send("go");
  Lines = E.Until("move ");
  int Deepest = 0;
  for (const auto &L : Lines)
    if (!L.empty() && std::isdigit(static_cast<unsigned char>(L[0])))
      Deepest = std::max(Deepest, std::stoi(L));
  EXPECT_EQ(Deepest, 3);

  E.Send("new");
  E.Send("nopost");
  E.Send("go");
  Lines = E.Until("move ");
  EXPECT_EQ(Lines.size(), 1u) << Lines.front();

  // A second per move, then "?" ends a long search at once with a move.
  E.Send("new");
  E.Send("sd 100");
  E.Send("st 1");
  E.Send("go");
  EXPECT_TRUE(LegalIn(Start, MoveOf(E.Last("move ", 5000))));
  E.Send("new");
  E.Send("post");
  E.Send("st 600");
  E.Send("go");
  E.Until("4 ");
  E.Send("?");
  EXPECT_TRUE(LegalIn(Start, MoveOf(E.Last("move ", 5000))));
}

TEST_F(XboardSession, AnalyzeFollowsThePositionUntilExit) {
  Engine E;
  Open(E);
  E.Send("new");
  E.Send("force");
  E.Send("post");
  E.Send("analyze");
  E.Until("5 ");
  E.Send(".");
  EXPECT_EQ(E.Last("stat01: ").substr(0, 8), "stat01: ");
  // A move played: the lines after it start with a move of the other side.
  E.Send("usermove e2e4");
  Sync(E, 2);
  std::string L;
  int Checked = 0;
  while (E.Next(L, 5000)) {
    std::istringstream Fields(L);
    std::string Ply, Score, Time, Nodes, Move;
    Fields >> Ply >> Score >> Time >> Nodes >> Move;
    EXPECT_TRUE(LegalIn("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -", Move)) << L;
    if (++Checked == 8) break;
  }
  // Two lines a depth with MultiPV 2.
  E.Send("option MultiPV=2");
  E.Send("usermove e7e5");
  Sync(E); // the analysis of the position before ends here
  const auto Lines = E.Until("6 ");
  E.Send("exit");
  Sync(E);
  // Nothing after exit: no search runs, and no move is made.
  EXPECT_FALSE(E.Next(L, 500)) << L;
  int FourPly = 0;
  for (const auto &I : Lines) FourPly += I.rfind("4 ", 0) == 0;
  EXPECT_GE(FourPly, 2);
}

// With hard, the engine ponders on the reply it expects; that reply, or any
// other, gets its move.
TEST_F(XboardSession, PondersAndAnswersTheMovePonderedOnOrAnother) {
  for (const bool Hit : {true, false}) {
    SCOPED_TRACE(Hit ? "the move pondered on" : "another move");
    Engine E;
    Open(E);
    E.Send("new");
    E.Send("hard");
    E.Send("level 0 1 0");
    E.Send("time 6000");
    E.Send("otim 6000");
    E.Send("usermove d2d4");
    const std::string Ours = MoveOf(E.Last("move "));
    E.Send("hint");
    const std::string Hint = E.Last("Hint: ").substr(6);
    ASSERT_FALSE(Hint.empty());
    // The pondering plays the hint in its own position; a move that is legal
    // here but not the hint misses.
    const std::string Reply = Hit ? Hint : (Hint == "a2a3" ? "h2h3" : "a2a3");
    E.Send("time 6000");
    E.Send("usermove " + Reply);
    const auto Lines = Sync(E);
    std::string Next;
    for (const auto &L : Lines)
      if (!MoveOf(L).empty()) Next = MoveOf(L);
    if (Next.empty()) Next = MoveOf(E.Last("move ", 10000));
    EXPECT_FALSE(Next.empty());
    EXPECT_FALSE(Contains(Lines, "Illegal")) << Reply;
  }
}

// Lines that wait for the search's end fill the input queue: a search that
// waits for a line (analysis, pondering) ends, and every line is served.
TEST_F(XboardSession, AFullQueueNeverLeavesASearchWaitingForALine) {
  for (const char *Mode : {"analyze", "hard"}) {
    SCOPED_TRACE(Mode);
    Engine E;
    Open(E);
    E.Send("new");
    E.Send("post");
    E.Send(Mode);
    if (std::string(Mode) == "hard") {
      E.Send("level 0 1 0");
      E.Send("usermove e2e4");
      E.Last("move ");
    } else {
      E.Until("3 ");
    }
    std::string Lines;
    while (Lines.size() < 100000) Lines += "option Seed=1\n";
    Lines += "ping 9";
    std::thread Writer([&E, &Lines] { E.Send(Lines); });
    EXPECT_EQ(E.Last("pong 9", 10000), "pong 9");
    Writer.join();
  }
}

TEST_F(XboardSession, DrawOffersAreTakenOnlyWhenClearlyWorse) {
  for (const bool Worse : {true, false}) {
    Engine E;
    Open(E);
    E.Send("new");
    E.Send("sd 4");
    E.Send(Worse ? "setboard 4k3/8/8/8/8/8/3QQ3/4K3 b - - 0 1"
                 : "setboard 4k2r/8/8/8/8/8/8/4K3 b - - 0 1");
    E.Send("go");
    E.Last("move ");
    E.Send("draw");
    EXPECT_EQ(Contains(Sync(E), "offer draw"), Worse);
  }
}

// The resources and options interfaces set: a smaller table, two threads, a
// strength level; the engine still plays.
TEST_F(XboardSession, MemoryCoresAndOptionsAreTaken) {
  Engine E;
  Open(E);
  for (const char *L : {"memory 16", "cores 2", "option UCI_LimitStrength=1", "option UCI_Elo=1500",
                        "option Clear Hash", "new", "go"})
    E.Send(L);
  const auto Lines = E.Until("move ");
  EXPECT_FALSE(Contains(Lines, "#")) << "an option was refused";
  EXPECT_TRUE(LegalIn(Start, MoveOf(Lines.back())));
  E.Send("option UCI_Elo=99");
  EXPECT_TRUE(Contains(Sync(E), "# UCI_Elo takes a whole number from 1350 to 1900; unchanged"));
}

} // namespace
