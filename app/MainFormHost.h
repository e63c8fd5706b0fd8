#pragma once
// What the main window's logic asks of the window system. The Win32 front end
// implements it; the tests have a recording double.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "bench/BenchmarkHost.h"

namespace dx {

class TForm3;
struct UpdateTrust;
class IUpdaterUi;
class IProgramStarter;
namespace controls {
class TControl;
}

class IMainFormHost {
 public:
  virtual ~IMainFormHost() = default;

  // Full path of the program's executable.
  virtual std::string ExecutablePath() = 0;
  // The "FileVersion" of the executable's version resource; nothing when it has none.
  // Without a front end that reads the resource, the version the program is built as.
  virtual std::optional<std::string> FileVersion() { return std::string(DEXTREL_VERSION); }

  // Start-up: the custom-resolution window (for its model) and the news window, hidden.
  virtual void CreateCustomResolutionWindow(TForm3& model) = 0;
  virtual void CreateNewsWindow() = 0;
  // The news window, without waiting for it to close.
  virtual void ShowNewsWindow() = 0;
  // The custom-resolution window, returning when it has closed.
  virtual void ShowCustomResolutionModal() = 0;

  // Ends the event loop and the process without the close request's sequence.
  virtual void EndProgram() = 0;
  virtual void MinimiseProgram() = 0;
  // Hands the window to the window system's move loop.
  virtual void StartWindowMove() = 0;
  // The update check's windows and message boxes, and the start of the upgrade helper.
  virtual IUpdaterUi& UpdaterUi() = 0;
  virtual IProgramStarter& ProgramStarter() = 0;
  // The upgrade helper's executable, which the program carries.
  virtual std::string UpgradeHelperBytes() = 0;
  // The maker's built-in key and the system's verifier that the update information file
  // must pass.
  virtual UpdateTrust MakerTrust() = 0;
  // A close request, as the window's close box makes it: the program's normal way out.
  virtual void CloseMainWindow() = 0;

  // Paints the control now, not at the next idle moment (the benchmark blocks the
  // event loop while it runs).
  virtual void RepaintNow(const controls::TControl& control) = 0;

  // Calls onElapsed once, on the user-interface thread, after the time has passed.
  virtual std::unique_ptr<IHostTimer> StartTimer(std::uint32_t milliseconds, std::function<void()> onElapsed) = 0;
};

}  // namespace dx
