#include "app/win32/SingleInstance.h"

#include <cstring>

#include "app/RunningCopies.h"
#include "platform/win32/VersionInfo.h"

namespace dx::win32 {
namespace {

// Global\ names reach every session; where the process may not create them (no
// SeCreateGlobalPrivilege) the session's own names serve.
const char* const kMutexNames[] = {"Global\\Tamberlin.Dextrel.RunningCopies.Lock",
                                   "Local\\Tamberlin.Dextrel.RunningCopies.Lock"};
const char* const kMappingNames[] = {"Global\\Tamberlin.Dextrel.RunningCopies",
                                     "Local\\Tamberlin.Dextrel.RunningCopies"};

std::uint64_t ProcessStartTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

bool IsAlive(std::uint32_t processId, std::uint64_t processStart) {
  ScopedHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId));
  if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED;  // runs, but under another user
  if (::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) return false;
  return processStart == 0 || ProcessStartTime(process.get()) == processStart;
}

}  // namespace

class SingleInstance::Lock {
 public:
  explicit Lock(HANDLE mutex) : mutex_(mutex) {
    const DWORD r = ::WaitForSingleObject(mutex_, 10000);
    // An abandoned lock still protects the table; Enrol repairs what the dead copy left.
    held_ = (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED);
  }
  ~Lock() {
    if (held_) ::ReleaseMutex(mutex_);
  }
  bool held() const { return held_; }

 private:
  HANDLE mutex_;
  bool held_ = false;
};

bool SingleInstance::Open() {
  if (view_) return true;
  for (int i = 0; i < 2 && !view_; ++i) {
    mutex_.reset(::CreateMutexA(nullptr, FALSE, kMutexNames[i]));
    if (!mutex_) continue;
    mapping_.reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(RunningCopiesTable), kMappingNames[i]));
    if (!mapping_) continue;
    view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(RunningCopiesTable)));
  }
  return static_cast<bool>(view_);
}

bool SingleInstance::Enrol() {
  if (!Open()) return true;  // without the shared list nothing can be checked: run
  RunningCopy self{};
  self.processId = ::GetCurrentProcessId();
  self.processStart = ProcessStartTime(::GetCurrentProcess());
  const std::string path = OwnExecutablePath();
  std::strncpy(self.path, path.c_str(), sizeof self.path - 1);

  EnrolResult result;
  {
    Lock lock(mutex_.get());
    if (!lock.held()) return true;
    result = dx::Enrol(*static_cast<RunningCopiesTable*>(view_.get()), self, IsAlive);
  }
  if (result.outcome != EnrolOutcome::AlreadyRunning) {
    enrolled_ = result.outcome == EnrolOutcome::Enrolled;
    return true;
  }
  if (result.first.window) BringToFront(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(result.first.window)));
  return false;
}

void SingleInstance::SetMainWindow(HWND window) {
  if (!enrolled_ || !view_) return;
  Lock lock(mutex_.get());
  if (lock.held()) {
    dx::SetWindow(*static_cast<RunningCopiesTable*>(view_.get()), ::GetCurrentProcessId(),
                  reinterpret_cast<std::uintptr_t>(window));
  }
}

void SingleInstance::SignOut() {
  if (!enrolled_ || !view_) return;
  Lock lock(mutex_.get());
  if (lock.held()) dx::SignOut(*static_cast<RunningCopiesTable*>(view_.get()), ::GetCurrentProcessId());
  enrolled_ = false;
}

SingleInstance::~SingleInstance() { SignOut(); }

void BringToFront(HWND window) {
  if (!::IsWindow(window)) return;
  if (::IsIconic(window)) ::SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  HWND foreground = ::GetForegroundWindow();
  // Already in front (a restore activates the window): touching the input queues now
  // would only unsettle the focus.
  if (foreground == window) return;
  const DWORD ownThread = ::GetCurrentThreadId();
  const DWORD foregroundThread = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
  const bool attach = foregroundThread != 0 && foregroundThread != ownThread;
  if (attach) ::AttachThreadInput(foregroundThread, ownThread, TRUE);
  ::SetForegroundWindow(window);
  ::BringWindowToTop(window);
  if (attach) ::AttachThreadInput(foregroundThread, ownThread, FALSE);
}

}  // namespace dx::win32
