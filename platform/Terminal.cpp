#include "platform/Terminal.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Decimal.h"

namespace {

// Until a device is installed the screen swallows everything and the keyboard
// has already ended, so nothing reaches the real terminal and nothing waits.
struct NullDevice final : TermDevice {
  void PutCell(int, int, char, int, int) override {}
  void MoveCursor(int, int) override {}
  void Flush() override {}
  bool KeyWaiting() override { return true; }
  int GetKey() override { return -1; }
};

NullDevice Silent;
TermDevice *Dev = &Silent;

// Window (absolute corners), cursor (relative, 1-based) and colours.
int WinX1 = 1, WinY1 = 1, WinX2 = ScreenCols, WinY2 = ScreenRows;
int CurX = 1, CurY = 1;
int Fg = LightGray, Bg = Black;

// What the device shows, kept so that a window can scroll without asking the
// device to read its cells back.
struct ShownCell {
  char Ch;
  uint8_t Fg, Bg;
};
ShownCell Shown[ScreenRows][ScreenCols];

// One key fetched ahead (by KeyPressed or WaitForKey) and the keyboard state.
bool HasPending = false;
int Pending = 0;
bool InputEnded = false;
bool PrevWasCR = false;

int WinW() { return WinX2 - WinX1 + 1; }
int WinH() { return WinY2 - WinY1 + 1; }

void Put(int X, int Y, char Ch, int F, int B) {
  Shown[Y - 1][X - 1] = {Ch, static_cast<uint8_t>(F), static_cast<uint8_t>(B)};
  Dev->PutCell(X, Y, Ch, F, B);
}

// The visible cursor sits on the last column while a wrap is pending.
void SyncCursor() {
  const int X = CurX > WinW() ? WinW() : CurX;
  Dev->MoveCursor(WinX1 + X - 1, WinY1 + CurY - 1);
}

void BlankRow(int Y, int FromX) {
  for (int X = FromX; X <= WinW(); ++X) Put(WinX1 + X - 1, WinY1 + Y - 1, ' ', Fg, Bg);
}

void ScrollWindowUp() {
  for (int Y = WinY1; Y < WinY2; ++Y)
    for (int X = WinX1; X <= WinX2; ++X) {
      const ShownCell C = Shown[Y][X - 1];
      Put(X, Y, C.Ch, C.Fg, C.Bg);
    }
  BlankRow(WinH(), 1);
}

void NewLine() {
  CurX = 1;
  if (CurY < WinH())
    ++CurY;
  else
    ScrollWindowUp();
}

// Anything outside printable ASCII could be taken by the terminal as a command.
char Printable(char C) {
  const unsigned char U = static_cast<unsigned char>(C);
  return (U >= 32 && U < 127) ? C : '?';
}

// The wrap is deferred until a character actually goes past the right edge,
// so filling the bottom-right cell of a window never scrolls it.
void PutChar(char C) {
  if (CurX > WinW()) NewLine();
  Put(WinX1 + CurX - 1, WinY1 + CurY - 1, Printable(C), Fg, Bg);
  ++CurX;
}

void PutBlanks(int N) {
  for (int I = 0; I < N; ++I) PutChar(' ');
}

// The screen changed size: it gets everything again from our copy, whatever
// the program is doing, so nothing has to be redrawn by the game itself.
void Repaint() {
  if (Dev->Reset()) {
    for (int Y = 1; Y <= ScreenRows; ++Y)
      for (int X = 1; X <= ScreenCols; ++X) {
        const ShownCell &C = Shown[Y - 1][X - 1];
        Dev->PutCell(X, Y, C.Ch, C.Fg, C.Bg);
      }
    SyncCursor();
  }
  Dev->Flush();
}

// What FetchKey gives when it may not wait and no key is there.
constexpr int NoKeyYet = -2;

// The next key from the device, -1 once the input has ended, NoKeyYet if it
// may not wait and none is there. A '\n' straight after '\r' is the second
// half of one line end, so it is dropped here, once, for every kind of read.
// A change of size is handled here too, so every wait and every poll (the
// search's among them) repaints at once.
int FetchKey(bool MayWait) {
  for (;;) {
    if (!MayWait && !Dev->KeyWaiting()) return NoKeyYet;
    const int K = Dev->GetKey();
    if (K == DevResized) {
      Repaint();
      continue;
    }
    if (K < 0) {
      InputEnded = true;
      return -1;
    }
    const bool Swallow = K == '\n' && PrevWasCR;
    PrevWasCR = K == '\r';
    if (!Swallow) return K;
  }
}

void WriteDigits(bool Negative, uint64_t Magnitude, int Width) {
  char Buf[21];
  int N = 0;
  if (Negative) Buf[N++] = '-';
  N += DecimalDigits(Magnitude, Buf + N);
  PutBlanks(Width - N);
  for (int I = 0; I < N; ++I) PutChar(Buf[I]);
}

} // namespace

void UseDevice(TermDevice *D) {
  Dev = D ? D : &Silent;
  WinX1 = 1, WinY1 = 1, WinX2 = ScreenCols, WinY2 = ScreenRows;
  Fg = LightGray, Bg = Black;
  HasPending = false;
  InputEnded = false;
  PrevWasCR = false;
  // Start from a known picture so the layer's copy matches what is shown.
  ClrScr();
}

