// The simulated game (tools/quake4) started the way Dextrel starts the real one: the
// unquoted command line in a game folder whose path holds a blank, read back through
// its console log, console dump and record file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/LineList.h"
#include "platform/FrameSection.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/Win32FrameCapture.h"
#include "tests/win32/TestSupport.h"

namespace dx {
namespace {

const char kHead[] = "quake4.exe +set logFile 1 +set com_showFPS 1 +set timescale 7 +set r_mode -1 ";
const char kDemo[] = "DEXTREL SIMULATED-GAME DEMO 1\r\nmap game/mp/q4dm1\r\nframes 2133\r\n";

const char* const kSwitches[] = {"DEXTREL_SIM_PLAY_MS", "DEXTREL_SIM_FPS",     "DEXTREL_SIM_SEED",
                                 "DEXTREL_SIM_FRAMES",  "DEXTREL_SIM_FAULT",   "DEXTREL_SIM_HANG_MS",
                                 "DEXTREL_SIM_WINDOW",  "DEXTREL_SIM_RECORD",  "DEXTREL_SIM_FRAME_PLAN",
                                 platform::kFrameSectionVariable};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Without(std::string text, const std::string& set) {
  std::string kept;
  for (char c : text) {
    if (set.find(static_cast<char>(std::toupper(static_cast<unsigned char>(c)))) == std::string::npos) kept.push_back(c);
  }
  return kept;
}

// The rate as the program cuts it from a log: seven characters after "seconds =".
// Negative when the marker is missing.
double TimedDemoRate(const std::string& log) {
  const std::size_t at = Lower(log).find("seconds =");
  if (at == std::string::npos) return -1;
  return std::atof(Without(log.substr(at + 9, 7), " =FPS:").c_str());
}

// The rate as the program cuts it from a console dump: the line before the stop line.
double NetDemoRate(const std::string& dump, const std::string& demo) {
  const auto lines = dx::SplitLines(dump);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (Lower(lines[i]) != Lower("stopped demo playback of 'demos/" + demo + "'")) continue;
    const std::size_t at = Lower(lines[i - 1]).find("ms: ");
    if (at == std::string::npos) return -1;
    return std::atof(Without(lines[i - 1].substr(at + 3, 6), " =MFPS:").c_str());
  }
  return -1;
}

class SimulatedGame : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kSwitches) ::SetEnvironmentVariableA(name, nullptr);
    game_ = temp_.path() + "Quake 4\\";
    base_ = game_ + "q4base\\";
    ASSERT_TRUE(::CreateDirectoryA(game_.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA(base_.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((base_ + "Demos").c_str(), nullptr));
    ASSERT_TRUE(::CopyFileA(test::BuiltProgram("quake4.exe").c_str(), (game_ + "quake4.exe").c_str(), FALSE));
    test::WriteWholeFile(base_ + "Demos\\VKRdemo.demo", kDemo);
    Switch("DEXTREL_SIM_PLAY_MS", "0");
    Switch("DEXTREL_SIM_WINDOW", "none");
    Switch("DEXTREL_SIM_RECORD", temp_.path() + "record.txt");
  }
  void TearDown() override {
    for (const char* name : kSwitches) ::SetEnvironmentVariableA(name, nullptr);
  }

  void Switch(const char* name, const std::string& value) { ::SetEnvironmentVariableA(name, value.c_str()); }

  std::string TimedLine(int width, int height, const std::string& demo = "VKRdemo.demo",
                        const std::string& aspect = "+set r_aspectRatio 0") const {
    return game_ + kHead + aspect + " +set r_customWidth " + std::to_string(width) + " +set r_customHeight " +
           std::to_string(height) + " +timedemoquit " + demo;
  }
  std::string NetLine(int width, int height) const {
    return game_ + kHead + "+set r_aspectRatio 1 +set r_customWidth " + std::to_string(width) +
           " +set r_customHeight " + std::to_string(height) + " +exec VKRBnetdemo.cfg";
  }
  void WriteHighAutoexec(const std::string& multiSamples = "seta r_multiSamples 0",
                         const std::string& anisotropy = "seta image_anisotropy 0") {
    test::WriteWholeFile(base_ + "autoexec.cfg",
                         "seta r_shadows \"1\"\r\nseta bse_scale \"1\"\r\nseta r_forceAmbient \"0.3\"\r\n"
                         "seta image_downSize \"0\"\r\nseta com_machineSpec \"2\"\r\nseta g_brassTime \"1\"\r\n" +
                             multiSamples + "\r\n" + anisotropy + "\r\n");
  }

  // Starts the game as the runner does: program path given apart, the command line
  // unchanged, the game folder current, the first window asked to stay hidden.
  DWORD Run(const std::string& commandLine, DWORD timeoutMs = 30000, DWORD* processId = nullptr) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USEPOSITION | STARTF_USESIZE;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    const std::string program = game_ + "quake4.exe";
    if (!::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                          game_.c_str(), &si, &pi)) {
      ADD_FAILURE() << "quake4.exe did not start: " << ::GetLastError();
      return 0xFFFFFFFF;
    }
    if (processId) *processId = pi.dwProcessId;
    DWORD code = 0xDEAD;
    if (::WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
      ::GetExitCodeProcess(pi.hProcess, &code);
    } else {
      ::TerminateProcess(pi.hProcess, 0xDEAD);
      ::WaitForSingleObject(pi.hProcess, 5000);
    }
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code;
  }

  bool Exists(const std::string& name) const { return ::GetFileAttributesA((base_ + name).c_str()) != INVALID_FILE_ATTRIBUTES; }
  std::string Base(const std::string& name) const { return test::ReadWholeFile(base_ + name); }
  std::string Record() const { return test::ReadWholeFile(temp_.path() + "record.txt"); }
  bool RecordHas(const std::string& line) const {
    const auto lines = dx::SplitLines(Record());
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  double RateAt(int width, int height) {
    ::DeleteFileA((base_ + "qconsole.log").c_str());
    EXPECT_EQ(Run(TimedLine(width, height)), 0u);
    return TimedDemoRate(Base("qconsole.log"));
  }

  test::TempFolder temp_;
  std::string game_;
  std::string base_;
};

