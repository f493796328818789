// Plain text files in the working directory, over the system's file calls
// with a buffer of their own: no heap, and every failure is a return value.
#pragma once
#include <cstddef>

#include "platform/FixedStr.h"

// Whether Name, a plain file or none yet, can be appended to: null if so,
// else why not (the file is created empty when missing).
const char *CheckAppendable(const char *Name);
// Appends Text to the plain file Name (created when missing) with one write
// call on a descriptor opened with O_APPEND: what is in the file stays, and
// another writer's text never lands inside it. Text begins with a line end,
// dropped where the file is empty or already ends a line. Null when all of
// it was written, else why not.
const char *AppendWhole(const char *Name, const char *Text, std::size_t Len);
// The same, from a signal handler: 0 when all was written, else an errno
// value, -1 when Name is not a plain file, -2 when only a part was written.
int AppendWholeNow(const char *Name, const char *Text, std::size_t Len);

class TextFile {
public:
  TextFile() = default;
  TextFile(const TextFile &) = delete;
  TextFile &operator=(const TextFile &) = delete;
  ~TextFile() { Close(); }

  bool OpenRead(const char *Name); // false if missing, unreadable or not a regular file
  bool Create(const char *Name);   // create or truncate; false if it cannot be written
  bool Eof();                      // true at the end of the file (or if not open)
  int ReadChar();                  // the next byte, or -1 at the end
  // Reads the rest of the current line; the line end (LF, CR LF or CR) is
  // consumed and not stored, and characters beyond the capacity are dropped.
  template <std::size_t N> void ReadLine(FixedStr<N> &S) {
    std::size_t L = 0;
    ReadLineRaw(S.Buf, N, L);
    S.Len = static_cast<unsigned char>(L);
    S.Buf[L] = '\0';
  }
  void ReadLineRaw(char *Buf, std::size_t Cap, std::size_t &Len);
  bool Write(const char *S); // false on a write error
  bool Write(char C);
  bool Rewind();
  bool Close(); // false if buffered data could not be written

private:
  bool Fill();
  bool FlushOut();
  int Peek();

  int Fd = -1;
  bool Writing = false;
  bool Failed = false;
  std::size_t Pos = 0, End = 0;
  char Buf[4096];
};
