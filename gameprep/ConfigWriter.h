#pragma once
// The game's console configuration for a benchmark: autoexec.cfg from one of four
// quality presets, the aspect-ratio fragment of the command lines, and the summary
// lines the report prints under every resolution.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/LineList.h"

namespace dx {

namespace platform {
class IFileSystem;
}
class BenchmarkJournal;

inline constexpr const char* kFileOpTitle = "Please wait...";

struct ConfigSummaryLines {
  std::string Quality;
  std::string AspectRatio;
  std::string Antialiasing;
  std::string Filtering;
  std::string Smp;
  std::string AmbientLight;
};

// The 28 (Low, Medium) or 31 (High, Ultra) lines of a preset with the three variable
// lines filled in; empty for an index outside 0 to 3.
std::vector<std::string> PresetLines(int quality, const std::string& ambientLightLine,
                                     const std::string& multiSampleLine, const std::string& anisotropyLine);
// Whether a file's text is a configuration this program writes, whatever the options.
bool IsWrittenConfiguration(std::string_view content);
// The multiprocessing switch as a console command; nothing hands it to the game.
std::string SmpConsoleCommand(bool smpChecked);

// autoexec_old.cfg for 0, autoexec_old<n>.cfg after it.
std::string AutoexecBackupName(int n);
// The highest n of the autoexec_old<n>.cfg in the folder; 0 when there is none.
int HighestAutoexecBackup(platform::IFileSystem& files, const std::string& gameBasePath);

// The values live as long as the program; each operation overwrites only its own.
class ConfigWriter {
 public:
  explicit ConfigWriter(platform::IFileSystem& files) : files_(files) {}

  void BuildSmpSummary(bool smpChecked);
  // value: what the ambient-light list shows, used unchecked.
  void BuildAmbientLightLine(bool ambientLightChecked, const std::string& value);
  // Item indexes of the anti-aliasing and filtering lists; outside 0 to 5 keeps that line.
  void BuildFilteringLines(int antialiasingIndex, int filteringIndex);
  // Index of the checked aspect item; none (-1) keeps the fragment.
  void BuildAspectArgument(int aspectIndex);
  // Moves the user's autoexec.cfg aside (AutoexecBackup names where), fills
  // gameConfigLines from the checked preset (none keeps the list) and saves it as
  // autoexec.cfg. Throws dx::Error "Cannot create file "%s". %s" when the file cannot be
  // written, and the same error instead of writing when the user's own file could not
  // be kept.
  void WriteAutoexec(int qualityIndex, LineList& gameConfigLines, const std::string& gameBasePath);

  std::string AmbientLightLine;
  std::string MultiSampleLine;
  std::string AnisotropyLine;
  std::string AspectArgument;
  ConfigSummaryLines ConfigSummary;
  // The file name in the base folder that holds the user's autoexec.cfg put aside in this
  // program run; empty while none is.
  std::string AutoexecBackup;
  // Where the move aside and the new file are written before they are made; none: nowhere.
  BenchmarkJournal* Journal = nullptr;

 private:
  void BackupAutoexec(const std::string& gameBasePath);
  bool IsOwnFile(const std::string& path);

  platform::IFileSystem& files_;
  // The bytes of the last autoexec.cfg saved in this program run.
  std::optional<std::string> written_;
};

}  // namespace dx
