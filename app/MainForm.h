#pragma once
// The main window's state and rules: every control as a model under its own name, the
// folders and lists the window owns, and the handlers that read and write them. The
// Win32 view creates the real windows and keeps them in step with these models.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/MainFormHost.h"
#include "common/SharedRegistry.h"
#include "app/controls/ChoiceControls.h"
#include "app/controls/TextControls.h"
#include "bench/BenchmarkHost.h"
#include "bench/BenchmarkSession.h"
#include "common/LineList.h"
#include "extras/CustomResolution.h"
#include "platform/Platform.h"

namespace dx {

class TSelfUpdater;

enum class MouseButton { Left, Right, Middle };

// The page of each side-bar item.
inline constexpr int kPagePaths = 0;
inline constexpr int kPageResolutions = 1;
inline constexpr int kPageDemoQuality = 2;
inline constexpr int kPageProxy = 3;
inline constexpr int kPageStart = 4;
inline constexpr int kPageAdditional = 5;

// RGB (166, 193, 98) as the window system stores colours (0x00BBGGRR).
inline constexpr std::uint32_t kGroupCaptionColour = 0x0062C1A6;
inline constexpr const char* kMessageCaption = "Dextrel";

class TForm1 : private IBenchmarkHost {
 public:
  TForm1(platform::Platform& platform, IMainFormHost& host);
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // ---- Window and start-up
  // Start-up from the side-bar colours to the hidden auxiliary windows. A settings
  // load that fails still lets the auxiliary windows be created; its error follows.
  void FormCreate();
  // Every activation: the news check.
  void FormActivate();
  void Image1MouseDown(MouseButton button);
  void Image3Click();
  // The exit button: restore, remove, clear the cache, end.
  void Image2Click();
  // A close request: the close query, then the close.
  void FormCloseQuery(bool& canClose);
  void FormClose();

  // ---- Side bar
  void RzGroup1Items0Click() { PageControl.SetActivePageIndex(kPagePaths); }
  void RzGroup1Items1Click() { PageControl.SetActivePageIndex(kPageResolutions); }
  void RzGroup1Items2Click() { PageControl.SetActivePageIndex(kPageDemoQuality); }
  void RzGroup1Items3Click() { PageControl.SetActivePageIndex(kPageAdditional); }
  void RzGroup3Items1Click() { PageControl.SetActivePageIndex(kPageProxy); }
  void RzGroup3Items4Click() { PageControl.SetActivePageIndex(kPageStart); }

  // ---- Option pages
  void RzToolButton2Click();
  void RzToolButton1Click();
  void OpenResFolderClick();
  // The results history of the results folder, rebuilt and opened (app/HistoryCommand.cpp).
  void HistoryButtonClick();
  void NoteEditChange();
  void resMouseLeave();
  void cusresboxClick();
  void cusresboxMouseLeave();
  void CusPossibilitiesClick();
  void AspectBoxChanging();
  void RunNumberBoxChange();
  void demoChanging();
  void DemoEditButtonClick();
  void QualityModeBoxChanging();
  void UseProxyBoxClick();
  void UseProxyBoxMouseLeave();
  void ProxyServerEditChange();
  void ProxyPortEditChange();
  void ProxyUsernameEditChange();
  void ProxyPassEditChange();
  void AFBoxChange();
  void AABoxChange();
  void SMPBoxMouseLeave();
  void AmbientLightBoxMouseLeave();
  void FrameTimesBoxMouseLeave();
  void ALValuesChange();
  // "Update benchmark": the proxy fields as they are now, then the update check.
  void RzToolButton3Click();

  // ---- Update component
  void UpdaterLaterUpgrade();
  void UpdaterAborted();
  void UpdaterHostUnreachable(const std::string& url, const std::string& host);

  // ---- Benchmark (app/MainFormBenchmark.cpp): the window's side of the session
  // The run button: the controls' choices taken as they stand, and the session started.
  void BenchButtonClick();
  // The game's and the diagnostic tool's exits, handed to the session.
  void cpTerminate(TJvCreateProcess& sender, std::uint32_t exitCode);
  void dxrunTerminate(TJvCreateProcess& sender, std::uint32_t exitCode);
  // From the press of the run button until the window is idle again.
  bool BenchmarkRunning() const { return benchmark_.Running(); }
  // The busy panel's "Cancel" and the Escape key: asks, and on yes stops the benchmark.
  void CancelButtonClick();
  BenchmarkSession& Benchmark() { return benchmark_; }
  // The window's reactions to the session (the unattended mode passes them on).
  IBenchmarkHost& WindowBenchmarkHost() { return *this; }
  // The controls' choices as they stand now.
  BenchmarkSetup CurrentSetup() const;

  // Open the settings key without creating it and write one value.
  void Store(const std::string& name, const std::string& value);
  // The game folder and the two below it, from the folder text (ending in a backslash).
  void SetGameFolder(const std::string& gamePath);

