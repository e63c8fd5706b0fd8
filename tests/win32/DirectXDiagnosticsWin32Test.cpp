#include <gtest/gtest.h>

#include "common/SharedRegistry.h"
#include "common/LineList.h"
#include "common/Text.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32UiThread.h"
#include "sysinfo/DirectXDiagnostics.h"
#include "tests/doubles/FakeDisplay.h"
#include "tests/doubles/FakeInternet.h"
#include "tests/doubles/FakeLocaleClock.h"
#include "tests/doubles/FakeProcessor.h"
#include "tests/doubles/FakeShell.h"
#include "tests/doubles/FakeSystemMarks.h"
#include "tests/win32/TestSupport.h"

namespace dx {
namespace {

// The real processes, with a system folder of the test's own holding the stand-in tool.
class ProcessesWithToolFolder : public platform::IProcesses {
 public:
  // folder is read at every use: the test sets it up after construction.
  ProcessesWithToolFolder(win32::Win32Processes& real, const std::string& folder) : real_(real), folder_(folder) {}
  platform::ProcessStartResult Start(const platform::ProcessStartRequest& request,
                                     std::function<void(std::uint32_t)> onExit) override {
    return real_.Start(request, std::move(onExit));
  }
  bool IsRunning(const platform::ProcessIdentity& process) override { return real_.IsRunning(process); }
  std::unique_ptr<platform::IProcessWait> WaitForEnd(const platform::ProcessIdentity& process,
                                                     std::function<void()> onEnded) override {
    return real_.WaitForEnd(process, std::move(onEnded));
  }
  std::string SystemFolder() override { return folder_; }

 private:
  win32::Win32Processes& real_;
  const std::string& folder_;
};

// Environment values seen by the tool, removed again at the end.
class ScopedEnvironment {
 public:
  void Set(const std::string& name, const std::string& value) {
    ::SetEnvironmentVariableA(name.c_str(), value.c_str());
    names_.push_back(name);
  }
  ~ScopedEnvironment() {
    for (const auto& name : names_) ::SetEnvironmentVariableA(name.c_str(), nullptr);
  }

 private:
  std::vector<std::string> names_;
};

class Win32DiagnosticsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    keyName = "DextrelDiagTest" + std::to_string(::GetCurrentProcessId()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    systemFolder = root.path() + "system32";
    ASSERT_TRUE(::CreateDirectoryA(systemFolder.c_str(), nullptr));
    ASSERT_TRUE(::CopyFileA(test::BuiltProgram("dxdiag.exe").c_str(), (systemFolder + "\\dxdiag.exe").c_str(), FALSE));
    // The program's folder holds blanks, as under "Program Files".
    programDir = root.path() + "Program Files\\";
    ASSERT_TRUE(::CreateDirectoryA(programDir.c_str(), nullptr));
    programDir += "Dextrel Bench\\";
    ASSERT_TRUE(::CreateDirectoryA(programDir.c_str(), nullptr));
    ASSERT_TRUE(registry.OpenKey("\\SOFTWARE\\" + keyName, true));
    registry.CloseKey();
    env.Set("DXDIAG_LOG", root.path() + "tool.log");
    UseHiddenStart(dxrun.StartupInfo);
  }
  void TearDown() override {
    HKEY software = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &software) ==
        ERROR_SUCCESS) {
      ::RegDeleteTreeA(software, keyName.c_str());
      ::RegCloseKey(software);
    }
  }

  std::string Cached(const char* name) {
    registry.OpenKey("\\SOFTWARE\\" + keyName, false);
    std::string value = registry.ValueExists(name) ? registry.ReadString(name) : "<missing>";
    registry.CloseKey();
    return value;
  }

  // Runs one collection to its end; false when the benchmark did not start in time.
  bool Collect() {
    TDirectXDiagnostics diagnostics{platform,    registry, dxrun, programDir, lines, info,
                                    [this] { ++benchmarkStarts; }, "\\SOFTWARE\\" + keyName};
    const int before = benchmarkStarts;
    diagnostics.StartDiagnostics();
    const DWORD start = ::GetTickCount();
    while (benchmarkStarts == before && ::GetTickCount() - start < 60000) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      ui.ProcessMessages();
    }
    // Nothing more may follow.
    const DWORD settle = ::GetTickCount();
    while (::GetTickCount() - settle < 300) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      ui.ProcessMessages();
    }
    return benchmarkStarts == before + 1;
  }

  test::TempFolder root;
  std::string keyName, systemFolder, programDir;
  ScopedEnvironment env;
  win32::Win32UiThread ui;
  win32::Win32Processes realProcesses{ui};
  ProcessesWithToolFolder processes{realProcesses, systemFolder};
  win32::Win32FileSystem files;
  win32::Win32Registry nativeRegistry;
  test::FakeDisplay display;
  test::FakeProcessor processor;
  test::FakeShell shell;
  test::FakeInternet internet;
  test::FakeLocaleClock clock;
  test::FakeSystemMarks marks;
  platform::Platform platform{nativeRegistry, files, processes, ui, display, processor, shell, internet, clock, marks};
  SharedRegistry registry{nativeRegistry};
  TJvCreateProcess dxrun{processes};
  LineList lines;
  SystemInfoRecord info;
  int benchmarkStarts = 0;

};

