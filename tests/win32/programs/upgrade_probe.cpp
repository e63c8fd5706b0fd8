// Stands in for the program the upgrade helper restarts: writes the arguments it was
// started with to "<its own path>.started".
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  char self[MAX_PATH * 2];
  const DWORD n = ::GetModuleFileNameA(nullptr, self, sizeof self);
  if (n == 0 || n >= sizeof self) return 1;
  std::string arguments;
  for (int i = 1; i < argc; ++i) arguments += (i > 1 ? " " : "") + std::string(argv[i]);
  const std::string marker = std::string(self, n) + ".started";
  FILE* out = std::fopen(marker.c_str(), "wb");
  if (!out) return 1;
  std::fputs(arguments.c_str(), out);
  std::fclose(out);
  return 0;
}
