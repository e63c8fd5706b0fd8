// What the capture library adds to a frame: SwapBuffers called through this program's own
// import table once redirected by DextrelFrames64.dll, against the original function on the
// same device context, in alternating blocks. Prints the figures; not a test.
//   frame_capture_cost LIBRARY [CALLS_PER_BLOCK]
// With --game, runs a command line (the simulated game with r_glDriver, say) under a fresh
// section and prints the frames stamped and their average rate:
//   frame_capture_cost --game FOLDER COMMAND_LINE
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/FrameSection.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/Win32FrameCapture.h"

namespace {

using SwapBuffersFunction = BOOL(WINAPI*)(HDC);

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Nanoseconds per call of a block of calls.
template <typename Call>
double Block(int calls, Call call) {
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  for (int i = 0; i < calls; ++i) call();
  ::QueryPerformanceCounter(&end);
  return Seconds(start, end, frequency) * 1e9 / calls;
}

// Runs commandLine in folder with the section named in its environment.
int RunGame(const std::string& folder, std::string commandLine) {
  dx::win32::Win32FrameCapture capture;
  const dx::platform::FrameSectionResult created = capture.CreateSection();
  if (!created.section) return 1;
  ::SetEnvironmentVariableA(dx::platform::kFrameSectionVariable, created.section->Name().c_str());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
    std::printf("the game did not start: %lu\n", ::GetLastError());
    return 1;
  }
  dx::win32::ScopedHandle processHandle(process.hProcess), thread(process.hThread);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  const dx::platform::FrameStamps read = created.section->Read();
  std::printf("stamps: %zu\n", read.stamps.size());
  if (read.stamps.size() > 1 && read.frequency > 0) {
    std::printf("captured fps over all stamps: %.2f\n",
                static_cast<double>(read.stamps.size() - 1) * static_cast<double>(read.frequency) /
                    static_cast<double>(read.stamps.back() - read.stamps.front()));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 100;
  if (std::string(argv[1]) == "--game" && argc == 4) return RunGame(argv[2], argv[3]);
  const int calls = argc > 2 ? std::atoi(argv[2]) : 20000;
  dx::win32::Win32FrameCapture capture;
  const dx::platform::FrameSectionResult created = capture.CreateSection();
  if (!created.section) {
    std::printf("no section: %s\n", created.errorText.c_str());
    return 1;
  }
  ::SetEnvironmentVariableA(dx::platform::kFrameSectionVariable, created.section->Name().c_str());

  HWND window = ::CreateWindowExA(0, "STATIC", "cost", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr, nullptr, nullptr);
  dx::win32::ScopedWindowDc dc(window);
  const auto original =
      reinterpret_cast<SwapBuffersFunction>(::GetProcAddress(::GetModuleHandleA("gdi32.dll"), "SwapBuffers"));
  dx::win32::ScopedModule library(::LoadLibraryA(argv[1]));
  if (!library || !original) {
    std::printf("the library did not load: %lu\n", ::GetLastError());
    return 1;
  }
  const int rounds = 7;
  double bare = 1e18, redirected = 1e18;
  for (int round = 0; round < rounds; ++round) {
    bare = std::min(bare, Block(calls, [&] { original(dc.get()); }));
    redirected = std::min(redirected, Block(calls, [&] { ::SwapBuffers(dc.get()); }));
  }
  const dx::platform::FrameStamps read = created.section->Read();
  const double added = redirected - bare;
  std::printf("stamps written: %zu of %d redirected calls%s\n", read.stamps.size(), rounds * calls,
              read.redirected ? "" : " (SwapBuffers was NOT redirected)");
  std::printf("bare SwapBuffers: %.1f ns per call (fastest of %d blocks of %d)\n", bare, rounds, calls);
  std::printf("redirected SwapBuffers: %.1f ns per call\n", redirected);
  std::printf("added per frame: %.1f ns = %.4f %% of a 1000 fps frame\n", added, added / 1e6 * 100);
  ::DestroyWindow(window);
  return read.redirected && read.stamps.size() == static_cast<std::size_t>(rounds) * calls ? 0 : 1;
}
