// What the weights cannot say about some endings: material that cannot win
// scales the score down, and a king left alone against mating material is
// driven to the edge by a bonus of its own. Neither is tuned; the trace hands
// both to the tuner as they are.
#pragma once

#include "fulleval/Bitboards.h"

// The tapered score counts Scale / FullScale of itself. The factor takes the
// middlegame part too: two knights are 2 of the 24 steps of the phase, and a
// drawn ending's middlegame part would still be worth half a pawn.
constexpr int FullScale = 64;

// The factor when side Strong (White or Black) is ahead.
int EndgameScale(const PieceSets &P, int Strong);
// The bonus, from White's side, for driving a bare king towards a corner (the
// corner of the bishop's colour with bishop and knight) and the winning king
// towards it; 0 when neither side has a bare king against mating material.
int MopUp(const PieceSets &P);