TEST_F(SimulatedGame, TimedDemoLogsTheEngineResultLineAndRecordsTheCommandLineByteForByte) {
  WriteHighAutoexec("seta r_multiSamples 4", "seta image_anisotropy 16");
  Switch("DEXTREL_SIM_FPS", "61.5");
  const std::string line = TimedLine(640, 480);
  EXPECT_EQ(Run(line), 0u);

  const std::string log = Base("qconsole.log");
  EXPECT_NE(log.find("\n2133 frames rendered in 34.7 seconds = 61.5 fps\n"), std::string::npos) << log;
  EXPECT_LT(log.find("execing autoexec.cfg"), log.find("frames rendered"));
  EXPECT_DOUBLE_EQ(TimedDemoRate(log), 61.5);

  EXPECT_TRUE(RecordHas("commandline=" + line)) << Record();
  EXPECT_TRUE(RecordHas("folder=" + game_.substr(0, game_.size() - 1))) << Record();
  EXPECT_TRUE(RecordHas("exec=autoexec.cfg"));
  EXPECT_TRUE(RecordHas("demo=VKRdemo.demo"));
  for (const char* cvar : {"cvar logFile=1", "cvar com_showFPS=1", "cvar timescale=7", "cvar r_mode=-1",
                           "cvar r_aspectRatio=0", "cvar r_customWidth=640", "cvar r_customHeight=480",
                           "cvar r_forceAmbient=0.3", "cvar r_multiSamples=4", "cvar image_anisotropy=16",
                           "cvar com_machineSpec=2"}) {
    EXPECT_TRUE(RecordHas(cvar)) << cvar << "\n" << Record();
  }
  EXPECT_TRUE(RecordHas("exit=0"));
}

