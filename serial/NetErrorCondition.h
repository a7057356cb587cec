#pragma once

namespace stela {

// The errno condition that a network port's system code stands for: the code
// itself on Linux; on Windows, where the network device reports Windows and
// Winsock codes, the errno value that says the same (WSAECONNREFUSED is
// ECONNREFUSED), or the code as it is where none does.
#ifdef _WIN32
int netErrorCondition(int systemCode);
#else
inline int netErrorCondition(int systemCode) {
    return systemCode;
}
#endif

}  // namespace stela
