// The real terminal, run in a child process over a pseudo-terminal or pipes,
// so that the raw mode, the signals and the exit paths act on a terminal of
// the test's own and never on the one running the tests.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>

#include "platform/Terminal.h"

namespace {

// Child exit codes that name what went wrong on the child's side.
enum ChildFail {
  InitRefused = 10,
  InitAccepted,
  TermiosChanged,
  NotRaw,
  NoSignals,
  CrStillMapped,
  NotRestored,
  WrongKey,
  WrongLine,
  NotPending,
  StillOpen,
  ReadPastEnd,
  ShouldNotReturn,
};

bool SameTermios(const termios &A, const termios &B) {
  return A.c_iflag == B.c_iflag && A.c_oflag == B.c_oflag && A.c_cflag == B.c_cflag &&
         A.c_lflag == B.c_lflag && std::memcmp(A.c_cc, B.c_cc, sizeof A.c_cc) == 0;
}

struct ChildRun {
  bool Finished = false; // the child ended before the time-out
  int Status = 0;
  std::string Output;
  termios After{}; // the pseudo-terminal's settings once the child has gone
  termios Before{};

  bool ExitedWith(int Code) const {
    return Finished && WIFEXITED(Status) && WEXITSTATUS(Status) == Code;
  }
};

// Generous: the time-out only keeps a broken child from hanging the run.
constexpr auto TimeOut = std::chrono::seconds(60);

// Reads what Fd has until Done says stop or the time runs out.
template <typename Pred> bool Pump(int Fd, std::string &Out, Pred Done) {
  const auto Deadline = std::chrono::steady_clock::now() + TimeOut;
  while (!Done()) {
    if (std::chrono::steady_clock::now() > Deadline) return false;
    pollfd P = {Fd, POLLIN, 0};
    if (poll(&P, 1, 20) > 0 && (P.revents & POLLIN)) {
      char Buf[4096];
      const ssize_t N = read(Fd, Buf, sizeof Buf);
      if (N > 0) Out.append(Buf, static_cast<std::size_t>(N));
    }
  }
  return true;
}

void Drain(int Fd, std::string &Out) {
  for (;;) {
    pollfd P = {Fd, POLLIN, 0};
    if (poll(&P, 1, 0) <= 0 || !(P.revents & POLLIN)) return;
    char Buf[4096];
    const ssize_t N = read(Fd, Buf, sizeof Buf);
    if (N <= 0) return;
    Out.append(Buf, static_cast<std::size_t>(N));
  }
}

// One thing the test does to the child once its output shows WaitFor: type
// Keys on the terminal, or else send it the signal Sig.
struct Step {
  const char *WaitFor;
  const char *Keys;
  int Sig;
};

void Send(int Fd, const char *S) {
  if (write(Fd, S, std::strlen(S)) < 0) ADD_FAILURE() << "write to the terminal failed";
}

// Runs Body in a child whose standard input, output and error are a new
// pseudo-terminal of Cols x Rows that is its controlling terminal, taking the
// Steps in order.
ChildRun RunOnPty(int Cols, int Rows, const std::function<void()> &Body,
                  std::initializer_list<Step> Steps = {}) {
  ChildRun R;
  int Master = -1, Slave = -1;
  winsize W = {};
  W.ws_col = static_cast<unsigned short>(Cols);
  W.ws_row = static_cast<unsigned short>(Rows);
  if (openpty(&Master, &Slave, nullptr, nullptr, &W) != 0) {
    ADD_FAILURE() << "openpty: " << std::strerror(errno);
    return R;
  }
  tcgetattr(Slave, &R.Before);
  const pid_t Pid = fork();
  if (Pid == 0) {
    close(Master);
    if (login_tty(Slave) != 0) _exit(99);
    Body();
    _exit(0);
  }
  int Status = 0;
  const Step *Next = Steps.begin();
  std::size_t From = 0;
  R.Finished = Pump(Master, R.Output, [&] {
    if (Next != Steps.end()) {
      const std::size_t At = R.Output.find(Next->WaitFor, From);
      if (At != std::string::npos) {
        From = At + std::strlen(Next->WaitFor);
        if (Next->Keys)
          Send(Master, Next->Keys);
        else
          kill(Pid, Next->Sig);
        ++Next;
      }
    }
    return waitpid(Pid, &Status, WNOHANG) == Pid;
  });
  if (!R.Finished) {
    kill(Pid, SIGKILL);
    waitpid(Pid, &Status, 0);
  }
  Drain(Master, R.Output);
  R.Status = Status;
  tcgetattr(Slave, &R.After);
  close(Master);
  close(Slave);
  return R;
}

// Runs Body in a child whose standard input is a pipe holding Input (then
// closed) and whose standard output is a pipe to the test.
ChildRun RunOnPipes(const std::string &Input, const std::function<void()> &Body) {
  ChildRun R;
  int In[2], Out[2];
  if (pipe(In) != 0 || pipe(Out) != 0) {
    ADD_FAILURE() << "pipe: " << std::strerror(errno);
    return R;
  }
  const pid_t Pid = fork();
  if (Pid == 0) {
    dup2(In[0], 0);
    dup2(Out[1], 1);
    close(In[0]), close(In[1]), close(Out[0]), close(Out[1]);
    Body();
    _exit(0);
  }
  close(In[0]);
  close(Out[1]);
  // Small inputs fit in the pipe at once.
  if (write(In[1], Input.data(), Input.size()) != static_cast<ssize_t>(Input.size()))
    ADD_FAILURE() << "could not feed the child";
  close(In[1]);
  int Status = 0;
  R.Finished = Pump(Out[0], R.Output, [&] { return waitpid(Pid, &Status, WNOHANG) == Pid; });
  if (!R.Finished) {
    kill(Pid, SIGKILL);
    waitpid(Pid, &Status, 0);
  }
  Drain(Out[0], R.Output);
  R.Status = Status;
  close(Out[0]);
  return R;
}

std::string Describe(const ChildRun &R) {
  std::string S = R.Finished ? "" : "timed out; ";
  if (WIFEXITED(R.Status)) S += "exit " + std::to_string(WEXITSTATUS(R.Status));
  if (WIFSIGNALED(R.Status)) S += "signal " + std::to_string(WTERMSIG(R.Status));
  return S + "; output: " + R.Output;
}

// ---- the size check ------------------------------------------------------------------

struct SizeCase {
  int Cols, Rows;
  bool Fits;
};

TEST(RealTerminal, ATerminalSmallerThan80x25IsRefusedWithBothSizes) {
  const SizeCase Cases[] = {{70, 20, false},  {79, 25, false}, {80, 24, false},
                            {200, 10, false}, {80, 25, true},  {132, 50, true}};
  for (const SizeCase &C : Cases) {
    SCOPED_TRACE(testing::Message() << C.Cols << " x " << C.Rows);
    const ChildRun R = RunOnPty(C.Cols, C.Rows, [] {
      termios Before, After;
      tcgetattr(0, &Before);
      FixedStr<255> Why;
      const bool Ok = InitTerminal(Why);
      tcgetattr(0, &After);
      if (Ok) {
        RestoreTerminal();
        _exit(InitAccepted);
      }
      if (!SameTermios(Before, After)) _exit(TermiosChanged);
      if (write(2, Why.c_str(), Why.Length()) < 0) _exit(99);
      _exit(InitRefused);
    });
    if (C.Fits) {
      EXPECT_TRUE(R.ExitedWith(InitAccepted)) << Describe(R);
      continue;
    }
    ASSERT_TRUE(R.ExitedWith(InitRefused)) << Describe(R);
    const std::string Found = std::to_string(C.Cols) + " x " + std::to_string(C.Rows);
    EXPECT_NE(R.Output.find("80 x 25"), std::string::npos) << R.Output;
    EXPECT_NE(R.Output.find("this one is " + Found), std::string::npos) << R.Output;
    EXPECT_EQ(R.Output.find('\x1b'), std::string::npos) << "nothing is drawn: " << R.Output;
    EXPECT_TRUE(SameTermios(R.Before, R.After));
  }
}

// ---- raw mode and its restoration ---------------------------------------------------

TEST(RealTerminal, RawModeWhileRunningAndTheOldModeAfterRestore) {
  const ChildRun R = RunOnPty(80, 25, [] {
    termios Before, During, After;
    tcgetattr(0, &Before);
    FixedStr<255> Why;
    if (!InitTerminal(Why)) _exit(InitRefused);
    tcgetattr(0, &During);
    if (During.c_lflag & (ICANON | ECHO)) _exit(NotRaw);
    if (!(During.c_lflag & ISIG)) _exit(NoSignals);
    if (During.c_iflag & ICRNL) _exit(CrStillMapped);
    Write("HELLO");
    RestoreTerminal();
    RestoreTerminal(); // a second call changes nothing
    tcgetattr(0, &After);
    if (!SameTermios(Before, After)) _exit(NotRestored);
    _exit(0);
  });
  ASSERT_TRUE(R.ExitedWith(0)) << Describe(R);
  const std::size_t Hello = R.Output.find("HELLO");
  ASSERT_NE(Hello, std::string::npos) << R.Output;
  const std::size_t Restore = R.Output.find("\x1b[0m\x1b[?25h", Hello);
  ASSERT_NE(Restore, std::string::npos) << "colours reset and cursor shown after the drawing";
  EXPECT_NE(R.Output.find("\x1b[25;1H", Restore), std::string::npos) << "cursor below the layout";
  EXPECT_EQ(R.Output.find("\x1b[0m\x1b[?25h", Restore + 1), std::string::npos)
      << "restored once only";
  EXPECT_TRUE(SameTermios(R.Before, R.After));
}

TEST(RealTerminal, ANormalExitRestoresTheTerminal) {
  const ChildRun R = RunOnPty(80, 25, [] {
    FixedStr<255> Why;
    if (!InitTerminal(Why)) _exit(InitRefused);
    Write("BYE");
    std::exit(0); // no explicit restore: the exit handler does it
  });
  ASSERT_TRUE(R.ExitedWith(0)) << Describe(R);
  EXPECT_NE(R.Output.find("BYE"), std::string::npos);
  EXPECT_NE(R.Output.find("\x1b[?25h", R.Output.find("BYE")), std::string::npos);
  EXPECT_TRUE(SameTermios(R.Before, R.After));
}

TEST(RealTerminal, ABrokenInvariantRestoresTheTerminalAndNamesItsPlace) {
  const ChildRun R = RunOnPty(80, 25, [] {
    FixedStr<255> Why;
    if (!InitTerminal(Why)) _exit(InitRefused);
    Fatal("Board", 51, "Error in AddToPieceList");
  });
  ASSERT_TRUE(R.ExitedWith(2)) << Describe(R);
  const std::size_t Restore = R.Output.find("\x1b[?25h");
  const std::size_t Msg = R.Output.find("Error in AddToPieceList (Board, line 51)");
  ASSERT_NE(Restore, std::string::npos);
  ASSERT_NE(Msg, std::string::npos) << R.Output;
  EXPECT_LT(Restore, Msg) << "the message is printed on the restored terminal";
  EXPECT_TRUE(SameTermios(R.Before, R.After));
}

// The child waits for a key; the interrupt, whichever way it comes, must
// leave the terminal as it was and end the program with 128 + the signal.
TEST(RealTerminal, SignalsRestoreTheTerminalAndExitWith128PlusTheSignal) {
  struct {
    const char *Name;
    const char *Keys; // typed on the terminal, or null to send Sig directly
    int Sig;
  } const Cases[] = {
      {"Ctrl-C", "\x03", SIGINT},
      {"Ctrl-\\", "\x1c", SIGQUIT},
      {"kill", nullptr, SIGTERM},
      {"hang-up", nullptr, SIGHUP},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Name);
    const ChildRun R = RunOnPty(80, 25,
                                [] {
                                  FixedStr<255> Why;
                                  if (!InitTerminal(Why)) _exit(InitRefused);
                                  Write("READY");
                                  ReadKey(); // shows what was written, then waits
                                  _exit(ShouldNotReturn);
                                },
                                {{"READY", C.Keys, C.Sig}});
    ASSERT_TRUE(R.ExitedWith(128 + C.Sig)) << Describe(R);
    EXPECT_NE(R.Output.find("\x1b[0m\x1b[?25h", R.Output.find("READY")), std::string::npos);
    EXPECT_TRUE(SameTermios(R.Before, R.After));
  }
}

