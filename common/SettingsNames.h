#pragma once
// The settings key and the names of its values, for every layer that reads or writes them.
#include <array>

namespace dx::settings {

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
inline constexpr const char* kFrameTimes = "FrameTimes";
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
// The highest serial of a verified update information file this machine has seen.
inline constexpr const char* kUpdateSerial = "UpdateSerial";

// The nine presets in the order of the resolution group.
inline constexpr std::array<const char*, 9> kResolutionValues = {"640",  "800",  "1024", "1280", "1600",
                                                                  "2048", "hdw1", "hdw2", "hdw3"};

}  // namespace dx::settings
