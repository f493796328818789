// torvane3-uci run as a child process and driven the way an interface drives
// it: lines written to its standard input, answers read from its output.
#pragma once
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "board/Types.h"
#include "moves/Move.h"

namespace {

using Clock = std::chrono::steady_clock;

// Wall-clock upper bounds hold on a quiet machine with a plain build; under
// the sanitizers every step is several times slower, so they are not checked.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool WallClockBounds = false;
#else
constexpr bool WallClockBounds = true;
#endif

long MsSince(Clock::time_point T) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - T).count());
}

class Engine {
public:
  Engine() {
    int ToChild[2], FromChild[2];
    if (pipe(ToChild) != 0 || pipe(FromChild) != 0) std::abort();
    Pid = fork();
    if (Pid == 0) {
      dup2(ToChild[0], 0);
      dup2(FromChild[1], 1);
      close(ToChild[1]);
      close(FromChild[0]);
      execl(TORVANE_UCI_BIN, TORVANE_UCI_BIN, static_cast<char *>(nullptr));
      _exit(127);
    }
    close(ToChild[0]);
    close(FromChild[1]);
    In = ToChild[1];
    Out = FromChild[0];
    signal(SIGPIPE, SIG_IGN);
  }
  ~Engine() {
    if (Pid > 0) {
      kill(Pid, SIGKILL);
      waitpid(Pid, nullptr, 0);
    }
    if (In >= 0) close(In);
    close(Out);
  }

  void Send(const std::string &Line) {
    const std::string S = Line + "\n";
    ASSERT_EQ(write(In, S.data(), S.size()), static_cast<ssize_t>(S.size()));
  }

  // The next line, or false after TimeoutMs without one (or at the end).
  bool Next(std::string &Line, int TimeoutMs) {
    const auto Start = Clock::now();
    for (;;) {
      const std::size_t NL = Pending.find('\n');
      if (NL != std::string::npos) {
        Line = Pending.substr(0, NL);
        Pending.erase(0, NL + 1);
        return true;
      }
      const int Left = TimeoutMs - static_cast<int>(MsSince(Start));
      if (Left <= 0) return false;
      pollfd P{Out, POLLIN, 0};
      if (poll(&P, 1, Left) <= 0) continue;
      char B[4096];
      const ssize_t N = read(Out, B, sizeof B);
      if (N <= 0) return false;
      Pending.append(B, static_cast<std::size_t>(N));
    }
  }

  // Lines up to and including the first that starts with Prefix; the test
  // fails if none comes within TimeoutMs.
  std::vector<std::string> Until(const std::string &Prefix, int TimeoutMs = 20000) {
    std::vector<std::string> Lines;
    std::string L;
    const auto Start = Clock::now();
    while (Next(L, TimeoutMs - static_cast<int>(MsSince(Start)))) {
      Lines.push_back(L);
      if (L.rfind(Prefix, 0) == 0) return Lines;
    }
    ADD_FAILURE() << "no line starting with '" << Prefix << "'; got " << Lines.size() << " lines"
                  << (Lines.empty() ? "" : ", last: " + Lines.back());
    return Lines;
  }

  std::string Last(const std::string &Prefix, int TimeoutMs = 20000) {
    const auto Lines = Until(Prefix, TimeoutMs);
    return Lines.empty() ? "" : Lines.back();
  }

  // The position as the engine holds it: placement, side, castling, en passant.
  std::string Fen() {
    Send("d");
    const std::string L = Last("info string fen ");
    return L.size() > 16 ? L.substr(16) : "";
  }

  void CloseInput() {
    close(In);
    In = -1;
  }

  // Closes the engine's input and returns its exit status (-1 on a signal).
  int CloseAndWait() {
    if (In >= 0) CloseInput();
    int Status = 0;
    waitpid(Pid, &Status, 0);
    Pid = -1;
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
  }

private:
  pid_t Pid = -1;
  int In = -1, Out = -1;
  std::string Pending;
};

bool Contains(const std::vector<std::string> &Lines, const std::string &Part) {
  for (const auto &L : Lines)
    if (L.find(Part) != std::string::npos) return true;
  return false;
}

// Whether the UCI move is legal in the position the engine printed with "d".
bool LegalIn(const std::string &EngineFen, const std::string &Move) {
  SetFen(EngineFen.c_str());
  std::istringstream Fields(EngineFen);
  std::string Placement, Side, Castling, Ep;
  Fields >> Placement >> Side >> Castling >> Ep;
  if (Ep != "-") Game.St.Data[0].EnPasSq = static_cast<int8_t>((Ep[1] - '1') * 8 + (Ep[0] - 'a'));
  if (Move.size() < 4) return false;
  ShortStr Text;
  for (int I = 0; I < 4; ++I) Text.Append(static_cast<char>(std::toupper(Move[I])));
  return IsLegalMove(Game.St, Text);
}

} // namespace
