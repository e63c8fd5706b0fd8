#include "bench/ResultParsing.h"

#include <algorithm>
#include <array>
#include <climits>

#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "gameprep/GameInterface.h"

namespace dx {

namespace {

constexpr std::string_view kSecondsMarker = game::kTimedemoScoreMarker;
constexpr std::size_t kTimedDemoCut = 7;
constexpr std::size_t kNetDemoCut = 6;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Up to count characters from start; a line end ends the number, it is never part of it.
std::string CutAt(std::string_view text, std::size_t start, std::size_t count) {
  std::string cut;
  for (std::size_t i = start; i < text.size() && cut.size() < count; ++i) {
    if (text[i] == '\r' || text[i] == '\n') break;
    cut += text[i];
  }
  return cut;
}

}  // namespace

// Horspool's search: skipping ahead by up to the pattern's length keeps a console log of
// a hundred megabytes quick.
std::size_t FindNoCase(std::string_view text, std::string_view part) {
  const std::size_t m = part.size();
  if (m == 0) return 0;
  if (text.size() < m) return std::string_view::npos;
  std::string pattern(m, '\0');
  for (std::size_t i = 0; i < m; ++i) pattern[i] = Lower(part[i]);
  std::array<std::size_t, 256> skip;
  skip.fill(m);
  for (std::size_t i = 0; i + 1 < m; ++i) {
    const char c = pattern[i];
    skip[static_cast<unsigned char>(c)] = m - 1 - i;
    if (c >= 'a' && c <= 'z') skip[static_cast<unsigned char>(c - 'a' + 'A')] = m - 1 - i;
  }
  const char lastOfPattern = pattern[m - 1];
  for (std::size_t at = 0; at + m <= text.size();) {
    const char last = text[at + m - 1];
    if (Lower(last) == lastOfPattern) {
      std::size_t j = 0;
      while (j + 1 < m && Lower(text[at + j]) == pattern[j]) ++j;
      if (j + 1 == m) return at;
    }
    at += skip[static_cast<unsigned char>(last)];
  }
  return std::string_view::npos;
}

std::string CleanScoreText(std::string_view text, std::string_view noise) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const bool isNoise = std::any_of(noise.begin(), noise.end(), [c](char n) { return Lower(n) == Lower(c); });
    if (!isNoise) out += c;
  }
  return out;
}

std::optional<std::string> CutTimedDemoScore(std::string_view logText) {
  // The marker holds no line end, so the log's own line ends need no rewriting first.
  const auto at = FindNoCase(logText, kSecondsMarker);
  if (at == std::string_view::npos) return std::nullopt;
  return CleanScoreText(CutAt(logText, at + kSecondsMarker.size(), kTimedDemoCut), kTimedDemoNoise);
}

std::optional<std::string> CutNetDemoScore(const LineList& dump, const std::string& demoArgument) {
  const std::string stopLine =
      std::string(game::kNetDemoStoppedMarker) + game::kNetDemoFolderMarker + demoArgument + "'";
  for (std::size_t i = 0; i < dump.Count(); ++i) {
    if (!EqualsNoCase(dump[i], stopLine)) continue;
    if (i == 0) return std::nullopt;
    const std::string& rateLine = dump[i - 1];
    const auto at = FindNoCase(rateLine, game::kNetDemoFrameMarker);
    if (at == std::string_view::npos) return std::nullopt;
    return CleanScoreText(CutAt(rateLine, at + 3, kNetDemoCut), kNetDemoNoise);
  }
  return std::nullopt;
}

std::optional<std::int32_t> ConvertScore(std::string_view text, char separator) {
  const auto value = TryReadDecimal(text, separator);
  if (!value) return std::nullopt;
  const std::int64_t rounded = RoundHalfEven(*value);
  if (rounded < INT32_MIN || rounded > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

std::string SwapFirstSeparator(std::string text) {
  if (auto comma = text.find(','); comma != std::string::npos) {
    text[comma] = '.';
  } else if (auto point = text.find('.'); point != std::string::npos) {
    text[point] = ',';
  }
  return text;
}

bool ConvertWithSwappedSeparator(BenchmarkRunState& state, char separator) {
  const auto score = ConvertScore(SwapFirstSeparator(state.ScoreText), separator);
  if (!score) return false;
  state.LastScore = *score;
  return true;
}

std::int32_t AverageScore(std::int32_t scoreSum, int runCount) {
  return runCount < 1 ? scoreSum : static_cast<std::int32_t>(scoreSum / runCount);
}

}  // namespace dx
