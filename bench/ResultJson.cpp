#include "bench/ResultJson.h"

#include <cstdio>
#include <functional>
#include <optional>

#include "bench/FrameCsv.h"
#include "bench/ResultFigures.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "common/Utf8.h"

namespace dx {

namespace {

constexpr const char* kEnd = "\r\n";

// Text the game or the user wrote as a number goes out as a JSON number when it is one,
// otherwise as the text itself, so nothing is lost or made up.
std::string NumberOrText(const std::string& text) {
  if (text.empty()) return "null";
  std::size_t i = text[0] == '-' ? 1 : 0;
  const std::size_t digitsFrom = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  const std::size_t intDigits = i - digitsFrom;
  bool valid = intDigits > 0 && !(intDigits > 1 && text[digitsFrom] == '0');
  if (valid && i < text.size() && text[i] == '.') {
    const std::size_t fractionFrom = ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    valid = i > fractionFrom;
  }
  return valid && i == text.size() ? text : JsonString(text);
}

std::string Bool(bool value) { return value ? "true" : "false"; }

template <class T>
std::string IntOrNull(const std::optional<T>& value) {
  return value ? IntToStr(static_cast<std::int64_t>(*value)) : "null";
}

std::string DecimalOrNull(const std::optional<double>& value, int decimals) {
  return value ? FormatFixed(*value, decimals, '.') : "null";
}

// Members of one object, written with the indentation of its depth.
class Members {
 public:
  Members(std::string& out, int depth) : out_(out), indent_(static_cast<std::size_t>(depth) * 2, ' ') {}
  void Raw(const char* name, const std::string& json) {
    out_ += first_ ? "" : ",";
    out_ += kEnd;
    out_ += indent_ + "\"" + name + "\": " + json;
    first_ = false;
  }
  void Text(const char* name, const std::string& cp1252) { Raw(name, JsonString(cp1252)); }
  void Close(int depth) { out_ += std::string(kEnd) + std::string(static_cast<std::size_t>(depth) * 2, ' '); }

