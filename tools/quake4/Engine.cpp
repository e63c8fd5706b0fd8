#include "tools/quake4/Engine.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace sim {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::uint32_t Mix(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x;
}

double MultiSampleCost(int samples) {
  if (samples >= 16) return 0.64;
  if (samples >= 8) return 0.76;
  if (samples >= 4) return 0.86;
  if (samples >= 2) return 0.93;
  return 1.0;
}

double AnisotropyCost(int level) {
  if (level >= 16) return 0.94;
  if (level >= 8) return 0.96;
  if (level >= 4) return 0.975;
  if (level >= 2) return 0.99;
  return 1.0;
}

}  // namespace

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    if (IsBlank(line[i])) {
      ++i;
      continue;
    }
    if (line.compare(i, 2, "//") == 0) break;
    std::string word;
    if (line[i] == '"') {
      const std::size_t close = line.find('"', i + 1);
      word = line.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
      i = close == std::string::npos ? line.size() : close + 1;
    } else {
      while (i < line.size() && !IsBlank(line[i])) word.push_back(line[i++]);
    }
    words.push_back(word);
  }
  return words;
}

std::string ArgumentsOf(const std::string& commandLine, const std::string& programPath) {
  std::size_t end = 0;
  if (!programPath.empty() && commandLine.size() >= programPath.size() &&
      SameText(commandLine.substr(0, programPath.size()), programPath) &&
      (commandLine.size() == programPath.size() || IsBlank(commandLine[programPath.size()]))) {
    end = programPath.size();
  } else if (!commandLine.empty() && commandLine[0] == '"') {
    end = commandLine.find('"', 1);
    end = end == std::string::npos ? commandLine.size() : end + 1;
  } else {
    const std::string lower = Lower(commandLine);
    std::size_t at = 0;
    end = std::string::npos;
    while ((at = lower.find(".exe", at)) != std::string::npos) {
      at += 4;
      if (at == lower.size() || IsBlank(lower[at])) {
        end = at;
        break;
      }
    }
    if (end == std::string::npos) {
      end = 0;
      while (end < commandLine.size() && !IsBlank(commandLine[end])) ++end;
    }
  }
  return commandLine.substr(end);
}

std::vector<std::vector<std::string>> CommandsOf(const std::string& arguments) {
  std::vector<std::vector<std::string>> commands;
  for (const std::string& word : SplitWords(arguments)) {
    if (!word.empty() && word[0] == '+') {
      commands.push_back({word.substr(1)});
    } else if (!commands.empty()) {
      commands.back().push_back(word);
    }
  }
  return commands;
}

bool SameText(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

bool EndsWithText(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && SameText(text.substr(text.size() - tail.size()), tail);
}

void Cvars::Set(const std::string& name, const std::string& value, bool archive) {
  const std::string key = Lower(name);
  auto found = byLowerName_.find(key);
  if (found == byLowerName_.end()) {
    order_.push_back(name);
    found = byLowerName_.emplace(key, Cvar{}).first;
  }
  found->second.value = value;
  found->second.archived = found->second.archived || archive;
}

const Cvar* Cvars::Find(const std::string& name) const {
  const auto found = byLowerName_.find(Lower(name));
  return found == byLowerName_.end() ? nullptr : &found->second;
}

std::string Cvars::Get(const std::string& name) const {
  const Cvar* cvar = Find(name);
  return cvar ? cvar->value : std::string();
}

double Cvars::Number(const std::string& name, double fallback) const {
  const std::string text = Get(name);
  if (text.empty()) return fallback;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return end == text.c_str() ? fallback : value;
}

Console::~Console() {
  if (log_) std::fclose(log_);
}

void Console::OpenLog(const std::string& path) {
  if (!log_) log_ = std::fopen(path.c_str(), "wb");
}

void Console::Print(const std::string& line) {
  lines_.push_back(line);
  if (log_) {
    std::fputs(line.c_str(), log_);
    std::fputc('\n', log_);
    std::fflush(log_);
  }
}

bool Console::Dump(const std::string& path) const {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  for (const std::string& line : lines_) {
    std::fputs(line.c_str(), file);
    std::fputs("\r\n", file);
  }
  return std::fclose(file) == 0;
}

Resolution ResolutionOf(const Cvars& cvars) {
  static const Resolution modes[] = {{640, 480},   {800, 600},   {1024, 768},  {1280, 1024},
                                     {1600, 1200}, {2048, 1536}, {1280, 768},  {1920, 1080}};
  const int mode = static_cast<int>(cvars.Number("r_mode", 3));
  if (mode >= 0 && mode < static_cast<int>(std::size(modes))) return modes[mode];
  Resolution custom{static_cast<int>(cvars.Number("r_customWidth", 720)),
                    static_cast<int>(cvars.Number("r_customHeight", 486))};
  custom.width = std::max(custom.width, 1);
  custom.height = std::max(custom.height, 1);
  return custom;
}

double ModelFrameRate(const Resolution& resolution, const Cvars& cvars, std::uint32_t seed) {
  const double pixels = static_cast<double>(resolution.width) * resolution.height;
  double fill = 140.0 * std::pow(1024.0 * 768.0 / pixels, 0.85);

  const int machineSpec = static_cast<int>(cvars.Number("com_machineSpec", 2));
  if (machineSpec <= 1) {
    fill *= cvars.Number("image_downSize", 0) != 0 ? 1.35 : 1.2;
  } else if (machineSpec >= 3) {
    fill *= 0.82;
  }
  fill *= MultiSampleCost(static_cast<int>(cvars.Number("r_multiSamples", 0)));
  fill *= AnisotropyCost(static_cast<int>(cvars.Number("image_anisotropy", 0)));
  if (cvars.Number("r_shadows", 1) == 0) fill *= 1.12;

  const double processorLimit = 260.0;
  double fps = 1.0 / (1.0 / fill + 1.0 / processorLimit);

  std::uint32_t h = Mix(seed ^ Mix(static_cast<std::uint32_t>(resolution.width) * 2654435761u ^
                                   static_cast<std::uint32_t>(resolution.height)));
  h = Mix(h ^ static_cast<std::uint32_t>(fill * 1000.0));
  const double noise = (static_cast<double>(h % 3001) / 1000.0 - 1.5) / 100.0;
  fps *= 1.0 + noise;
  return std::max(fps, 1.0);
}

double FramePlan::DemoFrameMs(long long index) const {
  long long cycle = 0;
  for (const auto& step : steps) cycle += step.first;
  long long at = cycle > 0 ? index % cycle : 0;
  for (const auto& step : steps) {
    if (at < step.first) return step.second;
    at -= step.first;
  }
  return 0;
}

FramePlan ParseFramePlan(const std::string& text) {
  FramePlan plan;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    line = line.substr(0, line.find('#'));
    const std::vector<std::string> words = SplitWords(line);
    const bool loading = words.size() == 3 && SameText(words[0], "loading");
    if (!loading && words.size() != 2) continue;
    const int count = std::atoi(words[loading ? 1 : 0].c_str());
    const double ms = std::strtod(words[loading ? 2 : 1].c_str(), nullptr);
    if (count < 0 || ms < 0 || (!loading && count == 0)) continue;
    if (loading) {
      plan.loadingFrames = count;
      plan.loadingMs = ms;
    } else {
      plan.steps.emplace_back(count, ms);
    }
  }
  return plan;
}

std::string Fixed1(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%3.1f", value);
  // A C library that follows the user's locale would write ','; the engine never does.
  for (char* c = text; *c; ++c) {
    if (*c == ',') *c = '.';
  }
  return text;
}

}  // namespace sim
