#include "shell/Pgn.h"

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

#include "board/Globals.h"
#include "board/Squares.h"
#include "frontend/FrontEnd.h"
#include "game/San.h"
#include "platform/Decimal.h"
#include "platform/Terminal.h"
#include "platform/TextFile.h"
#include "shell/Console.h"

namespace {
// Far beyond a console game at a move a minute; later moves are not recorded,
// and the record says so.
constexpr int MaxPlies = 2048;
constexpr int NameSize = 33;
constexpr int LineLimit = 80;

// What tells positions apart for a takeback: placement, side and castling.
struct Snapshot {
  uint32_t Board[8];
  int8_t Side;
  uint8_t Castle;
};

struct PlyRec {
  char San[SanSize];
  bool ByComputer;
};

struct Record {
  const char *Path = nullptr;
  char Human[NameSize] = "Human";
  char FixedDate[11] = "";
  char Date[11] = "????.??.??";
  bool SetUp = false;
  char Fen[FenTextSize + 32] = "";
  uint16_t Base = 0; // MoveNum at the start
  int8_t StartSide = WMove;
  uint16_t NumPlies = 0;
  bool Full = false;
  bool Written = false;
  const char *Result = "*";
  PlyRec Plies[MaxPlies];
  Snapshot Positions[MaxPlies + 1]; // [0]: the start, [I]: after ply I
  const char *StartUpWhy = nullptr;
  const char *LastFailure = nullptr;
  // The editor and r take positions no PGN reader does (no king, a pawn on
  // its last rank): such a game is played but never written.
  bool NoLegalStart = false;
} R;

// The whole game text, a line end first (see AppendWhole): the tags, and per
// half-move at most a comment on the players (under 100 characters with two
// full names), a number, its SAN and the spaces or breaks between them.
char Out[2048 + MaxPlies * 128];
std::size_t OutLen = 0;

Snapshot Now() {
  Snapshot S{};
  const DataType &D = GamePosition();
  std::memcpy(S.Board, D.Board, sizeof S.Board);
  S.Side = SideToMove();
  S.Castle = D.CastleStat;
  return S;
}

bool Same(const Snapshot &A, const Snapshot &B) {
  return std::memcmp(A.Board, B.Board, sizeof A.Board) == 0 && A.Side == B.Side &&
         A.Castle == B.Castle;
}

// Letters, digits and a few marks only, so that the name can stand inside a
// tag's quotes and a comment's braces as it is.
void CopyName(const char *From, char (&To)[NameSize]) {
  int N = 0;
  for (; From && *From && N < NameSize - 1; ++From) {
    const char C = *From;
    const bool Ok = (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') ||
                    C == '.' || C == '_' || C == '-' || C == ' ';
    if (Ok) To[N++] = C;
  }
  To[N] = '\0';
  if (N == 0) std::strcpy(To, "Human");
}

void TakeDate() {
  if (R.FixedDate[0] != '\0') {
    std::memcpy(R.Date, R.FixedDate, sizeof R.Date);
    return;
  }
  const std::time_t T = std::time(nullptr);
  std::tm Tm{};
  if (T == static_cast<std::time_t>(-1) || !localtime_r(&T, &Tm)) return;
  char Text[16];
  if (std::strftime(Text, sizeof Text, "%Y.%m.%d", &Tm) == 10) std::memcpy(R.Date, Text, 11);
}

// ---- the text ----------------------------------------------------------------
void Put(const char *S) {
  const std::size_t L = std::strlen(S);
  if (OutLen + L >= sizeof Out) return;
  std::memcpy(Out + OutLen, S, L);
  OutLen += L;
}

// V in decimal at T; returns the end of the digits.
char *Decimal(uint32_t V, char *T) {
  T += DecimalDigits(V, T);
  *T = '\0';
  return T;
}

void PutTag(const char *Name, const char *Value) {
  Put("[");
  Put(Name);
  Put(" \"");
  Put(Value);
  Put("\"]\n");
}

// The move text, broken before a token that would pass the line's limit.
std::size_t LineLen = 0;
void PutToken(const char *Token) {
  const std::size_t L = std::strlen(Token);
  if (LineLen > 0 && LineLen + 1 + L > LineLimit) {
    Put("\n");
    LineLen = 0;
  } else if (LineLen > 0) {
    Put(" ");
    ++LineLen;
  }
  Put(Token);
  LineLen += L;
}

const char *NameOf(bool Computer) { return Computer ? "torvane3" : R.Human; }

void BuildText() {
  OutLen = 0;
  Put("\n");
  // The first move's maker plays its side, the other player the other side.
  const bool FirstByComputer = R.Plies[0].ByComputer;
  const bool WhiteByComputer = R.StartSide == WMove ? FirstByComputer : !FirstByComputer;
  PutTag("Event", "Casual game");
  PutTag("Site", "?");
  PutTag("Date", R.Date);
  PutTag("Round", "-");
  PutTag("White", NameOf(WhiteByComputer));
  PutTag("Black", NameOf(!WhiteByComputer));
  PutTag("Result", R.Result);
  if (R.SetUp) {
    PutTag("SetUp", "1");
    PutTag("FEN", R.Fen);
  }
  char Count[12];
  Decimal(R.NumPlies, Count);
  PutTag("PlyCount", Count);
  Put("\n");
  LineLen = 0;
  uint32_t MoveNo = 1;
  bool White = R.StartSide == WMove;
  bool NeedNumber = true;
  char Token[24];
  for (int I = 0; I < R.NumPlies; ++I) {
    const PlyRec &P = R.Plies[I];
    if (I > 0 && P.ByComputer == R.Plies[I - 1].ByComputer) {
      // The same player made two half-moves in a row: the roles changed.
      char Note[2 * NameSize + 48] = "{from here ";
      std::strcat(Note, NameOf(P.ByComputer));
      std::strcat(Note, White ? " plays White and " : " plays Black and ");
      std::strcat(Note, NameOf(!P.ByComputer));
      std::strcat(Note, White ? " Black}" : " White}");
      PutToken(Note);
      NeedNumber = true;
    }
    if (White || NeedNumber) {
      char *T = Decimal(MoveNo, Token);
      for (const char *S = White ? "." : "..."; *S; ++S) *T++ = *S;
      *T = '\0';
      PutToken(Token);
    }
    PutToken(P.San);
    NeedNumber = false;
    if (!White) ++MoveNo;
    White = !White;
  }
  if (R.Full) PutToken("{the record holds only the first 2048 half-moves}");
  PutToken(R.Result);
  Put("\n\n");
}

// ---- the end by a signal ---------------------------------------------------
// A signal that ends the program (a closed window, kill, Ctrl-C) writes the
// game in progress, from its handler. While the record is being changed it
// waits: the change ends by finishing what the handler would have done.
volatile sig_atomic_t Busy = 0, PendingSignal = 0;

void SayOnStderr(const char *S) {
  if (write(2, S, std::strlen(S)) < 0) {
    // Nowhere left to say it.
  }
}

void WriteBeforeTheEnd() {
  if (!R.Path || R.Written || R.NumPlies == 0 || R.NoLegalStart) return;
  BuildText();
  if (AppendWholeNow(R.Path, Out, OutLen) == 0) return;
  SayOnStderr("torvane3: the game in progress could not be added to ");
  SayOnStderr(R.Path);
  SayOnStderr("\n");
}

bool OnEndingSignal(int Sig) {
  if (Busy) {
    PendingSignal = Sig;
    return false;
  }
  WriteBeforeTheEnd();
  return true;
}

// Changes nest (a move that mates writes the game): the last to end acts.
struct Changing {
  Changing() { Busy = Busy + 1; }
  ~Changing() {
    Busy = Busy - 1;
    if (Busy == 0 && PendingSignal != 0) {
      WriteBeforeTheEnd();
      EndOnSignal(PendingSignal);
    }
  }
};

// A start a PGN reader takes: one king a side, no pawn on the first or last
// rank.
bool LegalStart() {
  const DataType &D = GamePosition();
  int Kings[2] = {0, 0};
  for (int Sq = 0; Sq < 64; ++Sq) {
    const int8_t P = PieceOn(D, Sq);
    if ((P & 7) == WKing) ++Kings[P == WKing ? 0 : 1];
    if (IsPawnCode(P) && IsLastRank(Sq)) return false;
  }
  return Kings[0] == 1 && Kings[1] == 1;
}

void Write() {
  Changing Guard;
  if (R.NoLegalStart) {
    // Said once: the game counts as written.
    R.Written = true;
    R.LastFailure = "no legal PGN start";
    if (!Quit) ErrorMsg("Game Not Saved: no legal PGN start");
    return;
  }
  BuildText();
  R.LastFailure = AppendWhole(R.Path, Out, OutLen);
  // A game that could not be written is tried again when it is left.
  R.Written = R.LastFailure == nullptr;
  // At the end the screen is about to go: main says it on stderr instead.
  if (R.LastFailure && !Quit) ErrorMsg("PGN Write Failed");
}
} // namespace

bool PgnOpen(const char *Path) {
  R.Path = Path;
  const char *Name = std::getenv("LOGNAME");
  if (!Name || !*Name) Name = std::getenv("USER");
  if (!Name || !*Name) Name = getlogin();
  CopyName(Name, R.Human);
  // The time zone is read now, so that dating a game later reads no file.
  tzset();
  // One message says it at start-up; the games are then played unrecorded.
  R.StartUpWhy = CheckAppendable(Path);
  if (R.StartUpWhy) R.Path = nullptr;
  SetSignalHook(OnEndingSignal);
  return R.StartUpWhy == nullptr;
}

void PgnClose() {
  R.Path = nullptr;
  R.StartUpWhy = R.LastFailure = nullptr;
  R.FixedDate[0] = '\0';
  std::strcpy(R.Human, "Human");
}

void PgnSetHuman(const char *Name) { CopyName(Name, R.Human); }
void PgnFixDate(const char *Date) {
  std::strncpy(R.FixedDate, Date, sizeof R.FixedDate - 1);
  R.FixedDate[sizeof R.FixedDate - 1] = '\0';
}

void PgnGameStart(bool SetUp) {
  if (!R.Path) return;
  Changing Guard;
  R.SetUp = SetUp;
  R.Base = MoveNum;
  R.StartSide = SideToMove();
  R.NumPlies = 0;
  R.Full = R.Written = false;
  R.Result = "*";
  R.Positions[0] = Now();
  R.NoLegalStart = SetUp && !LegalStart();
  if (!SetUp) return;
  // The console's FEN holds no counters: the game counts from its first move.
  char Text[FenTextSize];
  FenText(Text);
  std::strcpy(R.Fen, Text);
  const std::size_t L = std::strlen(R.Fen);
  if (L > 0 && R.Fen[L - 1] == ' ') std::strcat(R.Fen, "-");
  const int8_t Ep = GamePosition().EnPasSq;
  std::strcat(R.Fen, " ");
  if (Ep >= 0 && Ep < 64) {
    const char Square[] = {static_cast<char>('a' + (Ep & 7)), static_cast<char>('1' + (Ep >> 3)),
                           '\0'};
    std::strcat(R.Fen, Square);
  } else {
    std::strcat(R.Fen, "-");
  }
  std::strcat(R.Fen, " 0 1");
}

MoveRefusal PlayRecorded(const ShortStr &Text, bool ByComputer) {
  if (!R.Path) return PlayMove(Text, 0, false);
  char San[SanSize];
  MoveSAN(Text, San);
  const MoveRefusal Why = PlayMove(Text, 0, false);
  if (Why != MoveRefusal::None) return Why;
  Changing Guard;
  if (R.NumPlies == MaxPlies) {
    R.Full = true;
    R.Written = false;
    R.Result = "*";
    return Why;
  }
  const bool Check = SideToMoveInCheck();
  const bool Over = !SideToMoveCanMove();
  if (Check) std::strcat(San, Over ? "#" : "+");
  if (R.NumPlies == 0) TakeDate();
  PlyRec &P = R.Plies[R.NumPlies++];
  std::memcpy(P.San, San, sizeof San);
  P.ByComputer = ByComputer;
  R.Positions[R.NumPlies] = Now();
  R.Written = false;
  R.Result = !Over ? "*" : !Check ? "1/2-1/2" : SideToMove() == WMove ? "0-1" : "1-0";
  if (Over) Write();
  return Why;
}

void PgnTakeBack() {
  if (!R.Path) return;
  Changing Guard;
  const int K = MoveNum - R.Base;
  if (K >= 0 && K <= R.NumPlies && Same(R.Positions[K], Now())) {
    if (K < R.NumPlies) {
      R.NumPlies = static_cast<uint16_t>(K);
      R.Result = "*";
      R.Full = false;
    }
    return;
  }
  if (R.Full && K > R.NumPlies) return;
  PgnGameStart(true);
}

void PgnGameLeft() {
  if (!R.Path || R.Written || R.NumPlies == 0) return;
  Write();
}

void PgnShowStartUpMessage() {
  if (!R.StartUpWhy) return;
  char Text[80] = "Games Not Saved: ";
  std::strncat(Text, R.StartUpWhy, sizeof Text - std::strlen(Text) - 1);
  ErrorMsg(Text);
}

const char *PgnLastFailure() { return R.Path ? R.LastFailure : nullptr; }
