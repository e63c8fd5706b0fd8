#include "bench/RateDetails.h"

#include <vector>

#include "bench/ResultParsing.h"
#include "common/Text.h"
#include "gameprep/GameInterface.h"

namespace dx {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  for (char c : line) {
    if (IsBlank(c)) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

bool IsNumber(std::string_view word) {
  bool digit = false;
  for (char c : word) {
    if (c >= '0' && c <= '9') digit = true;
    else if (c != '.' && c != ',') return false;
  }
  return digit;
}

// The number in front of the word unit ("2133 frames", "34.4 seconds,").
std::string CountBefore(const std::vector<std::string>& words, std::string_view unit) {
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string word = ToLowerAscii(words[i]);
    while (!word.empty() && (word.back() == ',' || word.back() == ':')) word.pop_back();
    if (word == unit && IsNumber(words[i - 1])) return words[i - 1];
  }
  return {};
}

// The first word after position at, up to a blank, a line end or a unit glued to it.
std::string RateAfter(std::string_view line, std::size_t at) {
  while (at < line.size() && IsBlank(line[at])) ++at;
  std::string rate;
  for (; at < line.size() && !IsBlank(line[at]) && !IsLineEnd(line[at]); ++at) {
    const char c = line[at];
    if (!rate.empty() && !(c >= '0' && c <= '9') && c != '.' && c != ',') break;
    rate += c;
  }
  return rate;
}

RateDetails FromLine(std::string_view line, std::size_t rateAt) {
  RateDetails details;
  details.rateText = RateAfter(line, rateAt);
  const auto words = Words(line);
  details.frames = CountBefore(words, "frames");
  details.seconds = CountBefore(words, "seconds");
  return details;
}

}  // namespace

RateDetails TimedDemoDetails(std::string_view logText) {
  const std::string_view marker = game::kTimedemoScoreMarker;
  const auto at = FindNoCase(logText, marker);
  if (at == std::string_view::npos) return {};
  std::size_t begin = at;
  while (begin > 0 && !IsLineEnd(logText[begin - 1])) --begin;
  std::size_t end = at;
  while (end < logText.size() && !IsLineEnd(logText[end])) ++end;
  const std::string_view line = logText.substr(begin, end - begin);
  return FromLine(line, at - begin + marker.size());
}

RateDetails NetDemoDetails(const LineList& dump, const std::string& demoArgument) {
  const std::string stopLine =
      std::string(game::kNetDemoStoppedMarker) + game::kNetDemoFolderMarker + demoArgument + "'";
  for (std::size_t i = 0; i < dump.Count(); ++i) {
    if (!EqualsNoCase(dump[i], stopLine)) continue;
    if (i == 0) return {};
    const std::string& line = dump[i - 1];
    const std::string_view marker = game::kNetDemoFrameMarker;
    const auto at = FindNoCase(line, marker);
    if (at == std::string_view::npos) return {};
    return FromLine(line, at + marker.size());
  }
  return {};
}

}  // namespace dx
