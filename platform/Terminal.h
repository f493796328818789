// The text screen: an 80 x 25 grid of cells addressed by 1-based column and
// row, a current window, colours from the 16-colour text palette, and the
// keyboard. The window, cursor and colour logic lives here once; below it sits
// a small device: the real terminal (ANSI sequences, termios raw mode) or an
// in-memory screen with a scripted keyboard for the tests.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/Fatal.h"
#include "platform/FixedStr.h"

constexpr int ScreenCols = 80;
constexpr int ScreenRows = 25;

// Palette numbers used by the game.
constexpr int Black = 0, Green = 2, Brown = 6, LightGray = 7, Yellow = 14, White = 15;

// A device's GetKey answers this when its screen changed size: the layer then
// paints the whole screen again.
constexpr int DevResized = -3;

// What a device must do; the terminal operations are built on it.
struct TermDevice {
  virtual ~TermDevice() = default;
  // Shows one character at absolute column X, row Y (1-based) in palette
  // colours Fg (0..15) and Bg (0..7).
  virtual void PutCell(int X, int Y, char Ch, int Fg, int Bg) = 0;
  // Places the visible cursor (absolute, 1-based).
  virtual void MoveCursor(int X, int Y) = 0;
  virtual void Flush() = 0;
  // True when a key (or the end of input) can be read without waiting.
  virtual bool KeyWaiting() = 0;
  // Waits for and consumes one key: 0..255, -1 once the input has ended, or
  // DevResized after the screen changed size (KeyWaiting is true until then).
  virtual int GetKey() = 0;
  // Blanks the whole screen to be painted again: true when it is large enough,
  // false when it shows a line asking for a larger one instead and ignores
  // cells until the next change of size.
  virtual bool Reset() { return true; }
};

// ---- set-up ---------------------------------------------------------------

// Installs the real terminal: raw mode, hidden line discipline, restore on
// every exit (normal, signals). Returns false with a message in Why when the
// terminal is too small (Why names the size needed and the size found).
bool InitTerminal(FixedStr<255> &Why);
// Puts the terminal back as it was (cursor shown, colours reset, echo and line
// mode back). Safe to call more than once.
void RestoreTerminal();
// A signal that ends the program (a closed window, kill, Ctrl-C) first calls
// Hook, from its handler; Hook returns false to put the end off while it
// finishes what it is doing, and then calls EndOnSignal itself.
void SetSignalHook(bool (*Hook)(int Sig));
// Restores the terminal and ends the program as the signal Sig ends it.
[[noreturn]] void EndOnSignal(int Sig);
// Uses an arbitrary device (the tests' memory screen; null: a silent one whose
// input has ended); resets window, cursor, colours and the keyboard state to
// their start values and blanks the device's screen.
void UseDevice(TermDevice *Dev);

// ---- terminal operations --------------------------------------------------

void ClrScr();                               // blank the window, cursor to its top-left
void ClrEol();                               // blank from the cursor to the window's right edge
void GotoXY(int X, int Y);                   // relative to the window
bool Window(int X1, int Y1, int X2, int Y2); // absolute; refused (false) if it does not fit
void TextColor(int Color);                   // 0..15
void TextBackground(int Color);              // only the low three bits count
void HighVideo();                            // set the intensity bit of the text colour
void LowVideo();                             // clear it
bool KeyPressed();                           // a key is waiting; not consumed
int ReadKey();                               // wait for and consume one key; -1 at end of input
void WaitForKey();                           // wait until a key is pressed, leaving it pending
// Text at the cursor. A character written past the window's right edge goes to
// column 1 of the next row; past the last row the window scrolls up one row.
// Bytes outside printable ASCII (line ends too: use WriteLn) show as '?'.
void Write(const char *S);
void Write(char C);
template <std::size_t N> void Write(const FixedStr<N> &S) { Write(S.c_str()); }
void WriteInt(int64_t V, int Width = 0); // right-aligned in Width (wider numbers in full)
void WriteUInt(uint64_t V, int Width = 0);
// V with Decimals (0..9) decimals, rounded half away from zero, right-aligned;
// a value whose scaled digits overflow 64 bits (or not a number) shows as a
// field of '*'.
void WriteFixed(double V, int Width, int Decimals);
void WriteLn(); // to column 1 of the next window row
// Reads one line with echo at the cursor and a backspace editor. At most Cap
// characters are kept (and echoed); the rest of the line is dropped. Returns
// false when the input ended before any character of the line was read.
// Buf needs room for Cap characters and is not terminated; the line end is
// not echoed, so the cursor stays after the echoed text.
bool ReadLine(char *Buf, std::size_t Cap, std::size_t &Len);
template <std::size_t N> bool ReadLn(FixedStr<N> &S) {
  std::size_t L = 0;
  bool Ok = ReadLine(S.Buf, N, L);
  S.Len = static_cast<uint8_t>(L);
  S.Buf[L] = '\0';
  return Ok;
}
void FlushScreen();

// True once the keyboard input has ended (end of file on a pipe, hang-up).
bool InputClosed();

// The cursor's column, relative to the window. Right after the last column of
// a row was written it is one past it.
int WhereX();

// ---- broken invariants: Fatal, restoring the terminal first ----------------
