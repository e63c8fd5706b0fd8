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

// The arguments, each a key and a value in hexadecimal, so that no install path, blank,
// quote or "+" can be read as another argument or as the end of a path:
//   /sha256=<64 lower-case hex digits>:<hex of "<name>.uTMP">  each file the program checked
//   /program=<hex of the program's full path>
//   /restart=<hex of the arguments the program restarts with>
//   /setup=0|1  whether a downloaded setup program installs the update
inline constexpr const char* kDigestArgument = "/sha256=";
inline constexpr const char* kProgramArgument = "/program=";
inline constexpr const char* kRestartArgument = "/restart=";
inline constexpr const char* kSetupArgument = "/setup=";

struct HandedOverFile {
  std::string name;    // the ".uTMP" file's name in the program's folder
  std::string digest;  // its SHA-256, lower-case hexadecimal
};

struct HelperArguments {
  // False when any argument is not of the form above, or the program path is missing:
  // then nothing is done.
  bool valid = false;
  std::vector<HandedOverFile> files;
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
  // Runs bytes as fileName from a fresh folder only administrators and the system can
  // write, and waits up to limitMs for it to end; false when it did not start or end.
  virtual bool RunProtected(const std::string& fileName, const std::string& bytes, const std::string& arguments,
                            std::uint32_t limitMs) = 0;
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
// The message shown when a downloaded setup program did not run to its end.
std::string SetupFailedText(const std::string& setupName);

}  // namespace dx::upgrade
