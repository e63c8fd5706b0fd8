#pragma once
// The pieces of the simulated game that need no window: the console with its log, the
// console variables, the command grammar and the frame-rate model.
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace sim {

// The engine's command grammar: whitespace separates words, double quotes group them,
// "//" starts a comment.
std::vector<std::string> SplitWords(const std::string& line);

// The arguments of a raw command line, behind the program. The program path may hold
// blanks without quotes, as a launcher that relies on the system's search builds it.
// programPath, when the line starts with it, marks the end of the program best.
std::string ArgumentsOf(const std::string& commandLine, const std::string& programPath = {});

// "+set a b +timedemoquit d" gives {"set a b"}, {"timedemoquit d"}: one command per "+".
std::vector<std::vector<std::string>> CommandsOf(const std::string& arguments);

bool SameText(const std::string& a, const std::string& b);
bool EndsWithText(const std::string& text, const std::string& tail);

struct Cvar {
  std::string value;
  bool archived = false;  // set with seta, written back to the saved configuration
};

class Cvars {
 public:
  void Set(const std::string& name, const std::string& value, bool archive);
  // Empty when never set.
  std::string Get(const std::string& name) const;
  double Number(const std::string& name, double fallback) const;
  // Names in the order they were first set.
  const std::vector<std::string>& Order() const { return order_; }
  const Cvar* Find(const std::string& name) const;

 private:
  std::map<std::string, Cvar> byLowerName_;
  std::vector<std::string> order_;
};

// Console output: kept for condump, and written line by line to qconsole.log when
// logging is on, flushed at once so a crash leaves what was printed so far.
class Console {
 public:
  ~Console();
  void OpenLog(const std::string& path);
  void Print(const std::string& line);
  const std::vector<std::string>& Lines() const { return lines_; }
  bool Dump(const std::string& path) const;

 private:
  std::vector<std::string> lines_;
  std::FILE* log_ = nullptr;
};

struct Resolution {
  int width = 0;
  int height = 0;
};

// r_mode picks a fixed mode; -1 takes r_customWidth and r_customHeight.
Resolution ResolutionOf(const Cvars& cvars);

// Frames per second a card of a few years ago would reach with these settings: the
// pixel count and the quality cvars set the cost, a processor limit caps it, and the
// noise (within +-1.5 %) follows the seed.
double ModelFrameRate(const Resolution& resolution, const Cvars& cvars, std::uint32_t seed);

// The frame times a test asks for. The text has "COUNT MS" lines: COUNT frames of MS
// milliseconds each, in order, repeated over the demo's frames; an optional
// "loading COUNT MS" line sets the frames before the demo (default 4 of 5 ms); "#" starts a
// comment. Empty when the text holds no frames.
struct FramePlan {
  int loadingFrames = 4;
  double loadingMs = 5;
  std::vector<std::pair<int, double>> steps;  // COUNT, MS
  bool Empty() const { return steps.empty(); }
  // Milliseconds of the demo's frame number index (from 0).
  double DemoFrameMs(long long index) const;
};
FramePlan ParseFramePlan(const std::string& text);

// The engine formats its numbers with '.', whatever the user's settings.
std::string Fixed1(double value);

}  // namespace sim