 private:
  std::string& out_;
  std::string indent_;
  bool first_ = true;
};

std::string ObjectOf(int depth, const std::function<void(Members&)>& fill);

std::string ArrayOf(int depth, const std::vector<std::string>& items) {
  if (items.empty()) return "[]";
  const std::string indent(static_cast<std::size_t>(depth + 1) * 2, ' ');
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    // Appended piece by piece: a temporary built from "," + ... trips GCC's -Wrestrict.
    out += i ? "," : "";
    out += kEnd;
    out += indent;
    out += items[i];
  }
  return out + kEnd + std::string(static_cast<std::size_t>(depth) * 2, ' ') + "]";
}

std::string ObjectOf(int depth, const std::function<void(Members&)>& fill) {
  std::string out = "{";
  Members members(out, depth + 1);
  fill(members);
  members.Close(depth);
  return out + "}";
}

std::string Settings(const RecordedSetup& s, int depth) {
  return ObjectOf(depth, [&](Members& m) {
    std::vector<std::string> resolutions;
    for (const auto& r : s.resolutions) {
      resolutions.push_back(ObjectOf(depth + 2, [&](Members& o) {
        o.Text("tag", r.tag);
        o.Raw("width", NumberOrText(r.width));
        o.Raw("height", NumberOrText(r.height));
      }));
    }
    m.Raw("resolutions", ArrayOf(depth + 1, resolutions));
    m.Raw("repetitions", IntToStr(s.repetitions));
    m.Text("quality", s.quality);
    m.Text("aspect", s.aspect);
    m.Text("antialiasing", s.antialiasing);
    m.Text("filtering", s.filtering);
    m.Raw("ambient_light", ObjectOf(depth + 1, [&](Members& o) {
            o.Raw("enabled", Bool(s.ambientLight));
            o.Text("value", s.ambientLightValue);
          }));
    m.Raw("smp", Bool(s.smp));
    m.Raw("demo", ObjectOf(depth + 1, [&](Members& o) {
            o.Text("name", s.demoName);
            o.Text("kind", s.userDemo ? "user" : "built-in");
            o.Raw("net_demo", Bool(s.netDemo));
            o.Raw("file", s.demoFile.empty() ? "null" : JsonString(s.demoFile));
          }));
    m.Text("note", s.note);
    m.Text("game_folder", s.gameFolder);
    m.Text("results_folder", s.resultsFolder);
    m.Raw("summary_lines",
          ArrayOf(depth + 1, {JsonString(s.summary.Quality), JsonString(s.summary.AspectRatio),
                              JsonString(s.summary.Antialiasing), JsonString(s.summary.Filtering),
                              JsonString(s.summary.Smp), JsonString(s.summary.AmbientLight)}));
  });
}

std::string System(const SystemInfoRecord& i, int depth) {
  // The report keeps the blank its fixed cuts leave; the data file does not.
  return ObjectOf(depth, [&](Members& m) {
    auto clean = [&m](const char* name, const std::string& text) { m.Text(name, Trim(text)); };
    clean("operating_system", i.OperatingSystem);
    m.Raw("memory_bytes", IntToStr(static_cast<std::int64_t>(i.SystemMemory)));
    clean("cpu", i.CpuName);
    m.Raw("cpu_mhz", IntToStr(i.CpuSpeed));
    clean("sound", i.SoundSystem);
    clean("graphics_card", i.GraphicsCard);
    clean("video_memory", i.VideoMemory);
    const auto megabytes = VideoMemoryMegabytes(i.VideoMemory);
    m.Raw("video_memory_mb", megabytes ? IntToStr(*megabytes) : "null");
    clean("driver_version", i.DriverVersion);
    m.Raw("radeon", !i.HasRadeonDetails ? "null" : ObjectOf(depth + 1, [&](Members& o) {
      o.Text("card", Trim(i.RadeonCardName));
      o.Text("bus", Trim(i.BusType));
      o.Text("memory_type", Trim(i.MemoryType));
      o.Text("vpu_clock", Trim(i.VpuClock));
      o.Text("memory_clock", Trim(i.MemoryClock));
    }));
    m.Raw("adapter_clocks", !i.HasAdapterClocks ? "null" : ObjectOf(depth + 1, [&](Members& o) {
      o.Text("driver_description", Trim(i.DriverDescription));
      o.Text("gpu_clock", Trim(i.GpuClock));
      o.Text("memory_clock", Trim(i.AdapterMemoryClock));
    }));
  });
}

// The frame-time members of a run or a resolution; null figures where there are none.
void FrameMembers(Members& m, const std::optional<FrameFigures>& f, std::optional<bool> reliable, bool withCount) {
  auto fixed = [&f](double value, int decimals) { return f ? FormatFixed(value, decimals, '.') : "null"; };
  if (withCount) m.Raw("frames", f ? IntToStr(f->frames) : "null");
  m.Raw("avg_fps_frames", fixed(f ? f->averageFps : 0, 2));
  m.Raw("low_1pct_fps", fixed(f ? f->low1PercentFps : 0, 2));
  m.Raw("low_01pct_fps", fixed(f ? f->low01PercentFps : 0, 2));
  m.Raw("longest_frame_ms", fixed(f ? f->longestMs : 0, 3));
  m.Raw("stutters", f ? IntToStr(f->stutters) : "null");
  m.Raw("stutter_time_pct", fixed(f ? f->stutterTimePercent : 0, 2));
  m.Raw("frames_reliable", reliable ? Bool(*reliable) : "null");
}

std::string CsvPath(const std::string& reportFile, const std::string& name) {
  return FrameCsvFolderName(reportFile) + "/" + name;
}

std::string Run(const RecordedRun& r, int depth, bool withFrames, const std::string& reportFile) {
  return ObjectOf(depth, [&](Members& m) {
    m.Text("tag", r.tag);
    m.Raw("width", NumberOrText(r.width));
    m.Raw("height", NumberOrText(r.height));
    m.Raw("repetition", IntToStr(r.repetition));
    m.Text("command_line", r.commandLine);
    m.Raw("frame_rate_text", r.rateText.empty() ? "null" : JsonString(r.rateText));
    m.Raw("frames", NumberOrText(r.frames));
    m.Raw("seconds", NumberOrText(r.seconds));
    m.Raw("score", IntOrNull(r.score));
    m.Raw("no_score_reason", r.score ? "null" : JsonString(r.noScoreReason));
    if (!withFrames) return;
    // The run's "frames" stays the count the game printed.
    FrameMembers(m, r.frameTimes ? FiguresOfFrames(*r.frameTimes) : std::nullopt,
                 r.frameTimes ? std::optional<bool>(r.frameTimes->reliable) : std::nullopt, false);
    if (r.frameTimes && !r.frameTimes->reliable) m.Text("frames_unreliable_reason", r.frameTimes->unreliableReason);
    m.Raw("frames_csv", r.frameCsv.empty() ? "null" : JsonString(CsvPath(reportFile, r.frameCsv)));
  });
}

std::string Resolution(const ResolutionFigures& f, int depth, bool withFrames, const std::vector<std::string>& csvs) {
  return ObjectOf(depth, [&](Members& m) {
    m.Text("tag", f.tag);
    m.Raw("width", NumberOrText(f.width));
    m.Raw("height", NumberOrText(f.height));
    m.Raw("runs", IntToStr(f.runs));
    m.Raw("runs_without_score", IntToStr(f.unscoredRuns));
    m.Raw("mean", DecimalOrNull(f.mean, 2));
    m.Raw("average_score", IntOrNull(f.average));
    m.Raw("minimum", IntOrNull(f.minimum));
    m.Raw("maximum", IntOrNull(f.maximum));
    m.Raw("stddev_percent", DecimalOrNull(f.deviationPercent, 2));
    if (!withFrames) return;
    FrameMembers(m, f.frames, f.framesReliable, true);
    m.Raw("frames_csv", ArrayOf(depth + 1, csvs));
  });
}

}  // namespace

