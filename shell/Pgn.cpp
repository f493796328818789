#include "shell/Pgn.h"

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

#include "board/Squares.h"
#include "board/Types.h"
#include "game/History.h"
#include "game/San.h"
#include "game/TakeBack.h"
#include "platform/Decimal.h"
#include "platform/Terminal.h"
#include "platform/TextFile.h"
#include "seam/Seam.h"
#include "shell/Console.h"

namespace {
constexpr int NameSize = 33;
constexpr int LineLimit = 80;

// The game being recorded is the game's list from its last set-up on
// (game/History.h); this is what the list does not know.
struct Record {
  const char *Path = nullptr;
  char Human[NameSize] = "Human";
  char Date[11] = "????.??.??";
  int Begin = 0; // the game's first entry, as GameBegin() said at the last change
  bool Written = false;
  const char *StartUpWhy = nullptr;
  const char *LastFailure = nullptr;
} R;

// The whole game text, a line end first (see AppendWhole): the tags, and per
// half-move at most a comment on the players (under 100 characters with two
// full names), a number, its SAN and the spaces or breaks between them.
char Out[2048 + MaxGameEntries * 128];
std::size_t OutLen = 0;

// The game of the entries Begin .. End - 1: its moves, in order.
struct GameSpan {
  int Begin, End;
};

int MovesIn(const GameSpan &G) {
  int N = 0;
  for (int I = G.Begin; I < G.End; ++I) N += TheGame().Entries[I].Kind == EntryKind::Move;
  return N;
}

// The game that ended at the entry End (a set-up): from the set-up before it.
GameSpan GameEndingAt(int End) {
  int Begin = End;
  while (Begin > 0 && TheGame().Entries[Begin - 1].Kind != EntryKind::SetUp) --Begin;
  return {Begin, End};
}

GameSpan CurrentGame() { return {GameBegin(), TheGame().Count}; }

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

// How the game's last move ended it, or "*".
const char *ResultOf(const GameSpan &G) {
  for (int I = G.End - 1; I >= G.Begin; --I) {
    const GameEntry &E = TheGame().Entries[I];
    if (E.Kind != EntryKind::Move) continue;
    if (!E.Over) return "*";
    if (!std::strchr(E.San, '#')) return "1/2-1/2";
    return E.Side == WMove ? "1-0" : "0-1";
  }
  return "*";
}

// The FEN tag of a set-up: the console's positions carry no counters, and
// their game counts from its first move.
void FenOf(const GameOrigin &O, char (&Fen)[FenTextSize + 32]) {
  char Text[FenTextSize];
  FenTextOf(*O.D, O.Side, Text);
  std::strcpy(Fen, Text);
  const std::size_t L = std::strlen(Fen);
  if (L > 0 && Fen[L - 1] == ' ') std::strcat(Fen, "-");
  const int8_t Ep = O.D->EnPasSq;
  std::strcat(Fen, " ");
  if (Ep >= 0 && Ep < 64) {
    const char Square[] = {static_cast<char>('a' + (Ep & 7)), static_cast<char>('1' + (Ep >> 3)),
                           '\0'};
    std::strcat(Fen, Square);
  } else {
    std::strcat(Fen, "-");
  }
  char Count[12];
  std::strcat(Fen, " ");
  Decimal(O.HalfMoves, Count);
  std::strcat(Fen, Count);
  std::strcat(Fen, " ");
  Decimal(O.FullMove, Count);
  std::strcat(Fen, Count);
}

void BuildText(const GameSpan &G) {
  const GameEntry *Entries = TheGame().Entries;
  const GameOrigin O = OriginOf(G.Begin);
  int First = G.Begin;
  while (Entries[First].Kind != EntryKind::Move) ++First;
  OutLen = 0;
  Put("\n");
  // The first move's maker plays its side, the other player the other side.
  const bool FirstByComputer = Entries[First].Tag != 0;
  const bool WhiteByComputer = O.Side == WMove ? FirstByComputer : !FirstByComputer;
  const char *Result = ResultOf(G);
  PutTag("Event", "Casual game");
  PutTag("Site", "?");
  PutTag("Date", R.Date);
  PutTag("Round", "-");
  PutTag("White", NameOf(WhiteByComputer));
  PutTag("Black", NameOf(!WhiteByComputer));
  PutTag("Result", Result);
  if (O.SetUp) {
    char Fen[FenTextSize + 32];
    FenOf(O, Fen);
    PutTag("SetUp", "1");
    PutTag("FEN", Fen);
  }
  char Count[12];
  Decimal(static_cast<uint32_t>(MovesIn(G)), Count);
  PutTag("PlyCount", Count);
  Put("\n");
  LineLen = 0;
  if (O.Forgotten > 0) {
    char Note[64] = "{the ";
    Decimal(O.Forgotten, Note + std::strlen(Note));
    std::strcat(Note, " half-moves before are not recorded}");
    PutToken(Note);
  }
  uint32_t MoveNo = O.FullMove;
  bool White = O.Side == WMove;
  bool NeedNumber = true;
  char Token[24];
  const GameEntry *Last = nullptr;
  for (int I = First; I < G.End; ++I) {
    const GameEntry &P = Entries[I];
    if (P.Kind != EntryKind::Move) continue;
    const bool ByComputer = P.Tag != 0;
    if (Last && ByComputer == (Last->Tag != 0)) {
      // The same player made two half-moves in a row: the roles changed.
      char Note[2 * NameSize + 48] = "{from here ";
      std::strcat(Note, NameOf(ByComputer));
      std::strcat(Note, White ? " plays White and " : " plays Black and ");
      std::strcat(Note, NameOf(!ByComputer));
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
    Last = &P;
    NeedNumber = false;
    if (!White) ++MoveNo;
    White = !White;
  }
  PutToken(Result);
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

// A start a PGN reader takes: one king a side, no pawn on the first or last
// rank.
bool LegalStart(const GameSpan &G) {
  const GameOrigin O = OriginOf(G.Begin);
  if (!O.SetUp) return true;
  int Kings[2] = {0, 0};
  for (int Sq = 0; Sq < 64; ++Sq) {
    const int8_t P = PieceOn(*O.D, Sq);
    if ((P & 7) == WKing) ++Kings[P == WKing ? 0 : 1];
    if (IsPawnCode(P) && IsLastRank(Sq)) return false;
  }
  return Kings[0] == 1 && Kings[1] == 1;
}

void WriteBeforeTheEnd() {
  const GameSpan G = CurrentGame();
  if (!R.Path || R.Written || MovesIn(G) == 0 || !LegalStart(G)) return;
  BuildText(G);
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

void Write(const GameSpan &G) {
  Changing Guard;
  if (!LegalStart(G)) {
    // Said once: the game counts as written.
    R.Written = true;
    R.LastFailure = "no legal PGN start";
    if (!Quit) ErrorMsg("Game Not Saved: no legal PGN start");
    return;
  }
  BuildText(G);
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
  std::strcpy(R.Human, "Human");
}

void PgnGameStart() {
  Changing Guard;
  R.Begin = GameBegin();
  R.Written = false;
}

MoveRefusal PlayRecorded(const ShortStr &Text, bool ByComputer) {
  Changing Guard;
  const bool First = MovesIn(CurrentGame()) == 0;
  const MoveRefusal Why = PlayMove(Text, 0, ByComputer ? 1 : 0);
  if (Why != MoveRefusal::None || !R.Path) return Why;
  if (First) TakeDate();
  R.Written = false;
  if (TheGame().Entries[TheGame().Count - 1].Over) Write(CurrentGame());
  return Why;
}

void PgnTakeBack() {
  Changing Guard;
  TakeBackMove();
  // Back past a set-up, into the game before it: that game was written when
  // it was left, and taking back alone never writes it twice.
  if (GameBegin() < R.Begin) R.Written = true;
  R.Begin = GameBegin();
}

void PgnGameLeft() {
  const GameSpan G = CurrentGame();
  if (!R.Path || R.Written || MovesIn(G) == 0) return;
  Write(G);
}

void PgnSetUpMade() {
  const int SetUp = GameBegin() - 1;
  if (R.Path && !R.Written && SetUp >= 0) {
    const GameSpan G = GameEndingAt(SetUp);
    if (MovesIn(G) > 0) Write(G);
  }
  PgnGameStart();
}

void PgnShowStartUpMessage() {
  if (!R.StartUpWhy) return;
  char Text[80] = "Games Not Saved: ";
  std::strncat(Text, R.StartUpWhy, sizeof Text - std::strlen(Text) - 1);
  ErrorMsg(Text);
}

const char *PgnLastFailure() { return R.Path ? R.LastFailure : nullptr; }
