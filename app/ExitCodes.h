#pragma once
// The exit codes of the unattended benchmark, also printed by /?.
namespace dx {

inline constexpr int kExitAllScored = 0;
inline constexpr int kExitRunWithoutScore = 1;  // or it ended early or was closed; what was measured is saved
inline constexpr int kExitCouldNotStart = 2;    // nothing scored; also a bad switch
inline constexpr int kExitAnotherCopy = 3;      // of this program, or of another one on the same game
inline constexpr int kExitUnexpectedFault = 4;  // an unexpected error or a fault; its message or report path printed

}  // namespace dx