std::optional<std::int64_t> VideoMemoryMegabytes(std::string_view text) {
  const std::string clean = Trim(text);
  std::size_t end = 0;
  while (end < clean.size() && ((clean[end] >= '0' && clean[end] <= '9') || clean[end] == '.' || clean[end] == ',')) {
    ++end;
  }
  if (end == 0) return std::nullopt;
  // The tool writes the point; a system with the comma may have given that instead.
  auto number = TryReadDecimal(ReplaceAll(clean.substr(0, end), ",", "."), '.');
  if (!number) return std::nullopt;
  const std::string unit = ToLowerAscii(Trim(clean.substr(end)));
  if (StartsWith(unit, "gb")) return RoundHalfEven(*number * 1024.0);
  if (StartsWith(unit, "mb")) return RoundHalfEven(*number);
  if (StartsWith(unit, "kb")) return RoundHalfEven(*number / 1024.0);
  return std::nullopt;
}

std::string JsonString(std::string_view cp1252Text) {
  std::string out = "\"";
  for (char c : Cp1252ToUtf8(cp1252Text)) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string ResultJson(const BenchmarkRecord& record, const std::string& reportFile) {
  const bool withFrames = record.frameTimes.requested;
  std::vector<std::string> runs;
  for (const auto& run : record.runs) runs.push_back(Run(run, 2, withFrames, reportFile));
  std::vector<std::string> resolutions;
  for (const auto& figures : FiguresByResolution(record.runs)) {
    std::vector<std::string> csvs;
    for (const auto& run : record.runs) {
      if (run.tag == figures.tag && run.score && !run.frameCsv.empty()) {
        csvs.push_back(JsonString(CsvPath(reportFile, run.frameCsv)));
      }
    }
    resolutions.push_back(Resolution(figures, 2, withFrames, csvs));
  }

  return ObjectOf(0, [&](Members& m) {
           m.Raw("schema_version", IntToStr(withFrames ? kResultSchemaWithFrames : kResultSchemaVersion));
           m.Raw("program", ObjectOf(1, [&](Members& o) {
                   o.Text("name", "Dextrel");
                   o.Text("version", record.programVersion);
                 }));
           m.Raw("started", ObjectOf(1, [&](Members& o) {
                   o.Text("text", record.startedAt);
                   o.Text("iso8601", record.startedIso);
                 }));
           m.Text("report_file", reportFile);
           m.Raw("settings", Settings(record.setup, 1));
           m.Raw("system", System(record.systemInfo, 1));
           if (withFrames) {
             m.Raw("frame_times", ObjectOf(1, [&](Members& o) {
                     o.Raw("recorded", Bool(record.frameTimes.Recorded()));
                     o.Raw("unavailable_reason", record.frameTimes.Recorded()
                                                     ? "null"
                                                     : JsonString(record.frameTimes.unavailableReason));
                   }));
           }
           m.Raw("runs", ArrayOf(1, runs));
           m.Raw("resolutions", ArrayOf(1, resolutions));
         }) +
         kEnd;
}

}  // namespace dx