// ---- keys from the terminal ---------------------------------------------------------

// Without raw mode the first read would wait for a whole line, and Enter would
// arrive as a line feed.
TEST(RealTerminal, KeysArriveOneByOneAndEnterIsACarriageReturn) {
  const ChildRun R = RunOnPty(80, 25,
                              [] {
                                FixedStr<255> Why;
                                if (!InitTerminal(Why)) _exit(InitRefused);
                                Write("READY");
                                if (ReadKey() != 'a') _exit(WrongKey);
                                Write("GOT-A");
                                if (ReadKey() != '\r') _exit(WrongKey);
                                _exit(0);
                              },
                              {{"READY", "a", 0}, {"GOT-A", "\r", 0}});
  ASSERT_TRUE(R.ExitedWith(0)) << Describe(R);
}

TEST(RealTerminal, ALineIsEditedAndTheWaitedForKeyStaysPending) {
  const ChildRun R = RunOnPty(80, 25,
                              [] {
                                FixedStr<255> Why;
                                if (!InitTerminal(Why)) _exit(InitRefused);
                                Write("READY");
                                WaitForKey();
                                if (!KeyPressed()) _exit(NotPending);
                                GotoXY(55, 13);
                                ShortStr S;
                                if (!ReadLn(S) || !(S == "e2e4")) _exit(WrongLine);
                                FlushScreen();
                                _exit(0);
                              },
                              {{"READY",
                                "e2x\x7f"
                                "e4\r",
                                0}});
  ASSERT_TRUE(R.ExitedWith(0)) << Describe(R);
  // The editor's own echo at the line's place: the x typed, then blanked, then overwritten.
  const std::size_t Typed = R.Output.find("\x1b[13;55He2x");
  ASSERT_NE(Typed, std::string::npos) << R.Output;
  const std::size_t Erased = R.Output.find("\x1b[13;57H ", Typed);
  ASSERT_NE(Erased, std::string::npos) << R.Output;
  EXPECT_NE(R.Output.find("e4", Erased), std::string::npos) << R.Output;
}