  platform::Platform& Platform() { return platform_; }
  IMainFormHost& Host() { return host_; }
  // Where frame times can be captured; without it a benchmark that asks for them records why not.
  void SetFrameCapture(platform::IFrameCapture* capture) { benchmark_.SetFrameCapture(capture); }

  // ---- Main window
  controls::TPageControl PageControl{"PageControl", 6};
  controls::TPanel Panel1{"Panel1"};
  controls::TLabel Label3{"Label3", "Benchmarking in progress"};
  controls::TLabel Label2{"Label2", "Resolution: ..."};
  controls::TLabel RunsLabel{"RunsLabel"};
  controls::TButton CancelButton{"CancelButton", "Cancel"};
  controls::TButton BenchButton{"BenchButton"};
  controls::TLabel Label6{"Label6"};
  // Shown while a benchmark's game left by a copy that ended still runs.
  controls::TLabel WaitingLabel{"WaitingLabel"};
  std::uint32_t GroupCaptionColour = 0;

  // ---- Page 0
  controls::TEdit Q4PathEdit{"Q4PathEdit"};
  controls::TButton RzToolButton2{"RzToolButton2"};
  controls::TButton OpenResFolder{"OpenResFolder", "Open"};
  controls::TEdit ResEdit{"ResEdit"};
  controls::TButton HistoryButton{"HistoryButton", "History"};
  controls::TButton RzToolButton1{"RzToolButton1"};
  controls::TEdit NoteEdit{"NoteEdit"};

  // ---- Page 1
  controls::TCheckGroup res;
  controls::TCheckBox cusresbox{"cusresbox", "Custom resolution:"};
  controls::TEdit CusWidth{"CusWidth"};
  controls::TEdit CusHeight{"CusHeight"};
  controls::TButton CusPossibilities{"CusPossibilities", "Possibilities"};
  controls::TRadioGroup AspectBox;
  controls::TComboBox RunNumberBox;

  // ---- Page 2
  controls::TRadioGroup demo;
  controls::TEdit DemoEdit{"DemoEdit"};
  controls::TButton DemoEditButton{"DemoEditButton"};
  controls::TRadioGroup QualityModeBox;
  controls::TLabel Label7{"Label7"};

  // ---- Page 3
  controls::TEdit ProxyServerEdit{"ProxyServerEdit"};
  controls::TEdit ProxyPortEdit{"ProxyPortEdit"};
  controls::TEdit ProxyUsernameEdit{"ProxyUsernameEdit"};
  controls::TEdit ProxyPassEdit{"ProxyPassEdit"};
  controls::TCheckBox UseProxyBox{"UseProxyBox", "Use Proxy  Server"};
  controls::TButton RzToolButton3{"RzToolButton3", "Update benchmark"};

  // ---- Page 5
  controls::TComboBox AFBox;
  controls::TComboBox AABox;
  controls::TCheckBox SMPBox{"SMPBox", "Enable SMP"};
  controls::TCheckBox AmbientLightBox{"AmbientLightBox", "Enable Ambient Light"};
  controls::TCheckBox FrameTimesBox{"FrameTimesBox", "Record frame times"};
  controls::TComboBox ALValues;

  // ---- State
  std::string GamePath;
  std::string GameBasePath;
  std::string GameDemoPath;
  std::string ResultsPath;
  std::string ProgramDir;
  int RunCount = 0;
  // The version string shown after the "v", and the one the update check compares.
  std::string VersionString;
  std::string UpdaterOwnVersion;

  LineList DisplayModeList;
  dx::SharedRegistry SharedRegistry;
  std::unique_ptr<TForm3> Form3;
  // Made at start-up once the program's path is known (app/UpdateCheck.cpp).
  std::unique_ptr<TSelfUpdater> Updater;

 private:
  void WireHandlers();
  void StoreIfNotEmpty(const std::string& name, const controls::TEdit& edit);
  // The registry step of both exits.
  void ClearSessionSettings();
  void CreateUpdater();
  // The highest update serial kept in the settings key; 0 when none is.
  std::uint64_t SeenUpdateSerial();
  void ShowMessageOk(const std::string& text);

  // The session's reports, shown by the window (app/MainFormBenchmark.cpp).
  void ShowProgress(const std::string& text) override;
  void ShowRuns(const std::string& text) override;
  void ShowBusy() override;
  void RepaintBusyPanel() override;
  void EnableRunButton() override;
  void ShowIdle() override;
  void ShowWaitingForGame(bool waiting) override;
  void ShowMessage(const std::string& text) override;
  bool Ask(const std::string& question) override;
  void Ended(BenchmarkOutcome /*outcome*/) override {}
  std::unique_ptr<IHostTimer> StartTimer(std::uint32_t milliseconds, std::function<void()> onElapsed) override;

  platform::Platform& platform_;
  IMainFormHost& host_;
  BenchmarkSession benchmark_;
};

// The quality description of item 0 to 3 (the "Ultra Quality" one for any other).
const char* QualityDescription(int index);

}  // namespace dx
