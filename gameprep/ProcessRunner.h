#pragma once
// The child-process runner: starts one child with a command line and folder, watches it
// and raises OnTerminate on the user-interface thread when it has exited. The game and
// the diagnostic tool are both started through it.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Processes.h"

namespace dx {

enum class TJvProcessPriority { ppIdle, ppNormal, ppHigh, ppRealTime };

// The members of CreationFlags.
enum class TJvCPSFlag : std::uint8_t {
  cfDefaultErrorMode,
  cfNewConsole,
  cfNewProcGroup,
  cfSeparateWdm,
  cfSharedWdm,
  cfSuspended,
  cfUnicode,
  cfDetached,
};

// A set of TJvCPSFlag.
class TJvCPSFlags {
 public:
  TJvCPSFlags() = default;
  TJvCPSFlags(std::initializer_list<TJvCPSFlag> flags) {
    for (auto f : flags) Include(f);
  }
  void Include(TJvCPSFlag f) { bits_ |= Bit(f); }
  void Exclude(TJvCPSFlag f) { bits_ &= static_cast<std::uint8_t>(~Bit(f)); }
  bool Contains(TJvCPSFlag f) const { return (bits_ & Bit(f)) != 0; }
  bool Empty() const { return bits_ == 0; }

 private:
  static std::uint8_t Bit(TJvCPSFlag f) { return static_cast<std::uint8_t>(1u << static_cast<unsigned>(f)); }
  std::uint8_t bits_ = 0;
};

// Output capture of console children is not provided: coRedirect makes Run refuse.
struct TJvConsoleOptions {
  bool coOwnerData = true;
  bool coRedirect = false;
};

// The show commands of the startup record (the SW_* values).
enum class TJvShowWindow : std::uint16_t {
  swHide = 0,
  swNormal = 1,
  swShowMinimized = 2,
  swMaximize = 3,
  swShowNoActivate = 4,
  swShow = 5,
  swMinimize = 6,
  swShowMinNoActive = 7,
  swShowNA = 8,
  swRestore = 9,
  swShowDefault = 10,
};

// The startup options of a child's first window.
class TJvCPSStartupInfo {
 public:
  std::string Desktop;
  std::string Title;
  std::uint32_t Left = 0, Top = 0;
  bool DefaultPosition = true;
  std::uint32_t Width = 0, Height = 0;
  bool DefaultSize = true;
  TJvShowWindow ShowWindow = TJvShowWindow::swNormal;
  bool DefaultWindowState = true;
  bool ForceOnFeedback = false;
  bool ForceOffFeedback = false;

  // The system's startup record these options give.
  platform::StartupRecord Record() const;
};

// How both runners of the program start their children: hidden, top-left, no size.
void UseHiddenStart(TJvCPSStartupInfo& startup);

enum class TJvProcessState { Ready, Running, Waiting };

// The text of the error raised when the system refuses to start a child.
std::string SystemErrorMessage(std::uint32_t code, const std::string& systemText);

class TJvCreateProcess {
 public:
  using TerminateEvent = std::function<void(TJvCreateProcess& sender, std::uint32_t exitCode)>;

  explicit TJvCreateProcess(platform::IProcesses& processes) : processes_(processes) {}
  // Stops watching: the child keeps running and no event is raised.
  ~TJvCreateProcess();
  TJvCreateProcess(const TJvCreateProcess&) = delete;
  TJvCreateProcess& operator=(const TJvCreateProcess&) = delete;

  std::string ApplicationName;
  std::string CommandLine;
  std::string CurrentDirectory;
  TJvCPSFlags CreationFlags;
  std::vector<std::string> Environment;  // NAME=value; empty: this program's environment
  std::vector<std::string> AddedEnvironment;  // NAME=value on top of that, for the child only
  TJvProcessPriority Priority = TJvProcessPriority::ppNormal;
  TJvCPSStartupInfo StartupInfo;
  bool WaitForTerminate = true;
  TJvConsoleOptions ConsoleOptions;
  TerminateEvent OnTerminate;

  // Starts the child. Throws dx::Error while a child is watched, or with the system's
  // error when the child cannot be started (the runner then stays Ready).
  void Run();

  // Ends the watched child, waits a little for it to be gone and stops watching:
  // OnTerminate is not raised for it. False when no child is watched.
  bool Terminate();

  TJvProcessState State() const { return state_; }
  // Exit code of the last watched child.
  std::uint32_t ExitCode() const { return exitCode_; }
  // The last started child, as the system tells it apart from every other process.
  platform::ProcessIdentity ChildIdentity() const { return identity_; }
  // The system's id of the last child started; 0 before one was.
  std::uint32_t ProcessId() const { return identity_.id; }
  // The creation flags Run passes to the system.
  std::uint32_t SystemCreationFlags() const;

 private:
  void Completed(std::uint32_t exitCode);

  platform::IProcesses& processes_;
  TJvProcessState state_ = TJvProcessState::Ready;
  std::uint32_t exitCode_ = 0;
  platform::ProcessIdentity identity_;
  // The watched child: its handles and its wait thread. Empty when none is watched.
  std::unique_ptr<platform::IChildWatch> watch_;
  bool starting_ = false;
  std::optional<std::uint32_t> endedDuringStart_;
};

}  // namespace dx