TEST(RealTerminal, SeveralKeysInOneReadAreAllKept) {
  const ChildRun R = RunOnPty(80, 25,
                              [] {
                                FixedStr<255> Why;
                                if (!InitTerminal(Why)) _exit(InitRefused);
                                Write("READY");
                                FlushScreen();
                                // Wait (bounded) until the whole script is there, so one read takes
                                // it all.
                                int Waiting = 0;
                                for (int I = 0; I < 6000 && Waiting < 5; ++I) {
                                  ioctl(0, FIONREAD, &Waiting);
                                  if (Waiting < 5) usleep(10000);
                                }
                                ShortStr A, B;
                                if (!ReadLn(A) || !(A == "x6")) _exit(WrongLine);
                                if (!ReadLn(B) || !(B == "q")) _exit(WrongLine);
                                _exit(0);
                              },
                              {{"READY", "x6\rq\r", 0}});
  ASSERT_TRUE(R.ExitedWith(0)) << Describe(R);
}

// ---- a pipe instead of a terminal ----------------------------------------------------

TEST(RealTerminal, APipedScriptIsReadLineByLineUntilItEnds) {
  const ChildRun R = RunOnPipes("x6\nq\r\ne2", [] {
    FixedStr<255> Why;
    if (!InitTerminal(Why)) _exit(InitRefused); // no size check off a terminal
    ShortStr S;
    if (!ReadLn(S) || !(S == "x6")) _exit(WrongLine);
    WaitForKey();
    if (!ReadLn(S) || !(S == "q")) _exit(WrongLine);
    if (InputClosed()) _exit(WrongLine);
    if (!ReadLn(S) || !(S == "e2")) _exit(WrongLine);
    if (!InputClosed()) _exit(StillOpen);
    if (ReadLn(S) || !S.Empty()) _exit(ReadPastEnd);
    if (ReadKey() != -1 || !KeyPressed()) _exit(ReadPastEnd);
    _exit(0);
  });
  ASSERT_TRUE(R.ExitedWith(0)) << Describe(R);
  EXPECT_NE(R.Output.find("x6"), std::string::npos) << "the echo is drawn as usual";
}

