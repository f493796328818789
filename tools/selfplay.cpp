// Developer program: selfplay --games N [--nodes N] [--seed N] [--book FILE] [--out FILE]
// [--log FILE] [--console]. Plays the UCI engine's own search against itself, a fixed
// number of nodes a move, from openings of the book (a line cut after 4 to
// 12 plies) followed by two random legal plies, and writes the quiet
// positions of each game with its result, one per line as "FEN;RESULT"
// (1.0, 0.5 or 0.0 from White's side), for the tuner (tools/tune). A position
// is quiet when its side to move is not in check and the move the search
// chose takes nothing and promotes nothing. A game ends by mate, stalemate,
// repetition, the fifty-move rule or too little material to mate, and is
// adjudicated once both sides' searches agree on a score beyond 1000 for
// eight plies (won) or after 400 plies (drawn).
// Run one per core, each with its own seed and output file.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/Squares.h"
#include "board/Types.h"
#include "game/Engine.h"
#include "game/Fen.h"
#include "game/Game.h"
#include "game/GameState.h"

namespace {
constexpr int MaxBookLines = 8192;
constexpr int MaxLineLen = 256;
constexpr int MaxGamePlies = 400;
constexpr int WinScore = 1000;
constexpr int WinPlies = 8;

char BookLines[MaxBookLines][MaxLineLen];
int NumBookLines = 0;

uint64_t RandomState = 1;
uint64_t NextRandom() {
  uint64_t Z = (RandomState += 0x9E3779B97F4A7C15ull);
  Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
  Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
  return Z ^ (Z >> 31);
}

bool ReadBook(const char *Path) {
  FILE *F = std::fopen(Path, "r");
  if (!F) return false;
  char Line[MaxLineLen];
  while (NumBookLines < MaxBookLines && std::fgets(Line, sizeof Line, F)) {
    Line[std::strcspn(Line, "\r\n")] = '\0';
    if (std::strlen(Line) >= 16) std::strcpy(BookLines[NumBookLines++], Line);
  }
  std::fclose(F);
  return NumBookLines > 0;
}

char Opening[512];
bool Play(const char *Text) {
  ShortStr Move(Text);
  std::strcat(Opening, " ");
  std::strcat(Opening, Text);
  return PlayMove(Move) == MoveRefusal::None;
}

// A uniformly chosen legal move of the game's position, played; false when
// there is none.
bool PlayRandomMove() {
  ShortStr Legal[256];
  int N = 0;
  for (int From = 0; From < 64; ++From)
    for (int To = 0; To < 64; ++To) {
      const ShortStr Text = SquaresToStr(static_cast<int8_t>(From), static_cast<int8_t>(To));
      if (N < 256 && CheckMove(Text, 0) == MoveRefusal::None) Legal[N++] = Text;
    }
  if (N == 0) return false;
  return Play(Legal[NextRandom() % static_cast<uint64_t>(N)].c_str());
}

bool StartOpening() {
  // A new game empties the table, as an interface's ucinewgame does: a draw
  // by repetition stored in another game would read as a draw here.
  NewGame();
  ClearTable();
  LeaveBook();
  Opening[0] = '\0';
  const char *Line = BookLines[NextRandom() % static_cast<uint64_t>(NumBookLines)];
  const int Plies = 4 + static_cast<int>(NextRandom() % 9);
  for (int P = 0; P < Plies && Line[4 * P] != '\0' && Line[4 * P + 3] != '\0'; ++P) {
    char Move[5] = {Line[4 * P], Line[4 * P + 1], Line[4 * P + 2], Line[4 * P + 3], '\0'};
    if (!Play(Move)) return false;
  }
  return PlayRandomMove() && PlayRandomMove();
}

// Whether the game's position stands for the third time.
bool ThirdTime(const GameRecord &R, uint64_t Key) {
  int Seen = 0;
  for (int I = 0; I < R.NumKeys; ++I) Seen += R.Keys[I] == Key;
  return Seen >= 2;
}

struct Sample {
  char Fen[FenTextSize];
};
Sample Samples[MaxGamePlies];

// How the games ended, for the tally at the end.
enum Ending {
  Mate,
  Stalemate,
  Repetition,
  FiftyMoves,
  NoMaterial,
  Adjudicated,
  TooLong,
  NumEndings
};
constexpr const char *EndingName[NumEndings] = {
    "mate", "stalemate", "repetition", "fifty moves", "no material", "adjudicated", "400 plies"};
long Endings[NumEndings] = {};
// With --log, each game's start, moves with the mover's score, and ending.
FILE *Log = nullptr;
int Ended(Ending E, int Result) {
  ++Endings[E];
  if (Log)
    std::fprintf(Log, "\n  %s, %s\n", EndingName[E],
                 Result == 2   ? "1-0"
                 : Result == 0 ? "0-1"
                               : "1/2");
  return Result;
}

// One game; its result from White's side (2 won, 1 drawn, 0 lost), or -1
// when its opening could not be played. The quiet positions go to Samples.
int PlayGame(uint64_t Nodes, bool Console, int &NumSamples) {
  NumSamples = 0;
  if (!StartOpening()) return -1;
  if (Log) {
    char Fen[FenTextSize];
    FenText(Fen);
    std::fprintf(Log, "%s\n startpos moves%s\n ", Fen, Opening);
  }
  int Ahead = 0; // plies in a row both searches saw White (+) or Black (-) winning
  for (int Ply = 0; Ply < MaxGamePlies; ++Ply) {
    const GameRecord &R = GameHistory();
    if (R.HalfMoveClock >= 100) return Ended(FiftyMoves, 1);
    if (NoMatingMaterialLeft()) return Ended(NoMaterial, 1);
    SearchLimits L;
    L.Nodes = Nodes;
    L.FirstDepth = 1; // as a go from an interface
    SearchSettings S;
    S.DrawRules = true;
    S.KeepTable = true;
    S.FullStrength = !Console;
    const ThinkResult T = Think(L, S);
    if (T.Best.FromSq < 0)
      return SideToMoveInCheck() ? Ended(Mate, SideToMove() == WMove ? 0 : 2) : Ended(Stalemate, 1);
    const int White = SideToMove() == WMove ? Game.St.PVScore : -Game.St.PVScore;
    Ahead = White >= WinScore    ? (Ahead > 0 ? Ahead + 1 : 1)
            : White <= -WinScore ? (Ahead < 0 ? Ahead - 1 : -1)
                                 : 0;
    if (Ahead >= WinPlies) return Ended(Adjudicated, 2);
    if (Ahead <= -WinPlies) return Ended(Adjudicated, 0);
    if (!SideToMoveInCheck() && !T.Best.Capture && !T.Best.Promotion) {
      char Fen[FenTextSize];
      FenText(Fen);
      std::snprintf(Samples[NumSamples++].Fen, FenTextSize, "%s", Fen);
    }
    const ShortStr Move = SquaresToStr(T.Best.FromSq, T.Best.ToSq);
    if (Log) std::fprintf(Log, " %s %d", Move.c_str(), Game.St.PVScore);
    if (PlayMove(Move, T.Best.Promotion ? 'Q' : 0) != MoveRefusal::None) {
      std::fprintf(stderr, "selfplay: the search's move %s was refused\n", Move.c_str());
      std::exit(1);
    }
    const GameRecord &After = GameHistory();
    if (ThirdTime(After, GamePositionKey())) return Ended(Repetition, 1);
  }
  return Ended(TooLong, 1);
}

int Usage() {
  std::fprintf(stderr, "usage: selfplay --games N [--nodes N] [--seed N] [--book FILE] "
                       "[--out FILE] [--console]\n");
  return 2;
}
} // namespace

