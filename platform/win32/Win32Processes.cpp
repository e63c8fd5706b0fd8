#include "platform/win32/Win32Processes.h"

#include <windows.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>
#include <utility>

#include "platform/Paths.h"
#include "platform/win32/Scoped.h"

namespace dx::win32 {

// The way from the wait threads to the user-interface thread. Closed when the owner
// goes, so a thread whose child ends later reports nothing.
struct Win32Processes::Gate {
  explicit Gate(platform::IUiThread& u) : ui(&u), handed(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
  std::mutex mutex;
  platform::IUiThread* ui;  // null once closed
  int handing = 0;          // reports being handed over right now
  ScopedHandle handed;      // set whenever one has been
};

namespace {

constexpr std::uint32_t kCancelledExitCode = 0xFFFFFFFF;
// Long enough for a game to let go of its files, short enough for a user waiting on it.
constexpr DWORD kTerminateWaitMilliseconds = 5000;

// What a watch and its wait thread share. The runner side (the watch) and the callback
// are touched on the user-interface thread only; the thread touches the cancel event.
struct WaitShared {
  ScopedHandle cancel;  // manual reset, created unsignalled
  bool detached = false;
  std::function<void(std::uint32_t)> onExit;
};

// TJvWaitForProcessThread: frees itself when it ends.
struct TJvWaitForProcessThread {
  std::shared_ptr<WaitShared> shared;
  std::shared_ptr<Win32Processes::Gate> gate;
  ScopedHandle process;  // the thread's own duplicate of the child's process handle; null: ended already
  bool child = true;     // false: a process this program did not start, which need not be idle first

  static DWORD WINAPI Main(void* parameter) {
    std::unique_ptr<TJvWaitForProcessThread> self(static_cast<TJvWaitForProcessThread*>(parameter));
    self->Run();
    return 0;
  }

  void Run() {
    // A console child has no message loop: wine answers WAIT_FAILED at once, which
    // means nothing here.
    if (child) ::WaitForInputIdle(process.get(), INFINITE);

    const HANDLE handles[2] = {shared->cancel.get(), process.get()};
    const DWORD woke = process ? ::WaitForMultipleObjects(2, handles, FALSE, INFINITE) : WAIT_OBJECT_0 + 1;
    std::uint32_t exitCode = 0;  // stays 0 when the wait itself fails
    if (woke == WAIT_OBJECT_0) return;  // cancelled: 0xFFFFFFFF, nothing reported
    if (woke == WAIT_OBJECT_0 + 1 && process) {
      DWORD code = 0;
      if (::GetExitCodeProcess(process.get(), &code)) exitCode = code;
    }
    process.reset();
    HandOver(exitCode);
  }

  void HandOver(std::uint32_t exitCode) {
    platform::IUiThread* ui = nullptr;
    {
      std::lock_guard lock(gate->mutex);
      if (!gate->ui) return;
      ui = gate->ui;
      ++gate->handing;
    }
    auto state = shared;
    ui->Invoke([state, exitCode] {
      if (state->detached || !state->onExit) return;
      state->detached = true;
      // The handler destroys the watch, which clears onExit: call a copy.
      auto onExit = state->onExit;
      onExit(exitCode);
    });
    std::lock_guard lock(gate->mutex);
    --gate->handing;
    ::SetEvent(gate->handed.get());
  }
};

class Win32ChildWatch : public platform::IChildWatch {
 public:
  Win32ChildWatch(ScopedHandle process, ScopedHandle thread, std::shared_ptr<WaitShared> shared)
      : process_(std::move(process)), thread_(std::move(thread)), shared_(std::move(shared)) {}
  ~Win32ChildWatch() override {
    shared_->detached = true;
    shared_->onExit = nullptr;
    ::SetEvent(shared_->cancel.get());
    // The child's handles close with the members; the child itself runs on.
  }
  void Terminate() override {
    if (::TerminateProcess(process_.get(), 1)) ::WaitForSingleObject(process_.get(), kTerminateWaitMilliseconds);
  }

 private:
  ScopedHandle process_;
  ScopedHandle thread_;
  std::shared_ptr<WaitShared> shared_;
};

class Win32ProcessWait : public platform::IProcessWait {
 public:
  explicit Win32ProcessWait(std::shared_ptr<WaitShared> shared) : shared_(std::move(shared)) {}
  ~Win32ProcessWait() override {
    shared_->detached = true;
    shared_->onExit = nullptr;
    ::SetEvent(shared_->cancel.get());
  }

