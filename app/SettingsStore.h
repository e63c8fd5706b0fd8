#pragma once
// The settings key, its values, finding the game and loading every stored value into
// the main window's controls.
#include <array>
#include <string>

namespace dx {

class SharedRegistry;
class TForm1;

namespace settings {

inline constexpr const char* kSettingsKey = "\\SOFTWARE\\Tamberlin\\Dextrel";
// The same key as the load opens it, after closing the game's key.
inline constexpr const char* kSettingsKeyRelative = "SOFTWARE\\Tamberlin\\Dextrel";

inline constexpr const char* kPath = "Path";
inline constexpr const char* kCusW = "CusW";
inline constexpr const char* kCusH = "CusH";
inline constexpr const char* kCusRes = "CusRes";
inline constexpr const char* kRunNumber = "RunNumber";
inline constexpr const char* kAspectRatio = "AspectRatio";
inline constexpr const char* kSmp = "SMP";
inline constexpr const char* kForceAmbientLight = "ForceAmbientLight";
inline constexpr const char* kAmbientLightV = "AmbientLightV";
inline constexpr const char* kDemo = "Demo";
inline constexpr const char* kDemoname = "Demoname";
inline constexpr const char* kQuality = "Quality";
inline constexpr const char* kResultPath = "ResultPath";
inline constexpr const char* kAFLevel = "AFLevel";
inline constexpr const char* kAALevel = "AALevel";
inline constexpr const char* kNote = "Note";
inline constexpr const char* kUseProxy = "UseProxy";
inline constexpr const char* kProxyServer = "ProxyServer";
inline constexpr const char* kProxyPort = "ProxyPort";
inline constexpr const char* kProxyUsername = "ProxyUsername";
inline constexpr const char* kProxyPassword = "ProxyPassword";
inline constexpr const char* kDisplayMemory = "Display Memory";
inline constexpr const char* kDriverVersion = "Driver Version";
inline constexpr const char* kSound = "Sound";
inline constexpr const char* kNews = "News";
// Minutes one game run may take before it is ended; missing means the default, "0" none.
inline constexpr const char* kRunTimeLimit = "RunTimeLimit";

// The nine presets in the order of the resolution group: value names and mode texts.
inline constexpr std::array<const char*, 9> kResolutionValues = {"640",  "800",  "1024", "1280", "1600",
                                                                  "2048", "hdw1", "hdw2", "hdw3"};
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
// The folder part of a file path, with its trailing backslash.
std::string ExtractFilePath(const std::string& path);

// Start-up's game detection: when the game's key opens and holds "Version", the settings
// load runs. Returns whether it ran.
bool DetectGameAndLoad(TForm1& form);
// Game detection and settings load, with the game's key open and holding "Version".
void LoadSettings(TForm1& form);

}  // namespace dx
