#include "bench/ResultHistory.h"

#include <algorithm>
#include <exception>
#include <cmath>
#include <map>

#include "bench/Report.h"
#include "bench/ResultJson.h"
#include "common/JsonValue.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace dx {

namespace {

constexpr const char* kTimesUtf8 = "\xC3\x97";
constexpr const char* kSigmaUtf8 = "\xCF\x83";

// The program's colours: black pages, white and silver text, the side bar's green
// captions and olive frames.
constexpr const char* kStyle =
    "body{background:#000;color:#fff;font:13px Tahoma,Verdana,sans-serif;margin:16px}"
    "h1{color:#a6c162;font-size:22px}h2{color:#a6c162;font-size:16px;margin-top:28px}"
    "h3{color:#c0c0c0;font-size:13px;margin:14px 0 4px}"
    "table{border-collapse:collapse}th,td{border:1px solid #808000;padding:3px 6px;vertical-align:top}"
    "th{color:#a6c162;text-align:left}td.num{text-align:right}a{color:#a6c162}"
    ".quiet{color:#c0c0c0}.noise{color:#c0c0c0}.better{color:#6fd36f}.worse{color:#ff8060}"
    "svg{background:#000;border:1px solid #808000}";

// The page's texts stand in attribute values too.
std::string Html(std::string_view text) { return HtmlText(text, true); }

// A file name as a relative link: bytes outside the plain set are percent-coded.
std::string Href(std::string_view name) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || c == '-' || c == '_' ||
        c == '.' || c == '~') {
      out += c;
    } else {
      out += '%';
      out += hex[b >> 4];
      out += hex[b & 15];
    }
  }
  return out;
}

std::string Clean(const JsonValue& value) { return Trim(value.TextOr()); }

std::optional<std::int64_t> WholeNumber(const JsonValue& value) {
  const auto number = value.Number();
  if (!number) return std::nullopt;
  return static_cast<std::int64_t>(std::llround(*number));
}

std::string OnOff(bool on) { return on ? "on" : "off"; }

}  // namespace

std::optional<HistoryEntry> ReadHistoryEntry(std::string_view json, const std::string& jsonFile) {
  const auto doc = ParseJson(json);
  if (!doc || doc->kind() != JsonValue::Kind::Object) return std::nullopt;
  const auto schema = (*doc)["schema_version"].Number();
  if (!schema || *schema < 1) return std::nullopt;
  if ((*doc)["program"]["name"].TextOr() != "Dextrel") return std::nullopt;

  HistoryEntry e;
  e.jsonFile = jsonFile;
  e.reportFile = (*doc)["report_file"].TextOr();
  e.startedText = (*doc)["started"]["text"].TextOr();
  e.startedIso = (*doc)["started"]["iso8601"].TextOr();

  const JsonValue& s = (*doc)["settings"];
  const std::string quality = s["quality"].TextOr();
  const std::string aspect = s["aspect"].TextOr();
  const std::string aa = s["antialiasing"].TextOr();
  const std::string af = s["filtering"].TextOr();
  const bool smp = s["smp"].Bool();
  const bool ambient = s["ambient_light"]["enabled"].Bool();
  const std::string ambientValue = s["ambient_light"]["value"].TextOr();
  e.demo = s["demo"]["name"].TextOr();
  if (s["demo"]["net_demo"].Bool()) e.demo += " (net demo)";
  e.note = s["note"].TextOr();
  e.settingsKey = quality + '\n' + aspect + '\n' + aa + '\n' + af + '\n' + OnOff(smp) + '\n' +
                  (ambient ? ambientValue : std::string("off")) + '\n' + e.demo;
  e.settingsText = quality + ", AA " + aa + ", AF " + af + ", " + aspect + ", SMP " + OnOff(smp) +
                   ", ambient light " + (ambient ? ambientValue : std::string("off")) + ", demo " + e.demo;

  const JsonValue& sys = (*doc)["system"];
  e.cpu = Clean(sys["cpu"]);
  e.graphicsCard = Clean(sys["graphics_card"]);
  e.driverVersion = Clean(sys["driver_version"]);
  const std::string videoMemory = Clean(sys["video_memory"]);
  e.videoMemoryMb = WholeNumber(sys["video_memory_mb"]);
  if (!e.videoMemoryMb) e.videoMemoryMb = VideoMemoryMegabytes(videoMemory);
  const auto memory = WholeNumber(sys["memory_bytes"]);
  e.system = {{"Operating system", Clean(sys["operating_system"])},
              {"Memory", memory ? IntToStr(*memory / (1024 * 1024)) + " MB" : std::string()},
              {"Processor", e.cpu},
              {"Graphics card", e.graphicsCard},
              {"Video memory", e.videoMemoryMb ? IntToStr(*e.videoMemoryMb) + " MB" : videoMemory},
              {"Driver version", e.driverVersion},
              {"Sound", Clean(sys["sound"])},
              {"Program version", Clean((*doc)["program"]["version"])}};

  for (const JsonValue& r : (*doc)["resolutions"].Items()) {
    HistoryResolution h;
    const std::string tag = r["tag"].TextOr();
    const std::string width = r["width"].TextOr();
    const std::string height = r["height"].TextOr();
    h.key = tag + ' ' + width + 'x' + height;
    h.label = width + kTimesUtf8 + height + (tag == "custom" ? " (custom)" : "");
    h.runs = static_cast<int>(WholeNumber(r["runs"]).value_or(0));
    h.unscoredRuns = static_cast<int>(WholeNumber(r["runs_without_score"]).value_or(0));
    h.mean = r["mean"].Number();
    h.minimum = WholeNumber(r["minimum"]);
    h.maximum = WholeNumber(r["maximum"]);
    h.deviationPercent = r["stddev_percent"].Number();
    h.low1PercentFps = r["low_1pct_fps"].Number();
    e.resolutions.push_back(std::move(h));
  }
  return e;
}

