// The real terminal: ANSI sequences on standard output, keys from standard
// input. Output collects in a fixed buffer and leaves in few write(2) calls;
// the terminal's cursor and colours are tracked so that nothing is sent twice.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>

#include "platform/Decimal.h"
#include "platform/Terminal.h"

namespace {

constexpr int InFd = 0, OutFd = 1;

// The text palette orders its colours blue, green, cyan, red; ANSI orders
// them red, green, yellow, blue: this is the index of each palette colour.
constexpr int AnsiOf[8] = {0, 4, 2, 6, 1, 5, 3, 7};

// Plain colours, cursor shown, line wrap back on, the prompt below the layout.
constexpr char RestoreSeq[] = "\x1b[0m\x1b[?25h\x1b[?7h\x1b[25;1H\r\n";

termios Saved;
volatile sig_atomic_t RawOn = 0;  // Saved must be put back
volatile sig_atomic_t Active = 0; // InitTerminal has drawn and not yet restored

// A change of size (SIGWINCH) sets the flag and writes a byte to the pipe, so
// that a wait for a key wakes up however the signal and the wait interleave.
volatile sig_atomic_t Resized = 0;
int WakeRead = -1, WakeWrite = -1;

// Only write(2) in here: the signal handlers use it too.
void WriteAll(const char *P, std::size_t N) {
  while (N > 0) {
    const ssize_t W = write(OutFd, P, N);
    if (W < 0) {
      if (errno == EINTR) continue;
      return; // a closed or broken output: nothing more can be shown
    }
    P += W;
    N -= static_cast<std::size_t>(W);
  }
}

// The terminal's size; false when it tells none.
bool TermSize(int &Cols, int &Rows) {
  winsize W = {};
  if (!isatty(OutFd) || ioctl(OutFd, TIOCGWINSZ, &W) != 0 || (W.ws_col == 0 && W.ws_row == 0))
    return false;
  Cols = W.ws_col, Rows = W.ws_row;
  return true;
}

// Decimal text of a small non-negative number; returns the count.
int NumText(int V, char *Buf) { return DecimalDigits(V > 0 ? static_cast<uint64_t>(V) : 0, Buf); }

class RealDevice final : public TermDevice {
public:
  void PutCell(int X, int Y, char Ch, int Fg, int Bg) override {
    if (TooSmall) return;
    // The cursor would flicker across the screen while it is drawn; it is
    // shown again when the program waits for a key.
    if (CursorShown) {
      Emit("\x1b[?25l");
      CursorShown = false;
    }
    Place(X, Y);
    if (Fg != TermFg || Bg != TermBg) SetColours(Fg, Bg);
    const unsigned char U = static_cast<unsigned char>(Ch);
    const char C = (U >= 32 && U < 127) ? Ch : '?';
    Emit(&C, 1);
    // Past the last column the terminal's position is its own business.
    TermX = X < ScreenCols ? X + 1 : 0;
  }

  void MoveCursor(int X, int Y) override { WantX = X, WantY = Y; }
  void Flush() override { Flush(false); }

  bool KeyWaiting() override {
    if (Resized || Ended || InPos < InLen) return true;
    // The search asks after every move it makes; one system call per clock
    // tick (a few milliseconds) is as quick to notice a key and far cheaper.
    timespec Now;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &Now);
    if (Now.tv_sec == LastPoll.tv_sec && Now.tv_nsec == LastPoll.tv_nsec) return false;
    LastPoll = Now;
    Flush(false);
    pollfd P = {InFd, POLLIN, 0};
    const int R = poll(&P, 1, 0);
    if (R < 0 && errno != EINTR) Ended = true;
    // A key seen now must still be seen by the next call, whatever the clock.
    if (R > 0) LastPoll = {};
    return R > 0 || Ended;
  }

