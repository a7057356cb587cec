#pragma once

namespace stela::test {

// For tables whose rows differ by system: each build runs its own system's rows.
enum class System { Linux, Windows };
#ifdef _WIN32
inline constexpr System kThisSystem = System::Windows;
#else
inline constexpr System kThisSystem = System::Linux;
#endif

}  // namespace stela::test