namespace {

constexpr std::string_view kPageStart = "<!DOCTYPE html>\r\n<html lang=\"en\"><head><meta charset=\"utf-8\">";
constexpr std::string_view kHistoryMarker = "<meta name=\"generator\" content=\"Dextrel results history\">";
// The pages written before the marker began so.
constexpr std::string_view kUnmarkedPageStart =
    "<!DOCTYPE html>\r\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Dextrel results history</title>";

class Page {
 public:
  explicit Page(char separator) : sep_(separator) {}

  void Head(std::size_t count) {
    out_ += kPageStart;
    out_ += kHistoryMarker;
    out_ += "<title>Dextrel results history</title><style>";
    out_ += kStyle;
    out_ += "</style></head><body>\r\n<h1>Dextrel results history</h1>\r\n<p class=\"quiet\">" +
            IntToStr(static_cast<std::int64_t>(count)) + (count == 1 ? " benchmark" : " benchmarks") +
            " in this folder, newest first.</p>\r\n";
  }

  void Comparison(const std::vector<HistoryEntry>& entries) {
    out_ += "<h2>Latest against the previous benchmark of the same settings</h2>\r\n";
    if (entries.empty()) {
      out_ += "<p class=\"quiet\">No benchmark yet.</p>\r\n";
      return;
    }
    const HistoryEntry& latest = entries.front();
    const HistoryEntry* previous = nullptr;
    for (std::size_t i = 1; i < entries.size() && !previous; ++i) {
      if (entries[i].settingsKey == latest.settingsKey) previous = &entries[i];
    }
    out_ += "<p>Latest: " + Link(latest) + " &middot; " + Html(latest.settingsText) + "</p>\r\n";
    if (!previous) {
      out_ += "<p class=\"quiet\" id=\"no-previous\">No earlier benchmark with the same settings and demo.</p>\r\n";
      return;
    }
    out_ += "<p>Previous: " + Link(*previous) + "</p>\r\n";
    out_ += "<table id=\"comparison\"><tr><th>Resolution</th><th>Previous</th><th>Latest</th><th>Change</th>"
            "<th>Verdict</th></tr>\r\n";
    for (const auto& now : latest.resolutions) {
      const HistoryResolution* before = nullptr;
      for (const auto& r : previous->resolutions) {
        if (r.key == now.key) before = &r;
      }
      if (!before || !now.mean || !before->mean || *before->mean == 0.0) continue;
      const double change = (*now.mean - *before->mean) / *before->mean * 100.0;
      std::string verdict;
      std::string cls;
      // One run says nothing about how much the next one would differ; with two or more
      // on each side the change is weighed against the spread both sides give it.
      if (now.ScoredRuns() < 2 || before->ScoredRuns() < 2 || !now.deviationPercent || !before->deviationPercent) {
        verdict = "noise unknown (fewer than two scored runs on a side)";
        cls = "quiet";
      } else {
        const double spread = std::hypot(*now.deviationPercent, *before->deviationPercent);
        if (std::fabs(change) <= spread) {
          verdict = "within noise (" + std::string(kSigmaUtf8) + " " + FormatFixed(spread, 2, sep_) + " %)";
          cls = "noise";
        } else {
          verdict = std::string(change > 0 ? "faster" : "slower") + " beyond noise (" + kSigmaUtf8 + " " +
                    FormatFixed(spread, 2, sep_) + " %)";
          cls = change > 0 ? "better" : "worse";
        }
      }
      out_ += "<tr data-resolution=\"" + Html(now.key) + "\" data-change=\"" + FormatFixed(change, 2, '.') +
              "\"><td>" + Html(now.label) + "</td><td class=\"num\">" + MeanWithLow(*before) +
              "</td><td class=\"num\">" + MeanWithLow(now) + "</td><td class=\"num\">" + (change > 0 ? "+" : "") +
              FormatFixed(change, 2, sep_) + " %</td><td class=\"" + cls + "\">" + verdict + "</td></tr>\r\n";
    }
    out_ += "</table>\r\n";
    std::vector<std::string> differences;
    for (std::size_t i = 0; i < latest.system.size() && i < previous->system.size(); ++i) {
      if (latest.system[i].second == previous->system[i].second) continue;
      differences.push_back(Html(latest.system[i].first) + ": " + Html(previous->system[i].second) + " &rarr; " +
                            Html(latest.system[i].second));
    }
    if (differences.empty()) {
      out_ += "<p class=\"quiet\" id=\"differences\">The two systems do not differ.</p>\r\n";
    } else {
      out_ += "<p id=\"differences\">What differs between the two systems:</p><ul>";
      for (const auto& d : differences) out_ += "<li>" + d + "</li>";
      out_ += "</ul>\r\n";
    }
  }