TEST(RealTerminal, KeyPressedSeesAPipedKeyWithoutTakingIt) {
  const ChildRun R = RunOnPipes("p", [] {
    FixedStr<255> Why;
    if (!InitTerminal(Why)) _exit(InitRefused);
    for (int I = 0; I < 200 && !KeyPressed(); ++I) usleep(10000);
    if (!KeyPressed() || ReadKey() != 'p') _exit(WrongKey);
    if (ReadKey() != -1) _exit(ReadPastEnd);
    _exit(0);
  });
  ASSERT_TRUE(R.ExitedWith(0)) << Describe(R);
}

TEST(RealTerminal, WithoutInitNothingReachesTheOutput) {
  const ChildRun R = RunOnPipes("", [] {
    ClrScr();
    Write("hidden");
    FlushScreen();
    RestoreTerminal();
    _exit(0);
  });
  ASSERT_TRUE(R.ExitedWith(0)) << Describe(R);
  EXPECT_EQ(R.Output, "");
}

// ---- what is sent to the terminal -------------------------------------------------------

TEST(RealTerminal, PaletteColoursBecomeTheirAnsiColours) {
  struct {
    int Fg, Bg;
    const char *Sgr;
  } const Cases[] = {
      {0, 0, "30;40"},  {1, 1, "34;44"},  {2, 2, "32;42"},   {3, 3, "36;46"},
      {4, 4, "31;41"},  {5, 5, "35;45"},  {6, 6, "33;43"},   {7, 7, "37;47"},
      {8, 0, "90;40"},  {9, 1, "94;44"},  {10, 2, "92;42"},  {11, 3, "96;46"},
      {12, 4, "91;41"}, {13, 5, "95;45"}, {14, 14, "93;43"}, {15, 6, "97;43"},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(testing::Message() << "colour " << C.Fg << " on " << C.Bg);
    const ChildRun R = RunOnPipes("", [&C] {
      FixedStr<255> Why;
      if (!InitTerminal(Why)) _exit(InitRefused);
      TextColor(C.Fg);
      TextBackground(C.Bg);
      Write("Z");
      FlushScreen();
      _exit(0);
    });
    ASSERT_TRUE(R.ExitedWith(0)) << Describe(R);
    EXPECT_NE(R.Output.find(std::string("\x1b[") + C.Sgr + "mZ"), std::string::npos) << R.Output;
  }
}

