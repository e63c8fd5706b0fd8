#include "app/RunningCopies.h"

#include <cstring>

#include "common/Text.h"

namespace dx {
namespace {

constexpr std::uint32_t kTableVersion = 1;

std::string_view PathOf(const RunningCopy& copy) {
  return std::string_view(copy.path, strnlen(copy.path, sizeof copy.path));
}

void Repair(RunningCopiesTable& table) {
  // Shared memory is new (all zero) or was written by another version of the program.
  if (table.version != kTableVersion || table.count > kRunningCopySlots) {
    std::memset(&table, 0, sizeof table);
    table.version = kTableVersion;
  }
}

void Remove(RunningCopiesTable& table, std::uint32_t index) {
  for (std::uint32_t i = index; i + 1 < table.count; ++i) table.copies[i] = table.copies[i + 1];
  --table.count;
  std::memset(&table.copies[table.count], 0, sizeof(RunningCopy));
}

}  // namespace

bool SamePath(const char* a, const char* b) {
  return EqualsNoCase(std::string_view(a, strnlen(a, 1024)), std::string_view(b, strnlen(b, 1024)));
}

EnrolResult Enrol(RunningCopiesTable& table, const RunningCopy& self, const ProcessAlive& alive) {
  Repair(table);
  for (std::uint32_t i = 0; i < table.count;) {
    const RunningCopy& copy = table.copies[i];
    if (copy.processId == self.processId || !alive(copy.processId, copy.processStart)) {
      Remove(table, i);
    } else {
      ++i;
    }
  }
  // The list keeps the order of enrolment: the first match is the first-enrolled copy.
  for (std::uint32_t i = 0; i < table.count; ++i) {
    if (EqualsNoCase(PathOf(table.copies[i]), PathOf(self))) return {EnrolOutcome::AlreadyRunning, table.copies[i]};
  }
  if (table.count == kRunningCopySlots) return {EnrolOutcome::TableFull, {}};
  table.copies[table.count] = self;
  table.copies[table.count].path[sizeof self.path - 1] = '\0';
  ++table.count;
  return {EnrolOutcome::Enrolled, {}};
}

void SetWindow(RunningCopiesTable& table, std::uint32_t processId, std::uint64_t window) {
  Repair(table);
  for (std::uint32_t i = 0; i < table.count; ++i) {
    if (table.copies[i].processId == processId) table.copies[i].window = window;
  }
}

void SignOut(RunningCopiesTable& table, std::uint32_t processId) {
  Repair(table);
  for (std::uint32_t i = 0; i < table.count;) {
    if (table.copies[i].processId == processId) {
      Remove(table, i);
    } else {
      ++i;
    }
  }
}

}  // namespace dx