  void Table(const std::vector<HistoryEntry>& entries) {
    out_ += "<h2>Every benchmark</h2>\r\n<table id=\"benchmarks\"><tr><th>Started</th><th>Note</th><th>System</th>"
            "<th>Settings</th><th>Results (average, min&ndash;max, " +
            std::string(kSigmaUtf8) + " %)</th></tr>\r\n";
    for (const auto& e : entries) {
      out_ += "<tr data-json=\"" + Html(e.jsonFile) + "\"><td>" + Link(e) + "</td><td>" + Html(e.note) +
              "</td><td>" + Html(e.cpu) + "<br>" + Html(e.graphicsCard) + "<br>driver " + Html(e.driverVersion) +
              "</td><td>" + Html(e.settingsText) + "</td><td>";
      for (const auto& r : e.resolutions) {
        out_ += "<div class=\"result\" data-resolution=\"" + Html(r.key) + "\"";
        if (r.mean) out_ += " data-mean=\"" + FormatFixed(*r.mean, 2, '.') + "\"";
        // Appended piece by piece: GCC 12 warns falsely about a one-letter literal in front.
        out_ += '>';
        out_ += Html(r.label);
        out_ += ": ";
        if (!r.mean) {
          out_ += "no score";
        } else {
          out_ += "<b>" + FormatFixed(*r.mean, 2, sep_) + "</b> FPS";
          if (r.low1PercentFps) out_ += " (1% low " + FormatFixed(*r.low1PercentFps, 1, sep_) + ")";
          if (r.minimum && r.maximum) out_ += ", " + IntToStr(*r.minimum) + "&ndash;" + IntToStr(*r.maximum);
          if (r.deviationPercent) {
            out_ += ", " + std::string(kSigmaUtf8) + " " + FormatFixed(*r.deviationPercent, 2, sep_) + " %";
          }
        }
        if (r.unscoredRuns > 0) {
          out_ += " <span class=\"quiet\">(" + IntToStr(r.unscoredRuns) + " of " + IntToStr(r.runs) +
                  " runs without score)</span>";
        }
        out_ += "</div>";
      }
      out_ += "</td></tr>\r\n";
    }
    out_ += "</table>\r\n";
  }

  void Charts(const std::vector<HistoryEntry>& entries) {
    // Oldest first along the time axis; one group per combination measured more than once.
    std::vector<std::string> order;
    std::map<std::string, std::vector<const HistoryEntry*>> groups;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
      auto& group = groups[it->settingsKey];
      if (group.empty()) order.push_back(it->settingsKey);
      group.push_back(&*it);
    }
    out_ += "<h2>Settings measured more than once</h2>\r\n";
    bool any = false;
    for (const auto& key : order) {
      const auto& group = groups[key];
      if (group.size() < 2) continue;
      any = true;
      out_ += "<h3>" + Html(group.front()->settingsText) + "</h3>\r\n";
      std::vector<std::pair<std::string, std::string>> resolutions;  // key, label, first seen first
      for (const auto* e : group) {
        for (const auto& r : e->resolutions) {
          if (std::none_of(resolutions.begin(), resolutions.end(), [&](const auto& p) { return p.first == r.key; })) {
            resolutions.emplace_back(r.key, r.label);
          }
        }
      }
      for (const auto& [resolutionKey, label] : resolutions) Chart(group, resolutionKey, label);
    }
    if (!any) out_ += "<p class=\"quiet\">No combination of settings has been measured twice yet.</p>\r\n";
  }