TEST_F(SimulatedGame, AGameFolderWhosePathLooksLikeAProgramWithArgumentsIsNoPartOfTheArguments) {
  game_ = temp_.path() + "setup.exe +mods\\Quake 4\\";
  base_ = game_ + "q4base\\";
  ASSERT_TRUE(::CreateDirectoryA((temp_.path() + "setup.exe +mods").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA(game_.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA(base_.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA((base_ + "Demos").c_str(), nullptr));
  ASSERT_TRUE(::CopyFileA(test::BuiltProgram("quake4.exe").c_str(), (game_ + "quake4.exe").c_str(), FALSE));
  test::WriteWholeFile(base_ + "Demos\\VKRdemo.demo", kDemo);
  EXPECT_EQ(Run(TimedLine(1920, 1200, "VKRdemo.demo", "+set r_aspectRatio 1")), 0u);
  EXPECT_TRUE(RecordHas("cvar r_customWidth=1920")) << Record();
  EXPECT_TRUE(RecordHas("cvar r_aspectRatio=1")) << Record();
  EXPECT_EQ(Record().find("cvar mods"), std::string::npos) << Record();
  EXPECT_GT(TimedDemoRate(Base("qconsole.log")), 0);
}

TEST_F(SimulatedGame, CommandLineValuesWinOverAutoexecAndTheSavedConfigKeepsArchivedValues) {
  test::WriteWholeFile(base_ + "Quake4Config.cfg", "seta ui_name \"Player\"\nseta r_multiSamples \"2\"\n");
  test::WriteWholeFile(base_ + "autoexec.cfg", "seta r_customWidth \"999\"\r\nseta r_multiSamples 8\r\n// note\r\n");
  EXPECT_EQ(Run(TimedLine(800, 600)), 0u);
  EXPECT_TRUE(RecordHas("cvar r_customWidth=800")) << Record();
  EXPECT_TRUE(RecordHas("cvar r_multiSamples=8")) << Record();
  EXPECT_TRUE(RecordHas("exec=Quake4Config.cfg"));
  // The game rewrites its saved configuration on the way out, as the real one does.
  const std::string saved = Base("Quake4Config.cfg");
  EXPECT_NE(saved.find("seta ui_name \"Player\""), std::string::npos) << saved;
  EXPECT_NE(saved.find("seta r_multiSamples \"8\""), std::string::npos) << saved;
  EXPECT_EQ(saved.find("r_mode"), std::string::npos) << saved;  // set, not seta
}

TEST_F(SimulatedGame, NetDemoScriptDumpsTheConsoleWithTheRateLineBeforeTheStopLine) {
  test::WriteWholeFile(base_ + "Demos\\x.netdemo", kDemo);
  test::WriteWholeFile(base_ + "VKRBnetdemo.cfg",
                       "playnettimedemo x.netdemo\r\nWait 3000\r\nConDump VKRnetdemo.txt\r\nexit\r\n");
  Switch("DEXTREL_SIM_FPS", "123.4");
  const std::string line = NetLine(1280, 768);
  EXPECT_EQ(Run(line), 0u);

  ASSERT_TRUE(Exists("VKRnetdemo.txt"));
  const std::string dump = Base("VKRnetdemo.txt");
  EXPECT_DOUBLE_EQ(NetDemoRate(dump, "x.netdemo"), 123.4) << dump;
  EXPECT_EQ(TimedDemoRate(Base("qconsole.log")), -1);  // a net demo leaves no timed-demo line
  EXPECT_TRUE(RecordHas("commandline=" + line));
  EXPECT_TRUE(RecordHas("exec=VKRBnetdemo.cfg"));
  EXPECT_TRUE(RecordHas("cvar r_aspectRatio=1"));
  EXPECT_NE(Base("qconsole.log").find("Dumped console text to VKRnetdemo.txt."), std::string::npos);
}

TEST_F(SimulatedGame, AMissingDemoIsRefusedWithTheEngineLinesAndNoResult) {
  EXPECT_EQ(Run(TimedLine(640, 480, "Nothing.demo")), 0u);
  const std::string log = Base("qconsole.log");
  EXPECT_NE(log.find("couldn't open demos/Nothing.demo"), std::string::npos) << log;
  EXPECT_EQ(TimedDemoRate(log), -1);
  EXPECT_TRUE(RecordHas("result=none (no demo)"));

  // The demo folder is searched without regard to case.
  EXPECT_EQ(Run(TimedLine(640, 480, "vkrDEMO.demo")), 0u);
  EXPECT_GT(TimedDemoRate(Base("qconsole.log")), 0);

  // An empty file is no demo this version can play.
  test::WriteWholeFile(base_ + "Demos\\empty.demo", "");
  EXPECT_EQ(Run(TimedLine(640, 480, "empty.demo")), 0u);
  EXPECT_EQ(TimedDemoRate(Base("qconsole.log")), -1);

  // A net demo that is missing still gets its dump, without the stop line.
  test::WriteWholeFile(base_ + "VKRBnetdemo.cfg",
                       "playnettimedemo gone.netdemo\r\nWait 3000\r\nConDump VKRnetdemo.txt\r\nexit\r\n");
  EXPECT_EQ(Run(NetLine(640, 480)), 0u);
  const std::string dump = Base("VKRnetdemo.txt");
  EXPECT_NE(dump.find("couldn't open demos/gone.netdemo"), std::string::npos) << dump;
  EXPECT_EQ(NetDemoRate(dump, "gone.netdemo"), -1);
}

TEST_F(SimulatedGame, FaultSwitchesCrashLoseTheLogOrTheResult) {
  Switch("DEXTREL_SIM_FAULT", "crash");
  EXPECT_EQ(Run(TimedLine(640, 480)), 0xC0000005u);
  ASSERT_TRUE(Exists("qconsole.log"));
  EXPECT_NE(Base("qconsole.log").find("----- Initializing Demo -----"), std::string::npos);
  EXPECT_EQ(TimedDemoRate(Base("qconsole.log")), -1);
  EXPECT_FALSE(RecordHas("exit=0"));

  ::DeleteFileA((base_ + "qconsole.log").c_str());
  Switch("DEXTREL_SIM_FAULT", "crash-early");
  EXPECT_EQ(Run(TimedLine(640, 480)), 0xC0000005u);
  EXPECT_FALSE(Exists("qconsole.log"));

  Switch("DEXTREL_SIM_FAULT", "nolog");
  EXPECT_EQ(Run(TimedLine(640, 480)), 0u);
  EXPECT_FALSE(Exists("qconsole.log"));

  Switch("DEXTREL_SIM_FAULT", "noresult");
  EXPECT_EQ(Run(TimedLine(640, 480)), 0u);
  ASSERT_TRUE(Exists("qconsole.log"));
  EXPECT_EQ(TimedDemoRate(Base("qconsole.log")), -1);

  test::WriteWholeFile(base_ + "Demos\\x.netdemo", kDemo);
  test::WriteWholeFile(base_ + "VKRBnetdemo.cfg",
                       "playnettimedemo x.netdemo\r\nWait 3000\r\nConDump VKRnetdemo.txt\r\nexit\r\n");
  EXPECT_EQ(Run(NetLine(640, 480)), 0u);
  EXPECT_TRUE(Exists("VKRnetdemo.txt"));
  EXPECT_EQ(NetDemoRate(Base("VKRnetdemo.txt"), "x.netdemo"), -1);
}

TEST_F(SimulatedGame, WithoutLogFileOneThereIsNoLog) {
  const std::string line = game_ + "quake4.exe +set logFile 0 +set r_mode -1 +set r_customWidth 640 "
                                   "+set r_customHeight 480 +timedemoquit VKRdemo.demo";
  EXPECT_EQ(Run(line), 0u);
  EXPECT_FALSE(Exists("qconsole.log"));
  EXPECT_NE(Record().find("result=2133 frames rendered in "), std::string::npos) << Record();
}

TEST_F(SimulatedGame, PlayingAndHangingTakeRealTime) {
  Switch("DEXTREL_SIM_PLAY_MS", "700");
  DWORD start = ::GetTickCount();
  EXPECT_EQ(Run(TimedLine(640, 480)), 0u);
  EXPECT_GE(::GetTickCount() - start, 700u);

  Switch("DEXTREL_SIM_PLAY_MS", "0");
  Switch("DEXTREL_SIM_FAULT", "hang");
  Switch("DEXTREL_SIM_HANG_MS", "60000");
  // Still running when the test gives up on it.
  EXPECT_EQ(Run(TimedLine(640, 480), 1500), 0xDEADu);
  EXPECT_EQ(TimedDemoRate(Base("qconsole.log")), -1);

  Switch("DEXTREL_SIM_HANG_MS", "800");
  start = ::GetTickCount();
  EXPECT_EQ(Run(TimedLine(640, 480)), 0u);
  EXPECT_GE(::GetTickCount() - start, 800u);
  EXPECT_GT(TimedDemoRate(Base("qconsole.log")), 0);  // after the hang the demo ends normally
}

TEST_F(SimulatedGame, HigherResolutionOrQualityGivesALowerRateAndTheSeedRepeatsIt) {
  WriteHighAutoexec();
  Switch("DEXTREL_SIM_SEED", "7");
  const double r640 = RateAt(640, 480);
  const double r1024 = RateAt(1024, 768);
  const double r1280 = RateAt(1280, 1024);
  const double r1600 = RateAt(1600, 1200);
  const double r2048 = RateAt(2048, 1536);
  EXPECT_GT(r640, r1024);
  EXPECT_GT(r1024, r1280);
  EXPECT_GT(r1280, r1600);
  EXPECT_GT(r1600, r2048);
  EXPECT_GT(r1024, 75);  // a card of a few years ago, high quality
  EXPECT_LT(r1024, 105);
  EXPECT_EQ(RateAt(1024, 768), r1024);

  WriteHighAutoexec("seta r_multiSamples 4", "seta image_anisotropy 8");
  EXPECT_LT(RateAt(1024, 768), r1024);
  test::WriteWholeFile(base_ + "autoexec.cfg", "seta com_machineSpec \"1\"\r\nseta image_downSize \"1\"\r\n");
  EXPECT_GT(RateAt(1024, 768), r1024);
  test::WriteWholeFile(base_ + "autoexec.cfg", "seta com_machineSpec \"3\"\r\nseta image_useCompression \"0\"\r\n");
  EXPECT_LT(RateAt(1024, 768), r1024);
}

TEST_F(SimulatedGame, TheCaptureLibraryStampsEveryPlannedFrameAndAFailedLoadEndsTheGameAsTheEngineDoes) {
  // 120 demo frames: 59 of 4 ms, then one of 800 ms, twice, after six loading frames. The
  // long frames are long enough that a busy machine's scheduling delays stay well inside 3 %.
  test::WriteWholeFile(temp_.path() + "plan.txt", "# stutters\r\nloading 6 8\r\n59 4\r\n1 800\r\n");
  Switch("DEXTREL_SIM_FRAME_PLAN", temp_.path() + "plan.txt");
  Switch("DEXTREL_SIM_FRAMES", "120");
  win32::Win32FrameCapture capture;
  const platform::FrameSectionResult created = capture.CreateSection();
  ASSERT_TRUE(created.section) << created.errorText;
  EXPECT_EQ(created.section->Name().rfind(platform::kFrameSectionPrefix, 0), 0u) << created.section->Name();
  EXPECT_NE(capture.CreateSection().section->Name(), created.section->Name());
  Switch(platform::kFrameSectionVariable, created.section->Name());
  const std::string driver = "+set r_glDriver \"" + test::BuiltProgram("DextrelFrames64.dll") + "\"";
  EXPECT_EQ(Run(TimedLine(640, 480, "VKRdemo.demo", "+set r_aspectRatio 0 " + driver)), 0u);

  const platform::FrameStamps read = created.section->Read();
  ASSERT_TRUE(read.ok) << read.errorText;
  EXPECT_TRUE(read.redirected);
  EXPECT_FALSE(read.overflow);
  ASSERT_GT(read.frequency, 0);
  // Each frame once: the loading frames, then the demo's.
  ASSERT_EQ(read.stamps.size(), 126u);
  double total = 0, longest = 0;
  for (std::size_t i = read.stamps.size() - 120; i < read.stamps.size(); ++i) {
    const double ms = 1000.0 * static_cast<double>(read.stamps[i] - read.stamps[i - 1]) / read.frequency;
    total += ms;
    longest = std::max(longest, ms);
  }
  const double planned = (118 * 4 + 2 * 800) / 120.0;
  EXPECT_NEAR(total / 120, planned, planned * 0.03);
  EXPECT_NEAR(longest, 800, 800 * 0.03);
  // The game's own rate and the captured one tell the same story.
  const double printed = TimedDemoRate(Base("qconsole.log"));
  EXPECT_NEAR(printed, 120 / (total / 1000), printed * 0.02) << Base("qconsole.log");
  EXPECT_TRUE(RecordHas("exit=0"));

  // Without the variable the library stays out of the way: the game plays, nothing is stamped.
  Switch(platform::kFrameSectionVariable, "");
  EXPECT_EQ(Run(TimedLine(640, 480, "VKRdemo.demo", "+set r_aspectRatio 0 " + driver)), 0u);
  EXPECT_GT(TimedDemoRate(Base("qconsole.log")), 0);
  EXPECT_EQ(created.section->Read().stamps.size(), 126u);

  // A full section stops the stamps and says so; the game plays on. Four loading frames
  // without a plan meet room for two.
  Switch("DEXTREL_SIM_FRAME_PLAN", "");
  const std::string smallName = platform::kFrameSectionPrefix + std::string("small-") + std::to_string(::GetCurrentProcessId());
  win32::ScopedHandle small(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                 platform::FrameSectionBytes(2), smallName.c_str()));
  ASSERT_TRUE(small);
  win32::ScopedView view(::MapViewOfFile(small.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
  ASSERT_TRUE(view);
  auto* header = static_cast<platform::FrameSectionHeader*>(view.get());
  *header = {platform::kFrameSectionMagic, platform::kFrameSectionVersion, 2, 0, 0, 0, 0, {}};
  Switch(platform::kFrameSectionVariable, smallName);
  EXPECT_EQ(Run(TimedLine(640, 480, "VKRdemo.demo", "+set r_aspectRatio 0 " + driver)), 0u);
  EXPECT_GT(TimedDemoRate(Base("qconsole.log")), 0);
  EXPECT_EQ(header->count, 2u);
  EXPECT_EQ(header->overflow, 1u);

  // A library that does not load is fatal, without a result.
  ::DeleteFileA((base_ + "qconsole.log").c_str());
  EXPECT_EQ(Run(TimedLine(640, 480, "VKRdemo.demo", "+set r_glDriver \"" + temp_.path() + "none.dll\"")), 1u);
  const std::string log = Base("qconsole.log");
  EXPECT_NE(log.find("\nGLimp_Init() could not load r_glDriver\n"), std::string::npos) << log;
  EXPECT_EQ(TimedDemoRate(log), -1);
  EXPECT_TRUE(RecordHas("result=none (r_glDriver)")) << Record();
}

// The window of the process with the game's class, visible or not.
HWND GameWindowOf(DWORD processId) {
  for (int i = 0; i < 200; ++i) {
    HWND found = nullptr;
    while ((found = ::FindWindowExA(nullptr, found, "DextrelQuake4Sim", nullptr)) != nullptr) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(found, &owner);
      if (owner == processId) return found;
    }
    ::Sleep(50);
  }
  return nullptr;
}

TEST_F(SimulatedGame, TheWindowShowsWhileTheDemoPlaysEvenWhenStartedHiddenUnlessToldToFollowTheStartup) {
  for (const std::string mode : {"shown", "startup"}) {
    Switch("DEXTREL_SIM_WINDOW", mode);
    Switch("DEXTREL_SIM_PLAY_MS", "20000");
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    std::string line = TimedLine(640, 480);
    ASSERT_TRUE(::CreateProcessA((game_ + "quake4.exe").c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 game_.c_str(), &si, &pi));
    EXPECT_EQ(::WaitForInputIdle(pi.hProcess, 20000), 0u) << mode;
    HWND window = GameWindowOf(pi.dwProcessId);
    ASSERT_NE(window, nullptr) << mode;
    char title[64] = {};
    ::GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Quake 4");
    EXPECT_EQ(::IsWindowVisible(window) != FALSE, mode == "shown") << mode;
    // Closing the window ends the game early, without a result.
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(pi.hProcess, 15000), WAIT_OBJECT_0) << mode;
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    ::TerminateProcess(pi.hProcess, 0xDEAD);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    EXPECT_EQ(TimedDemoRate(Base("qconsole.log")), -1);
  }
}

}  // namespace
}  // namespace dx
