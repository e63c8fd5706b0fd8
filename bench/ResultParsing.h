#pragma once
// Reading the frame rate out of a finished run's console log or net-demo dump.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "bench/RunState.h"
#include "common/LineList.h"

namespace dx {

inline constexpr const char* kNoScoreMessage =
    "Error occured. Maybe the demo isn't compatible your Quake 4 version! The built-in demo compatible with the "
    "original v1.4.1 patch.";

// The characters a cut score text loses, compared without regard to case.
inline constexpr std::string_view kTimedDemoNoise = " =FPS:";
inline constexpr std::string_view kNetDemoNoise = " =MFPS:";

// Where part first occurs in text, without regard to ASCII case; npos when it does not.
std::size_t FindNoCase(std::string_view text, std::string_view part);

// Removes every character of noise (any case) from text; the rest keeps its order.
std::string CleanScoreText(std::string_view text, std::string_view noise);

// The score text after the first "seconds =" (any case) of a console log, cleaned;
// nothing when the marker is absent.
std::optional<std::string> CutTimedDemoScore(std::string_view logText);

// The score text of a net-demo console dump: the line before the first stop line of the
// demo, from the blank of its "ms: ", cleaned; nothing when a piece is missing.
std::optional<std::string> CutNetDemoScore(const LineList& dump, const std::string& demoArgument);

// The cleaned text read with the user's separator, rounded half to even. Nothing when it
// is not a number or the score does not fit.
std::optional<std::int32_t> ConvertScore(std::string_view text, char separator);
// The first "," becomes "." or else the first "." becomes ",".
std::string SwapFirstSeparator(std::string text);
// Converts state.ScoreText once more with its separator exchanged into state.LastScore.
bool ConvertWithSwappedSeparator(BenchmarkRunState& state, char separator);

// ScoreSum over the repetition count, the remainder dropped.
std::int32_t AverageScore(std::int32_t scoreSum, int runCount);

}  // namespace dx