  void Unreadable(const std::vector<std::string>& names) {
    if (names.empty()) return;
    out_ += "<h2>Files that could not be read</h2>\r\n<ul>";
    for (const auto& n : names) out_ += "<li>" + Html(n) + "</li>";
    out_ += "</ul>\r\n";
  }

  std::string Finish() {
    out_ += "</body></html>\r\n";
    return std::move(out_);
  }

 private:
  std::string Link(const HistoryEntry& e) const {
    const std::string when = Html(e.startedText.empty() ? e.startedIso : e.startedText);
    if (e.reportFile.empty()) return when;
    return "<a href=\"" + Href(e.reportFile) + "\">" + when + "</a>";
  }

  // The mean, and the 1 % low under it when the benchmark recorded frame times.
  std::string MeanWithLow(const HistoryResolution& r) const {
    std::string cell = FormatFixed(r.mean.value_or(0.0), 2, sep_);
    if (r.low1PercentFps) {
      cell += "<br><span class=\"quiet\" data-low=\"" + FormatFixed(*r.low1PercentFps, 2, '.') + "\">1% low " +
              FormatFixed(*r.low1PercentFps, 1, sep_) + "</span>";
    }
    return cell;
  }

  void Chart(const std::vector<const HistoryEntry*>& group, const std::string& key, const std::string& label) {
    struct Point {
      const HistoryEntry* entry;
      double mean, low, high;
    };
    std::vector<Point> points;
    for (const auto* e : group) {
      for (const auto& r : e->resolutions) {
        if (r.key != key || !r.mean) continue;
        const double low = r.minimum ? static_cast<double>(*r.minimum) : *r.mean;
        const double high = r.maximum ? static_cast<double>(*r.maximum) : *r.mean;
        points.push_back({e, *r.mean, std::min(low, *r.mean), std::max(high, *r.mean)});
      }
    }
    if (points.empty()) return;
    double lo = points.front().low, hi = points.front().high;
    for (const auto& p : points) {
      lo = std::min(lo, p.low);
      hi = std::max(hi, p.high);
    }
    if (hi - lo < 1.0) {
      lo -= 0.5;
      hi += 0.5;
    }
    const double pad = (hi - lo) * 0.1;
    lo -= pad;
    hi += pad;
    constexpr double kWidth = 640, kHeight = 180, kLeft = 56, kRight = 16, kTop = 12, kBottom = 24;
    auto x = [&](std::size_t i) {
      return points.size() == 1 ? kLeft + (kWidth - kLeft - kRight) / 2
                                : kLeft + (kWidth - kLeft - kRight) * static_cast<double>(i) /
                                              static_cast<double>(points.size() - 1);
    };
    auto y = [&](double v) { return kTop + (hi - v) / (hi - lo) * (kHeight - kTop - kBottom); };
    auto f1 = [](double v) { return FormatFixed(v, 1, '.'); };

    out_ += "<svg class=\"chart\" data-resolution=\"" + Html(key) + "\" width=\"640\" height=\"180\" "
            "viewBox=\"0 0 640 180\" xmlns=\"http://www.w3.org/2000/svg\" role=\"img\"><title>" +
            Html(label) + ": average FPS over time</title>";
    out_ += "<text x=\"4\" y=\"" + f1(y(hi - pad) + 4) + "\" fill=\"#c0c0c0\" font-size=\"11\">" +
            FormatFixed(hi - pad, 1, sep_) + "</text><text x=\"4\" y=\"" + f1(y(lo + pad) + 4) +
            "\" fill=\"#c0c0c0\" font-size=\"11\">" + FormatFixed(lo + pad, 1, sep_) + "</text>";
    out_ += "<text x=\"" + f1(kLeft) + "\" y=\"" + f1(kHeight - 6) + "\" fill=\"#a6c162\" font-size=\"11\">" +
            Html(label) + "</text>";
    std::string line;
    for (std::size_t i = 0; i < points.size(); ++i) line += (i ? " " : "") + f1(x(i)) + "," + f1(y(points[i].mean));
    out_ += "<polyline points=\"" + line + "\" fill=\"none\" stroke=\"#a6c162\" stroke-width=\"1.5\"/>";
    for (std::size_t i = 0; i < points.size(); ++i) {
      const auto& p = points[i];
      out_ += "<line x1=\"" + f1(x(i)) + "\" x2=\"" + f1(x(i)) + "\" y1=\"" + f1(y(p.low)) + "\" y2=\"" +
              f1(y(p.high)) + "\" stroke=\"#c0c0c0\"/>";
      out_ += "<circle class=\"point\" cx=\"" + f1(x(i)) + "\" cy=\"" + f1(y(p.mean)) +
              "\" r=\"3.5\" fill=\"#fff\" data-started=\"" + Html(p.entry->startedIso) + "\" data-mean=\"" +
              FormatFixed(p.mean, 2, '.') + "\" data-min=\"" + FormatFixed(p.low, 0, '.') + "\" data-max=\"" +
              FormatFixed(p.high, 0, '.') + "\"><title>" + Html(p.entry->startedText) + ": " +
              FormatFixed(p.mean, 2, sep_) + " FPS</title></circle>";
    }
    out_ += "</svg>\r\n";
  }

