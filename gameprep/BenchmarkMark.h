#pragma once
// One benchmark per game folder on the whole machine, whichever copy of the program runs
// it: the copies meet at a system-wide mark named after the folder.
#include <string>

namespace dx {

inline constexpr const char* kAnotherCopyBenchmarking =
    "Another copy of Dextrel is benchmarking this game. Wait until it has finished.";

// The folder as the system compares it: backslashes, no doubled or trailing ones, no
// "." levels, upper case (Windows-1252 letters too).
std::string NormalisedFolder(const std::string& path);
// The mark's name: the same for every spelling of one folder, without backslashes (which
// a kernel object's name may not hold) and short enough for one; a long path is hashed.
std::string BenchmarkMarkName(const std::string& gamePath);

}  // namespace dx
