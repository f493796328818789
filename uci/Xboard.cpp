#include "uci/Xboard.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "board/Squares.h"
#include "game/Engine.h"
#include "game/Game.h"
#include "game/San.h"
#include "platform/Clock.h"
#include "platform/Decimal.h"
#include "platform/Random.h"
#include "seam/Seam.h"
#include "uci/GoRequest.h"
#include "uci/Io.h"
#include "uci/Options.h"
#include "uci/Position.h"
#include "uci/Uci.h"
#include "uci/XboardClock.h"

namespace Uci {
namespace {

// ---- the game as the interface sees it -------------------------------------

bool Forced = false;     // the engine plays neither side
int EngineSide = 1;      // 0 white, 1 black, when not forced
bool PonderOn = false;   // hard: think on the opponent's time
bool Post = false;       // thinking lines, from post on
bool Analyzing = false;  // analyze mode: search the position until told otherwise
bool GameOver = false;   // a result was given: no thinking until the next game
uint32_t PliesMade = 0;  // half-moves since the game's start or set-up
XboardClock Clock;       // the time controls and the engine's clock
uint64_t LastMoveMs = 0; // what the engine's last move took
char Hint[6] = "";       // the reply the engine expects to its last move
int16_t LastScore = 0;   // the last search's score, for draw offers
bool HaveScore = false;
uint64_t GameSeed = 0;

// A draw offer is taken when the engine's last score is this far below even.
constexpr int16_t TakeDrawBelow = -200;

// ---- the search in progress -------------------------------------------------

enum class Kind : uint8_t { Move, Ponder, Analyze };
Kind Running = Kind::Move;
bool Thinking = false;
bool StopNow = false;
bool Discard = false; // the search's move is not to be played
bool QuitNow = false; // leave without a move
bool PonderHitCame = false;
char PonderedMove[6] = ""; // the opponent's move a ponder search has played
uint64_t GoTime = 0, LastPoll = 0;
uint32_t InfoDepth = 0; // for "." in analyze mode
uint64_t InfoNodes = 0;

int Side() { return SideToMove(); }

uint64_t NewGameSeed() { return (GetTickCount64() + 1) * GoldenGamma; }

// The move M of the game's position in the protocol's text (e7e8q).
void MoveText(const MoveRec &M, const DataType &D, char (&Out)[6]) {
  int8_t Sq[64];
  for (int S = 0; S < 64; ++S) Sq[S] = PieceOn(D, S);
  UciMoveText(Sq, SquaresToStr(M.FromSq, M.ToSq).c_str(), Out);
}

void Line(const char *A, const char *B = nullptr, const char *C = nullptr) {
  Put(A);
  if (B) Put(B);
  if (C) Put(C);
  EndLine();
}

// The first word of the queued line S[0..L), cut to fit Out.
void FirstWord(const char *S, std::size_t L, char (&Out)[16]) {
  std::size_t I = 0, N = 0;
  while (I < L && (S[I] == ' ' || S[I] == '\t' || S[I] == '\r')) ++I;
  while (I < L && N + 1 < sizeof Out && S[I] != ' ' && S[I] != '\t' && S[I] != '\r')
    Out[N++] = S[I++];
  Out[N] = '\0';
}

// Castling as interfaces may write it, as the king's move of the side to move.
const char *CastlingMove(const char *W) {
  const bool White = Side() == 0;
  if (Is(W, "O-O") || Is(W, "0-0")) return White ? "e1g1" : "e8g8";
  if (Is(W, "O-O-O") || Is(W, "0-0-0")) return White ? "e1c1" : "e8c8";
  return W;
}

// A word that can only be a move: coordinates with an optional promotion
// letter, or castling. Interfaces of the first protocol version (gnome-chess)
// send moves so, without usermove.
bool IsMoveWord(const char *W) {
  const std::size_t L = std::strlen(W);
  if (Is(W, "O-O") || Is(W, "0-0") || Is(W, "O-O-O") || Is(W, "0-0-0")) return true;
  if (L != 4 && L != 5) return false;
  char Up[5];
  for (int I = 0; I < 4; ++I)
    Up[I] = static_cast<char>(W[I] >= 'a' && W[I] <= 'z' ? W[I] - 32 : W[I]);
  Up[4] = '\0';
  return IsMoveText(Up) && (L == 4 || std::strchr("qrbnQRBN", W[4]));
}

bool SameMove(const char *A, const char *B) { return IsNoCase(CastlingMove(A), CastlingMove(B)); }

// How the game stands after a move: its result line, or null while it goes on.
const char *GameEnd() {
  if (!SideToMoveCanMove()) {
    if (!InCheckHere()) return "1/2-1/2 {Stalemate}";
    return Side() == 0 ? "0-1 {Black mates}" : "1-0 {White mates}";
  }
  const GameRecord &R = GameHistory();
  if (R.HalfMoveClock >= FiftyMoveHalfMoves) return "1/2-1/2 {Draw by fifty move rule}";
  const uint64_t Key = GamePositionKey();
  int Before = 0;
  for (int I = 0; I < R.NumKeys; ++I) Before += R.Keys[I] == Key;
  if (Before >= 2) return "1/2-1/2 {Draw by repetition}";
  if (NoMatingMaterialLeft()) return "1/2-1/2 {Insufficient material}";
  return nullptr;
}

void SayIfOver() {
  if (const char *End = GameEnd()) {
    Line(End);
    GameOver = true;
  }
}

// ---- the front end the engine reports to ------------------------------------

void PutXbScore(int16_t Score) {
  const int A = std::abs(Score);
  if (A >= MateBound && A <= MateScore) {
    // The protocol's mates: 100000 plus the moves to the mate.
    const int Moves = (MateScore - A + 1) / 2;
    PutNum(Score > 0 ? 100000 + Moves : -100000 - Moves);
  } else {
    PutNum(Score);
  }
}

void PutPVMove(const DataType &Before, const Str4 &M, uint32_t) {
  Put(" ");
  PutLineMove(Before, M);
}

void XbShowInfo(const SearchInfo &I) {
  InfoDepth = I.Depth;
  InfoNodes = I.Nodes + I.QNodes;
  // A line of a search that a command ended (analysis, or pondering that
  // missed) is about a position the interface has left.
  if (!I.Fresh || (StopNow && (Discard || Running == Kind::Analyze))) return;
  if (I.MultiPV <= 1) {
    LastScore = I.PVScore;
    HaveScore = true;
  }
  if (!Post) return;
  PutNum(I.Depth);
  Put(" ");
  PutXbScore(I.PVScore);
  Put(" ");
  PutNum(static_cast<int64_t>((GetTickCount64() - GoTime) / 10));
  Put(" ");
  PutNum(static_cast<int64_t>(InfoNodes));
  WalkReportedLine(I.PVLegal, PutPVMove);
  EndLine();
}

// ---- commands that are answered whenever they come ---------------------------

void CmdPing() {
  // As UCI's readyok: a search after the pong has the machine to itself
  // (a ping during a search finds the table in use already).
  if (!Thinking) {
    ReadyTable();
    WaitForTable(ReadyTableMs);
  }
  Put("pong");
  if (NumWords > 1) {
    Put(" ");
    Put(Word[1]);
  }
  EndLine();
}

void CmdTime() {
  int64_t Cs = 0;
  if (NumWords != 2 || !GoNumber(Word[1], true, Cs)) {
    Line("Error (bad clock): ", NumWords > 1 ? Word[1] : Word[0]);
    return;
  }
  // A clock run below zero reads as 0: no time to give.
  if (Is(Word[0], "time")) Clock.LeftMs = Cs * 10;
}

void CmdDraw() {
  // The opponent offers a draw: taken when the engine stands clearly worse.
  if (HaveScore && LastScore <= TakeDrawBelow && !GameOver) Line("offer draw");
}

void CmdStat() {
  Put("stat01: ");
  PutNum(static_cast<int64_t>((GetTickCount64() - GoTime) / 10));
  Put(" ");
  PutNum(static_cast<int64_t>(InfoNodes));
  Put(" ");
  PutNum(InfoDepth);
  Put(" 0 0");
  EndLine();
}

void CmdHint() {
  if (Hint[0]) Line("Hint: ", Hint);
}

// The commands that are served as they come, a search running or not.
bool ServedAtOnce(const char *W) {
  static const char *const Words[] = {
      "ping", "time", "otim",     "post",   "nopost", "hard",     "easy",     "draw",  "hint",
      ".",    "name", "computer", "rating", "ics",    "accepted", "rejected", "random"};
  for (const char *E : Words)
    if (Is(W, E)) return true;
  return false;
}

// One of those, on the words of the line taken.
void ServeAtOnce() {
  const char *W = Word[0];
  if (Is(W, "ping"))
    CmdPing();
  else if (Is(W, "time") || Is(W, "otim"))
    CmdTime();
  else if (Is(W, "post") || Is(W, "nopost"))
    Post = Is(W, "post");
  else if (Is(W, "hard") || Is(W, "easy"))
    PonderOn = Is(W, "hard");
  else if (Is(W, "draw"))
    CmdDraw();
  else if (Is(W, "hint"))
    CmdHint();
  else if (Is(W, ".") && Running == Kind::Analyze && GoTime != 0)
    CmdStat();
  // The opponent's name, rating and the like change nothing here.
}

// Commands that change the game or the engine's part in it: a search ends
// before them, and its move (or the move pondered on) is not played.
bool EndsSearch(const char *W) {
  static const char *const Words[] = {"force", "new",       "quit",  "result",  "setboard",
                                      "undo",  "remove",    "edit",  "analyze", "exit",
                                      "go",    "playother", "white", "black",   "variant"};
  for (const char *E : Words)
    if (Is(W, E)) return true;
  return false;
}

// The second word of the queued line S[0..L), cut to fit Out.
void SecondWord(const char *S, std::size_t L, char (&Out)[16]) {
  std::size_t I = 0, N = 0;
  auto Blank = [&] { return S[I] == ' ' || S[I] == '\t' || S[I] == '\r'; };
  while (I < L && Blank()) ++I;
  while (I < L && !Blank()) ++I;
  while (I < L && Blank()) ++I;
  while (I < L && N + 1 < sizeof Out && !Blank()) Out[N++] = S[I++];
  Out[N] = '\0';
}

// While the engine thinks, the lines of this search's part of the queue are
// acted on in their order: those served at once are, "?" ends a search for a
// move, the move pondered on turns the ponder search into the engine's own,
// and a line that changes the game ends the search and waits, with whatever
// follows it, for the session.
void ServeWhileThinking() {
  // A ponder search the move pondered on came to searches for the engine's move.
  const bool OwnMove = Running == Kind::Move || PonderHitCame;
  std::size_t Pos = 0, End, Next;
  while (!StopNow && LineAt(Pos, End, Next)) {
    char W[16];
    FirstWord(QueuedAt(Pos), End - Pos, W);
    if (Is(W, "?")) {
      if (OwnMove) StopNow = true;
      DropLine(Pos, Next);
    } else if ((Is(W, "usermove") || IsMoveWord(W)) && !OwnMove) {
      char M[16];
      if (Is(W, "usermove"))
        SecondWord(QueuedAt(Pos), End - Pos, M);
      else
        std::strcpy(M, W);
      if (Running == Kind::Ponder && SameMove(M, PonderedMove)) {
        PonderHitCame = true;
        PonderHit();
        DropLine(Pos, Next);
        return;
      }
      StopNow = true;
      Discard = Running == Kind::Ponder;
    } else if (EndsSearch(W)) {
      StopNow = Discard = true;
      QuitNow = Is(W, "quit");
    } else if (ServedAtOnce(W)) {
      TakeLineAt(Pos, End, Next);
      if (SplitLine() && NumWords > 0) ServeAtOnce();
      // easy: no more thinking on the opponent's time.
      if (Running == Kind::Ponder && !OwnMove && !PonderOn) StopNow = Discard = true;
    } else {
      Pos = Next; // waits for the search's end
    }
  }
  // Nobody can end a search that waits for a line once the input has ended,
  // and no line can be read behind a full queue: it ends now.
  if (OutputBroken() || (!OwnMove && (InputEnded() || InputFull()))) {
    StopNow = true;
    if (Running == Kind::Ponder) Discard = true;
  }
}

bool XbPollStop() {
  if (StopNow) return true;
  const uint64_t Now = GetTickCount64();
  if (Now != LastPoll) {
    LastPoll = Now;
    ReadInput(false);
    ServeWhileThinking();
  }
  return StopNow;
}

void Install() {
  FrontEndType F{};
  F.ErrorMsg = SayEngineMessage;
  F.ShowInfo = XbShowInfo;
  F.ShowBookLine = SayBookLine;
  F.PollStop = XbPollStop;
  InstallFrontEnd(F);
}

// ---- searching ----------------------------------------------------------------

// Waits until a ponder search that finished before the opponent moved has its
// answer: the move pondered on, another one, or a line that ends it.
void WaitForPonderEnd() {
  while (!StopNow && !PonderHitCame) {
    ServeWhileThinking();
    if (StopNow || PonderHitCame) break;
    ReadInput(true);
  }
}

SearchSettings Settings() {
  SearchSettings S;
  S.DrawRules = true;
  S.AnyMove = true;
  S.KeepTable = true;
  S.Threads = Threads;
  S.FullStrength = !ConsoleEngine;
  return S;
}

ThinkResult Search(Kind K, SearchLimits L) {
  Running = K;
  StopNow = Discard = QuitNow = PonderHitCame = false;
  GoTime = GetTickCount64();
  LastPoll = GoTime;
  InfoDepth = 0;
  InfoNodes = 0;
  SearchSettings S = Settings();
  S.UseBook = K == Kind::Move && InBook() && OwnBook;
  if (LimitStrengthOn && K != Kind::Analyze)
    LimitStrength(L, S, ConsoleEngine ? std::min(LevelElo, ConsoleTopLevelElo) : LevelElo,
                  LevelSeedOption != 0 ? LevelSeedOption : GameSeed);
  L.StartTick = GoTime;
  ReadyTable();
  Thinking = true;
  ThinkResult R = Think(L, S);
  if (K == Kind::Ponder) WaitForPonderEnd();
  Thinking = false;
  return R;
}

// Plays the engine's move R.Best, which the search found in the game's
// position, and says it; then the game's end, if it came.
void PlayOwnMove(const ThinkResult &R) {
  char Text[6];
  MoveText(R.Best, GamePosition(), Text);
  Hint[0] = '\0';
  if (!R.Ponder.Empty()) {
    const DataType After = PositionAfter(R.Best);
    int8_t Sq[64];
    for (int S = 0; S < 64; ++S) Sq[S] = PieceOn(After, S);
    UciMoveText(Sq, R.Ponder.c_str(), Hint);
  }
  if (!PlayListMove(Text)) return;
  ++PliesMade;
  Line("move ", Text);
  SayIfOver();
}

bool EnginesTurn() { return !Forced && !GameOver && !Analyzing && Side() == EngineSide; }

void MoveNow() {
  // A position set up after its game's end has no move to search for.
  if (const char *End = GameEnd()) {
    Line(End);
    GameOver = true;
    return;
  }
  const uint64_t Start = GetTickCount64();
  const ThinkResult R = Search(Kind::Move, XboardMoveLimits(Clock, PliesMade / 2));
  LastMoveMs = GetTickCount64() - Start;
  if (QuitNow || Discard || R.Best.FromSq < 0) return;
  PlayOwnMove(R);
}

// On the opponent's time: the reply the engine expects is played and
// searched until the opponent's move comes. The move pondered on makes it
// the engine's own search; another move, or a line that changes the game,
// takes the pondered move back.
void Ponder() {
  // The hint stays what it is while the engine ponders on it.
  std::strcpy(PonderedMove, Hint);
  if (!PlayListMove(PonderedMove)) {
    Hint[0] = '\0';
    return;
  }
  ++PliesMade;
  XboardClock C = Clock;
  // The engine's clock as it stands after its last move.
  if (C.LeftMs >= 0)
    C.LeftMs = std::max<int64_t>(0, C.LeftMs - static_cast<int64_t>(LastMoveMs)) +
               static_cast<int64_t>(C.IncMs);
  SearchLimits L = XboardMoveLimits(C, PliesMade / 2);
  L.Ponder = true;
  const ThinkResult R = Search(Kind::Ponder, L);
  Hint[0] = '\0';
  if (QuitNow) return;
  if (!PonderHitCame) {
    TakeBack();
    --PliesMade;
    return;
  }
  // The opponent played the move pondered on: it stays, as a move of theirs.
  SayIfOver();
  if (!Discard && !GameOver && R.Best.FromSq >= 0) PlayOwnMove(R);
}

void Analyze() {
  SearchLimits L;
  L.FirstDepth = 1;
  L.MultiPV = MultiPV;
  Search(Kind::Analyze, L);
}

// ---- commands -----------------------------------------------------------------

void CmdProtover() {
  Line("feature done=0");
  Line("feature ping=1 setboard=1 usermove=1 time=1 draw=1 analyze=1 playother=1 san=0 "
       "colors=0 sigint=0 sigterm=0 reuse=1 memory=1 smp=1 debug=1 nps=0 pause=0 "
       "variants=\"normal\" myname=\"torvane3\"");
  Put("feature option=\"OwnBook -check ");
  PutNum(OwnBook);
  Line("\"");
  Line("feature option=\"BookFile -file ", BookPath, "\"");
  Put("feature option=\"MultiPV -spin ");
  PutNum(MultiPV);
  Put(" 1 ");
  PutNum(MaxMultiPV);
  Line("\"");
  Put("feature option=\"UCI_LimitStrength -check ");
  PutNum(LimitStrengthOn);
  Line("\"");
  Put("feature option=\"UCI_Elo -spin ");
  PutNum(LevelElo);
  Put(" ");
  PutNum(MinLevelElo);
  Put(" ");
  PutNum(MaxLevelElo);
  Line("\"");
  Put("feature option=\"Seed -spin ");
  PutNum(static_cast<int64_t>(LevelSeedOption));
  Line(" 0 2147483647\"");
  Put("feature option=\"ConsoleEngine -check ");
  PutNum(ConsoleEngine);
  Line("\"");
  Line("feature option=\"Clear Hash -button\"");
  Line("feature done=1");
}

void CmdNew() {
  NewGame();
  ForgetLastMoveTime();
  GameSeed = NewGameSeed();
  ClearPending = true;
  Forced = GameOver = HaveScore = false;
  EngineSide = 1;
  PliesMade = 0;
  Hint[0] = '\0';
  Clock.Depth = 0;
}

void CmdUserMove(const char *Move) {
  if (!PlayListMove(CastlingMove(Move))) {
    Line("Illegal move: ", Move);
    return;
  }
  ++PliesMade;
  SayIfOver();
}

void CmdSetBoard() {
  int I = 1;
  FenSetUp F;
  if (!ReadFen(I, F) || I != NumWords || !SetUpFen(F)) {
    // With the FEN: pychess sets an empty board after each analysis and
    // keeps quiet about a refusal that quotes it.
    char Buf[256];
    const char *Fen = NumWords > 1 ? RestOfLine(1, Buf) : nullptr;
    Line("tellusererror Illegal position: ", Fen ? Fen : "");
    return;
  }
  PliesMade = 0;
  GameOver = false;
  Hint[0] = '\0';
}

void CmdUndo(int Plies) {
  for (int I = 0; I < Plies; ++I) {
    if (PliesMade == 0 || !TakeBack()) {
      Line("Error (no move to take back): ", Word[0]);
      return;
    }
    --PliesMade;
  }
  GameOver = false;
  Hint[0] = '\0';
}

void CmdLevel() {
  if (NumWords != 4 || !ReadLevel(Word[1], Word[2], Word[3], Clock))
    Line("Error (bad level): ", NumWords > 1 ? Word[1] : "level");
}

void CmdSt() {
  uint64_t Ms = 0;
  if (NumWords != 2 || !ReadSeconds(Word[1], Ms) || Ms == 0)
    Line("Error (bad st): ", NumWords > 1 ? Word[1] : "st");
  else
    Clock.MoveMs = Ms;
}

void CmdSd() {
  int64_t D = 0;
  if (NumWords != 2 || !GoNumber(Word[1], false, D) || D < 1)
    Line("Error (bad sd): ", NumWords > 1 ? Word[1] : "sd");
  else
    Clock.Depth = static_cast<uint8_t>(std::min<int64_t>(D, MaxPly));
}

// memory and cores: the table's size and the threads, within their ranges.
void CmdResource(const char *Option, int64_t Most) {
  int64_t N = 0;
  if (NumWords != 2 || !GoNumber(Word[1], false, N) || N < 1) {
    Line("Error (bad number): ", NumWords > 1 ? Word[1] : Word[0]);
    return;
  }
  char Value[24];
  const int L = DecimalDigits(static_cast<uint64_t>(std::min(N, Most)), Value);
  Value[L] = '\0';
  SetOption(Option, Value);
}

// option NAME=VALUE, or option NAME for a button.
void CmdOption() {
  char Buf[256];
  const char *Rest = NumWords > 1 ? RestOfLine(1, Buf) : nullptr;
  if (!Rest) {
    Line("Error (bad option): ", NumWords > 1 ? Word[1] : "option");
    return;
  }
  char *Eq = std::strchr(Buf, '=');
  if (Eq) *Eq = '\0';
  SetOption(Buf, Eq ? Eq + 1 : nullptr);
}

// The book's moves here, each with its share of the book's lines, then an
// empty line.
void CmdBook() {
  constexpr int Most = 32;
  ShortStr Moves[Most];
  uint32_t Counts[Most];
  const int N = OwnBook ? BookMovesHere(Moves, Counts, Most) : 0;
  uint32_t All = 0;
  for (int I = 0; I < N; ++I) All += Counts[I];
  // The most played first; equals keep the book's order.
  for (int I = 1; I < N; ++I)
    for (int J = I; J > 0 && Counts[J] > Counts[J - 1]; --J) {
      std::swap(Counts[J], Counts[J - 1]);
      std::swap(Moves[J], Moves[J - 1]);
    }
  for (int I = 0; I < N; ++I) {
    char Text[6];
    int8_t Sq[64];
    for (int S = 0; S < 64; ++S) Sq[S] = PieceOn(GamePosition(), S);
    UciMoveText(Sq, Moves[I].c_str(), Text);
    Put(" ");
    Put(Text);
    Put(" ");
    PutNum(Counts[I] * 100 / All);
    Line("%");
  }
  if (N == 0) Line(" no book move here");
  EndLine();
}

// One command line; false when the session ends.
bool Handle() {
  if (!SplitLine()) {
    Line("Error (too many words): line");
    return true;
  }
  if (NumWords == 0) return true;
  const char *C = Word[0];
  if (ServedAtOnce(C)) {
    ServeAtOnce();
  } else if (Is(C, "quit")) {
    return false;
  } else if (Is(C, "xboard") || Is(C, "?") || Is(C, "white") || Is(C, "black")) {
    // Nothing to do: no search runs, and the colours follow go and playother.
  } else if (Is(C, "protover")) {
    CmdProtover();
  } else if (Is(C, "new")) {
    CmdNew();
  } else if (Is(C, "variant")) {
    if (NumWords != 2 || !Is(Word[1], "normal"))
      Line("Error (unsupported variant): ", NumWords > 1 ? Word[1] : "");
  } else if (Is(C, "force")) {
    Forced = true;
  } else if (Is(C, "go")) {
    Forced = false;
    EngineSide = Side();
  } else if (Is(C, "playother")) {
    Forced = false;
    EngineSide = 1 - Side();
  } else if (Is(C, "usermove")) {
    if (NumWords == 2)
      CmdUserMove(Word[1]);
    else
      Line("Error (usermove needs one move): ", NumWords > 1 ? Word[2] : C);
  } else if (IsMoveWord(C) && NumWords == 1) {
    CmdUserMove(C);
  } else if (Is(C, "level")) {
    CmdLevel();
  } else if (Is(C, "st")) {
    CmdSt();
  } else if (Is(C, "sd")) {
    CmdSd();
  } else if (Is(C, "setboard")) {
    CmdSetBoard();
  } else if (Is(C, "undo")) {
    CmdUndo(1);
  } else if (Is(C, "remove")) {
    CmdUndo(2);
  } else if (Is(C, "result")) {
    GameOver = true;
  } else if (Is(C, "analyze")) {
    Analyzing = true;
  } else if (Is(C, "exit")) {
    Analyzing = false;
  } else if (Is(C, "bk")) {
    CmdBook();
  } else if (Is(C, "memory")) {
    CmdResource("Hash", MaxTableMiB);
  } else if (Is(C, "cores")) {
    CmdResource("Threads", MaxSearchThreads);
  } else if (Is(C, "option")) {
    CmdOption();
  } else {
    Line("Error (unknown command): ", C);
  }
  return !OutputBroken();
}

} // namespace

void RunXboard() {
  NotesAs("# ");
  Install();
  Forced = GameOver = Analyzing = HaveScore = false;
  PonderOn = false;
  Post = false;
  EngineSide = 1;
  PliesMade = 0;
  Hint[0] = '\0';
  Clock = XboardClock{};
  GameSeed = NewGameSeed();
  // The table's pages meanwhile: the first ping waits for them.
  ReadyTable();
  for (;;) {
    SayDroppedLines();
    if (TakeLine()) {
      if (!Handle()) break;
      continue;
    }
    if (OutputBroken()) break;
    // Nothing queued: the engine moves when it is its turn (a script that
    // ends with go still gets its move), analyses, or ponders; else it
    // waits for a line.
    if (EnginesTurn()) {
      MoveNow();
    } else if (InputEnded()) {
      break;
    } else if (Analyzing && SideToMoveCanMove() && !GameEnd()) {
      Analyze();
      if (!StopNow) ReadInput(true); // a search that ended on its own waits for a line
    } else if (PonderOn && Hint[0] && !Forced && !GameOver && Side() != EngineSide) {
      Ponder();
    } else {
      ReadInput(true);
      continue;
    }
    if (QuitNow) break;
  }
  Flush();
}

} // namespace Uci
