#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "game/Engine.h"
#include "game/Game.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "seam/Seam.h"
#include "uci/GoRequest.h"
#include "uci/Io.h"
#include "uci/Options.h"
#include "uci/Position.h"
#include "uci/Uci.h"
#include "uci/Xboard.h"

namespace Uci {
namespace {
// The seed of a strength level's noise for this game, drawn from the clock
// at each new game, so that games differ unless a Seed is set.
uint64_t GameSeed = 0;
bool FirstCommand = true; // "xboard" here chooses that protocol instead
uint64_t NewGameSeed() { return (GetTickCount64() + 1) * GoldenGamma; }

static_assert(MaxWords <= MaxGoWords, "every move word of a go line has its place");

// ---- the search in progress ------------------------------------------------

bool StopNow = false;       // stop the search now and answer
bool UntilStop = false;     // the search ends only when the interface says so
bool PonderRunning = false; // a ponder search that has not had its ponderhit
bool QuitNow = false;       // stop and leave without answering
uint64_t GoTime = 0;        // tick count when "go" arrived
uint64_t LastPoll = 0;

// Bytes at the head of the queue already looked at in this search, so that a
// waiting line is explained once, not at every poll.
std::size_t Seen = 0;

void DropSeenLine(std::size_t Pos, std::size_t Next) {
  DropLine(Pos, Next);
  Seen = Seen > Next ? Seen - (Next - Pos) : Pos;
}

// While the engine thinks, the lines that belong to this search are acted
// on in their order: isready is answered, ponderhit starts the move's time,
// stop ends the search and quit ends the session; a go ends a search that
// would otherwise wait for a stop. A stop or a go closes
// this search's part of the queue: whatever follows waits for the bestmove,
// a later search's stop and ponderhit included. Every other line waits its
// turn, and a setoption says so.
void ServeWhileThinking() {
  std::size_t Pos = 0, End, Next;
  bool Open = true;       // the lines so far belong to this search
  bool AfterStop = false; // a stop of this search came before
  while (LineAt(Pos, End, Next)) {
    const char *S = QueuedAt(Pos);
    const std::size_t L = End - Pos;
    if (FirstWordIs(S, L, "quit")) {
      // In this search's part it ends the session at once; behind a later
      // go it waits its turn, unless this search would wait for a stop that
      // can no longer come before it. Behind a stop it waits for the bestmove.
      if (!AfterStop && (Open || UntilStop || PonderRunning)) StopNow = QuitNow = true;
      break;
    }
    if (!Open) {
      Pos = Next;
      continue;
    }
    if (FirstWordIs(S, L, "stop")) {
      StopNow = true;
      AfterStop = true;
      Open = false;
      DropSeenLine(Pos, Next);
      continue;
    }
    if (StartsWithWord(S, L, "go")) {
      Open = false;
      // A search that waits for stop would never get one before this go:
      // the interface has moved on, and it ends now with its answer.
      if (UntilStop || PonderRunning) StopNow = true;
    } else if (FirstWordIs(S, L, "isready")) {
      Put("readyok");
      EndLine();
      DropSeenLine(Pos, Next);
      continue;
    } else if (FirstWordIs(S, L, "ponderhit")) {
      // The opponent played the move pondered on: from now on the search
      // keeps to its time, and its answer is no longer held back.
      if (PonderRunning) {
        PonderRunning = false;
        PonderHit();
      } else {
        Say("ponderhit without a ponder search; ignored");
      }
      DropSeenLine(Pos, Next);
      continue;
    } else if (Pos >= Seen && StartsWithWord(S, L, "setoption")) {
      SayRaw("setoption during a search takes effect when it ends: ", S, L);
    }
    if (Next > Seen) Seen = Next;
    Pos = Next;
  }
  // A search that waits for stop would wait forever once nobody can send it:
  // answer now, then finish what is queued. A search with a limit (a script
  // piped in, say) runs to its limit.
  if (OutputBroken() || (InputEnded() && (UntilStop || PonderRunning))) StopNow = true;
  // A queue full of lines that wait for the bestmove leaves no room for the
  // stop or ponderhit such a search waits for: it answers now, as
  // WaitForStop does, and the lines are served after it.
  if (InputFull() && (UntilStop || PonderRunning)) StopNow = true;
}

bool UciPollStop() {
  if (StopNow) return true;
  // The search asks after every legal move; the input is looked at once a
  // millisecond at most.
  const uint64_t Now = GetTickCount64();
  if (Now != LastPoll) {
    LastPoll = Now;
    ReadInput(false);
    ServeWhileThinking();
  }
  return StopNow;
}

// ---- the front end the engine reports to -----------------------------------

void PutScore(int16_t Score) {
  const int A = std::abs(Score);
  if (A >= MateBound && A <= MateScore) {
    // Plies to the mate, counted in moves of the side that mates.
    const int Plies = MateScore - A;
    Put(" score mate ");
    PutNum(Score > 0 ? (Plies + 1) / 2 : -((Plies + 1) / 2));
  } else {
    Put(" score cp ");
    PutNum(Score);
  }
}

// One move of the principal variation, with the queen letter on a promotion.
void PutPVMove(const DataType &Before, const Str4 &M, uint32_t Index) {
  Put(Index == 0 ? " pv " : " ");
  PutLineMove(Before, M);
}

void UciShowInfo(const SearchInfo &I) {
  const uint64_t Ms = GetTickCount64() - GoTime;
  const uint64_t All = I.Nodes + I.QNodes;
  // A stopped iteration in which no root move finished has no result of its
  // own: only its counts are new, and a depth line would pass off the last
  // result as a deeper one.
  if (I.Fresh) {
    Put("info depth ");
    PutNum(I.Depth);
    Put(" seldepth ");
    PutNum(I.SelDepth);
    if (I.MultiPV > 0) {
      Put(" multipv ");
      PutNum(I.MultiPV);
    }
    PutScore(I.PVScore);
    Put(" nodes ");
  } else {
    Put("info nodes ");
  }
  PutNum(static_cast<int64_t>(All));
  Put(" nps ");
  PutNum(static_cast<int64_t>(Ms == 0 ? All * 1000 : All * 1000 / Ms));
  Put(" hashfull ");
  PutNum(TableFullPermill());
  Put(" time ");
  PutNum(static_cast<int64_t>(Ms));
  if (I.Fresh) WalkReportedLine(I.PVLegal, PutPVMove);
  EndLine();
}

void Install() {
  FrontEndType F{};
  F.ErrorMsg = SayEngineMessage;
  F.ShowInfo = UciShowInfo;
  F.ShowBookLine = SayBookLine;
  F.PollStop = UciPollStop;
  InstallFrontEnd(F);
}

// ---- commands ----------------------------------------------------------------

void CmdIsReady() {
  ReadyTable();
  WaitForTable(ReadyTableMs);
  Put("readyok");
  EndLine();
}

void CmdPosition() {
  int I = 1;
  if (I >= NumWords || !(Is(Word[I], "startpos") || Is(Word[I], "fen"))) {
    Say("position needs startpos or fen; line ignored");
    return;
  }
  const bool Start = Is(Word[I], "startpos");
  ++I;
  FenSetUp F;
  if (!Start && !ReadFen(I, F)) return;
  if (I < NumWords && !Is(Word[I], "moves")) {
    Say("expected moves after the position, found ", Word[I], "; line ignored");
    return;
  }
  if (Start)
    NewGame();
  else if (!SetUpFen(F))
    return;
  for (++I; I < NumWords; ++I) {
    if (!PlayListMove(Word[I])) {
      Say("illegal move ", Word[I],
          " in the position's list; it and the moves after it are not played");
      return;
    }
  }
}

// Waits until the interface says stop (or quits, or goes away); a finished
// ponder search waits for its ponderhit as well.
void WaitForStop() {
  while (!StopNow && (UntilStop || PonderRunning)) {
    ServeWhileThinking();
    if (StopNow || !(UntilStop || PonderRunning)) break;
    // A buffer full of other commands leaves no room for the stop: answer.
    if (InputFull()) break;
    ReadInput(true);
  }
}

// The moves of the last searchmoves, as engine texts.
ShortStr SearchMoveList[MaxMovesListed];
uint16_t NumSearchMoveList = 0;

// Checks every searchmoves word of the line in its order and keeps the legal
// ones of the last list; each word not legal here is dropped and said, and a
// list left empty searches every move.
void TakeSearchMoves(GoRequest &R) {
  NumSearchMoveList = 0;
  for (int I = 0; I < R.NumMoveWords; ++I) {
    ShortStr M;
    if (!SearchMoveHere(R.MoveWords[I], M)) {
      DropWord(R, {"go: searchmoves ", R.MoveWords[I], " is not a legal move here; dropped"});
      continue;
    }
    if (I >= R.LastListAt && NumSearchMoveList < MaxMovesListed)
      SearchMoveList[NumSearchMoveList++] = M;
  }
  if (R.Restricted && NumSearchMoveList == 0) {
    R.Restricted = false;
    DropWord(R, {"go: no legal move left in searchmoves; searching them all", nullptr, nullptr});
  }
}

void SayMessage(const GoMessage &M) { Say(M.Text, M.Quoted, M.After); }

// The limits of the go line, what was dropped and its notes said. The
// request holds a table of words: it lives only here, not through the search.
void ReadGo(GoPlan &P) {
  GoRequest R = ParseGo(Word, NumWords);
  TakeSearchMoves(R);
  for (int I = 0; I < R.NumDropped; ++I) SayMessage(R.Dropped[I]);
  P = PlanGo(R, SideToMove());
  for (int I = 0; I < P.NumNotes; ++I) SayMessage(P.Notes[I]);
  if (R.Restricted) {
    P.Limits.SearchMoves = SearchMoveList;
    P.Limits.NumSearchMoves = NumSearchMoveList;
  }
}

// What the search found, once the interface may have it.
void Answer(const ThinkResult &R) {
  const MoveRec &M = R.Best;
  if (M.FromSq < 0) {
    // Mate or stalemate on the board: the score the interface can show.
    Put(InCheckHere() ? "info depth 0 score mate 0" : "info depth 0 score cp 0");
    EndLine();
  } else if (R.FromBook) {
    // Its short search has shown a score and a line already.
    Put("info string book move ");
    PutMoveHere(M);
    EndLine();
  }
  if (UntilStop || PonderRunning) WaitForStop();
  UntilStop = PonderRunning = false;
  if (QuitNow) return;
  Put("bestmove ");
  if (M.FromSq < 0) {
    Put("0000");
  } else {
    PutMoveHere(M);
    if (!R.Ponder.Empty()) PutPonderReply(M, R.Ponder);
  }
  EndLine();
}

void CmdGo() {
  // The move's clock runs from here: whatever the engine does before it
  // searches is the move's time too.
  GoTime = GetTickCount64();
  Seen = 0;
  GoPlan P;
  ReadGo(P);
  SearchLimits &L = P.Limits;
  SearchSettings S;
  S.DrawRules = true;
  // The book answers a game's moves, not analysis: only a search on the clock,
  // and one line; several lines ask for scores, which a book move has none of.
  S.UseBook = InBook() && OwnBook && (L.TimeMs > 0 || L.OnClock) && !L.Ponder && L.Nodes == 0 &&
              L.Mate == 0 && MultiPV == 1;
  L.MultiPV = MultiPV;
  S.AnyMove = true;
  S.Threads = Threads;
  // A level plays the book's moves like any other player, and searches
  // within its own limits.
  // A level chooses its engine; ConsoleEngine keeps the console's, whose
  // levels end at ConsoleTopLevelElo.
  S.FullStrength = !ConsoleEngine;
  if (LimitStrengthOn)
    LimitStrength(L, S, ConsoleEngine ? std::min(LevelElo, ConsoleTopLevelElo) : LevelElo,
                  LevelSeedOption != 0 ? LevelSeedOption : GameSeed);

  S.KeepTable = true;
  L.StartTick = GoTime;
  ReadyTable();
  LastPoll = GoTime;
  StopNow = false;
  PonderRunning = L.Ponder;
  // A ponder search waits for ponderhit or stop before it answers, and one
  // without any limit for stop.
  UntilStop = P.UntilStop;
  Answer(Think(L, S));
}

// One command line; false when the session ends.
bool Handle() {
  if (!SplitLine()) {
    Say("too many words in one line; line ignored");
    return true;
  }
  if (NumWords == 0) return true;
  const char *C = Word[0];
  if (Is(C, "xboard") && FirstCommand) {
    // The interface speaks the xboard protocol: the rest of the session is its.
    RunXboard();
    return false;
  }
  FirstCommand = false;
  if (Is(C, "uci")) {
    CmdUci();
    // The interface's options and isready come next: the table's pages
    // meanwhile, when no Hash changes them.
    ReadyTable();
  } else if (Is(C, "isready")) {
    CmdIsReady();
  } else if (Is(C, "setoption")) {
    CmdSetOption();
  } else if (Is(C, "ucinewgame")) {
    NewGame();
    ForgetLastMoveTime();
    GameSeed = NewGameSeed();
    ClearPending = true;
  } else if (Is(C, "position")) {
    CmdPosition();
  } else if (Is(C, "go")) {
    CmdGo();
  } else if (Is(C, "quit")) {
    return false;
  } else if (Is(C, "d")) {
    CmdShowPosition();
  } else if (Is(C, "ponderhit")) {
    Say("ponderhit without a ponder search; ignored");
  } else if (Is(C, "stop") || Is(C, "debug") || Is(C, "register")) {
    // Nothing to stop; debug output and registration do not exist.
  } else {
    Say("unknown command ", C, "; ignored");
  }
  return !QuitNow && !OutputBroken();
}

} // namespace
} // namespace Uci

int RunUci(int InFd, int OutFd) {
  using namespace Uci;
  StartIo(InFd, OutFd);
  QuitNow = false;
  FirstCommand = true;
  ClearPending = true; // whatever an earlier session left in the table
  SetBookFile(BookPath);
  Install();
  StartGame();
  GameSeed = NewGameSeed();
  for (;;) {
    SayDroppedLines();
    if (TakeLine()) {
      if (!Handle()) break;
      continue;
    }
    if (InputEnded() || OutputBroken()) break;
    ReadInput(true);
  }
  Flush();
  ResetFrontEnd();
  return 0;
}