TEST(RealTerminal, OutputWaitsInItsBufferUntilAFlush) {
  const auto Draw = [](bool Flush) {
    return RunOnPipes("", [Flush] {
      FixedStr<255> Why;
      if (!InitTerminal(Why)) _exit(InitRefused);
      GotoXY(10, 10);
      Write("Z");
      if (Flush) FlushScreen();
      _exit(0); // _exit leaves whatever is still buffered unsent
    });
  };
  const ChildRun Kept = Draw(false), Sent = Draw(true);
  ASSERT_TRUE(Kept.ExitedWith(0)) << Describe(Kept);
  ASSERT_TRUE(Sent.ExitedWith(0)) << Describe(Sent);
  EXPECT_EQ(Kept.Output.find('Z'), std::string::npos);
  EXPECT_NE(Sent.Output.find("\x1b[10;10HZ"), std::string::npos) << Sent.Output;
}

TEST(RealTerminal, NothingIsSentTwice) {
  const ChildRun R = RunOnPipes("", [] {
    FixedStr<255> Why;
    if (!InitTerminal(Why)) _exit(InitRefused);
    TextColor(Yellow);
    GotoXY(10, 5);
    Write("ab");
    TextColor(Yellow);
    GotoXY(12, 5); // where the cursor already is
    Write("c");
    TextColor(White);
    Write("d");
    FlushScreen();
    _exit(0);
  });
  ASSERT_TRUE(R.ExitedWith(0)) << Describe(R);
  EXPECT_NE(R.Output.find("\x1b[5;10H\x1b[93;40mabc\x1b[97;40md"), std::string::npos) << R.Output;
}

} // namespace
