#include "game/Fen.h"

#include <cstring>
#include <initializer_list>

#include "board/Attacks.h"
#include "board/Board.h"
#include "board/Zorbist.h"
#include "game/GameState.h"
#include "hash/TT.h"

namespace {
// The one character between the board and the rest: a blank or a tab, as
// editors and other programs write it.
bool IsSeparator(char C) { return C == ' ' || C == '\t' || C == '\v' || C == '\f'; }

// Each piece beyond two of its kind came from one of the side's pawns, so
// those pieces and the pawns left stay within MaxExtra. An excess of queens
// alone keeps its own words.
const char *CheckPromoted(const int *Count, int Side) {
  const auto Beyond = [&](int8_t P) { return Count[P + Side] > 2 ? Count[P + Side] - 2 : 0; };
  const int Queens = Beyond(WQueen) + Count[WPawn + Side];
  if (Queens > MaxExtra) return "too many queens and pawns";
  if (Queens + Beyond(WNight) + Beyond(WBishop) + Beyond(WRook) > MaxExtra)
    return "too many pieces";
  return nullptr;
}

// Whether the placement is one a game can reach, as far as its counts go.
const char *CheckCounts(const int8_t *Sq) {
  int Count[15] = {};
  for (int S = 0; S < 64; ++S) ++Count[Sq[S]];
  for (int8_t P : {WPawn, BPawn})
    if (Count[P] > 8) return "too many pawns";
  for (int Side : {0, BPawn - WPawn})
    if (const char *Why = CheckPromoted(Count, Side)) return Why;
  if (Count[WKing] > 1 || Count[BKing] > 1) return "two kings";
  // As in the editor: a pawn on its own first rank is refused.
  for (int S = 0; S < 8; ++S)
    if (Sq[S] == WPawn || Sq[56 + S] == BPawn) return "pawn on its first rank";
  return nullptr;
}
} // namespace

uint8_t FitCastling(uint8_t Rights, const int8_t *Sq) {
  uint8_t Lost = 0;
  if (Sq[4] != WKing) Lost |= WhiteShort | WhiteLong;
  if (Sq[7] != WRook) Lost |= WhiteShort;
  if (Sq[0] != WRook) Lost |= WhiteLong;
  if (Sq[60] != BKing) Lost |= BlackShort | BlackLong;
  if (Sq[63] != BRook) Lost |= BlackShort;
  if (Sq[56] != BRook) Lost |= BlackLong;
  return static_cast<uint8_t>(Rights & ~Lost);
}

bool ParseFEN(const char *Line, ParsedFEN &Out, const char *&Why) {
  std::memset(Out.Squares, 0, sizeof Out.Squares);
  const char *C = Line;
  for (int Rank = 7; Rank >= 0; --Rank) {
    int Fyle = 0;
    while (Fyle < 8) {
      const char Ch = *C++;
      if (Ch == '\0' || Ch == '\n' || Ch == '\r') {
        Why = "file ends early";
        return false;
      }
      if (Ch == '/' || IsSeparator(Ch)) {
        Why = "short rank";
        return false;
      }
      if (Ch >= '1' && Ch <= '8') {
        Fyle += Ch - '0';
        if (Fyle > 8) {
          Why = "long rank";
          return false;
        }
        continue;
      }
      // Any other character stands for one empty square.
      Out.Squares[Rank * 8 + Fyle] = CodeOfLetter(Ch);
      ++Fyle;
    }
    const char Sep = *C;
    if (Rank > 0 ? Sep != '/' : !(IsSeparator(Sep) || Sep == '\0' || Sep == '\n' || Sep == '\r')) {
      Why = Sep == '\0' ? "file ends early" : "long rank";
      return false;
    }
    if (Sep != '\0') ++C;
  }
  // Only the first 10 characters after the board field are looked at.
  char Rest[11] = {};
  for (int I = 0; I < 10 && C[I] != '\0' && C[I] != '\n' && C[I] != '\r'; ++I) Rest[I] = C[I];
  Out.Side = std::strchr(Rest, 'w') ? WMove : BMove;
  uint8_t Rights = 0;
  if (std::strchr(Rest, 'K')) Rights |= WhiteShort;
  if (std::strchr(Rest, 'Q')) Rights |= WhiteLong;
  if (std::strchr(Rest, 'k')) Rights |= BlackShort;
  if (std::strchr(Rest, 'q')) Rights |= BlackLong;
  if (const char *Bad = CheckCounts(Out.Squares)) {
    Why = Bad;
    return false;
  }
  Out.CastleStat = FitCastling(Rights, Out.Squares);
  Why = nullptr;
  return true;
}

namespace {
void PlacePieces(const ParsedFEN &P) {
  ZeroBoardData(Game.Here());
  for (int Rank = 7; Rank >= 0; --Rank)
    for (int Fyle = 0; Fyle < 8; ++Fyle) {
      const int8_t Sq = static_cast<int8_t>(Rank * 8 + Fyle);
      if (P.Squares[Sq] != Empty) PutPiece(Game.Here(), P.Squares[Sq], Sq);
    }
  Game.St.WhosMove = P.Side;
}

void FinishSetup(const ParsedFEN &P) {
  Game.Here().CastleStat = P.CastleStat;
  Game.Here().EnPasSq = -1;
  ZeroTTsOnSetUp();
  InitZorbistBoard(Game.Here());
}
} // namespace

bool SetupParsedFEN(const ParsedFEN &P) {
  // Kept so that a refused placement leaves the game exactly as it was; the
  // keys are redrawn only once the placement is accepted.
  const DataType Saved = Game.Here();
  const int8_t SavedSide = Game.St.WhosMove;
  PlacePieces(P);
  if (KingCanBeTaken(Game.Here(), Game.St.WhosMove)) {
    Game.Here() = Saved;
    Game.St.WhosMove = SavedSide;
    return false;
  }
  FinishSetup(P);
  return true;
}

bool SetupFEN(const char *Line, const char *&Why) {
  ParsedFEN P;
  if (!ParseFEN(Line, P, Why)) return false;
  if (!SetupParsedFEN(P)) {
    Why = KingTakenWhy;
    return false;
  }
  return true;
}

void FenText(char (&Text)[FenTextSize]) { FenTextOf(Game.Here(), Game.St.WhosMove, Text); }

void FenTextOf(const DataType &D, int8_t Side, char (&Text)[FenTextSize]) {
  int N = 0;
  for (int Rank = 7; Rank >= 0; --Rank) {
    int Run = 0;
    for (int Fyle = 0; Fyle < 8; ++Fyle) {
      const int8_t P = PieceOn(D, Rank * 8 + Fyle);
      if (P == Empty) {
        ++Run;
        continue;
      }
      if (Run > 0) Text[N++] = static_cast<char>('0' + Run);
      Run = 0;
      Text[N++] = PieceLetter[P];
    }
    if (Run > 0) Text[N++] = static_cast<char>('0' + Run);
    if (Rank > 0) Text[N++] = '/';
  }
  Text[N] = '\0';
  std::strcat(Text, Side == WMove ? " w " : " b ");
  if (D.CastleStat & WhiteShort) std::strcat(Text, "K");
  if (D.CastleStat & WhiteLong) std::strcat(Text, "Q");
  if (D.CastleStat & BlackShort) std::strcat(Text, "k");
  if (D.CastleStat & BlackLong) std::strcat(Text, "q");
}