  char sep_;
  std::string out_;
};

}  // namespace

std::string ResultHistoryPage(std::vector<HistoryEntry> entries, const std::vector<std::string>& unreadable,
                              char decimalSeparator) {
  std::stable_sort(entries.begin(), entries.end(), [](const HistoryEntry& a, const HistoryEntry& b) {
    if (a.startedIso != b.startedIso) return a.startedIso > b.startedIso;
    return a.jsonFile > b.jsonFile;
  });
  Page page(decimalSeparator);
  page.Head(entries.size());
  page.Comparison(entries);
  page.Table(entries);
  page.Charts(entries);
  page.Unreadable(unreadable);
  return page.Finish();
}

bool IsOwnHistoryPage(std::string_view content) {
  return StartsWith(content, std::string(kPageStart) + std::string(kHistoryMarker)) ||
         StartsWith(content, kUnmarkedPageStart);
}

namespace {

// The file may be replaced: absent, or a page of ours.
bool MayReplace(platform::IFileSystem& files, const std::string& path) {
  if (!files.FileExists(path)) return true;
  const auto read = files.ReadFile(path);
  return read.ok && IsOwnHistoryPage(read.data);
}

}  // namespace

HistoryWriteResult WriteResultHistory(platform::IFileSystem& files, const std::string& resultsFolder,
                                      char decimalSeparator) {
  HistoryWriteResult result;
  const std::string folder = IncludeTrailingBackslash(resultsFolder);
  result.path = folder + kHistoryFileName;
  if (resultsFolder.empty()) {
    result.errorText = "No results folder is set.";
    return result;
  }
  if (!MayReplace(files, result.path)) {
    const std::string foreign = result.path;
    result.path = folder + kHistoryOtherFileName;
    if (!MayReplace(files, result.path)) {
      result.errorText = "A file of that name that Dextrel did not write is there; it is left as it is.";
      return result;
    }
    result.notice = "\"" + ShownPath(foreign) + "\" was not written by Dextrel and is left as it is; the results history is in \"" +
                    ShownPath(result.path) + "\".";
  }
  std::vector<HistoryEntry> entries;
  std::vector<std::string> unreadable;
  for (const auto& name : files.ListFiles(folder, "result_*.json")) {
    const auto read = files.ReadFile(folder + name);
    auto entry = read.ok ? ReadHistoryEntry(read.data, name) : std::nullopt;
    if (entry) {
      entries.push_back(std::move(*entry));
    } else {
      unreadable.push_back(name);
    }
  }
  result.benchmarks = static_cast<int>(entries.size());
  const auto written = files.WriteFile(result.path, ResultHistoryPage(std::move(entries), unreadable, decimalSeparator));
  result.ok = written.ok;
  result.errorText = written.errorText;
  return result;
}

void UpdateResultHistory(const ReportSaveResult& saved, const std::string& resultsFolder, char decimalSeparator,
                         platform::IFileSystem& files, ResultFileProblems& problems) {
  if (saved.status != ReportSaveStatus::Saved || resultsFolder.empty()) return;
  try {
    const auto history = WriteResultHistory(files, resultsFolder, decimalSeparator);
    if (!history.ok) problems.Add(history.path, history.errorText);
    if (!history.notice.empty()) problems.Note(history.notice);
  } catch (const std::exception& e) {
    problems.Add(IncludeTrailingBackslash(resultsFolder) + kHistoryFileName, e.what());
  }
}

}  // namespace dx
