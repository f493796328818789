#include "uci/Uci.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "board/Attacks.h"
#include "board/Board.h"
#include "board/Globals.h"
#include "board/Squares.h"
#include "board/Zorbist.h"
#include "book/Opening.h"
#include "frontend/FrontEnd.h"
#include "game/Engine.h"
#include "game/Fen.h"
#include "game/NewGame.h"
#include "game/TakeBack.h"
#include "hash/TT.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"
#include "platform/Clock.h"
#include "search/Counters.h"
#include "search/Search.h"
#include "uci/GoRequest.h"
#include "uci/Io.h"
#include "uci/Options.h"

namespace Uci {
namespace {

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
// stop ends the search and quit ends the session. A stop or a go closes
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

// ---- moves between the engine's text and UCI's ------------------------------

bool IsPawnCode(int8_t P) { return P == WPawn || P == BPawn; }
bool IsLastRank(int8_t Sq) { return Sq < 8 || Sq >= 56; }

void SquaresOf(const DataType &D, int8_t (&Sq)[64]) {
  for (int S = 0; S < 64; ++S) Sq[S] = PieceOn(D, S);
}

// The engine text of a UCI move and its promotion letter (lower case, or 0
// without one); false when the word cannot be a move at all.
bool FromUciMove(const char *W, ShortStr &Move, char &Promotion) {
  const std::size_t L = std::strlen(W);
  Promotion = 0;
  if (L != 4 && L != 5) return false;
  char Up[5];
  for (int I = 0; I < 4; ++I)
    Up[I] = static_cast<char>(W[I] >= 'a' && W[I] <= 'z' ? W[I] - 32 : W[I]);
  Up[4] = '\0';
  if (!IsMoveText(Up)) return false;
  if (L == 5) {
    const char P = static_cast<char>(W[4] >= 'A' && W[4] <= 'Z' ? W[4] + 32 : W[4]);
    if (!std::strchr("qnbr", P) || P == '\0') return false;
    Promotion = P;
  }
  Move = Up;
  return true;
}

// ---- game state ------------------------------------------------------------

bool FromStart = true; // the position is the start position plus moves

// The game's positions before the current one since its last capture or pawn
// move, as the draw rules compare them (oldest first), and its move counters.
constexpr int MaxGameKeys = 128;
uint64_t GameKeys[MaxGameKeys];
uint16_t NumGameKeys = 0;
uint32_t HalfMoveClock = 0;
uint32_t FullMoveNumber = 1;

void ResetGameRecord(uint32_t HalfMoves, uint32_t FullMove) {
  NumGameKeys = 0;
  HalfMoveClock = HalfMoves;
  FullMoveNumber = FullMove == 0 ? 1 : FullMove;
}

// A move of the game: the position it leaves (its RepetitionKey), unless the
// move can never be undone, which ends every chance of a repetition.
void RecordMove(bool Irreversible, uint64_t Left) {
  if (Irreversible) {
    NumGameKeys = 0;
    HalfMoveClock = 0;
    return;
  }
  if (NumGameKeys == MaxGameKeys) {
    std::memmove(GameKeys, GameKeys + 1, sizeof GameKeys - sizeof GameKeys[0]);
    --NumGameKeys;
  }
  GameKeys[NumGameKeys++] = Left;
  if (HalfMoveClock < 100000) ++HalfMoveClock;
}

void NewGame() {
  Ply = 0;
  SetupStartPosition();
  ResetGameRecord(0, 1);
  InLibrary = OwnBook;
  FromStart = true;
}

// ---- the front end the engine reports to -----------------------------------

void UciErrorMsg(const char *S) { Say(S); }

void UciShowBookLine(const char *L) { Say("book line ", nullptr, L); }

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

// A move in UCI's text for the position D it is played in.
void PutMove(const DataType &D, const char *EngineMove) {
  int8_t Sq[64];
  SquaresOf(D, Sq);
  char Text[6];
  UciMoveText(Sq, EngineMove, Text);
  Put(Text);
}

// One move of the principal variation, with the queen letter on a promotion.
void PutLineMove(const Str4 &M, uint32_t Index) {
  Put(Index == 0 ? " pv " : " ");
  PutMove(Data[Ply], M.c_str());
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
    PutScore(I.PVScore);
    Put(" nodes ");
  } else {
    Put("info nodes ");
  }
  PutNum(static_cast<int64_t>(All));
  Put(" nps ");
  PutNum(static_cast<int64_t>(Ms == 0 ? All * 1000 : All * 1000 / Ms));
  Put(" hashfull ");
  PutNum(HashFullPermill());
  Put(" time ");
  PutNum(static_cast<int64_t>(Ms));
  if (I.Fresh) WalkLegalPV(I.PVLegal, PutLineMove);
  EndLine();
}

void Install() {
  FrontEndType F{};
  F.ErrorMsg = UciErrorMsg;
  F.ShowInfo = UciShowInfo;
  F.ShowBookLine = UciShowBookLine;
  F.PollStop = UciPollStop;
  InstallFrontEnd(F);
}

// ---- commands ----------------------------------------------------------------

int KingCount(const int8_t *Sq, int8_t King) {
  int N = 0;
  for (int S = 0; S < 64; ++S) N += Sq[S] == King;
  return N;
}

// The fourth field of a FEN, kept only when a double step really ended in
// front of it.
int8_t CheckedEnPassant(const char *F) {
  if (!F || Is(F, "-")) return -1;
  if (std::strlen(F) != 2 || F[0] < 'a' || F[0] > 'h' || (F[1] != '3' && F[1] != '6')) return -2;
  const int8_t Sq = static_cast<int8_t>((F[1] - '1') * 8 + (F[0] - 'a'));
  const DataType &D = Data[0];
  if (WhosMove == WMove && F[1] == '6' && PieceOn(D, Sq - 8) == BPawn && PieceOn(D, Sq) == Empty &&
      PieceOn(D, Sq + 8) == Empty)
    return Sq;
  if (WhosMove == BMove && F[1] == '3' && PieceOn(D, Sq + 8) == WPawn && PieceOn(D, Sq) == Empty &&
      PieceOn(D, Sq - 8) == Empty)
    return Sq;
  return -2;
}

// The piece a promotion letter names for the side to move; 0 for a queen or
// no letter, since the engine's own promotion makes the queen.
int8_t UnderPromotion(char Letter) {
  const char *L = std::strchr("nbr", Letter);
  if (Letter == '\0' || !L) return 0;
  const int8_t White = static_cast<int8_t>(WNight + (L - "nbr"));
  return WhosMove == WMove ? White : static_cast<int8_t>(White + 8);
}

// Plays one move of a position list; false when it is not legal here.
bool PlayListMove(const char *W) {
  ShortStr Move;
  char Letter;
  if (!FromUciMove(W, Move, Letter)) return false;
  if (!IsLegalMove(Move)) return false;
  const int8_t From = SquareOf(Move[0], Move[1]), To = SquareOf(Move[2], Move[3]);
  const int8_t Mover = PieceOn(Data[0], From);
  const bool Promotion = IsPawnCode(Mover) && IsLastRank(To);
  if (Letter != 0 && !Promotion) return false;
  const int8_t Under = Promotion ? UnderPromotion(Letter) : 0;
  const bool Irreversible = IsPawnCode(Mover) || PieceOn(Data[0], To) != Empty;
  const DataType Before = Data[0];
  const uint16_t BeforeMoveNum = MoveNum;
  const int8_t BeforeSide = WhosMove;
  const bool BeforeHumans = HumansMove;
  MakeMove(MoveStrToMoveRec(Move), false);
  if (Under != 0) {
    // The engine promotes to a queen; the piece the game chose replaces it.
    RemovePiece(To);
    if (!RoomForPiece(Under)) {
      Data[0] = Before;
      MoveNum = BeforeMoveNum;
      WhosMove = BeforeSide;
      HumansMove = BeforeHumans;
      Say("no room for another piece of that kind: ", W, "");
      return false;
    }
    PutPiece(Under, To);
  }
  RecordMove(Irreversible, RepetitionKey(Before, BeforeSide));
  if (WhosMove == WMove) ++FullMoveNumber;
  if (InLibrary) {
    // Book lines hold queen promotions only; any other leaves the book.
    if (Under != 0 || OpeningStr.Length() + 4 > OpeningStr.Capacity())
      InLibrary = false;
    else
      OpeningStr.Append(Move);
  }
  return true;
}

// A move counter of a FEN: digits only, at most six.
bool CounterField(const char *F, uint32_t &V) {
  if (!F) return true;
  const std::size_t L = std::strlen(F);
  if (L == 0 || L > 6) return false;
  V = 0;
  for (const char *C = F; *C; ++C) {
    if (*C < '0' || *C > '9') return false;
    V = V * 10 + static_cast<uint32_t>(*C - '0');
  }
  return true;
}

void CmdPosition() {
  int I = 1;
  if (I >= NumWords || !(Is(Word[I], "startpos") || Is(Word[I], "fen"))) {
    Say("position needs startpos or fen; line ignored");
    return;
  }
  const bool Start = Is(Word[I], "startpos");
  ++I;
  ParsedFEN P;
  char Fen[256] = "";
  const char *EpField = nullptr;
  const char *HalfField = nullptr, *FullField = nullptr;
  if (!Start) {
    std::size_t L = 0;
    int Field = 0;
    for (; I < NumWords && !Is(Word[I], "moves"); ++I, ++Field) {
      const std::size_t WL = std::strlen(Word[I]);
      if (Field == 3) EpField = Word[I];
      if (Field == 4) HalfField = Word[I];
      if (Field == 5) FullField = Word[I];
      if (Field >= 6 || L + WL + 1 >= sizeof Fen) {
        Say("the FEN is too long; line ignored");
        return;
      }
      if (L > 0) Fen[L++] = ' ';
      std::memcpy(Fen + L, Word[I], WL);
      L += WL;
      Fen[L] = '\0';
    }
    const char *Why = nullptr;
    if (Field < 2) {
      Say("the FEN needs at least the placement and the side to move; line ignored");
      return;
    }
    if (!ParseFEN(Fen, P, Why)) {
      Say("bad FEN (", Why ? Why : "", "); line ignored");
      return;
    }
    if (KingCount(P.Squares, WKing) != 1 || KingCount(P.Squares, BKing) != 1) {
      Say("the FEN needs one king a side; line ignored");
      return;
    }
  }
  uint32_t HalfMoves = 0, FullMove = 1;
  if (!CounterField(HalfField, HalfMoves) || !CounterField(FullField, FullMove)) {
    Say("the FEN's move counters must be numbers; line ignored");
    return;
  }
  if (I < NumWords && !Is(Word[I], "moves")) {
    Say("expected moves after the position, found ", Word[I], "; line ignored");
    return;
  }

  if (Start) {
    NewGame();
  } else {
    Ply = 0;
    if (!SetupParsedFEN(P)) {
      Say(KingTakenWhy, nullptr, "; line ignored");
      return;
    }
    const int8_t Ep = CheckedEnPassant(EpField);
    if (Ep == -2)
      Say("en passant square ", EpField, " does not fit the position; ignored");
    else
      Data[0].EnPasSq = Ep;
    MoveNum = 0;
    InitOpeningLib();
    InLibrary = false; // book lines begin at the start position
    FromStart = false;
    ResetGameRecord(HalfMoves, FullMove);
  }
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

// The engine text of a searchmoves word; false when it is not a legal move here.
bool SearchMoveHere(const char *W, ShortStr &M) {
  char Letter;
  // Under-promotions are never the engine's own moves: its queen stands for them.
  return FromUciMove(W, M, Letter) && IsLegalMove(M) &&
         (Letter == 0 ||
          (IsPawnCode(PieceOn(Data[0], SquareOf(M[0], M[1]))) && IsLastRank(SquareOf(M[2], M[3]))));
}

// The moves of the last searchmoves, as engine texts.
ShortStr SearchMoveList[MoveListCapacity];
uint16_t NumSearchMoveList = 0;

// Checks every searchmoves word of the line in its order and keeps the last
// list; false, with the reason said, at the first that is not legal here.
bool TakeSearchMoves(const GoRequest &R) {
  NumSearchMoveList = 0;
  for (int I = 0; I < R.NumMoveWords; ++I) {
    ShortStr M;
    if (!SearchMoveHere(R.MoveWords[I], M)) {
      Say("searchmoves: ", R.MoveWords[I], " is not a legal move here; line ignored");
      return false;
    }
    if (I >= R.LastListAt && NumSearchMoveList < MoveListCapacity)
      SearchMoveList[NumSearchMoveList++] = M;
  }
  return true;
}

void SayMessage(const GoMessage &M) { Say(M.Text, M.Quoted, M.After); }

// The limits of the go line taken, its notes said; false when it is refused,
// with the reason said. The request holds a table of words: it lives only here,
// not through the search.
bool ReadGo(GoPlan &P) {
  const GoRequest R = ParseGo(Word, NumWords);
  // The move words come before the word refused, and are checked first.
  if (!TakeSearchMoves(R)) return false;
  if (R.Refusal.Text) {
    SayMessage(R.Refusal);
    return false;
  }
  P = PlanGo(R, WhosMove == WMove ? 0 : 1);
  for (int I = 0; I < P.NumNotes; ++I) SayMessage(P.Notes[I]);
  if (R.Restricted) {
    P.Limits.SearchMoves = SearchMoveList;
    P.Limits.NumSearchMoves = NumSearchMoveList;
  }
  return true;
}

// What the search found, once the interface may have it.
void Answer(const ThinkResult &R) {
  const MoveRec &M = R.Best;
  if (M.FromSq < 0) {
    // Mate or stalemate on the board: the score the interface can show.
    Put(InCheck(WhosMove) ? "info depth 0 score mate 0" : "info depth 0 score cp 0");
    EndLine();
  } else if (R.FromBook) {
    // No search ran: the interface gets the move as the line, and no score.
    Put("info depth 0 nodes 0 time ");
    PutNum(static_cast<int64_t>(GetTickCount64() - GoTime));
    Put(" pv ");
    PutMove(Data[0], SquaresToStr(M.FromSq, M.ToSq).c_str());
    EndLine();
    Put("info string book move ");
    PutMove(Data[0], SquaresToStr(M.FromSq, M.ToSq).c_str());
    EndLine();
  }
  if (UntilStop || PonderRunning) WaitForStop();
  UntilStop = PonderRunning = false;
  if (QuitNow) return;
  Put("bestmove ");
  if (M.FromSq < 0) {
    Put("0000");
  } else {
    PutMove(Data[0], SquaresToStr(M.FromSq, M.ToSq).c_str());
    if (!R.Ponder.Empty()) {
      // The reply as it stands after the best move.
      Data[1] = Data[0];
      Ply = 1;
      const int8_t Mover = WhosMove;
      MakeMove(M, false);
      Put(" ponder ");
      PutMove(Data[1], R.Ponder.c_str());
      UnmakeMove();
      WhosMove = Mover;
    }
  }
  EndLine();
}

void CmdGo() {
  // The move's clock runs from here: whatever the engine does before it
  // searches is the move's time too.
  GoTime = GetTickCount64();
  Seen = 0;
  GoPlan P;
  if (!ReadGo(P)) return;
  SearchLimits &L = P.Limits;
  L.DrawRules = true;
  L.History = GameKeys;
  L.HistoryLen = NumGameKeys;
  L.Rule50 = static_cast<uint16_t>(HalfMoveClock > 100 ? 100 : HalfMoveClock);
  // The book answers a game's moves, not analysis: only a search on the clock.
  L.UseBook = InLibrary && OwnBook && L.TimeMs > 0 && !L.Ponder && L.Nodes == 0 && L.Mate == 0;
  L.AnyMove = true;

  L.KeepTable = true;
  L.StartTick = GoTime;
  if (ClearPending) {
    ZeroTTs();
    ClearPending = false;
  }
  LastPoll = GoTime;
  StopNow = false;
  PonderRunning = L.Ponder;
  // A ponder search waits for ponderhit or stop before it answers, and one
  // without any limit for stop.
  UntilStop = P.UntilStop;
  Answer(Think(L));
}

void CmdShowPosition() {
  char Text[FenTextSize];
  FenText(Text);
  Put("info string fen ");
  Put(Text);
  // The game file writes no castling field when no right is left.
  if (Text[std::strlen(Text) - 1] == ' ') Put("-");
  Put(" ");
  const int8_t Ep = Data[0].EnPasSq;
  if (Ep < 0) {
    Put("-");
  } else {
    const char S[3] = {static_cast<char>('a' + Ep % 8), static_cast<char>('1' + Ep / 8), '\0'};
    Put(S);
  }
  Put(" ");
  PutNum(HalfMoveClock);
  Put(" ");
  PutNum(FullMoveNumber);
  EndLine();
}

// One command line; false when the session ends.
bool Handle() {
  if (!SplitLine()) {
    Say("too many words in one line; line ignored");
    return true;
  }
  if (NumWords == 0) return true;
  const char *C = Word[0];
  if (Is(C, "uci")) {
    CmdUci();
  } else if (Is(C, "isready")) {
    // The time an interface gives to get ready: the table's pages are made
    // resident now rather than in the first search.
    if (!TableResident) {
      MakeTTResident();
      TableResident = true;
    } else if (ClearPending) {
      ZeroTTs();
    }
    ClearPending = false;
    Put("readyok");
    EndLine();
  } else if (Is(C, "setoption")) {
    CmdSetOption();
  } else if (Is(C, "ucinewgame")) {
    NewGame();
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

void UciMoveText(const int8_t Squares[64], const char *EngineMove, char (&Out)[6]) {
  for (int I = 0; I < 4; ++I) {
    const char C = EngineMove[I];
    Out[I] = static_cast<char>(C >= 'A' && C <= 'Z' ? C + 32 : C);
  }
  Out[4] = '\0';
  if (!IsMoveText(EngineMove)) return;
  const int8_t From = SquareOf(EngineMove[0], EngineMove[1]);
  const int8_t To = SquareOf(EngineMove[2], EngineMove[3]);
  if (Uci::IsPawnCode(Squares[From]) && Uci::IsLastRank(To)) {
    Out[4] = 'q';
    Out[5] = '\0';
  }
}

int RunUci(int InFd, int OutFd) {
  using namespace Uci;
  StartIo(InFd, OutFd);
  QuitNow = false;
  ClearPending = true; // whatever an earlier session left in the table
  LibFileName = BookPath;
  Install();
  NewGame();
  // The table is kept between the searches of a game, and every position
  // line sets the game up anew: the set-up leaves the table alone, and the
  // positions keep their keys.
  KeepZorbistKeys();
  KeepTTOnSetUp();
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
