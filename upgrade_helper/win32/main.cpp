// The upgrade helper: replaces the program's files after it has ended and starts it again.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc <= 1) {
    ::MessageBoxA(nullptr,
                  "This is the Dextrel upgrade helper.\n\n"
                  "Dextrel starts it by itself to install a downloaded update; "
                  "there is no need to start it by hand.",
                  "Dextrel upgrade helper", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  return 0;
}
