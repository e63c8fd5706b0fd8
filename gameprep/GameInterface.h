#pragma once
// What the system relies on of the game: its registry entries, folders, files, command
// line fragments and the lines it writes into its logs.
namespace dx::game {

// Installation, under HKEY_LOCAL_MACHINE.
inline constexpr const char* kGameKey = "\\SOFTWARE\\id\\Quake 4";
inline constexpr const char* kVersionValue = "Version";
inline constexpr const char* kInstallPathValue = "InstallPath";
inline constexpr const char* kInstallLogValue = "InstallLog";
// The one version whose installer records the folder itself; later ones record the
// path of their install log, a file name of this many characters inside the folder.
inline constexpr const char* kInstallPathVersion = "1.3";
inline constexpr unsigned kInstallLogNameLength = 11;

// Folders below the game folder, each ending in a backslash.
inline constexpr const char* kBaseFolder = "q4base\\";
inline constexpr const char* kDemoFolder = "q4base\\Demos\\";
// The program's own demo folder below its executable's folder.
inline constexpr const char* kProgramDemoFolder = "Demos\\";

// Files in the base folder.
inline constexpr const char* kAutoexec = "autoexec.cfg";
inline constexpr const char* kAutoexecBackup = "autoexec_old.cfg";
inline constexpr const char* kGameConfig = "Quake4Config.cfg";
inline constexpr const char* kGameConfigBackup = "Quake4Configold.cfg";
inline constexpr const char* kNetDemoScript = "VKRBnetdemo.cfg";
inline constexpr const char* kNetDemoDump = "VKRnetdemo.txt";
inline constexpr const char* kConsoleLog = "qconsole.log";

// Demos.
inline constexpr const char* kBuiltinDemo = "VKRdemo.demo";
inline constexpr const char* kNetDemoMarker = ".netdemo";  // compared case-sensitively

// The game's program in its folder; started by this full path, never by a search.
inline constexpr const char* kGameProgram = "quake4.exe";
// Command line: the game folder, then these fragments.
inline constexpr const char* kCommandLineHead =
    "quake4.exe +set logFile 1 +set com_showFPS 1 +set timescale 7 +set r_mode -1 ";
inline constexpr const char* kCustomWidthArgument = "+set r_customWidth";
inline constexpr const char* kCustomHeightArgument = "+set r_customHeight";
inline constexpr const char* kTimedDemoArgument = "+timedemoquit";
inline constexpr const char* kNetDemoArgument = "+exec VKRBnetdemo.cfg";
inline constexpr const char* kAspectStandardArgument = "+set r_aspectRatio 0";
inline constexpr const char* kAspectWideArgument = "+set r_aspectRatio 1";

// The net-demo script, one console command per line.
inline constexpr const char* kPlayNetTimedemo = "playnettimedemo";
inline constexpr const char* kNetDemoWait = "Wait 3000";
inline constexpr const char* kNetDemoConDump = "ConDump VKRnetdemo.txt";
inline constexpr const char* kNetDemoExit = "exit";

// Results.
inline constexpr const char* kTimedemoScoreMarker = "seconds =";
inline constexpr const char* kNetDemoStoppedMarker = "stopped demo playback of '";
inline constexpr const char* kNetDemoFolderMarker = "demos/";
inline constexpr const char* kNetDemoFrameMarker = "ms: ";

// The message of a run without a score names the patch level the built-in demo needs.
inline constexpr const char* kBuiltinDemoPatchLevel = "v1.4.1";

}  // namespace dx::game
