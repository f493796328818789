// The board setup editor (command S).
#pragma once

void SetupBoard();
void WriteSetupMenu();
