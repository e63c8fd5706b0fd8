#pragma once
// The machine-wide list of running copies of the program. One copy runs per executable
// path (compared without regard to letter case); copies from other folders run side by
// side. The table lives in shared memory guarded by a named lock; this part holds only
// the rules, so they can be tested without either.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace dx {

struct RunningCopy {
  std::uint32_t processId;
  std::uint64_t processStart;  // creation time, so a reused process id is not taken for the copy
  std::uint64_t window;        // the main window once it exists, 0 before
  char path[1024];             // executable path, zero-terminated
};

inline constexpr std::size_t kRunningCopySlots = 64;

struct RunningCopiesTable {
  std::uint32_t version;
  std::uint32_t count;
  RunningCopy copies[kRunningCopySlots];
};

// Whether the process (id, creation time) still runs.
using ProcessAlive = std::function<bool(std::uint32_t processId, std::uint64_t processStart)>;

enum class EnrolOutcome {
  Enrolled,       // this copy is the first of its path
  AlreadyRunning, // another copy of the same path runs: this one must end
  TableFull,      // no room: run anyway rather than refuse the user
};

struct EnrolResult {
  EnrolOutcome outcome;
  RunningCopy first{};  // the copy that runs already, for AlreadyRunning
};

// Drops copies that have ended (a killed copy never signs out), then enrols self unless
// a copy of the same path is listed.
EnrolResult Enrol(RunningCopiesTable& table, const RunningCopy& self, const ProcessAlive& alive);
void SetWindow(RunningCopiesTable& table, std::uint32_t processId, std::uint64_t window);
void SignOut(RunningCopiesTable& table, std::uint32_t processId);
bool SamePath(const char* a, const char* b);

}  // namespace dx
