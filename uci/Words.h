// The protocol's words compared: free of the session's input and output, so
// that the go line's reader, which depends on its words alone, can use them.
#pragma once
#include <cstring>
#include <strings.h>

namespace Uci {

inline bool Is(const char *A, const char *B) { return std::strcmp(A, B) == 0; }
inline bool IsNoCase(const char *A, const char *B) { return strcasecmp(A, B) == 0; }

} // namespace Uci
