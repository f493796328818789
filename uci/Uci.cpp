#include "uci/Uci.h"

#include <poll.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

namespace {

constexpr uint64_t NoLimit = ~static_cast<uint64_t>(0);
constexpr uint8_t NoFixedDepth = 255;
constexpr uint8_t ConsoleFirstDepth = 4;
// A word of the input quoted back in a message is cut to this length.
constexpr std::size_t QuoteLength = 40;

// ---- output: one buffer, written out at the end of every answer line ------

int Out = 1;
char OutBuf[8192];
std::size_t OutLen = 0;
bool OutBroken = false; // a write failed: nobody reads the answers any more

void Flush() {
  std::size_t Done = 0;
  while (Done < OutLen && !OutBroken) {
    const ssize_t N = write(Out, OutBuf + Done, OutLen - Done);
    if (N > 0)
      Done += static_cast<std::size_t>(N);
    else if (N < 0 && errno == EINTR)
      continue;
    else
      OutBroken = true;
  }
  OutLen = 0;
}

void Put(const char *S, std::size_t L) {
  while (L > 0) {
    if (OutLen == sizeof OutBuf) Flush();
    const std::size_t Room = sizeof OutBuf - OutLen;
    const std::size_t K = L < Room ? L : Room;
    std::memcpy(OutBuf + OutLen, S, K);
    OutLen += K;
    S += K;
    L -= K;
  }
}
void Put(const char *S) { Put(S, std::strlen(S)); }

void PutNum(int64_t V) {
  char B[24];
  int I = sizeof B;
  const bool Negative = V < 0;
  uint64_t U = Negative ? static_cast<uint64_t>(-(V + 1)) + 1 : static_cast<uint64_t>(V);
  do {
    B[--I] = static_cast<char>('0' + U % 10);
    U /= 10;
  } while (U != 0);
  if (Negative) B[--I] = '-';
  Put(B + I, sizeof B - static_cast<std::size_t>(I));
}

void EndLine() {
  Put("\n", 1);
  Flush();
}

void PutQuoted(const char *Word) {
  const std::size_t L = std::strlen(Word);
  Put("'");
  Put(Word, L < QuoteLength ? L : QuoteLength);
  Put(L > QuoteLength ? "...'" : "'");
}

void Say(const char *A, const char *Quoted = nullptr, const char *B = nullptr) {
  Put("info string ");
  Put(A);
  if (Quoted) PutQuoted(Quoted);
  if (B) Put(B);
  EndLine();
}

// ---- input: lines from a descriptor, without blocking during a search ------

int In = 0;
constexpr std::size_t InCapacity = 1u << 16;
char InBuf[InCapacity];
std::size_t InLen = 0;
bool InEnded = false;
bool Skipping = false;     // dropping the rest of a line longer than the buffer
uint32_t DroppedLines = 0; // such lines not yet reported

// Reads what has arrived; with Wait, blocks until something does or the input
// ends. A line that fills the whole buffer is dropped to its end.
void ReadInput(bool Wait) {
  if (InEnded) return;
  if (!Wait) {
    pollfd P{In, POLLIN, 0};
    if (poll(&P, 1, 0) <= 0) return;
  }
  if (InLen == InCapacity) {
    if (std::memchr(InBuf, '\n', InLen)) return; // complete lines wait their turn
    InLen = 0;
    Skipping = true;
  }
  ssize_t N;
  do {
    N = read(In, InBuf + InLen, InCapacity - InLen);
  } while (N < 0 && errno == EINTR);
  if (N <= 0) {
    InEnded = true;
    return;
  }
  InLen += static_cast<std::size_t>(N);
  if (Skipping) {
    const char *NL = static_cast<const char *>(std::memchr(InBuf, '\n', InLen));
    if (!NL) {
      InLen = 0;
      return;
    }
    const std::size_t Cut = static_cast<std::size_t>(NL - InBuf) + 1;
    std::memmove(InBuf, InBuf + Cut, InLen - Cut);
    InLen -= Cut;
    Skipping = false;
    ++DroppedLines;
  }
}

// The end (exclusive) of the line starting at Pos and where the next begins;
// false when that line is not complete yet. At the end of the input the rest
// counts as a line.
bool LineAt(std::size_t Pos, std::size_t &End, std::size_t &Next) {
  const char *NL = static_cast<const char *>(std::memchr(InBuf + Pos, '\n', InLen - Pos));
  if (NL) {
    End = static_cast<std::size_t>(NL - InBuf);
    Next = End + 1;
    return true;
  }
  if (!InEnded || Pos == InLen || Skipping) return false;
  End = Next = InLen;
  return true;
}

void DropLine(std::size_t Pos, std::size_t Next) {
  std::memmove(InBuf + Pos, InBuf + Next, InLen - Next);
  InLen -= Next - Pos;
}

char Line[InCapacity + 1];

// Moves the first complete line into Line; false when there is none yet.
bool TakeLine() {
  std::size_t End, Next;
  if (!LineAt(0, End, Next)) return false;
  std::memcpy(Line, InBuf, End);
  Line[End] = '\0';
  DropLine(0, Next);
  return true;
}

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\f' || C == '\v'; }

// The first word of S[0..L) is W.
bool FirstWordIs(const char *S, std::size_t L, const char *W) {
  std::size_t I = 0;
  while (I < L && IsBlank(S[I])) ++I;
  const std::size_t WL = std::strlen(W);
  if (L - I < WL || std::memcmp(S + I, W, WL) != 0) return false;
  for (I += WL; I < L; ++I)
    if (!IsBlank(S[I])) return false;
  return true;
}

// ---- the search in progress ------------------------------------------------

bool StopNow = false;   // stop the search now and answer
bool UntilStop = false; // the search ends only when the interface says so
bool QuitNow = false;   // stop and leave without answering
uint64_t GoTime = 0;    // tick count when "go" arrived
uint64_t Deadline = 0;  // tick count by which the move must be chosen; 0: none
uint64_t LastPoll = 0;

// While the engine thinks only three commands matter at once: stop, quit and
// isready. Every other complete line stays queued, in order, for afterwards.
void ServeWhileThinking() {
  std::size_t Pos = 0, End, Next;
  while (LineAt(Pos, End, Next)) {
    const char *S = InBuf + Pos;
    const std::size_t L = End - Pos;
    if (FirstWordIs(S, L, "stop")) {
      StopNow = true;
    } else if (FirstWordIs(S, L, "quit")) {
      StopNow = QuitNow = true;
    } else if (FirstWordIs(S, L, "isready")) {
      Put("readyok");
      EndLine();
    } else {
      Pos = Next;
      continue;
    }
    DropLine(Pos, Next);
  }
  // A search that waits for stop would wait forever once nobody can send it:
  // answer now, then finish what is queued. A search with a limit (a script
  // piped in, say) runs to its limit.
  if (OutBroken || (InEnded && UntilStop)) StopNow = true;
}

bool UciPollStop() {
  if (StopNow) return true;
  const uint64_t Now = GetTickCount64();
  // Past the deadline, not at it: a tick may begin just after "go" arrived.
  if (Deadline != 0 && Now > Deadline) {
    StopNow = true;
    return true;
  }
  // The search asks after every legal move; the input is looked at once a
  // millisecond at most.
  if (Now != LastPoll) {
    LastPoll = Now;
    ReadInput(false);
    ServeWhileThinking();
  }
  return StopNow;
}

// ---- moves between the engine's text and UCI's ------------------------------

int8_t SquareOf(char File, char Rank) {
  return static_cast<int8_t>((Rank - '1') * 8 + (File - 'A'));
}

bool IsEngineMoveText(const char *M) {
  return M[0] >= 'A' && M[0] <= 'H' && M[1] >= '1' && M[1] <= '8' && M[2] >= 'A' && M[2] <= 'H' &&
         M[3] >= '1' && M[3] <= '8';
}

bool IsPawnCode(int8_t P) { return P == WPawn || P == BPawn; }
bool IsLastRank(int8_t Sq) { return Sq < 8 || Sq >= 56; }

void SquaresOf(const DataType &D, int8_t (&Sq)[64]) {
  for (int S = 0; S < 64; ++S) Sq[S] = PieceOn(D, S);
}

// The engine text of a UCI move: false when the word cannot be a move at all;
// Under is set for a promotion to anything but a queen, which the engine
// never makes.
bool FromUciMove(const char *W, ShortStr &Move, bool &Promotes, bool &Under) {
  const std::size_t L = std::strlen(W);
  Promotes = Under = false;
  if (L != 4 && L != 5) return false;
  char Up[5];
  for (int I = 0; I < 4; ++I)
    Up[I] = static_cast<char>(W[I] >= 'a' && W[I] <= 'z' ? W[I] - 32 : W[I]);
  Up[4] = '\0';
  if (!IsEngineMoveText(Up)) return false;
  if (L == 5) {
    const char P = W[4];
    if (P == 'q' || P == 'Q')
      Promotes = true;
    else if (std::strchr("nbrNBR", P))
      Under = true;
    else
      return false;
  }
  Move = Up;
  return true;
}

// ---- options and game state ------------------------------------------------

bool OwnBook = true;
char BookPath[256] = "book.txt";
bool FromStart = true; // the position is the start position plus moves

void NewGame() {
  Ply = 0;
  SetupStartPosition();
  InLibrary = OwnBook;
  FromStart = true;
}

// ---- the front end the engine reports to -----------------------------------

void UciErrorMsg(const char *S) { Say(S); }

void UciShowBookLine(const char *L) { Say("book line ", nullptr, L); }

void PutScore(int16_t Score) {
  const int A = std::abs(Score);
  if (A > MateScore - MaxPly - 1 && A <= MateScore) {
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
void PutLineMove(const Str4 &M, uint32_t Index) {
  int8_t Sq[64];
  SquaresOf(Data[Ply], Sq);
  char Text[6];
  UciMoveText(Sq, M.c_str(), Text);
  Put(Index == 0 ? " pv " : " ");
  Put(Text);
}

void UciShowInfo(const SearchInfo &I) {
  const uint64_t Ms = GetTickCount64() - GoTime;
  const uint64_t All = I.Nodes + I.QNodes;
  Put("info depth ");
  PutNum(I.Depth);
  PutScore(I.PVScore);
  Put(" nodes ");
  PutNum(static_cast<int64_t>(All));
  Put(" nps ");
  PutNum(static_cast<int64_t>(Ms == 0 ? All * 1000 : All * 1000 / Ms));
  Put(" time ");
  PutNum(static_cast<int64_t>(Ms));
  WalkLegalPV(I.PVLegal, PutLineMove);
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

constexpr int MaxWords = 1 << 14;
const char *Word[MaxWords];
int NumWords = 0;
char Words[InCapacity + 1]; // Line cut into words in place

// Splits Line into words; false when there are more than the table holds.
bool SplitLine() {
  std::strcpy(Words, Line);
  NumWords = 0;
  char *C = Words;
  while (*C) {
    while (*C && IsBlank(*C)) *C++ = '\0';
    if (!*C) break;
    if (NumWords == MaxWords) return false;
    Word[NumWords++] = C;
    while (*C && !IsBlank(*C)) ++C;
  }
  return true;
}

// The rest of the original line from word I on, blanks at its end dropped;
// null when it does not fit in Buf.
const char *RestOfLine(int I, char (&Buf)[256]) {
  const char *Start = Line + (Word[I] - Words);
  std::size_t L = std::strlen(Start);
  while (L > 0 && IsBlank(Start[L - 1])) --L;
  if (L >= sizeof Buf) return nullptr;
  std::memcpy(Buf, Start, L);
  Buf[L] = '\0';
  return Buf;
}

bool Is(const char *A, const char *B) { return std::strcmp(A, B) == 0; }
bool IsNoCase(const char *A, const char *B) { return strcasecmp(A, B) == 0; }

void CmdUci() {
  Put("id name torvane3");
  EndLine();
  Put("id author the torvane3 developers");
  EndLine();
  Put("option name OwnBook type check default true");
  EndLine();
  Put("option name BookFile type string default book.txt");
  EndLine();
  Put("uciok");
  EndLine();
}

void CmdSetOption() {
  if (NumWords < 3 || !Is(Word[1], "name")) {
    Say("setoption needs: name <option> [value <value>]; line ignored");
    return;
  }
  char Name[256] = "";
  std::size_t NameLen = 0;
  int I = 2;
  for (; I < NumWords && !Is(Word[I], "value"); ++I) {
    const std::size_t L = std::strlen(Word[I]);
    if (NameLen + L + 1 >= sizeof Name) break;
    if (NameLen > 0) Name[NameLen++] = ' ';
    std::memcpy(Name + NameLen, Word[I], L);
    NameLen += L;
    Name[NameLen] = '\0';
  }
  char ValueBuf[256] = "";
  const char *Value = I + 1 < NumWords ? RestOfLine(I + 1, ValueBuf) : nullptr;
  if (I + 1 < NumWords && !Value) {
    Say("option values are at most 255 characters; unchanged");
    return;
  }

  if (IsNoCase(Name, "OwnBook")) {
    if (Value && (IsNoCase(Value, "true") || Is(Value, "1") || IsNoCase(Value, "on")))
      OwnBook = true;
    else if (Value && (IsNoCase(Value, "false") || Is(Value, "0") || IsNoCase(Value, "off")))
      OwnBook = false;
    else
      Say("OwnBook takes true or false; unchanged");
  } else if (IsNoCase(Name, "BookFile")) {
    if (!Value)
      Say("BookFile needs a value; unchanged");
    else
      std::strcpy(BookPath, Value);
  } else if (IsNoCase(Name, "Hash")) {
    Say("the table has a fixed size (50331653 entries, 624 MiB); Hash cannot be set");
  } else {
    Say("no option named ", Name, "; ignored");
  }
}

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

// Plays one move of a position list; false when it is not legal here.
bool PlayListMove(const char *W) {
  ShortStr Move;
  bool Promotes, Under;
  if (!FromUciMove(W, Move, Promotes, Under)) return false;
  if (Under) {
    Say("promotion to anything but a queen is not supported: ", W, "");
    return false;
  }
  if (!IsLegalMove(Move)) return false;
  const int8_t From = SquareOf(Move[0], Move[1]), To = SquareOf(Move[2], Move[3]);
  const bool Promotion = IsPawnCode(PieceOn(Data[0], From)) && IsLastRank(To);
  if (Promotes && !Promotion) return false;
  if (InLibrary) {
    if (OpeningStr.Length() + 4 > OpeningStr.Capacity())
      InLibrary = false; // longer than any book line can be
    else
      OpeningStr.Append(Move);
  }
  MakeMove(MoveStrToMoveRec(Move), false);
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
  if (!Start) {
    std::size_t L = 0;
    int Field = 0;
    for (; I < NumWords && !Is(Word[I], "moves"); ++I, ++Field) {
      const std::size_t WL = std::strlen(Word[I]);
      if (Field == 3) EpField = Word[I];
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
  }
  for (++I; I < NumWords; ++I) {
    if (!PlayListMove(Word[I])) {
      Say("illegal move ", Word[I],
          " in the position's list; it and the moves after it are not played");
      return;
    }
  }
}

// A number of a go line: digits, a minus sign allowed for the clocks (an
// interface may send a clock that has run below zero).
bool GoNumber(const char *W, bool Signed, int64_t &V) {
  const char *C = W;
  bool Negative = false;
  if (*C == '-' && Signed) {
    Negative = true;
    ++C;
  }
  if (*C == '\0' || std::strlen(C) > 15) return false;
  V = 0;
  for (; *C; ++C) {
    if (*C < '0' || *C > '9') return false;
    V = V * 10 + (*C - '0');
  }
  if (Negative) V = 0;
  return true;
}

// The first legal move in the generator's order, for a search stopped before
// it finished a single root move; NoMove when there is none.
MoveRec FirstLegalMove() {
  static MoveRec Candidates[MoveListCapacity];
  Ply = 0;
  const uint16_t N = GenMoveList(Str4());
  for (uint16_t I = 0; I < N; ++I) Candidates[I] = GetAMove(N);
  for (uint16_t I = 0; I < N; ++I) {
    const ShortStr Text = SquaresToStr(Candidates[I].FromSq, Candidates[I].ToSq);
    if (IsLegalMove(Text)) return MoveStrToMoveRec(Text);
  }
  return NoMove;
}

// Waits until the interface says stop (or quits, or goes away).
void WaitForStop() {
  while (!StopNow) {
    ServeWhileThinking();
    if (StopNow) break;
    // A buffer full of other commands leaves no room for the stop: answer.
    if (InLen == InCapacity) break;
    ReadInput(true);
  }
}

void CmdGo() {
  int64_t Time[2] = {-1, -1}, Inc[2] = {0, 0};
  int64_t MovesToGo = 0, MoveTimeArg = -1, DepthArg = -1, Unused = 0;
  bool Infinite = false;
  for (int I = 1; I < NumWords; ++I) {
    const char *W = Word[I];
    int64_t *Target = nullptr;
    bool Signed = false;
    if (Is(W, "wtime") || Is(W, "btime")) {
      Target = &Time[W[0] == 'w' ? 0 : 1];
      Signed = true;
    } else if (Is(W, "winc") || Is(W, "binc")) {
      Target = &Inc[W[0] == 'w' ? 0 : 1];
    } else if (Is(W, "movestogo")) {
      Target = &MovesToGo;
    } else if (Is(W, "movetime")) {
      Target = &MoveTimeArg;
    } else if (Is(W, "depth")) {
      Target = &DepthArg;
    } else if (Is(W, "nodes") || Is(W, "mate")) {
      Say("go ", W, " is not supported; searching without it");
      Target = &Unused;
    } else if (Is(W, "infinite")) {
      Infinite = true;
    } else if (Is(W, "ponder")) {
      Say("pondering is not supported; searching as usual");
    } else if (Is(W, "searchmoves")) {
      Say("searchmoves is not supported; searching all moves");
      ShortStr M;
      bool P, U;
      while (I + 1 < NumWords && FromUciMove(Word[I + 1], M, P, U)) ++I;
    } else {
      Say("go: unknown word ", W, "; line ignored");
      return;
    }
    if (Target) {
      if (I + 1 >= NumWords || !GoNumber(Word[I + 1], Signed, *Target)) {
        Say("go: ", W, " needs a number; line ignored");
        return;
      }
      ++I;
    }
  }

  GoTime = GetTickCount64();
  LastPoll = GoTime;
  StopNow = false;
  Deadline = 0;
  FixedDepth = NoFixedDepth;
  FirstDepth = ConsoleFirstDepth;
  MoveTimeMs = NoLimit;
  if (DepthArg >= 0) {
    const int64_t D = DepthArg < 1 ? 1 : (DepthArg > MaxPly ? MaxPly : DepthArg);
    FixedDepth = static_cast<uint8_t>(D);
    if (FixedDepth < FirstDepth) FirstDepth = FixedDepth;
  }
  const int Side = WhosMove == WMove ? 0 : 1;
  uint64_t Budget = 0;
  if (MoveTimeArg >= 0)
    Budget = MoveTimeArg == 0 ? 1 : static_cast<uint64_t>(MoveTimeArg);
  else if (Time[Side] >= 0)
    Budget = MoveBudgetMs(static_cast<uint64_t>(Time[Side]), static_cast<uint64_t>(Inc[Side]),
                          static_cast<uint32_t>(MovesToGo > 1000 ? 1000 : MovesToGo));
  if (Infinite) Budget = 0;
  if (Budget > 0) {
    // Both limits count whole ticks: one more, so that neither fires while
    // less than the budget has really passed.
    MoveTimeMs = Budget + 1;
    Deadline = GoTime + Budget;
  }
  // Without a clock or a depth the search runs until stop, as with infinite.
  UntilStop = Infinite || (Budget == 0 && DepthArg < 0);

  // The book answers a game's moves, not analysis: only a search on the clock
  // uses it, and the book state stays that of the position.
  const bool SavedInLibrary = InLibrary;
  const Str255 SavedOpening = OpeningStr;
  InLibrary = InLibrary && OwnBook && Budget > 0;
  Ply = 0;
  MoveRec M = CalcMove();
  InLibrary = SavedInLibrary;
  OpeningStr = SavedOpening;
  if (M.FromSq < 0) M = FirstLegalMove();
  if (M.FromSq < 0) {
    // Mate or stalemate on the board: the score the interface can show.
    Put(InCheck(WhosMove) ? "info depth 0 score mate 0" : "info depth 0 score cp 0");
    EndLine();
  }
  if (UntilStop) WaitForStop();

  FixedDepth = NoFixedDepth;
  FirstDepth = ConsoleFirstDepth;
  Deadline = 0;
  UntilStop = false;
  if (QuitNow) return;
  Put("bestmove ");
  if (M.FromSq < 0) {
    Put("0000");
  } else {
    int8_t Sq[64];
    SquaresOf(Data[0], Sq);
    char Text[6];
    UciMoveText(Sq, SquaresToStr(M.FromSq, M.ToSq).c_str(), Text);
    Put(Text);
  }
  EndLine();
  // The next search starts by emptying the table; doing it now, while the
  // opponent's clock runs, takes that work off ours. The search sees the same.
  ZeroTTs();
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
    Put("readyok");
    EndLine();
  } else if (Is(C, "setoption")) {
    CmdSetOption();
  } else if (Is(C, "ucinewgame")) {
    NewGame();
  } else if (Is(C, "position")) {
    CmdPosition();
  } else if (Is(C, "go")) {
    CmdGo();
  } else if (Is(C, "quit")) {
    return false;
  } else if (Is(C, "d")) {
    CmdShowPosition();
  } else if (Is(C, "stop") || Is(C, "ponderhit") || Is(C, "debug") || Is(C, "register")) {
    // Nothing to stop or to ponder on; debug output and registration do not exist.
  } else {
    Say("unknown command ", C, "; ignored");
  }
  return !QuitNow && !OutBroken;
}

} // namespace

uint64_t MoveBudgetMs(uint64_t Left, uint64_t Inc, uint32_t MovesToGo) {
  // Kept back from every budget: the pipes, the interface's own bookkeeping
  // and the last node searched after the deadline.
  const uint64_t Reserve = 50 + Left / 20;
  const uint64_t Usable = Left > Reserve ? Left - Reserve : 0;
  // Without a count of moves to go the game is taken to last 30 more moves;
  // the share shrinks with the clock, so it never runs out.
  const uint64_t Moves = MovesToGo == 0 ? 30 : MovesToGo;
  uint64_t Budget = Usable / Moves + Inc * 3 / 4;
  if (Budget > Usable) Budget = Usable;
  return Budget == 0 ? 1 : Budget;
}

void UciMoveText(const int8_t Squares[64], const char *EngineMove, char (&Out)[6]) {
  for (int I = 0; I < 4; ++I) {
    const char C = EngineMove[I];
    Out[I] = static_cast<char>(C >= 'A' && C <= 'Z' ? C + 32 : C);
  }
  Out[4] = '\0';
  if (!IsEngineMoveText(EngineMove)) return;
  const int8_t From = SquareOf(EngineMove[0], EngineMove[1]);
  const int8_t To = SquareOf(EngineMove[2], EngineMove[3]);
  if (IsPawnCode(Squares[From]) && IsLastRank(To)) {
    Out[4] = 'q';
    Out[5] = '\0';
  }
}

int RunUci(int InFd, int OutFd) {
  In = InFd;
  Out = OutFd;
  InLen = 0;
  InEnded = Skipping = OutBroken = QuitNow = false;
  DroppedLines = 0;
  LibFileName = BookPath;
  Install();
  NewGame();
  for (;;) {
    if (DroppedLines > 0) {
      Say("line longer than 65536 characters; ignored");
      DroppedLines = 0;
    }
    if (TakeLine()) {
      if (!Handle()) break;
      continue;
    }
    if (InEnded || OutBroken) break;
    ReadInput(true);
  }
  Flush();
  ResetFrontEnd();
  return 0;
}
