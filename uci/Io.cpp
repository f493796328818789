#include "uci/Io.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Decimal.h"

namespace Uci {
namespace {

// A word of the input quoted back in a message is cut to this length.
constexpr std::size_t QuoteLength = 40;

int Out = 1;
char OutBuf[8192];
std::size_t OutLen = 0;
bool OutBroken = false; // a write failed: nobody reads the answers any more
// What starts a line of notes: UCI's info string, or the comment mark of the
// xboard protocol, whose interfaces show such lines only in their logs.
const char *NotePrefix = "info string ";

int In = 0;
char InBuf[InCapacity];
std::size_t InLen = 0;
bool InEnded = false;
bool Skipping = false;     // dropping the rest of a line longer than the buffer
uint32_t DroppedLines = 0; // such lines not yet reported

char Line[InCapacity + 1];  // the line taken
char Words[InCapacity + 1]; // Line cut into words in place

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\f' || C == '\v'; }

// Input quoted back: control characters, 8-bit bytes and the backslash are
// written as escapes, so that no raw byte of the input reaches the interface.
void PutEscaped(const char *S, std::size_t L) {
  static const char Hex[] = "0123456789abcdef";
  for (std::size_t I = 0; I < L; ++I) {
    const unsigned char C = static_cast<unsigned char>(S[I]);
    if (C == '\\') {
      Put("\\\\", 2);
    } else if (C < 0x20 || C >= 0x7f) {
      const char E[4] = {'\\', 'x', Hex[C >> 4], Hex[C & 15]};
      Put(E, 4);
    } else {
      Put(S + I, 1);
    }
  }
}

void PutQuoted(const char *W, std::size_t L) {
  Put("'");
  PutEscaped(W, L < QuoteLength ? L : QuoteLength);
  Put(L > QuoteLength ? "...'" : "'");
}
void PutQuoted(const char *W) { PutQuoted(W, std::strlen(W)); }

} // namespace

const char *Word[MaxWords];
int NumWords = 0;

void StartIo(int InFd, int OutFd) {
  In = InFd;
  Out = OutFd;
  InLen = 0;
  InEnded = Skipping = OutBroken = false;
  DroppedLines = 0;
  NotePrefix = "info string ";
}

void NotesAs(const char *Prefix) { NotePrefix = Prefix; }

// ---- output -----------------------------------------------------------------

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
  int N = 0;
  const bool Negative = V < 0;
  if (Negative) B[N++] = '-';
  N += DecimalDigits(Negative ? static_cast<uint64_t>(-(V + 1)) + 1 : static_cast<uint64_t>(V),
                     B + N);
  Put(B, static_cast<std::size_t>(N));
}

void EndLine() {
  Put("\n", 1);
  Flush();
}

void Say(const char *A, const char *Quoted, const char *B) {
  Put(NotePrefix);
  Put(A);
  if (Quoted) PutQuoted(Quoted);
  if (B) Put(B);
  EndLine();
}

void SayRaw(const char *A, const char *Text, std::size_t L) {
  Put(NotePrefix);
  Put(A);
  PutQuoted(Text, L);
  EndLine();
}

bool OutputBroken() { return OutBroken; }

// ---- input ------------------------------------------------------------------

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

bool InputEnded() { return InEnded; }
bool InputFull() { return InLen == InCapacity; }

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

const char *QueuedAt(std::size_t Pos) { return InBuf + Pos; }

bool TakeLine() {
  std::size_t End, Next;
  if (!LineAt(0, End, Next)) return false;
  TakeLineAt(0, End, Next);
  return true;
}

void TakeLineAt(std::size_t Pos, std::size_t End, std::size_t Next) {
  std::memcpy(Line, InBuf + Pos, End - Pos);
  Line[End - Pos] = '\0';
  DropLine(Pos, Next);
}

void SayDroppedLines() {
  if (DroppedLines > 0) {
    Say("line longer than 65536 characters; ignored");
    DroppedLines = 0;
  }
}

bool FirstWordIs(const char *S, std::size_t L, const char *W) {
  std::size_t I = 0;
  while (I < L && IsBlank(S[I])) ++I;
  const std::size_t WL = std::strlen(W);
  if (L - I < WL || std::memcmp(S + I, W, WL) != 0) return false;
  for (I += WL; I < L; ++I)
    if (!IsBlank(S[I])) return false;
  return true;
}

bool StartsWithWord(const char *S, std::size_t L, const char *W) {
  std::size_t I = 0;
  while (I < L && IsBlank(S[I])) ++I;
  const std::size_t WL = std::strlen(W);
  return L - I >= WL && std::memcmp(S + I, W, WL) == 0 && (L - I == WL || IsBlank(S[I + WL]));
}

// ---- words ------------------------------------------------------------------

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

const char *RestOfLine(int I, char (&Buf)[256]) {
  const char *Start = Line + (Word[I] - Words);
  std::size_t L = std::strlen(Start);
  while (L > 0 && IsBlank(Start[L - 1])) --L;
  if (L >= sizeof Buf) return nullptr;
  std::memcpy(Buf, Start, L);
  Buf[L] = '\0';
  return Buf;
}

} // namespace Uci
