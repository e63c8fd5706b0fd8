// A child for the runner's tests. Modes:
//   runner_child exit N                 ends with exit code N
//   runner_child facts FILE             writes its folder, startup record and DEXTREL_CHILD_VALUE to FILE
//   runner_child hold RELEASE DONE      waits until RELEASE exists, then writes DONE and ends
// Whatever the mode, with DEXTREL_CHILD_MARK set it first adds its own path as a line to
// that file, so a test can tell which copy of it the system started.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool Exists(const char* path) { return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool Write(const char* path, const std::string& text) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  std::fwrite(text.data(), 1, text.size(), file);
  return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  char mark[MAX_PATH] = {};
  if (::GetEnvironmentVariableA("DEXTREL_CHILD_MARK", mark, sizeof mark) > 0) {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, sizeof self);
    if (FILE* file = std::fopen(mark, "ab")) {
      std::fprintf(file, "%s\n", self);
      std::fclose(file);
    }
  }
  if (argc < 2) return 100;
  const std::string mode = argv[1];
  if (mode == "exit" && argc == 3) return std::atoi(argv[2]);
  if (mode == "facts" && argc == 3) {
    char folder[MAX_PATH] = {};
    ::GetCurrentDirectoryA(sizeof folder, folder);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoA(&startup);
    char value[256] = {};
    ::GetEnvironmentVariableA("DEXTREL_CHILD_VALUE", value, sizeof value);
    std::string text = std::string("folder=") + folder + "\n";
    text += "flags=" + std::to_string(startup.dwFlags) + "\n";
    text += "show=" + std::to_string(startup.wShowWindow) + "\n";
    text += "position=" + std::to_string(startup.dwX) + "," + std::to_string(startup.dwY) + "\n";
    text += "size=" + std::to_string(startup.dwXSize) + "x" + std::to_string(startup.dwYSize) + "\n";
    text += "value=" + std::string(value) + "\n";
    text += "pid=" + std::to_string(::GetCurrentProcessId()) + "\n";
    return Write(argv[2], text) ? 0 : 101;
  }
  if (mode == "hold" && argc == 4) {
    for (int i = 0; i < 60000 / 20 && !Exists(argv[2]); ++i) ::Sleep(20);
    if (!Exists(argv[2])) return 102;
    return Write(argv[3], "done") ? 0 : 103;
  }
  return 100;
}
