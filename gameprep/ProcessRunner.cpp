#include "gameprep/ProcessRunner.h"

#include <utility>

#include "common/Errors.h"
#include "common/Text.h"

namespace dx {
namespace {

// STARTF_* bits of the startup record.
constexpr std::uint32_t kUseShowWindow = 0x1;
constexpr std::uint32_t kUseSize = 0x2;
constexpr std::uint32_t kUsePosition = 0x4;
constexpr std::uint32_t kForceOnFeedback = 0x40;
constexpr std::uint32_t kForceOffFeedback = 0x80;

std::uint32_t PriorityClass(TJvProcessPriority priority) {
  switch (priority) {
    case TJvProcessPriority::ppIdle:
      return 0x40;
    case TJvProcessPriority::ppHigh:
      return 0x80;
    case TJvProcessPriority::ppRealTime:
      return 0x100;
    case TJvProcessPriority::ppNormal:
      break;
  }
  return 0x20;
}

struct FlagValue {
  TJvCPSFlag flag;
  std::uint32_t value;
};

constexpr FlagValue kFlagValues[] = {
    {TJvCPSFlag::cfDefaultErrorMode, 0x4000000}, {TJvCPSFlag::cfNewConsole, 0x10},
    {TJvCPSFlag::cfNewProcGroup, 0x200},         {TJvCPSFlag::cfSeparateWdm, 0x800},
    {TJvCPSFlag::cfSharedWdm, 0x1000},           {TJvCPSFlag::cfSuspended, 0x4},
    {TJvCPSFlag::cfUnicode, 0x400},              {TJvCPSFlag::cfDetached, 0x8},
};

std::optional<std::string> AbsentWhenBlank(const std::string& text) {
  std::string trimmed = Trim(text);
  if (trimmed.empty()) return std::nullopt;
  return trimmed;
}

}  // namespace

platform::StartupRecord TJvCPSStartupInfo::Record() const {
  platform::StartupRecord record;
  record.desktop = Desktop;
  record.title = Title;
  if (!DefaultPosition) {
    record.x = Left;
    record.y = Top;
    record.flags |= kUsePosition;
  }
  if (!DefaultSize) {
    record.width = Width;
    record.height = Height;
    record.flags |= kUseSize;
  }
  if (!DefaultWindowState) {
    record.showWindow = static_cast<std::uint16_t>(ShowWindow);
    record.flags |= kUseShowWindow;
  }
  if (ForceOnFeedback) record.flags |= kForceOnFeedback;
  if (ForceOffFeedback) record.flags |= kForceOffFeedback;
  return record;
}

void UseHiddenStart(TJvCPSStartupInfo& startup) {
  startup.Left = 0;
  startup.Top = 0;
  startup.DefaultPosition = false;
  startup.Width = 0;
  startup.Height = 0;
  startup.DefaultSize = false;
  startup.ShowWindow = TJvShowWindow::swHide;
  startup.DefaultWindowState = false;
}

std::string SystemErrorMessage(std::uint32_t code, const std::string& systemText) {
  if (code == 0) return "A call to an OS function failed";
  return "System Error.  Code: " + std::to_string(code) + ".\r\n" + systemText;
}

TJvCreateProcess::~TJvCreateProcess() {
  // Dropping the watch cancels the wait thread; the child is left alone.
  watch_.reset();
  state_ = TJvProcessState::Ready;
}

std::uint32_t TJvCreateProcess::SystemCreationFlags() const {
  std::uint32_t flags = PriorityClass(Priority);
  for (const auto& [flag, value] : kFlagValues) {
    if (CreationFlags.Contains(flag)) flags |= value;
  }
  return flags;
}

void TJvCreateProcess::Run() {
  if (state_ == TJvProcessState::Waiting) throw Error("Cannot perform this operation when process is running");
  if (ConsoleOptions.coRedirect) throw Error("Capturing the output of a child program is not supported");

  state_ = TJvProcessState::Ready;
  watch_.reset();

  platform::ProcessStartRequest request;
  request.applicationName = AbsentWhenBlank(ApplicationName);
  request.commandLine = CommandLine;
  request.currentDirectory = AbsentWhenBlank(CurrentDirectory);
  request.creationFlags = SystemCreationFlags();
  request.environment = Environment;
  request.addedEnvironment = AddedEnvironment;
  request.startup = StartupInfo.Record();
  request.watch = WaitForTerminate;

  // A child reported as ended before Start has returned is completed once the runner
  // is Waiting, so the completion step always finds the state it expects.
  endedDuringStart_.reset();
  starting_ = true;
  platform::ProcessStartResult started;
  try {
    started = processes_.Start(request, [this](std::uint32_t exitCode) {
      if (starting_) {
        endedDuringStart_ = exitCode;
        return;
      }
      Completed(exitCode);
    });
  } catch (...) {
    starting_ = false;
    throw;
  }
  starting_ = false;
  if (!started.ok) throw Error(SystemErrorMessage(started.errorCode, started.errorText));
  identity_ = started.identity;

  if (!WaitForTerminate) {
    state_ = TJvProcessState::Running;
    return;
  }
  watch_ = std::move(started.watch);
  state_ = TJvProcessState::Waiting;
  if (auto ended = std::exchange(endedDuringStart_, std::nullopt)) Completed(*ended);
}

bool TJvCreateProcess::Terminate() {
  if (state_ != TJvProcessState::Waiting || !watch_) return false;
  auto watch = std::move(watch_);
  state_ = TJvProcessState::Ready;
  watch->Terminate();
  return true;
}

void TJvCreateProcess::Completed(std::uint32_t exitCode) {
  // A child that was ended through Terminate is no longer this runner's.
  if (state_ != TJvProcessState::Waiting) return;
  // Forget the wait thread and take its exit code; Ready and the handles closed before
  // the event, so the handler may start the next child.
  auto finished = std::move(watch_);
  exitCode_ = exitCode;
  state_ = TJvProcessState::Ready;
  finished.reset();
  if (OnTerminate) OnTerminate(*this, exitCode_);
}

}  // namespace dx
