#include "gameprep/ConfigWriter.h"

#include <array>

#include "common/Errors.h"
#include "common/Text.h"
#include "gameprep/BenchmarkJournal.h"
#include "gameprep/GameInterface.h"
#include "platform/FileSystem.h"

namespace dx {
namespace {

constexpr const char* kTimesText = "\xD7";

// Marks the three rows that come from the options.
constexpr const char* kAmbientRow = "\x01";
constexpr const char* kMultiSampleRow = "\x02";
constexpr const char* kAnisotropyRow = "\x03";

std::vector<std::string> LowMediumTemplate(bool medium) {
  const char* down = medium ? "0" : "1";
  return {
      "seta r_shadows \"1\"",
      "seta g_projectilelights \"1\"",
      "seta g_skipParticles \"0\"",
      "seta g_decals \"1\"",
      "seta bse_scale \"0.66\"",
      "seta r_skipNewAmbient \"0\"",
      kAmbientRow,
      "seta image_useCache \"1\"",
      "seta image_cacheMegs \"128\"",
      "seta image_cacheMinK \"3072\"",
      "seta image_ignoreHighQuality \"1\"",
      std::string("seta image_downSizeBump \"") + down + "\"",
      std::string("seta image_downSizeSpecular \"") + down + "\"",
      "seta image_usePrecompressedTextures \"1\"",
      "seta image_useNormalCompression \"2\"",
      "seta image_useCompression \"1\"",
      std::string("seta image_downSize \"") + down + "\"",
      "seta com_machineSpec \"1\"",
      "seta cm_backFaceCull \"0\"",
      "seta g_brassTime \"0\"",
      "seta g_showPlayerShadow \"1\"",
      "seta r_shadows \"1\"",
      "seta r_skipSpecular \"0\"",
      "seta r_skipBump \"0\"",
      "seta r_swapInterval \"0\"",
      "seta r_znear \"4\"",
      kMultiSampleRow,
      kAnisotropyRow,
  };
}

std::vector<std::string> HighUltraTemplate(bool ultra) {
  const char* compression = ultra ? "0" : "1";
  return {
      "seta r_shadows \"1\"",
      "seta g_projectilelights \"1\"",
      "seta g_skipParticles \"0\"",
      "seta g_decals \"1\"",
      ultra ? "seta bse_scale \"1.2\"" : "seta bse_scale \"1\"",
      "seta r_skipNewAmbient \"0\"",
      kAmbientRow,
      "seta image_useCache \"1\"",
      "seta image_cacheMegs \"128\"",
      "seta image_cacheMinK \"3072\"",
      "seta image_ignoreHighQuality \"0\"",
      "seta image_downSize \"0\"",
      "seta image_downSizeBump \"0\"",
      "seta image_downSizeSpecular \"0\"",
      "seta image_downSizeLimit \"1024\"",
      "seta image_downSizeBumpLimit \"1024\"",
      "seta image_downSizeSpecularLimit \"1024\"",
      std::string("seta image_usePrecompressedTextures \"") + compression + "\"",
      ultra ? "seta image_useNormalCompression \"0\"" : "seta image_useNormalCompression \"2\"",
      std::string("seta image_useCompression \"") + compression + "\"",
      ultra ? "seta com_machineSpec \"3\"" : "seta com_machineSpec \"2\"",
      "seta cm_backFaceCull \"0\"",
      ultra ? "seta g_brassTime \"2\"" : "seta g_brassTime \"1\"",
      "seta g_showPlayerShadow \"1\"",
      "seta r_shadows \"1\"",
      "seta r_skipSpecular \"0\"",
      "seta r_skipBump \"0\"",
      "seta r_swapInterval \"0\"",
      "seta r_znear \"4\"",
      kMultiSampleRow,
      kAnisotropyRow,
  };
}

std::vector<std::string> Template(int quality) {
  switch (quality) {
    case 0: return LowMediumTemplate(false);
    case 1: return LowMediumTemplate(true);
    case 2: return HighUltraTemplate(false);
    case 3: return HighUltraTemplate(true);
    default: return {};
  }
}

constexpr std::array<const char*, 4> kQualitySummary = {"Quality: Low", "Quality: Medium", "Quality: High",
                                                        "Quality: Ultra"};
constexpr std::array<const char*, 6> kLevelNumbers = {"0", "2", "4", "8", "16", ""};

std::string LevelName(int index) {
  if (index == 0) return "None";
  if (index == 5) return "From System";
  return std::string(kLevelNumbers[static_cast<std::size_t>(index)]) + kTimesText;
}

bool IsLevelLine(const std::string& line, std::string_view prefix) {
  if (line.empty()) return true;
  for (int i = 0; i < 5; ++i) {
    if (line == std::string(prefix) + kLevelNumbers[static_cast<std::size_t>(i)]) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> PresetLines(int quality, const std::string& ambientLightLine,
                                     const std::string& multiSampleLine, const std::string& anisotropyLine) {
  std::vector<std::string> lines = Template(quality);
  for (auto& line : lines) {
    if (line == kAmbientRow) line = ambientLightLine;
    else if (line == kMultiSampleRow) line = multiSampleLine;
    else if (line == kAnisotropyRow) line = anisotropyLine;
  }
  return lines;
}

bool IsWrittenConfiguration(std::string_view content) {
  if (!EndsWith(content, "\r\n")) return false;
  const std::vector<std::string> lines = SplitLines(content);
  for (int quality = 0; quality < 4; ++quality) {
    const std::vector<std::string> pattern = Template(quality);
    if (pattern.size() != lines.size()) continue;
    bool same = true;
    for (std::size_t i = 0; same && i < lines.size(); ++i) {
      const std::string& line = lines[i];
      if (pattern[i] == kAmbientRow) {
        same = StartsWith(line, "seta r_forceAmbient \"") && EndsWith(line, "\"") && line.size() >= 22;
      } else if (pattern[i] == kMultiSampleRow) {
        same = IsLevelLine(line, "seta r_multiSamples ");
      } else if (pattern[i] == kAnisotropyRow) {
        same = IsLevelLine(line, "seta image_anisotropy ");
      } else {
        same = line == pattern[i];
      }
    }
    if (same) return true;
  }
  return false;
}

std::string SmpConsoleCommand(bool smpChecked) { return smpChecked ? "r_useSMP 1" : "r_useSMP 0"; }

void ConfigWriter::BuildSmpSummary(bool smpChecked) {
  ConfigSummary.Smp = smpChecked ? "Symmetric MultiProcessing (SMP): enabled"
                                 : "Symmetric MultiProcessing (SMP): disabled";
}

void ConfigWriter::BuildAmbientLightLine(bool ambientLightChecked, const std::string& value) {
  if (ambientLightChecked) {
    // The level is typed text: a quotation mark or line break in it would end the value
    // and hand the rest to the game's console as commands of its own.
    std::string level;
    for (char c : value) {
      if (c != '"' && c != '\r' && c != '\n') level += c;
    }
    AmbientLightLine = "seta r_forceAmbient \"" + level + "\"";
    ConfigSummary.AmbientLight = "Force Ambient Light: enabled, value: " + value;
  } else {
    AmbientLightLine = "seta r_forceAmbient \"0\"";
    ConfigSummary.AmbientLight = "Force Ambient Light: disabled";
  }
}

void ConfigWriter::BuildFilteringLines(int antialiasingIndex, int filteringIndex) {
  if (antialiasingIndex >= 0 && antialiasingIndex <= 5) {
    const std::string number = kLevelNumbers[static_cast<std::size_t>(antialiasingIndex)];
    MultiSampleLine = antialiasingIndex == 5 ? std::string() : "seta r_multiSamples " + number;
    ConfigSummary.Antialiasing = "Antialiasing: " + LevelName(antialiasingIndex);
  }
  if (filteringIndex >= 0 && filteringIndex <= 5) {
    const std::string number = kLevelNumbers[static_cast<std::size_t>(filteringIndex)];
    AnisotropyLine = filteringIndex == 5 ? std::string() : "seta image_anisotropy " + number;
    ConfigSummary.Filtering = "Anisotropic filtering: " + LevelName(filteringIndex);
  }
}

void ConfigWriter::BuildAspectArgument(int aspectIndex) {
  if (aspectIndex == 0) {
    AspectArgument = game::kAspectStandardArgument;
    ConfigSummary.AspectRatio = "Aspect Ratio: [4:3]";
  } else if (aspectIndex == 1) {
    AspectArgument = game::kAspectWideArgument;
    ConfigSummary.AspectRatio = "Aspect Ratio: [16:9]";
  }
}

bool ConfigWriter::IsOwnFile(const std::string& path) {
  const auto read = files_.ReadFile(path);
  if (!read.ok) return false;
  return (written_ && read.data == *written_) || IsWrittenConfiguration(read.data);
}

std::string AutoexecBackupName(int n) {
  if (n <= 0) return game::kAutoexecBackup;
  return "autoexec_old" + IntToStr(n) + ".cfg";
}

int HighestAutoexecBackup(platform::IFileSystem& files, const std::string& gameBasePath) {
  int highest = 0;
  for (const auto& name : files.ListFiles(gameBasePath, "autoexec_old*.cfg")) {
    const std::string lower = ToLowerAscii(name);
    // The system's wildcard also matches through short names: only the exact form counts.
    if (!StartsWith(lower, "autoexec_old") || !EndsWith(lower, ".cfg") || lower.size() < 16) continue;
    const std::string digits = lower.substr(12, lower.size() - 12 - 4);
    int n = 0;
    const bool allDigits = !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos;
    if (allDigits && digits.size() < 6 && TryStrToInt(digits, n) && n > highest) highest = n;
  }
  return highest;
}

// An earlier autoexec_old.cfg is the user's too and is never replaced: the current file
// goes to the next numbered name, above every one there, so the start-up after a killed
// run knows which one to put back. A later autoexec.cfg is one this program wrote and is
// simply overwritten. A file of the user's that cannot be put aside is not overwritten.
void ConfigWriter::BackupAutoexec(const std::string& gameBasePath) {
  const std::string current = gameBasePath + game::kAutoexec;
  if (!files_.FileExists(current) || IsOwnFile(current)) return;
  std::string name = game::kAutoexecBackup;
  if (files_.FileExists(gameBasePath + name)) name = AutoexecBackupName(HighestAutoexecBackup(files_, gameBasePath) + 1);
  const std::string backup = gameBasePath + name;
  if (Journal && !files_.FileExists(backup)) {
    Journal->Begin(gameBasePath);
    Journal->NoteAside(game::kAutoexec, name, false);
  }
  if (!files_.FileExists(backup)) files_.ShellMove(current, backup, kFileOpTitle);
  if (files_.FileExists(current) || !files_.FileExists(backup)) {
    throw Error(FormatMessageText("Cannot create file \"%s\". %s", current,
                                  "The existing file could not be moved to " + name + "."));
  }
  AutoexecBackup = name;
}

void ConfigWriter::WriteAutoexec(int qualityIndex, LineList& gameConfigLines, const std::string& gameBasePath) {
  BackupAutoexec(gameBasePath);
  if (qualityIndex >= 0 && qualityIndex <= 3) {
    ConfigSummary.Quality = kQualitySummary[static_cast<std::size_t>(qualityIndex)];
    gameConfigLines.Clear();
    for (auto& line : PresetLines(qualityIndex, AmbientLightLine, MultiSampleLine, AnisotropyLine)) {
      gameConfigLines.Add(std::move(line));
    }
  }
  if (Journal) {
    Journal->Begin(gameBasePath);
    Journal->NoteWritten(game::kAutoexec);
  }
  gameConfigLines.SaveToFile(files_, gameBasePath + game::kAutoexec);
  written_ = gameConfigLines.Text();
}

}  // namespace dx
