#pragma once
// The main window's host in a test: every request is recorded in order.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MainFormHost.h"
#include "app/controls/Control.h"
#include "tests/doubles/FakeTimers.h"
#include "tests/doubles/FakeUpdaterUi.h"
#include "tests/doubles/OpenSslSigning.h"

namespace dx::test {

class FakeMainFormHost : public IMainFormHost, public FakeTimers {
 public:
  std::string executablePath = "C:\\Program Files\\Dextrel\\Dextrel.exe";
  // Unset: the executable has no version resource.
  std::optional<std::string> fileVersion = std::string(DEXTREL_VERSION);
  std::vector<std::string> calls;
  TForm3* customResolutionModel = nullptr;
  FakeUpdaterUi updaterUi;
  RecordingStarter starter;
  std::string helperBytes = "MZ helper";
  // Runs while the custom-resolution window is "open".
  std::function<void()> whileCustomResolutionShown;

  std::string ExecutablePath() override { return executablePath; }
  std::optional<std::string> FileVersion() override { return fileVersion; }
  void CreateCustomResolutionWindow(TForm3& model) override {
    customResolutionModel = &model;
    calls.push_back("create custom resolution window");
  }
  void CreateNewsWindow() override { calls.push_back("create news window"); }
  void ShowNewsWindow() override { calls.push_back("show news"); }
  void ShowCustomResolutionModal() override {
    calls.push_back("show custom resolution");
    if (whileCustomResolutionShown) whileCustomResolutionShown();
  }
  void EndProgram() override { calls.push_back("end program"); }
  void MinimiseProgram() override { calls.push_back("minimise"); }
  void StartWindowMove() override { calls.push_back("move window"); }
  IUpdaterUi& UpdaterUi() override { return updaterUi; }
  IProgramStarter& ProgramStarter() override { return starter; }
  std::string UpgradeHelperBytes() override { return helperBytes; }
  // The tests' own throw-away key stands for the maker's.
  UpdateTrust MakerTrust() override { return SharedTestTrust(); }
  void CloseMainWindow() override { calls.push_back("close main window"); }
  void RepaintNow(const controls::TControl& control) override { calls.push_back("repaint " + control.Name()); }

  std::unique_ptr<IHostTimer> StartTimer(std::uint32_t milliseconds, std::function<void()> onElapsed) override {
    return Start(milliseconds, std::move(onElapsed));
  }

  int Count(const std::string& call) const {
    int n = 0;
    for (const auto& c : calls) n += c == call;
    return n;
  }
};

}  // namespace dx::test