 private:
  std::shared_ptr<WaitShared> shared_;
};

std::uint64_t StartTimeOf(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// The process of that identity, opened to wait on it; null when it has ended (or its id is
// another process's now). denied: it could not be looked at.
ScopedHandle OpenIdentified(const platform::ProcessIdentity& identity, bool& denied) {
  denied = false;
  ScopedHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, identity.id));
  if (!process) {
    denied = ::GetLastError() == ERROR_ACCESS_DENIED;
    return process;
  }
  const std::uint64_t started = StartTimeOf(process.get());
  if (started != identity.startTime || ::WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT) process.reset();
  return process;
}

std::string EnvironmentBlock(const std::vector<std::string>& lines) {
  std::string block;
  for (const auto& line : lines) {
    block += line;
    block.push_back('\0');
  }
  block.push_back('\0');
  return block;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The given lines, or this program's environment, with the added lines in place of any
// variable of the same name.
std::vector<std::string> ChildEnvironment(const platform::ProcessStartRequest& request) {
  std::vector<std::string> lines = request.environment;
  if (lines.empty()) {
    if (char* own = ::GetEnvironmentStringsA()) {
      for (const char* at = own; *at; at += std::strlen(at) + 1) lines.emplace_back(at);
      ::FreeEnvironmentStringsA(own);
    }
  }
  for (const auto& added : request.addedEnvironment) {
    const std::string name = Lower(added.substr(0, added.find('=') + 1));
    // Entries such as "=C:=C:\" name a drive's folder; they never match a name.
    std::erase_if(lines, [&](const std::string& line) { return Lower(line.substr(0, name.size())) == name; });
    lines.push_back(added);
  }
  return lines;
}

platform::ProcessStartResult Failure(DWORD code) { return {false, code, SystemErrorText(code), nullptr, {}}; }

}  // namespace

Win32Processes::Win32Processes(platform::IUiThread& ui) : gate_(std::make_shared<Gate>(ui)) {}

Win32Processes::~Win32Processes() {
  {
    std::lock_guard lock(gate_->mutex);
    gate_->ui = nullptr;
  }
  // A report already on its way waits for the user-interface thread, which may be this
  // one: take the sent messages while waiting for it.
  for (;;) {
    {
      std::lock_guard lock(gate_->mutex);
      if (gate_->handing == 0) break;
    }
    const HANDLE handed = gate_->handed.get();
    if (::MsgWaitForMultipleObjects(1, &handed, FALSE, 100, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
      MSG msg;
      ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }
}

bool Win32Processes::IsRunning(const platform::ProcessIdentity& identity) {
  if (identity.id == 0) return false;
  bool denied = false;
  const ScopedHandle process = OpenIdentified(identity, denied);
  return process || denied;
}

std::unique_ptr<platform::IProcessWait> Win32Processes::WaitForEnd(const platform::ProcessIdentity& identity,
                                                                   std::function<void()> onEnded) {
  auto shared = std::make_shared<WaitShared>();
  shared->cancel.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  shared->onExit = [onEnded = std::move(onEnded)](std::uint32_t) { onEnded(); };
  auto waiter = std::make_unique<TJvWaitForProcessThread>();
  waiter->shared = shared;
  waiter->gate = gate_;
  waiter->child = false;
  bool denied = false;
  if (identity.id != 0) waiter->process = OpenIdentified(identity, denied);
  // A process that cannot be looked at is never reported as ended: its files stay out
  // until a later start can tell.
  if (denied || !shared->cancel) return std::make_unique<Win32ProcessWait>(shared);
  ScopedHandle thread(::CreateThread(nullptr, 0, &TJvWaitForProcessThread::Main, waiter.get(), 0, nullptr));
  if (thread) waiter.release();  // the thread owns it now
  return std::make_unique<Win32ProcessWait>(shared);
}

std::string Win32Processes::SystemFolder() {
  char buffer[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryA(buffer, sizeof buffer);
  return ExcludeTrailingBackslashes(length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string());
}

platform::ProcessStartResult Win32Processes::Start(const platform::ProcessStartRequest& request,
                                                   std::function<void(std::uint32_t)> onExit) {
  // The record is 68 bytes in the 32-bit layout the flags were made for; a 64-bit build
  // passes its own, larger STARTUPINFOA (104 bytes) with the same field values.
#ifndef _WIN64
  static_assert(sizeof(STARTUPINFOA) == 68);
#endif
  const auto& record = request.startup;
  std::string desktop = record.desktop;
  std::string title = record.title;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.lpDesktop = desktop.empty() ? nullptr : desktop.data();
  startup.lpTitle = title.empty() ? nullptr : title.data();
  startup.dwX = record.x;
  startup.dwY = record.y;
  startup.dwXSize = record.width;
  startup.dwYSize = record.height;
  startup.dwFlags = record.flags;
  startup.wShowWindow = record.showWindow;

  std::string commandLine = request.commandLine;  // CreateProcessA may write into it
  const bool ownEnvironment = !request.environment.empty() || !request.addedEnvironment.empty();
  const std::string environment = ownEnvironment ? EnvironmentBlock(ChildEnvironment(request)) : std::string();
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(request.applicationName ? request.applicationName->c_str() : nullptr, commandLine.data(),
                        nullptr, nullptr, FALSE, request.creationFlags,
                        environment.empty() ? nullptr : const_cast<char*>(environment.data()),
                        request.currentDirectory ? request.currentDirectory->c_str() : nullptr, &startup, &info)) {
    return Failure(::GetLastError());
  }
  ScopedHandle process(info.hProcess);
  ScopedHandle thread(info.hThread);
  const platform::ProcessIdentity identity{info.dwProcessId, StartTimeOf(process.get())};

  if (!request.watch) {
    ::WaitForInputIdle(process.get(), INFINITE);
    return {true, 0, {}, nullptr, identity};
  }

  auto shared = std::make_shared<WaitShared>();
  shared->cancel.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  shared->onExit = std::move(onExit);
  auto waiter = std::make_unique<TJvWaitForProcessThread>();
  waiter->shared = shared;
  waiter->gate = gate_;
  HANDLE duplicate = nullptr;
  if (!shared->cancel ||
      !::DuplicateHandle(::GetCurrentProcess(), process.get(), ::GetCurrentProcess(), &duplicate, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
    return Failure(::GetLastError());
  }
  waiter->process.reset(duplicate);

  ScopedHandle waitThread(
      ::CreateThread(nullptr, 0, &TJvWaitForProcessThread::Main, waiter.get(), CREATE_SUSPENDED, nullptr));
  if (!waitThread) return Failure(::GetLastError());
  waiter.release();  // the thread owns it now
  ::SetThreadPriority(waitThread.get(), THREAD_PRIORITY_BELOW_NORMAL);
  ::ResumeThread(waitThread.get());

  return {true, 0, {}, std::make_unique<Win32ChildWatch>(std::move(process), std::move(thread), shared), identity};
}

}  // namespace dx::win32