int main(int Argc, char **Argv) {
  long Games = 0;
  uint64_t Nodes = 5000;
  const char *Book = "book.txt";
  const char *Out = nullptr;
  bool Console = false;
  for (int I = 1; I < Argc; ++I) {
    const bool HasValue = I + 1 < Argc;
    if (std::strcmp(Argv[I], "--games") == 0 && HasValue)
      Games = std::strtol(Argv[++I], nullptr, 10);
    else if (std::strcmp(Argv[I], "--nodes") == 0 && HasValue)
      Nodes = std::strtoull(Argv[++I], nullptr, 10);
    else if (std::strcmp(Argv[I], "--seed") == 0 && HasValue)
      RandomState = std::strtoull(Argv[++I], nullptr, 10);
    else if (std::strcmp(Argv[I], "--book") == 0 && HasValue)
      Book = Argv[++I];
    else if (std::strcmp(Argv[I], "--out") == 0 && HasValue)
      Out = Argv[++I];
    else if (std::strcmp(Argv[I], "--log") == 0 && HasValue)
      Log = std::fopen(Argv[++I], "w");
    else if (std::strcmp(Argv[I], "--console") == 0)
      Console = true;
    else
      return Usage();
  }
  if (Games <= 0 || Nodes == 0) return Usage();
  if (!ReadBook(Book)) {
    std::fprintf(stderr, "selfplay: no book lines in %s\n", Book);
    return 1;
  }
  FILE *F = Out ? std::fopen(Out, "a") : stdout;
  if (!F) {
    std::fprintf(stderr, "selfplay: cannot write %s\n", Out);
    return 1;
  }
  ResizeTable(16);
  PrepareTable();
  WaitForTable();
  KeepTableAcrossSetUps();
  long Tally[3] = {0, 0, 0}, Positions = 0;
  for (long G = 0; G < Games; ++G) {
    int NumSamples = 0;
    const int Result = PlayGame(Nodes, Console, NumSamples);
    if (Result < 0) continue;
    ++Tally[Result];
    static const char *const Text[3] = {"0.0", "0.5", "1.0"};
    for (int I = 0; I < NumSamples; ++I)
      std::fprintf(F, "%s - 0 1;%s\n", Samples[I].Fen, Text[Result]);
    Positions += NumSamples;
    std::fflush(F);
    if ((G + 1) % 100 == 0)
      std::fprintf(stderr, "selfplay: %ld games (+%ld =%ld -%ld), %ld positions\n", G + 1, Tally[2],
                   Tally[1], Tally[0], Positions);
  }
  if (Out) std::fclose(F);
  std::fprintf(stderr, "selfplay: done, +%ld =%ld -%ld, %ld positions; ended by", Tally[2],
               Tally[1], Tally[0], Positions);
  for (int E = 0; E < NumEndings; ++E)
    std::fprintf(stderr, "%s %s %ld", E ? "," : "", EndingName[E], Endings[E]);
  std::fprintf(stderr, "\n");
  return 0;
}
