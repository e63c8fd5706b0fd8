// A stand-in for the DirectX diagnostic tool, for tests and for machines without it. It
// takes the tool's switches (/whql:on or /whql:off, /t FILE), shows no window and writes
// a text report in the tool's layout. Its content comes from the environment:
//   DXDIAG_CARD, DXDIAG_MEMORY, DXDIAG_DRIVER, DXDIAG_SOUND   the values reported
//   DXDIAG_CARD2                                              a second display device
//   DXDIAG_MODE   report (default) | none (no report) | nocard | nomemory | nodriver | nosound
//                 (the no... modes leave out that line; nosound every sound description)
//   DXDIAG_DELAY_MS  time taken before the report is written
//   DXDIAG_LOG    a file to which the command line and the current folder are appended
// Any other argument ends it with exit code 87 and no report.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Env(const char* name, const char* fallback) {
  char buffer[1024] = {};
  const DWORD length = ::GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return fallback;
  return std::string(buffer, length);
}

// The tool right-aligns every field name on its colon.
std::string Field(int width, const std::string& name, const std::string& value) {
  std::string label = name + ":";
  if (static_cast<int>(label.size()) < width) label.insert(0, static_cast<std::size_t>(width) - label.size(), ' ');
  return label + " " + value + "\r\n";
}

std::string Section(const std::string& title) {
  const std::string rule(title.size(), '-');
  return rule + "\r\n" + title + "\r\n" + rule + "\r\n";
}

std::string DisplayDevice(const std::string& card, const std::string& memory, const std::string& driver,
                          const std::string& mode, const char* key) {
  std::string text;
  if (mode != "nocard") text += Field(18, "Card name", card);
  text += Field(18, "Manufacturer", "ATI Technologies Inc.");
  text += Field(18, "Chip type", card + " (0x4A4A)");
  text += Field(18, "DAC type", "Internal DAC(400MHz)");
  text += Field(18, "Device Key", key);
  if (mode != "nomemory") text += Field(18, "Display Memory", memory);
  text += Field(18, "Current Mode", "1280 x 1024 (32 bit) (85Hz)");
  text += Field(18, "Monitor", "Plug and Play Monitor");
  text += Field(18, "Monitor Max Res", "1600,1200");
  text += Field(18, "Driver Name", "ati2dvag.dll");
  if (mode != "nodriver") text += Field(18, "Driver Version", driver);
  text += Field(18, "DDI Version", "9 (or higher)");
  text += Field(18, "Driver Attributes", "Final Retail");
  text += Field(18, "Driver Date/Size", "10/12/2005 11:38:00, 431104 bytes");
  text += Field(18, "WHQL Logo'd", "Yes");
  text += Field(18, "Mini VDD", "ati2mtag.sys");
  text += Field(18, "Vendor ID", "0x1002");
  text += Field(18, "Device ID", "0x4A4A");
  text += Field(18, "Video Accel", "ModeMPEG2_A ModeMPEG2_B ModeMPEG2_C ModeMPEG2_D ");
  text += Field(18, "Deinterlace Caps",
                "{6E8329FF-B642-418B-BCF0-BCB6591E255F}: Format(In/Out)=(YUY2,YUY2) Frame(Prev/Fwd/Back)=(0,0,1) "
                "Caps=VideoProcess_YUV2RGB VideoProcess_StretchX VideoProcess_StretchY DeinterlaceTech_PixelAdaptive");
  text += Field(18, "Registry", "OK");
  text += Field(18, "DDraw Status", "Enabled");
  text += Field(18, "D3D Status", "Enabled");
  text += Field(18, "AGP Status", "Enabled");
  text += Field(18, "DDraw Test Result", "Not run");
  text += Field(18, "D3D9 Test Result", "Not run");
  text += "\r\n";
  return text;
}