  int GetKey() override {
    if (TakeResize()) return DevResized;
    if (InPos < InLen) return In[InPos++];
    if (Ended) return -1;
    Flush(true);
    for (;;) {
      pollfd P[2] = {{InFd, POLLIN, 0}, {WakeRead, POLLIN, 0}};
      const int R = poll(P, WakeRead >= 0 ? 2 : 1, -1);
      if (TakeResize()) return DevResized;
      if (R < 0 && errno == EINTR) continue;
      // Anything else poll may report (hang-up, a closed descriptor) is left
      // to read to tell.
      if (R == 0) continue;
      const ssize_t N = read(InFd, In, sizeof In);
      if (N > 0) {
        InPos = 0;
        InLen = static_cast<std::size_t>(N);
        return In[InPos++];
      }
      if (N < 0 && errno == EINTR) continue;
      if (N < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) continue;
      Ended = true; // end of file, hang-up or a read error
      return -1;
    }
  }

  // Sends what is buffered; with ShowCursor the cursor appears where the
  // program placed it, for a key is about to be awaited.
  void Flush(bool ShowCursor) {
    if (TooSmall) return Send();
    Place(WantX, WantY);
    if (ShowCursor && !CursorShown) {
      Emit("\x1b[?25h");
      CursorShown = true;
    }
    Send();
  }

  // The terminal has been cleared with plain colours by Start's sequence;
  // nothing about its cursor is known.
  void Start() {
    Emit("\x1b[0m\x1b[?7l\x1b[?25l\x1b[2J");
    CursorShown = false;
    Forget();
  }
  void Forget() { TermX = TermY = 0, TermFg = TermBg = -1; }

  bool Reset() override {
    int Cols = ScreenCols, Rows = ScreenRows;
    TermSize(Cols, Rows);
    TooSmall = Cols < ScreenCols || Rows < ScreenRows;
    // Cleared in plain colours, the rows beyond ours included; the cursor
    // stays hidden until the next key is awaited.
    Emit("\x1b[0m\x1b[?25l\x1b[2J\x1b[H");
    CursorShown = false;
    Forget();
    if (TooSmall) {
      char Num[12];
      Emit("Terminal needs 80 x 25 (now ");
      Emit(Num, static_cast<std::size_t>(NumText(Cols, Num)));
      Emit(" x ");
      Emit(Num, static_cast<std::size_t>(NumText(Rows, Num)));
      Emit(")");
    }
    return !TooSmall;
  }

private:
  void Send() {
    WriteAll(Out, OutLen);
    OutLen = 0;
  }
  void Emit(const char *S, std::size_t N) {
    if (OutLen + N > sizeof Out) Send();
    std::memcpy(Out + OutLen, S, N);
    OutLen += N;
  }
  void Emit(const char *S) { Emit(S, std::strlen(S)); }

  void Place(int X, int Y) {
    if (X == TermX && Y == TermY) return;
    char Seq[24] = "\x1b[";
    int N = 2;
    N += NumText(Y, Seq + N);
    Seq[N++] = ';';
    N += NumText(X, Seq + N);
    Seq[N++] = 'H';
    Emit(Seq, static_cast<std::size_t>(N));
    TermX = X, TermY = Y;
  }

  // Colours 0..7 are the normal ANSI foregrounds 30..37, the intense 8..15
  // the bright ones 90..97; a background only has the eight normal ones.
  void SetColours(int Fg, int Bg) {
    char Seq[24] = "\x1b[";
    int N = 2;
    N += NumText((Fg & 8 ? 90 : 30) + AnsiOf[Fg & 7], Seq + N);
    Seq[N++] = ';';
    N += NumText(40 + AnsiOf[Bg & 7], Seq + N);
    Seq[N++] = 'm';
    Emit(Seq, static_cast<std::size_t>(N));
    TermFg = Fg, TermBg = Bg;
  }

  char Out[8192];
  std::size_t OutLen = 0;
  int TermX = 0, TermY = 0, TermFg = -1, TermBg = -1; // 0 / -1: not known
  int WantX = 1, WantY = 1;
  bool CursorShown = true;
  bool TooSmall = false; // cells are only kept by the layer until it grows

  // True once for each change of size since the last call.
  bool TakeResize() {
    if (!Resized) return false;
    Resized = 0;
    char Drain[64];
    while (WakeRead >= 0 && read(WakeRead, Drain, sizeof Drain) > 0) {
    }
    return true;
  }