TEST_F(Win32DiagnosticsTest, TheToolRunsHiddenAndItsReportFillsTheRecordAndTheCache) {
  env.Set("DXDIAG_CARD", "RADEON X850 XT Platinum Edition");
  env.Set("DXDIAG_MEMORY", "256.0 MB");
  env.Set("DXDIAG_DRIVER", "6.14.0010.6614 (English)");
  env.Set("DXDIAG_SOUND", "SB Audigy 2 ZS Audio [DC00]");
  env.Set("DXDIAG_CARD2", "RADEON X850 XT Platinum Edition Secondary");
  ASSERT_TRUE(Collect());
  EXPECT_EQ(info.GraphicsCard, " RADEON X850 XT Platinum Edition");
  EXPECT_EQ(info.VideoMemory, " 256.0 MB");
  EXPECT_EQ(info.DriverVersion, " 6.14.0010.6614 (English)");
  EXPECT_EQ(info.SoundSystem, "SB Audigy 2 ZS Audio [DC00]");
  EXPECT_EQ(Cached("Display Memory"), " 256.0 MB");
  EXPECT_EQ(Cached("Driver Version"), " 6.14.0010.6614 (English)");
  EXPECT_EQ(Cached("Sound"), "SB Audigy 2 ZS Audio [DC00]");
  EXPECT_FALSE(files.FileExists(programDir + "dxinfo.txt"));

  // The quoted report path reached the tool whole, and it ran in the system folder.
  const std::string log = test::ReadWholeFile(root.path() + "tool.log");
  EXPECT_NE(log.find("/whql:on /t \"" + programDir + "dxinfo.txt\""), std::string::npos) << log;
  EXPECT_NE(ToLowerAscii(log).find(ToLowerAscii("folder=" + systemFolder + "\r\n")), std::string::npos) << log;

  TDirectXDiagnostics clearing{platform, registry, dxrun, programDir, lines, info, [] {}, "\\SOFTWARE\\" + keyName};
  EXPECT_TRUE(clearing.ClearDiagnosticCache());
  EXPECT_EQ(Cached("Display Memory"), "");
  EXPECT_EQ(Cached("Sound"), "");
}

TEST_F(Win32DiagnosticsTest, NoReportOrAMissingMarkerStillStartsTheBenchmarkOnce) {
  env.Set("DXDIAG_MODE", "none");
  ASSERT_TRUE(Collect());
  EXPECT_EQ(info.GraphicsCard, kIndeterminable);
  EXPECT_EQ(info.VideoMemory, kIndeterminable);
  EXPECT_EQ(Cached("Display Memory"), "<missing>");

  env.Set("DXDIAG_MODE", "nosound");
  ASSERT_TRUE(Collect());
  EXPECT_EQ(info.GraphicsCard, " RADEON X800 XT");
  EXPECT_EQ(info.VideoMemory, " 256.0 MB");
  EXPECT_EQ(info.SoundSystem, kIndeterminable);
  EXPECT_EQ(Cached("Display Memory"), " 256.0 MB");
  EXPECT_EQ(Cached("Sound"), "<missing>");
  EXPECT_FALSE(files.FileExists(programDir + "dxinfo.txt"));
  EXPECT_EQ(benchmarkStarts, 2);
}

TEST_F(Win32DiagnosticsTest, AMissingOrBrokenToolStartsTheBenchmarkAtOnce) {
  info.GraphicsCard = " earlier";
  ASSERT_TRUE(::DeleteFileA((systemFolder + "\\dxdiag.exe").c_str()));
  ASSERT_TRUE(Collect());
  EXPECT_EQ(info.GraphicsCard, " earlier");
  EXPECT_EQ(info.VideoMemory, kIndeterminable);

  test::WriteWholeFile(systemFolder + "\\dxdiag.exe", "not a program");
  ASSERT_TRUE(Collect());
  EXPECT_EQ(info.DriverVersion, kIndeterminable);
  EXPECT_EQ(dxrun.State(), TJvProcessState::Ready);
  EXPECT_EQ(benchmarkStarts, 2);
}

}  // namespace
}  // namespace dx
