// The floor of a benchmark's runs: starts a program hidden, as the game runner does, waits
// for its end and starts it again at once, with nothing else between the runs. Measuring
// the gap between one run's end and the next one's start gives what wine alone costs.
//
//   wine runfloor.exe COUNT FOLDER COMMANDLINE
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/Scoped.h"

namespace {

bool RunHidden(const std::string& commandLine, const std::string& folder) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info)) {
    return false;
  }
  dx::win32::Scoped<dx::win32::HandleTraits> process(info.hProcess);
  dx::win32::Scoped<dx::win32::HandleTraits> thread(info.hThread);
  return ::WaitForSingleObject(process.get(), INFINITE) == WAIT_OBJECT_0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: runfloor COUNT FOLDER COMMANDLINE\n");
    return 2;
  }
  const int count = std::atoi(argv[1]);
  if (count <= 0) {
    std::fprintf(stderr, "runfloor: COUNT must be a positive number\n");
    return 2;
  }
  for (int i = 0; i < count; ++i) {
    if (!RunHidden(argv[3], argv[2])) {
      std::fprintf(stderr, "runfloor: run %d could not be started or waited for (error %lu)\n", i + 1,
                   ::GetLastError());
      return 1;
    }
  }
  return 0;
}
