// The main window's side of the benchmark: the run button hands the controls' choices to
// the session, and the window shows what the session reports.
#include <string>
#include <utility>

#include "app/MainForm.h"
#include "gameprep/BenchmarkJournal.h"

namespace dx {

void TForm1::BenchButtonClick() { benchmark_.Start(CurrentSetup()); }

void TForm1::cpTerminate(TJvCreateProcess& sender, std::uint32_t exitCode) { benchmark_.cpTerminate(sender, exitCode); }

void TForm1::dxrunTerminate(TJvCreateProcess& sender, std::uint32_t exitCode) {
  benchmark_.dxrunTerminate(sender, exitCode);
}

void TForm1::CancelButtonClick() { benchmark_.ConfirmStop(); }

BenchmarkSetup TForm1::CurrentSetup() const {
  BenchmarkSetup setup;
  for (std::size_t i = 0; i < setup.resolutions.presets.size(); ++i) setup.resolutions.presets[i] = res.ItemChecked(i);
  setup.resolutions.customChecked = cusresbox.Checked();
  setup.resolutions.customWidth = CusWidth.Text();
  setup.resolutions.customHeight = CusHeight.Text();
  setup.runCount = RunCount;
  setup.quality = QualityModeBox.ItemIndex();
  setup.aspect = AspectBox.ItemIndex();
  setup.antialiasing = AABox.ItemIndex();
  setup.filtering = AFBox.ItemIndex();
  setup.smp = SMPBox.Checked();
  setup.ambientLight = AmbientLightBox.Checked();
  setup.ambientLightValue = ALValues.Text();
  setup.frameTimes = FrameTimesBox.Checked();
  setup.demo = {demo.IsChecked(0), demo.IsChecked(1), DemoEdit.Text()};
  setup.gamePath = GamePath;
  setup.resultsPath = ResultsPath;
  setup.note = NoteEdit.Text();
  setup.programVersion = VersionString;
  return setup;
}

void TForm1::ShowMessageOk(const std::string& text) {
  platform_.shell.ShowMessage(text, kMessageCaption, platform::MessageButtons::Ok, platform::MessageIcon::None);
}

// ---- What the session reports

void TForm1::ShowProgress(const std::string& text) {
  Label2.SetCaption(text);
  host_.RepaintNow(Label2);
}

void TForm1::ShowRuns(const std::string& text) { RunsLabel.SetCaption(text); }

void TForm1::ShowBusy() {
  Panel1.SetVisible(true);
  BenchButton.SetEnabled(false);
  host_.RepaintNow(Panel1);
  host_.RepaintNow(Label2);
}

void TForm1::RepaintBusyPanel() {
  host_.RepaintNow(Panel1);
  host_.RepaintNow(BenchButton);
}

void TForm1::EnableRunButton() { BenchButton.SetEnabled(true); }

void TForm1::ShowIdle() {
  Panel1.SetVisible(false);
  BenchButton.SetEnabled(true);
}

void TForm1::ShowWaitingForGame(bool waiting) {
  if (waiting) WaitingLabel.SetCaption(kGameStillRunning);
  WaitingLabel.SetVisible(waiting);
}

void TForm1::ShowMessage(const std::string& text) { ShowMessageOk(text); }

bool TForm1::Ask(const std::string& question) {
  return platform_.shell.ShowMessage(question, kMessageCaption, platform::MessageButtons::YesNo,
                                     platform::MessageIcon::Question) == platform::MessageResult::Yes;
}

std::unique_ptr<IHostTimer> TForm1::StartTimer(std::uint32_t milliseconds, std::function<void()> onElapsed) {
  return host_.StartTimer(milliseconds, std::move(onElapsed));
}

}  // namespace dx
