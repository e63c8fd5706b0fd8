#pragma once
// Shared pieces of the Windows-side suites: a temporary folder per test, starting a
// program and waiting for it.
#include <windows.h>

#include <string>

namespace dx::test {

// A fresh folder under the temporary folder, removed with its files at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // With a trailing backslash.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct ProgramRun {
  bool started = false;
  DWORD exitCode = 0;
  std::string output;  // standard output and error
};

// Runs commandLine in folder (empty: the current one) and waits up to timeoutMs.
ProgramRun RunProgram(const std::string& commandLine, const std::string& folder = {}, DWORD timeoutMs = 60000);

// A program started without waiting for it.
struct StartedProgram {
  HANDLE process = nullptr;
  HANDLE thread = nullptr;
  DWORD id = 0;
  StartedProgram() = default;
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;
  StartedProgram(StartedProgram&& other) noexcept;
  ~StartedProgram();
  explicit operator bool() const { return process != nullptr; }
  // Waits for the end and gives the exit code; ends the program with 0xDEAD after timeoutMs.
  DWORD WaitForExit(DWORD timeoutMs = 30000);
  bool Running() const;
};
StartedProgram StartProgram(const std::string& commandLine, const std::string& folder = {});

// The first visible top-level window of the process with the class (and title when
// not null), waiting up to timeoutMs. processId 0 matches any process.
HWND WaitForTopWindow(DWORD processId, const char* windowClass, const char* title, DWORD timeoutMs = 30000);

// Full path of a program built beside the tests.
std::string BuiltProgram(const std::string& name);

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& data);

}  // namespace dx::test