void ClrScr() {
  for (int Y = 1; Y <= WinH(); ++Y) BlankRow(Y, 1);
  CurX = 1, CurY = 1;
  SyncCursor();
}

void ClrEol() {
  BlankRow(CurY, CurX);
  SyncCursor();
}

void GotoXY(int X, int Y) {
  if (X < 1 || X > WinW() || Y < 1 || Y > WinH()) return;
  CurX = X, CurY = Y;
  SyncCursor();
}

bool Window(int X1, int Y1, int X2, int Y2) {
  if (X1 < 1 || Y1 < 1 || X2 > ScreenCols || Y2 > ScreenRows || X1 > X2 || Y1 > Y2) return false;
  WinX1 = X1, WinY1 = Y1, WinX2 = X2, WinY2 = Y2;
  CurX = 1, CurY = 1;
  SyncCursor();
  return true;
}

void TextColor(int Color) { Fg = Color & 15; }
void TextBackground(int Color) { Bg = Color & 7; }
void HighVideo() { Fg |= 8; }
void LowVideo() { Fg &= ~8; }

bool KeyPressed() {
  if (HasPending || InputEnded) return true;
  const int K = FetchKey(false);
  if (K == NoKeyYet) return false;
  if (K >= 0) {
    Pending = K;
    HasPending = true;
  }
  return true;
}

int ReadKey() {
  if (HasPending) {
    HasPending = false;
    return Pending;
  }
  if (InputEnded) return -1;
  return FetchKey(true);
}

void WaitForKey() {
  if (HasPending || InputEnded) return;
  const int K = FetchKey(true);
  if (K < 0) return;
  Pending = K;
  HasPending = true;
}

void Write(const char *S) {
  if (!S) return;
  while (*S) PutChar(*S++);
  SyncCursor();
}

void Write(char C) {
  PutChar(C);
  SyncCursor();
}

void WriteInt(int64_t V, int Width) {
  // Negating in unsigned arithmetic keeps the most negative value exact.
  const uint64_t Magnitude = V < 0 ? 0 - static_cast<uint64_t>(V) : static_cast<uint64_t>(V);
  WriteDigits(V < 0, Magnitude, Width);
  SyncCursor();
}

void WriteUInt(uint64_t V, int Width) {
  WriteDigits(false, V, Width);
  SyncCursor();
}

void WriteFixed(double V, int Width, int Decimals) {
  if (Decimals < 0) Decimals = 0;
  if (Decimals > 9) Decimals = 9;
  uint64_t Scale = 1;
  for (int I = 0; I < Decimals; ++I) Scale *= 10;
  const bool Negative = V < 0;
  const double Scaled = (Negative ? -V : V) * static_cast<double>(Scale) + 0.5;
  // Out of range (or not a number): a field of stars, as a too-narrow print
  // field is traditionally shown, rather than digits that would be wrong.
  if (!(Scaled < 1.8e19)) {
    for (int I = 0; I < (Width > 1 ? Width : 1); ++I) PutChar('*');
    SyncCursor();
    return;
  }
  const uint64_t R = static_cast<uint64_t>(Scaled);
  char Buf[48];
  int N = 0;
  if (Negative && R != 0) Buf[N++] = '-';
  N += DecimalDigits(R / Scale, Buf + N);
  if (Decimals > 0) {
    Buf[N++] = '.';
    uint64_t Frac = R % Scale;
    for (int I = Decimals - 1; I >= 0; --I) {
      Buf[N + I] = static_cast<char>('0' + Frac % 10);
      Frac /= 10;
    }
    N += Decimals;
  }
  PutBlanks(Width - N);
  for (int I = 0; I < N; ++I) PutChar(Buf[I]);
  SyncCursor();
}

void WriteLn() {
  NewLine();
  SyncCursor();
}

bool ReadLine(char *Buf, std::size_t Cap, std::size_t &Len) {
  Len = 0;
  bool Any = false;
  for (;;) {
    const int K = ReadKey();
    if (K < 0) return Any;
    Any = true;
    if (K == '\r' || K == '\n') return true;
    if (K == 8 || K == 127) {
      if (Len == 0) continue;
      --Len;
      // Step back over the last echoed character, which may lie on the row above.
      if (CurX > 1) {
        --CurX;
      } else if (CurY > 1) {
        --CurY;
        CurX = WinW();
      }
      Put(WinX1 + CurX - 1, WinY1 + CurY - 1, ' ', Fg, Bg);
      SyncCursor();
      continue;
    }
    // Beyond the capacity nothing is kept, so nothing is shown either.
    if (Len >= Cap) continue;
    Buf[Len++] = static_cast<char>(K);
    Write(static_cast<char>(K));
  }
}

void FlushScreen() { Dev->Flush(); }

bool InputClosed() { return InputEnded; }

int WhereX() { return CurX; }

[[noreturn]] void Fatal(const char *Module, int Line, const char *Msg) {
  RestoreTerminal();
  std::fprintf(stderr, "%s (%s, line %d)\n", Msg, Module, Line);
  std::exit(2);
}
