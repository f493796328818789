#include "shell/FenFile.h"

#include <cstring>

#include "game/Game.h"
#include "platform/TextFile.h"
#include "seam/Seam.h"

void WriteFEN() {
  char Text[FenTextSize];
  FenText(Text);
  TextFile F;
  bool Ok = F.Create(FenFileName);
  Ok = Ok && F.Write(Text);
  Ok = F.Close() && Ok;
  if (!Ok) ErrorMsg("Write Failed");
}

bool ReadFEN() {
  TextFile F;
  if (!F.OpenRead(FenFileName)) {
    ErrorMsg("No Board File Found");
    return false;
  }
  Str255 Line;
  F.ReadLine(Line);
  F.Close();
  const char *Why = nullptr;
  // A NUL inside the line would hide the rest of it from the parser; refuse.
  if (std::strlen(Line.c_str()) != Line.Length() || !LoadPosition(Line.c_str(), Why)) {
    ErrorMsg("Bad Board File");
    return false;
  }
  return true;
}
