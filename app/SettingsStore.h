#pragma once
// Finding the game and loading every stored value into the main window's controls.
#include <array>
#include <string>

#include "common/SettingsNames.h"
#include "platform/Paths.h"

namespace dx {

class SharedRegistry;
class TForm1;

namespace settings {

// The nine presets' mode texts, in the order of their value names.
inline constexpr std::array<const char*, 9> kResolutionModeTexts = {
    "640 x 480",   "800 x 600",  "1024 x 768",  "1280 x 1024", "1600 x 1200",
    "2048 x 1536", "1280 x 768", "1920 x 1080", "1920 x 1200"};

// Where the results go when no stored folder exists, below the program's folder.
inline constexpr const char* kDefaultResultsFolder = "Benchmark\\";

}  // namespace settings

// Opens the settings key without creating it and writes the value. Throws dx::Error
// "Failed to set data for '%s'" when the key does not open or refuses the value.
void StoreSetting(SharedRegistry& registry, const std::string& name, const std::string& value);

// The game folder from the game's own entries: version "1.3" records it in InstallPath,
// later versions the path of their 11-character install log inside it.
std::string GamePathFromInstallation(const std::string& version, const std::string& installPath,
                                     const std::string& installLog);
// A chosen folder as a path that ends in one backslash (a drive root already does).
std::string FolderChoiceText(const std::string& chosen);

// Start-up's game detection: when the game's key opens and holds "Version", the settings
// load runs. Returns whether it ran.
bool DetectGameAndLoad(TForm1& form);
// Game detection and settings load, with the game's key open and holding "Version".
void LoadSettings(TForm1& form);

}  // namespace dx
