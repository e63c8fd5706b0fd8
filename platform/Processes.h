#pragma once
// Child programs: started with a command line and a startup record, watched on a thread
// of their own, their end reported on the user-interface thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dx::platform {

// The fields of the system's startup record that the runner fills.
struct StartupRecord {
  std::uint32_t flags = 0;  // STARTF_* bits
  std::string desktop;      // empty: none
  std::string title;        // empty: none
  std::uint32_t x = 0, y = 0, width = 0, height = 0;
  std::uint16_t showWindow = 0;
};

struct ProcessStartRequest {
  std::optional<std::string> applicationName;   // absent: taken from the command line
  std::string commandLine;                       // passed unchanged
  std::optional<std::string> currentDirectory;   // absent: this program's current folder
  std::uint32_t creationFlags = 0;
  std::vector<std::string> environment;          // empty: inherited
  // NAME=value set for the child on top of the environment it gets otherwise.
  std::vector<std::string> addedEnvironment;
  StartupRecord startup;
  // False: wait only until the child is idle, let it go and report nothing.
  bool watch = true;
};

// A process as the system tells it apart: an id is used again once its process has
// ended, the id with the moment the process started is not.
struct ProcessIdentity {
  std::uint32_t id = 0;
  std::uint64_t startTime = 0;  // the system's creation time, 100 ns steps since 1601
  bool operator==(const ProcessIdentity& other) const { return id == other.id && startTime == other.startTime; }
};

// A wait for a process's end. Destroying it stops the wait: nothing more is reported.
class IProcessWait {
 public:
  virtual ~IProcessWait() = default;
};

// A started child being watched. Destroying it stops the watch: nothing more is
// reported, the child keeps running.
class IChildWatch {
 public:
  virtual ~IChildWatch() = default;
  // Ends the child and returns once it has ended, or after a few seconds when the system
  // is slow to end it. Its end is still reported unless the watch is destroyed first.
  virtual void Terminate() = 0;
};

struct ProcessStartResult {
  bool ok = false;
  std::uint32_t errorCode = 0;   // the system's code when !ok (0: none given)
  std::string errorText;         // the system's text for errorCode
  std::unique_ptr<IChildWatch> watch;  // null when the request asked for no watch
  ProcessIdentity identity;            // the started child's
};

class IProcesses {
 public:
  virtual ~IProcesses() = default;
  // On success onExit runs once on the user-interface thread with the child's exit code
  // (0xFFFFFFFF when the watch was cancelled, which reports nothing), and the watching
  // thread waits until it has returned.
  virtual ProcessStartResult Start(const ProcessStartRequest& request,
                                   std::function<void(std::uint32_t exitCode)> onExit) = 0;
  // Whether the process of that identity still runs. One that cannot be looked at (no
  // rights) counts as running: its files are not taken from under it.
  virtual bool IsRunning(const ProcessIdentity& process) = 0;
  // onEnded runs once on the user-interface thread when the process has ended (soon after
  // the call when it is not running); the wait's owner keeps it alive until then.
  virtual std::unique_ptr<IProcessWait> WaitForEnd(const ProcessIdentity& process, std::function<void()> onEnded) = 0;
  // The folder of the system's own programs, without a trailing backslash.
  virtual std::string SystemFolder() = 0;
};

}  // namespace dx::platform
