#include "platform/TextFile.h"

#include <sys/stat.h>

bool TextFile::OpenRead(const char *Name) {
  Close();
  struct stat St;
  if (stat(Name, &St) != 0 || !S_ISREG(St.st_mode)) return false;
  F = std::fopen(Name, "rb");
  return F != nullptr;
}

bool TextFile::Create(const char *Name) {
  Close();
  F = std::fopen(Name, "wb");
  return F != nullptr;
}

bool TextFile::Eof() {
  if (!F) return true;
  int C = std::fgetc(F);
  if (C == EOF) return true;
  std::ungetc(C, F);
  return false;
}

int TextFile::ReadChar() {
  if (!F) return -1;
  int C = std::fgetc(F);
  return C == EOF ? -1 : C;
}

void TextFile::ReadLineRaw(char *Buf, std::size_t Cap, std::size_t &Len) {
  Len = 0;
  if (!F) return;
  for (;;) {
    int C = std::fgetc(F);
    if (C == EOF || C == '\n') return;
    if (C == '\r') {
      int D = std::fgetc(F);
      if (D != '\n' && D != EOF) std::ungetc(D, F);
      return;
    }
    if (Len < Cap) Buf[Len++] = static_cast<char>(C);
  }
}

bool TextFile::Write(const char *S) { return F && std::fputs(S, F) >= 0; }
bool TextFile::Write(char C) { return F && std::fputc(C, F) != EOF; }
bool TextFile::Rewind() { return F && std::fseek(F, 0, SEEK_SET) == 0; }

bool TextFile::Close() {
  if (!F) return true;
  bool Ok = std::fclose(F) == 0;
  F = nullptr;
  return Ok;
}