  unsigned char In[256];
  std::size_t InPos = 0, InLen = 0;
  timespec LastPoll{}; // the clock tick of the last poll of the keyboard
  bool Ended = false;
};

RealDevice Real;

bool (*volatile SignalHook)(int) = nullptr;

extern "C" void OnSignal(int Sig) {
  if (SignalHook && !SignalHook(Sig)) return;
  EndOnSignal(Sig);
}

extern "C" void OnResize(int) {
  const int SavedErrno = errno;
  Resized = 1;
  if (WakeWrite >= 0) {
    const char Byte = 0;
    if (write(WakeWrite, &Byte, 1) < 0) {
      // A full pipe already holds a wake-up.
    }
  }
  errno = SavedErrno;
}

// Only a real terminal changes size. SA_RESTART keeps every other system call
// (file reads among them) unaware of the signal; the wait for a key wakes up
// through the pipe.
void InstallResizeHandler() {
  if (!isatty(OutFd) || WakeRead >= 0) return;
  int Fds[2];
  if (pipe2(Fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  WakeRead = Fds[0], WakeWrite = Fds[1];
  struct sigaction New = {};
  New.sa_handler = OnResize;
  New.sa_flags = SA_RESTART;
  sigemptyset(&New.sa_mask);
  sigaction(SIGWINCH, &New, nullptr);
}

void InstallHandlers() {
  // A closed output pipe ends the program like a hang-up does.
  for (int Sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
    struct sigaction Old = {}, New = {};
    sigaction(Sig, nullptr, &Old);
    // A signal the caller chose to ignore (nohup, a background job) stays ignored.
    if (Old.sa_handler == SIG_IGN) continue;
    New.sa_handler = OnSignal;
    sigemptyset(&New.sa_mask);
    sigaction(Sig, &New, nullptr);
  }
}

// Keys arrive one by one and unechoed; Ctrl-C still interrupts.
void EnterRawMode() {
  if (!isatty(InFd) || tcgetattr(InFd, &Saved) != 0) return;
  termios Raw = Saved;
  Raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN);
  Raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON | ISTRIP);
  Raw.c_cc[VMIN] = 1;
  Raw.c_cc[VTIME] = 0;
  // A suspended program would leave the terminal raw and its screen stale.
  Raw.c_cc[VSUSP] = _POSIX_VDISABLE;
  if (tcsetattr(InFd, TCSANOW, &Raw) == 0) RawOn = 1;
}

} // namespace

bool InitTerminal(FixedStr<255> &Why) {
  Why.Clear();
  if (Active) return true;
  int Cols = 0, Rows = 0;
  // A terminal that reports no size at all is given the benefit of the doubt.
  if (TermSize(Cols, Rows) && (Cols < ScreenCols || Rows < ScreenRows)) {
    char Num[12];
    Why = "torvane3 needs a terminal of at least 80 x 25; this one is ";
    Why.Append(Num, static_cast<std::size_t>(NumText(Cols, Num)));
    Why.Append(" x ");
    Why.Append(Num, static_cast<std::size_t>(NumText(Rows, Num)));
    return false;
  }
  InstallHandlers();
  InstallResizeHandler();
  EnterRawMode();
  static bool AtExitDone = false;
  if (!AtExitDone) AtExitDone = std::atexit(RestoreTerminal) == 0;
  Active = 1;
  Real.Start();
  UseDevice(&Real);
  Real.Flush(false);
  return true;
}

void SetSignalHook(bool (*Hook)(int Sig)) { SignalHook = Hook; }

void EndOnSignal(int Sig) {
  if (Active) WriteAll(RestoreSeq, sizeof RestoreSeq - 1);
  if (RawOn) tcsetattr(InFd, TCSANOW, &Saved);
  _exit(128 + Sig);
}

void RestoreTerminal() {
  if (!Active) return;
  Real.Flush(false);
  WriteAll(RestoreSeq, sizeof RestoreSeq - 1);
  Active = 0;
  if (RawOn) {
    tcsetattr(InFd, TCSANOW, &Saved);
    RawOn = 0;
  }
  Real.Forget();
}