std::string Report() {
  const std::string mode = Env("DXDIAG_MODE", "report");
  const std::string card = Env("DXDIAG_CARD", "RADEON X800 XT");
  const std::string memory = Env("DXDIAG_MEMORY", "256.0 MB");
  const std::string driver = Env("DXDIAG_DRIVER", "6.14.0010.6575 (English)");
  const std::string sound = Env("DXDIAG_SOUND", "Realtek HD Audio output");
  const std::string card2 = Env("DXDIAG_CARD2", "");

  SYSTEMTIME now;
  ::GetLocalTime(&now);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%u/%u/%u, %02u:%02u:%02u", now.wMonth, now.wDay, now.wYear, now.wHour,
                now.wMinute, now.wSecond);
  char machine[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD machineLength = sizeof machine;
  ::GetComputerNameA(machine, &machineLength);
  char windowsDir[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windowsDir, sizeof windowsDir);

  std::string text = Section("System Information");
  text += Field(20, "Time of this report", stamp);
  text += Field(20, "Machine name", machine);
  text += Field(20, "Operating System", "Windows XP Professional (5.1, Build 2600) Service Pack 2");
  text += Field(20, "Language", "English (Regional Setting: English)");
  text += Field(20, "Processor", "AMD Athlon(tm) 64 Processor 3500+,  MMX,  3DNow, ~2.2GHz");
  text += Field(20, "Memory", "1024MB RAM");
  text += Field(20, "Page File", "250MB used, 2210MB available");
  text += Field(20, "Windows Dir", windowsDir);
  text += Field(20, "DirectX Version", "DirectX 9.0c (4.09.0000.0904)");
  text += Field(20, "DX Setup Parameters", "Not found");
  text += Field(20, "DxDiag Version", "5.03.2600.2180 32bit Unicode");
  text += "\r\n";
  text += Section("DxDiag Notes");
  text += Field(20, "DirectX Files Tab", "No problems found.");
  text += Field(20, "Display Tab 1", "No problems found.");
  text += Field(20, "Sound Tab 1", "No problems found.");
  text += Field(20, "Input Tab", "No problems found.");
  text += "\r\n";
  text += Section("DirectX Debug Levels");
  text += "Direct3D:    0/4 (n/a)\r\nDirectDraw:  0/4 (retail)\r\nDirectInput: 0/5 (n/a)\r\nDirectSound: 0/5 (retail)\r\n";
  text += "\r\n";
  text += Section("Display Devices");
  text += DisplayDevice(card, memory, driver, mode, "Enum\\PCI\\VEN_1002&DEV_4A4A&SUBSYS_00001002&REV_00");
  if (!card2.empty()) {
    text += DisplayDevice(card2, "128.0 MB", "6.14.0010.6576 (English)", "report",
                          "Enum\\PCI\\VEN_1002&DEV_4A6A&SUBSYS_00001002&REV_00");
  }
  text += Section("Sound Devices");
  if (mode != "nosound") text += Field(23, "Description", sound);
  text += Field(23, "Default Sound Playback", "Yes");
  text += Field(23, "Default Voice Playback", "Yes");
  text += Field(23, "Hardware ID", "HDAUDIO\\FUNC_01&VEN_10EC&DEV_0880&SUBSYS_10EC0880&REV_1000");
  text += Field(23, "Type", "WDM");
  text += Field(23, "Driver Name", "RtkHDAud.sys");
  text += Field(23, "Driver Version", "5.10.0000.5156 (English)");
  text += Field(23, "HW Accel Level", "Full");
  text += Field(23, "Min/Max Sample Rate", "100, 200000");
  text += "\r\n";
  text += Section("Sound Capture Devices");
  if (mode != "nosound") text += Field(17, "Description", "Realtek HD Audio Input");
  text += Field(17, "Driver Name", "RtkHDAud.sys");
  text += "\r\n";
  text += Section("DirectInput Devices");
  text += Field(18, "Device Name", "Mouse");
  text += Field(18, "Attached", "1");
  text += "\r\n";
  return text;
}

void Log(const std::string& path) {
  char folder[MAX_PATH] = {};
  ::GetCurrentDirectoryA(sizeof folder, folder);
  FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return;
  std::fprintf(file, "command=%s\r\nfolder=%s\r\n", ::GetCommandLineA(), folder);
  std::fclose(file);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string log = Env("DXDIAG_LOG", "");
  if (!log.empty()) Log(log);

  std::string reportPath;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (_stricmp(arg.c_str(), "/whql:on") == 0 || _stricmp(arg.c_str(), "/whql:off") == 0) continue;
    if (_stricmp(arg.c_str(), "/t") == 0 && i + 1 < argc && reportPath.empty()) {
      reportPath = argv[++i];
      continue;
    }
    return 87;
  }
  if (reportPath.empty()) return 87;

  const int delay = std::atoi(Env("DXDIAG_DELAY_MS", "0").c_str());
  if (delay > 0) ::Sleep(static_cast<DWORD>(delay));
  if (Env("DXDIAG_MODE", "report") == "none") return 0;

  const std::string text = Report();
  FILE* file = std::fopen(reportPath.c_str(), "wb");
  if (!file) return 5;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return (std::fclose(file) == 0 && written) ? 0 : 5;
}
