// The xboard protocol (version 2) over the same engine, game and options as
// UCI: the session's first line "xboard" hands the rest of it over here.
#pragma once

namespace Uci {

// Serves the xboard protocol on the session's input and output (uci/Io.h)
// until "quit", the end of the input or a failed write.
void RunXboard();

} // namespace Uci
