// Developer dumps of internal state and the evaluation breakdown screen.
#pragma once

// Command E: the piece-square breakdown of the evaluation of Data[Ply].
void DisplayEval();
