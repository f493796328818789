#include "platform/TextFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Opened without waiting, so that a FIFO or a device named like the file can
// never block the program; anything but a plain file is refused, and a plain
// one is read and written as usual.
int OpenPlain(const char *Name, int Flags) {
  const int F = open(Name, Flags | O_NONBLOCK | O_CLOEXEC, 0644);
  if (F < 0) return -1;
  struct stat St;
  if (fstat(F, &St) != 0 || !S_ISREG(St.st_mode) ||
      fcntl(F, F_SETFL, fcntl(F, F_GETFL) & ~O_NONBLOCK) != 0) {
    close(F);
    return -1;
  }
  return F;
}
} // namespace

const char *CheckAppendable(const char *Name) {
  errno = 0;
  const int F = OpenPlain(Name, O_WRONLY | O_APPEND | O_CREAT);
  if (F < 0) return errno != 0 ? std::strerror(errno) : "not a plain file";
  close(F);
  return nullptr;
}

int AppendWholeNow(const char *Name, const char *Text, std::size_t Len) {
  errno = 0;
  const int F = OpenPlain(Name, O_WRONLY | O_APPEND | O_CREAT);
  if (F < 0) return errno != 0 ? errno : -1;
  // Text begins with a line end, kept only where the file's last line lacks
  // one, so that what another program left there stays a line of its own.
  char Last = '\n';
  if (const int R = OpenPlain(Name, O_RDONLY); R >= 0) {
    struct stat St {};
    if (fstat(R, &St) == 0 && St.st_size > 0 && pread(R, &Last, 1, St.st_size - 1) != 1) Last = ' ';
    close(R);
  }
  if (Len > 0 && Text[0] == '\n' && Last == '\n') {
    ++Text;
    --Len;
  }
  ssize_t N;
  do {
    N = write(F, Text, Len);
  } while (N < 0 && errno == EINTR);
  const int WriteErr = errno;
  const bool Closed = close(F) == 0;
  if (N < 0) return WriteErr != 0 ? WriteErr : -1;
  if (static_cast<std::size_t>(N) != Len) return -2;
  return Closed ? 0 : (errno != 0 ? errno : -1);
}

const char *AppendWhole(const char *Name, const char *Text, std::size_t Len) {
  const int Err = AppendWholeNow(Name, Text, Len);
  if (Err == 0) return nullptr;
  if (Err > 0) return std::strerror(Err);
  return Err == -1 ? "not a plain file" : "only part of the text was written";
}

bool TextFile::OpenRead(const char *Name) {
  Close();
  const int F = OpenPlain(Name, O_RDONLY);
  if (F < 0) return false;
  Fd = F;
  Writing = Failed = false;
  Pos = End = 0;
  return true;
}

bool TextFile::Create(const char *Name) {
  Close();
  // Emptied only once it is known to be a plain file.
  const int F = OpenPlain(Name, O_WRONLY | O_CREAT);
  if (F < 0) return false;
  if (ftruncate(F, 0) != 0) {
    close(F);
    return false;
  }
  Fd = F;
  Writing = true;
  Failed = false;
  Pos = End = 0;
  return true;
}

bool TextFile::Fill() {
  if (Fd < 0 || Writing) return false;
  for (;;) {
    const ssize_t N = read(Fd, Buf, sizeof Buf);
    if (N < 0 && errno == EINTR) continue;
    Pos = 0;
    End = N > 0 ? static_cast<std::size_t>(N) : 0;
    return End > 0;
  }
}

int TextFile::Peek() {
  if (Pos == End && !Fill()) return -1;
  return static_cast<unsigned char>(Buf[Pos]);
}

bool TextFile::Eof() { return Peek() < 0; }

int TextFile::ReadChar() {
  const int C = Peek();
  if (C >= 0) ++Pos;
  return C;
}

void TextFile::ReadLineRaw(char *Line, std::size_t Cap, std::size_t &Len) {
  Len = 0;
  for (;;) {
    const int C = ReadChar();
    if (C < 0 || C == '\n') return;
    if (C == '\r') {
      if (Peek() == '\n') ++Pos;
      return;
    }
    if (Len < Cap) Line[Len++] = static_cast<char>(C);
  }
}

bool TextFile::FlushOut() {
  std::size_t Done = 0;
  while (Done < Pos) {
    const ssize_t N = write(Fd, Buf + Done, Pos - Done);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) {
      Failed = true;
      break;
    }
    Done += static_cast<std::size_t>(N);
  }
  Pos = 0;
  return !Failed;
}

bool TextFile::Write(const char *S) {
  if (Fd < 0 || !Writing) return false;
  for (; *S; ++S)
    if (!Write(*S)) return false;
  return !Failed;
}

bool TextFile::Write(char C) {
  if (Fd < 0 || !Writing) return false;
  if (Pos == sizeof Buf && !FlushOut()) return false;
  Buf[Pos++] = C;
  return true;
}

bool TextFile::Rewind() {
  if (Fd < 0 || Writing) return false;
  Pos = End = 0;
  return lseek(Fd, 0, SEEK_SET) == 0;
}

bool TextFile::Close() {
  if (Fd < 0) return true;
  bool Ok = true;
  if (Writing) Ok = FlushOut();
  if (close(Fd) != 0) Ok = false;
  Fd = -1;
  Writing = false;
  Pos = End = 0;
  return Ok && !Failed;
}
