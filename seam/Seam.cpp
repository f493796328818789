#include "seam/Seam.h"

namespace {
void NoMessage(const char *) {}
void NoThinking() {}
void NoInfo(const SearchInfo &) {}
void NoBookLine(const char *) {}
bool NeverStop() { return false; }

constexpr FrontEndType Silent = {NoMessage, NoThinking, NoInfo, NoBookLine, NeverStop};
FrontEndType Current = Silent;
} // namespace

void InstallFrontEnd(const FrontEndType &F) {
  Current.ErrorMsg = F.ErrorMsg ? F.ErrorMsg : Silent.ErrorMsg;
  Current.ShowThinking = F.ShowThinking ? F.ShowThinking : Silent.ShowThinking;
  Current.ShowInfo = F.ShowInfo ? F.ShowInfo : Silent.ShowInfo;
  Current.ShowBookLine = F.ShowBookLine ? F.ShowBookLine : Silent.ShowBookLine;
  Current.PollStop = F.PollStop ? F.PollStop : Silent.PollStop;
}

void ResetFrontEnd() { Current = Silent; }
const FrontEndType &InstalledFrontEnd() { return Current; }

void ErrorMsg(const char *S) { Current.ErrorMsg(S); }
void ShowThinking() { Current.ShowThinking(); }
void ShowInfo(const SearchInfo &Info) { Current.ShowInfo(Info); }
void ShowBookLine(const char *Line) { Current.ShowBookLine(Line); }
bool PollStop() { return Current.PollStop(); }
