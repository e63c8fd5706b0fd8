#pragma once
// Child programs of a test: every start is recorded; the test ends a child when it
// wants with Exit(), which reports on the calling (user-interface) thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Processes.h"

namespace dx::test {

class FakeProcesses : public platform::IProcesses {
 public:
  struct Child {
    platform::ProcessStartRequest request;
    std::function<void(std::uint32_t)> onExit;
    bool watched = true;
    bool exited = false;
    bool terminated = false;
    platform::ProcessIdentity identity;
  };

  // Start fails with this code (and text) while set.
  std::uint32_t failWithCode = 0;
  std::string failText = "The system cannot find the file specified.";
  // Start fails with no code at all while set.
  bool failWithoutCode = false;
  // Runs inside Start, after the child is recorded: a test may end it at once.
  std::function<void(std::size_t childIndex)> onStart;

  std::vector<std::shared_ptr<Child>> children;
  std::string systemFolder = "C:\\WINDOWS\\system32";

  std::string SystemFolder() override { return systemFolder; }

  platform::ProcessStartResult Start(const platform::ProcessStartRequest& request,
                                     std::function<void(std::uint32_t)> onExit) override {
    if (failWithCode != 0) return {false, failWithCode, failText, nullptr};
    if (failWithoutCode) return {false, 0, {}, nullptr};
    auto child = std::make_shared<Child>(Child{request, std::move(onExit), request.watch});
    child->identity = {static_cast<std::uint32_t>(4000 + 4 * children.size()), 133000000000000000ull + children.size()};
    children.push_back(child);
    platform::ProcessStartResult result{true, 0, {}, nullptr, child->identity};
    if (request.watch) result.watch = std::make_unique<Watch>(child);
    if (onStart) onStart(children.size() - 1);
    return result;
  }

  // Ends child index with the exit code; reports it when it is still watched.
  void Exit(std::size_t index, std::uint32_t exitCode) {
    auto child = children.at(index);
    if (child->exited) return;
    child->exited = true;
    if (child->watched && child->onExit) child->onExit(exitCode);
    ReportEnded();
  }
  // Processes of the machine that this double did not start, as a killed copy's game is.
  std::vector<platform::ProcessIdentity> outside;

  bool IsRunning(const platform::ProcessIdentity& process) override {
    for (const auto& child : children) {
      if (child->identity == process) return !child->exited;
    }
    for (const auto& other : outside) {
      if (other == process) return true;
    }
    return false;
  }
  // Reported by EndOutside, or by Exit for a child; a process not running is reported by
  // ReportEnded (the system's hand-over comes later than the call).
  std::unique_ptr<platform::IProcessWait> WaitForEnd(const platform::ProcessIdentity& process,
                                                     std::function<void()> onEnded) override {
    auto wait = std::make_shared<Waiting>(Waiting{process, std::move(onEnded)});
    waits.push_back(wait);
    return std::make_unique<WaitHandle>(wait);
  }
  // An outside process ends; every wait for it, and for ended ones, is reported.
  void EndOutside(const platform::ProcessIdentity& process) {
    for (auto it = outside.begin(); it != outside.end();) it = *it == process ? outside.erase(it) : it + 1;
    ReportEnded();
  }
  void ReportEnded() {
    auto pending = waits;
    for (auto& wait : pending) {
      if (!wait->cancelled && !wait->reported && !IsRunning(wait->process)) {
        wait->reported = true;
        wait->onEnded();
      }
    }
  }
  std::size_t WaitsOpen() const {
    std::size_t open = 0;
    for (const auto& wait : waits) open += !wait->cancelled && !wait->reported;
    return open;
  }

  // Ends the most recent child.
  void ExitLast(std::uint32_t exitCode = 0) { Exit(children.size() - 1, exitCode); }
  std::string LastCommandLine() const { return children.empty() ? "" : children.back()->request.commandLine; }

 private:
  struct Waiting {
    platform::ProcessIdentity process;
    std::function<void()> onEnded;
    bool cancelled = false;
    bool reported = false;
  };
  struct WaitHandle : platform::IProcessWait {
    explicit WaitHandle(std::shared_ptr<Waiting> w) : wait(std::move(w)) {}
    ~WaitHandle() override { wait->cancelled = true; }
    std::shared_ptr<Waiting> wait;
  };
  std::vector<std::shared_ptr<Waiting>> waits;

  struct Watch : platform::IChildWatch {
    explicit Watch(std::shared_ptr<Child> c) : child(std::move(c)) {}
    ~Watch() override { child->watched = false; }
    // The child ends; the runner drops the watch right after, so nothing is reported.
    void Terminate() override {
      if (child->exited) return;
      child->terminated = true;
      child->exited = true;
    }
    std::shared_ptr<Child> child;
  };
};

}  // namespace dx::test
