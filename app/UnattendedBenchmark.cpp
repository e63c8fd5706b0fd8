#include "app/UnattendedBenchmark.h"

#include <algorithm>
#include <utility>

#include "app/MainForm.h"
#include "bench/ResultFigures.h"
#include "bench/RunState.h"
#include "common/LineList.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

namespace dx {

namespace {

// An event of a control held back while a program step changes the control, so the
// handler that would store the choice does not run.
template <typename Event>
class HeldBack {
 public:
  explicit HeldBack(Event& event) : event_(event), saved_(std::move(event)) { event_ = nullptr; }
  ~HeldBack() { event_ = std::move(saved_); }
  HeldBack(const HeldBack&) = delete;
  HeldBack& operator=(const HeldBack&) = delete;

 private:
  Event& event_;
  Event saved_;
};

}  // namespace

PrintingShell::PrintingShell(platform::IShell& shell, LinePrinter print, bool openDocuments)
    : shell_(shell), print_(std::move(print)), openDocuments_(openDocuments) {}

bool PrintingShell::Open(const std::string& target, platform::ShowMode mode) {
  lastOpened_ = target;
  return openDocuments_ ? shell_.Open(target, mode) : true;
}

platform::MessageResult PrintingShell::ShowMessage(const std::string& text, const std::string& /*caption*/,
                                                   platform::MessageButtons buttons, platform::MessageIcon /*icon*/) {
  for (const auto& line : SplitLines(text)) print_(line);
  // Nobody can answer: what the box's first button would do.
  return buttons == platform::MessageButtons::Ok || buttons == platform::MessageButtons::OkCancel
             ? platform::MessageResult::Ok
             : platform::MessageResult::Yes;
}

std::optional<std::string> PrintingShell::BrowseForFolder(const std::string&, bool) { return std::nullopt; }
std::optional<std::string> PrintingShell::OpenFile(const std::string&, const std::string&) { return std::nullopt; }

// The window's own rule: a preset it left enabled, a custom size among the display's modes.
std::optional<std::string> ResolutionRefused(TForm1& form, const BenchmarkOverrides& overrides) {
  if (!overrides.presets) return std::nullopt;
  auto refused = [](const std::string& size) {
    return "Bad value \"" + size + "\" for /resolutions: this display does not offer it.";
  };
  for (std::size_t i = 0; i < overrides.presets->size(); ++i) {
    if ((*overrides.presets)[i] && !form.res.ItemEnabled(i)) {
      const auto& preset = ResolutionPresets()[i];
      return refused(IntToStr(preset.width) + "x" + IntToStr(preset.height));
    }
  }
  if (!overrides.custom) return std::nullopt;
  platform::DisplayMode mode;
  for (std::uint32_t index = 0; form.Platform().display.GetMode(index, mode); ++index) {
    if (IntToStr(mode.width) == overrides.custom->first && IntToStr(mode.height) == overrides.custom->second) {
      return std::nullopt;
    }
  }
  return refused(overrides.custom->first + "x" + overrides.custom->second);
}

std::optional<std::string> ApplyOverrides(TForm1& form, const BenchmarkOverrides& overrides) {
  if (auto refused = ResolutionRefused(form, overrides)) return refused;
  if (overrides.presets) {
    for (std::size_t i = 0; i < overrides.presets->size(); ++i) form.res.SetItemChecked(i, (*overrides.presets)[i]);
    form.cusresbox.SetChecked(overrides.custom.has_value());
    if (overrides.custom) {
      form.CusWidth.SetText(overrides.custom->first);
      form.CusHeight.SetText(overrides.custom->second);
    }
  }
  if (overrides.runs) {
    HeldBack held(form.RunNumberBox.OnChange);
    form.RunNumberBox.SetItemIndex(*overrides.runs - 1);
    form.RunCount = *overrides.runs;
  }
  if (overrides.quality) {
    HeldBack held(form.QualityModeBox.OnChanging);
    form.QualityModeBox.SetItemIndex(*overrides.quality);
    form.Label7.SetCaption(QualityDescription(*overrides.quality));
  }
  if (overrides.antialiasing) {
    HeldBack held(form.AABox.OnChange);
    form.AABox.SetItemIndex(*overrides.antialiasing);
  }
  if (overrides.filtering) {
    HeldBack held(form.AFBox.OnChange);
    form.AFBox.SetItemIndex(*overrides.filtering);
  }
  if (overrides.frameTimes) {
    HeldBack held(form.FrameTimesBox.OnMouseLeave);
    form.FrameTimesBox.SetChecked(true);
  }
  if (overrides.resultsFolder) {
    form.ResEdit.SetText(*overrides.resultsFolder);
    form.ResultsPath = *overrides.resultsFolder;
  }
  return std::nullopt;
}

std::vector<std::string> ResolutionLines(const BenchmarkRecord& record) {
  std::vector<std::string> lines;
  for (const auto& f : FiguresByResolution(record.runs)) {
    std::string line = f.width + "x" + f.height + (f.tag == "custom" ? " (custom)" : "") + ": ";
    line += f.average ? "average " + IntToStr(*f.average) + " FPS" : "no score";
    if (f.frames) line += ", 1% low " + IntToStr(RoundHalfEven(f.frames->low1PercentFps)) + " fps";
    line += "; runs:";
    bool first = true;
    for (const auto& run : record.runs) {
      if (run.tag != f.tag) continue;
      line += first ? " " : ", ";
      line += run.score ? IntToStr(*run.score) : "no score";
      first = false;
    }
    lines.push_back(line);
  }
  if (record.frameTimes.requested && !record.frameTimes.Recorded()) {
    lines.push_back("No frame times: " + record.frameTimes.unavailableReason + ".");
  }
  return lines;
}

int UnattendedExitCode(BenchmarkOutcome outcome, const BenchmarkRecord& record) {
  switch (outcome) {
    case BenchmarkOutcome::boAllScored:
      return kExitAllScored;
    case BenchmarkOutcome::boRunWithoutScore:
    case BenchmarkOutcome::boCancelled:
    case BenchmarkOutcome::boTimedOut:
      return kExitRunWithoutScore;
    case BenchmarkOutcome::boCouldNotStart:
    case BenchmarkOutcome::boNone:
      break;
  }
  return AnyRunScored(record) ? kExitRunWithoutScore : kExitCouldNotStart;
}

UnattendedBenchmark::UnattendedBenchmark(TForm1& form, const PrintingShell& shell, LinePrinter print,
                                         std::function<void()> ended)
    : form_(form),
      window_(form.WindowBenchmarkHost()),
      shell_(shell),
      print_(std::move(print)),
      ended_(std::move(ended)) {
  form_.Benchmark().SetHost(*this);
}

UnattendedBenchmark::~UnattendedBenchmark() { form_.Benchmark().SetHost(window_); }

void UnattendedBenchmark::Ended(BenchmarkOutcome outcome) {
  window_.Ended(outcome);
  outcome_ = outcome;
  NotifyEnded();
}

void UnattendedBenchmark::NotifyEnded() {
  if (ended_) ended_();
}

void UnattendedBenchmark::Start(const BenchmarkOverrides& overrides) {
  if (auto refused = ApplyOverrides(form_, overrides)) {
    print_(*refused);
    refusal_ = kExitCouldNotStart;
    NotifyEnded();
    return;
  }
  form_.BenchButtonClick();
  // A fresh program has nothing running, so a press that starts nothing is the refusal
  // while another copy benchmarks this game; its message is already printed.
  if (!outcome_ && !form_.BenchmarkRunning()) {
    refusal_ = kExitAnotherCopy;
    NotifyEnded();
  }
}

void UnattendedBenchmark::Cancel() {
  if (!Over() && form_.BenchmarkRunning()) form_.Benchmark().Cancel();
}

int UnattendedBenchmark::Finish() {
  const int code = refusal_ ? *refusal_
                            : UnattendedExitCode(outcome_.value_or(BenchmarkOutcome::boNone), form_.Benchmark().Record());
  if (code == kExitRunWithoutScore || code == kExitAllScored) {
    for (const auto& line : ResolutionLines(form_.Benchmark().Record())) print_(line);
    if (!shell_.LastOpened().empty()) print_(ShownPath(shell_.LastOpened()));
  }
  form_.Image2Click();
  return code;
}

}  // namespace dx
