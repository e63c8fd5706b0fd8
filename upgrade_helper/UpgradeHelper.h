#pragma once
// The upgrade helper's work, apart from the machine: it reads the command line the update
// component wrote, waits for the program to end, puts the downloaded ".uTMP" files the
// program handed over in place and starts the program (or a downloaded setup program)
// again.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dx::upgrade {

// Leads an argument "/sha256=<64 lower-case hex digits>:<name>.uTMP", one for each file the
// program downloaded and checked; these come before the program path.
inline constexpr const char* kDigestArgument = "/sha256=";

struct HandedOverFile {
  std::string name;    // the ".uTMP" file's name in the program's folder
  std::string digest;  // its SHA-256, lower-case hexadecimal
};

struct HelperArguments {
  std::vector<HandedOverFile> files;
  std::string joined;        // every other argument followed by one blank
  bool externalSetup = false;
  std::string restartArguments;
  std::string programPath;
  std::string folder;        // with its trailing backslash; empty when the path has none
};

HelperArguments ParseArguments(const std::vector<std::string>& arguments);

// A file opened so that nobody else can change, rename or delete it while it is open.
class IHeldFile {
 public:
  virtual ~IHeldFile() = default;
  // Up to size bytes of the file, in order; 0 at its end; nothing on a read error.
  virtual std::optional<std::size_t> Read(char* buffer, std::size_t size) = 0;
  // Gives this very file the name path (in the same folder), replacing a file there.
  virtual bool RenameTo(const std::string& path) = 0;
};

// What the helper needs of the machine.
class IHelperSystem {
 public:
  virtual ~IHelperSystem() = default;
  virtual bool FileExists(const std::string& path) = 0;
  // The file name under which the file system finds path; empty when it does not.
  virtual std::string FoundName(const std::string& path) = 0;
  // Nothing when the file cannot be opened that way.
  virtual std::unique_ptr<IHeldFile> Hold(const std::string& path) = 0;
  virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
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
