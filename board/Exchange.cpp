#include "board/Exchange.h"

#include "board/Attacks.h"

namespace {
constexpr int8_t Steps[8][2] = {{1, 0}, {-1, 0}, {0, 1},  {0, -1},
                                {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
constexpr int8_t Jumps[8][2] = {{1, 2},   {2, 1},   {2, -1}, {1, -2},
                                {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};

inline bool OnBoard(int F, int R) { return F >= 0 && F < 8 && R >= 0 && R < 8; }

// A piece of White's colour (or Black's) of type Type.
inline bool IsSide(int8_t Code, bool White) { return Code != Empty && IsWhiteCode(Code) == White; }

// The cheapest piece of the side that bears on To, pieces in Gone counted as
// moved away (so that a slider behind one that took now sees through), or -1.
int Cheapest(const DataType &D, int To, bool White, uint64_t Gone, int &Type) {
  const int F = To & 7, R = To >> 3;
  int Best = -1, BestType = 7;
  auto Consider = [&](int Sq, int Kind) {
    if (Kind < BestType) {
      Best = Sq;
      BestType = Kind;
    }
  };
  // A pawn takes towards the side it moves to, so it stands a rank behind.
  const int PawnRank = White ? R - 1 : R + 1;
  for (int DF = -1; DF <= 1; DF += 2) {
    const int Sq = PawnRank * 8 + F + DF;
    if (!OnBoard(F + DF, PawnRank) || (Gone >> Sq & 1)) continue;
    const int8_t P = PieceOn(D, Sq);
    if (IsSide(P, White) && (P & 7) == WPawn) Consider(Sq, WPawn);
  }
  if (BestType == WPawn) return Type = WPawn, Best;
  for (const auto &J : Jumps) {
    const int JF = F + J[0], JR = R + J[1];
    if (!OnBoard(JF, JR)) continue;
    const int Sq = JR * 8 + JF;
    const int8_t P = PieceOn(D, Sq);
    if (!(Gone >> Sq & 1) && IsSide(P, White) && (P & 7) == WNight) Consider(Sq, WNight);
  }
  for (int I = 0; I < 8; ++I) {
    const bool Diagonal = I >= 4;
    int SF = F + Steps[I][0], SR = R + Steps[I][1];
    for (int Dist = 1; OnBoard(SF, SR); ++Dist, SF += Steps[I][0], SR += Steps[I][1]) {
      const int Sq = SR * 8 + SF;
      if (Gone >> Sq & 1) continue;
      const int8_t P = PieceOn(D, Sq);
      if (P == Empty) continue;
      if (IsSide(P, White)) {
        const int Kind = P & 7;
        if (Kind == WQueen || Kind == (Diagonal ? WBishop : WRook) || (Kind == WKing && Dist == 1))
          Consider(Sq, Kind);
      }
      break;
    }
  }
  Type = BestType;
  return Best;
}
// Whether a slider of the side stands behind From on the line from To
// through From, with nothing between.
bool SliderBehind(const DataType &D, int From, int To, bool White) {
  const int DF = (From & 7) - (To & 7), DR = (From >> 3) - (To >> 3);
  const bool Line = DF == 0 || DR == 0, Diagonal = DF == DR || DF == -DR;
  if (!Line && !Diagonal) return false;
  const int SF = (DF > 0) - (DF < 0), SR = (DR > 0) - (DR < 0);
  for (int F = (From & 7) + SF, R = (From >> 3) + SR; OnBoard(F, R); F += SF, R += SR) {
    const int8_t P = PieceOn(D, R * 8 + F);
    if (P == Empty) continue;
    const int Kind = P & 7;
    return IsSide(P, White) && (Kind == WQueen || Kind == (Diagonal ? WBishop : WRook));
  }
  return false;
}
} // namespace

int StaticExchange(const DataType &D, int8_t From, int8_t To) {
  const int8_t Mover = PieceOn(D, From);
  const int8_t Victim = PieceOn(D, To);
  const bool EnPassant = (Mover & 7) == WPawn && To == D.EnPasSq && Victim == Empty;
  int Gain[40];
  Gain[0] = EnPassant ? ExchangeValue[WPawn] : ExchangeValue[Victim & 7];
  uint64_t Gone = uint64_t{1} << From;
  // The pawn taken en passant leaves its square, which may open a line.
  if (EnPassant) Gone |= uint64_t{1} << (To + (IsWhiteCode(Mover) ? -8 : 8));
  int OnSquare = ExchangeValue[Mover & 7];
  bool White = !IsWhiteCode(Mover);
  // Most squares a quiet move goes to are not attacked at all: the list
  // test says so faster than the walk below, unless the mover itself stood
  // in the way of a slider behind it.
  if (!Attacked(D, To, White ? WMove : BMove) && !SliderBehind(D, From, To, White)) return Gain[0];
  int N = 0;
  while (N < 38) {
    ++N;
    // What the side to take has if it takes the piece now on the square.
    Gain[N] = OnSquare - Gain[N - 1];
    // Neither taking nor standing pays for one side: the rest changes nothing.
    if (-Gain[N - 1] < 0 && Gain[N] < 0) break;
    int Type;
    const int Sq = Cheapest(D, To, White, Gone, Type);
    if (Sq < 0) break;
    Gone |= uint64_t{1} << Sq;
    OnSquare = ExchangeValue[Type];
    White = !White;
  }
  while (--N > 0) Gain[N - 1] = -(-Gain[N - 1] > Gain[N] ? -Gain[N - 1] : Gain[N]);
  return Gain[0];
}
