#pragma once
// The upgrade helper's work, apart from the machine: it reads the command line the update
// component wrote, waits for the program to end, puts every downloaded ".uTMP" file in
// place and starts the program (or a downloaded setup program) again.
#include <cstdint>
#include <string>
#include <vector>

namespace dx::upgrade {

struct HelperArguments {
  std::string joined;        // every argument followed by one blank
  bool externalSetup = false;
  std::string restartArguments;
  std::string programPath;
  std::string folder;        // with its trailing backslash; empty when the path has none
};

HelperArguments ParseArguments(const std::vector<std::string>& arguments);

// What the helper needs of the machine.
class IHelperSystem {
 public:
  virtual ~IHelperSystem() = default;
  virtual bool FileExists(const std::string& path) = 0;
  // The file name under which the file system finds path; empty when it does not.
  virtual std::string FoundName(const std::string& path) = 0;
  // Names of the files in folder matching the pattern, in the file system's order.
  virtual std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) = 0;
  virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
  // Whether path opens for writing with no sharing; the file is closed again at once.
  virtual bool CanOpenExclusively(const std::string& path) = 0;
  // One turn of a wait: lets the time pass and handles pending window messages.
  virtual void WaitTurn() = 0;
  virtual void SetLowPriority(bool low) = 0;
  virtual std::uint32_t TickCount() = 0;
  // Starts program with the command line's arguments, shown normally.
  virtual bool StartProgram(const std::string& program, const std::string& arguments) = 0;
  virtual void ShowError(const std::string& text) = 0;
};

struct HelperLimits {
  std::uint32_t programWaitMs = 120000;      // for the program to end
  std::uint32_t setupWaitMs = 6u * 3600000;  // for a setup program, which waits on the user
};

// Waits until path can be opened for writing; false when the time ran out.
bool WaitUntilFree(IHelperSystem& system, const std::string& path, std::uint32_t limitMs);

// Does the whole upgrade for a non-empty argument list.
void RunUpgrade(const HelperArguments& arguments, IHelperSystem& system, const HelperLimits& limits = {});

// The message shown when the program's file never became free.
std::string ProgramInUseText(const std::string& programPath);

}  // namespace dx::upgrade
