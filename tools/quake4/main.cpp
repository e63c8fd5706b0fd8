// quake4.exe, a stand-in for the game in tests and demonstrations. It runs from a game
// folder (the folder q4base beside the executable holds its files) and honours what
// Dextrel relies on of the game:
//   - the command line: "+set NAME VALUE" and "+COMMAND ARGS" words, among them
//     "+timedemoquit DEMO" and "+exec FILE"; the program path may hold blanks unquoted;
//   - Quake4Config.cfg and then autoexec.cfg from q4base, whose seta/set lines it applies
//     (command-line values win, as in the engine);
//   - demos from q4base\Demos by file name; a missing one gives "couldn't open demos/NAME",
//     no result line, and the game ends;
//   - qconsole.log in q4base when logFile is 1 or 2, with the timed-demo result line
//     "N frames rendered in S seconds = F fps";
//   - the net-demo script's commands playnettimedemo, wait, condump and exit: the dump
//     holds the "... ms: F fps" line and then "stopped demo playback of 'demos/NAME'";
//   - on a normal exit it rewrites Quake4Config.cfg with its archived cvars, as the game does;
//   - r_glDriver: the library it names is loaded with LoadLibrary at renderer start (a failure
//     ends the game with "GLimp_Init() could not load r_glDriver"), and freed at quit;
//   - every frame, loading frames and the demo's, ends with gdi32's SwapBuffers through the
//     program's own import table, so a library that redirects it sees each one.
// The frame rate follows the resolution and the quality cvars, with a little noise.
//
// Switches, all environment variables:
//   DEXTREL_SIM_PLAY_MS   how long a demo plays, in ms (default 300)
//   DEXTREL_SIM_FPS       a fixed frame rate instead of the model's, e.g. 61.5
//   DEXTREL_SIM_SEED      seed of the frame-rate noise (default: a new one every run)
//   DEXTREL_SIM_FRAMES    frame count of every demo (default: the demo's "frames" line, or 2133)
//   DEXTREL_SIM_FAULT     crash        access violation while the demo plays (log cut short)
//                         crash-early  access violation before anything is written
//                         hang         stops responding for DEXTREL_SIM_HANG_MS, then goes on
//                         nolog        writes no qconsole.log
//                         noresult     plays, but writes no result line (nor the net-demo lines)
//   DEXTREL_SIM_HANG_MS   length of the hang (default 60000)
//   DEXTREL_SIM_WINDOW    shown (default): a small "Quake 4" window, shown whatever the
//                         start-up record asks; startup: the window follows the start-up
//                         record (hidden when started hidden); none: no window, no message loop
//   DEXTREL_SIM_RECORD    a file to which every run appends what it received and did:
//                         "commandline=" (byte for byte), "folder=", "exec=FILE", "cvar NAME=VALUE"
//                         (the values in force when the first demo starts), "demo=NAME",
//                         "result=LINE" or "result=none", "exit=CODE"
//   DEXTREL_SIM_SWITCHES  a file of NAME=VALUE lines read at every start; its values win over
//                         the environment, so a test can change the game under a running Dextrel
//   DEXTREL_SIM_FRAME_PLAN a file of planned frame times (see sim::ParseFramePlan): the demo's
//                         frames are rendered at those times, busy-waited on the performance
//                         counter, and the result line is computed from them; without it the
//                         demo plays for DEXTREL_SIM_PLAY_MS at the model's rate
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/LineList.h"
#include "platform/win32/Scoped.h"
#include "tools/quake4/Engine.h"

namespace {

const char kWindowClass[] = "DextrelQuake4Sim";

std::string RawEnv(const char* name) {
  char buffer[2048] = {};
  const DWORD length = ::GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return length == 0 || length >= sizeof buffer ? std::string() : std::string(buffer, length);
}

std::string Env(const char* name) {
  const std::string switches = RawEnv("DEXTREL_SIM_SWITCHES");
  if (!switches.empty()) {
    std::ifstream in(switches, std::ios::binary);
    const std::string prefix = std::string(name) + "=";
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.compare(0, prefix.size(), prefix) == 0) return line.substr(prefix.size());
    }
  }
  return RawEnv(name);
}

DWORD EnvMs(const char* name, DWORD fallback) {
  const std::string text = Env(name);
  return text.empty() ? fallback : static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 10));
}

bool FileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadFile(const std::string& path, std::string& data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream out;
  out << in.rdbuf();
  data = out.str();
  return true;
}

[[noreturn]] void Crash() {
  // No crash dialog nor debugger: the tests wait for the process, not for a person. The
  // process then ends with the fault's code, as after the system's own crash report.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  ::SetUnhandledExceptionFilter([](EXCEPTION_POINTERS*) -> LONG { return EXCEPTION_EXECUTE_HANDLER; });
  static volatile std::uintptr_t nowhere = 0;
  *reinterpret_cast<volatile int*>(nowhere) = 1;
  ::ExitProcess(0xC0000005);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class Game {
 public:
  int Run();
  void CloseRequested() { closeRequested_ = true; }

 private:
  void Record(const std::string& line);
  void RecordCvars();
  void Execute(const std::vector<std::string>& words);
  void ExecFile(const std::string& name, bool quietWhenMissing);
  bool OpenDemo(const std::string& name, std::string& shownName, int& frames);
  void PlayTimedDemo(const std::string& name, bool quitAfter);
  void PlayNetDemo(const std::string& name);
  // Renders the loading frames, then plays the demo: its planned frames, or for the
  // configured time without a plan. False when the window was closed meanwhile. With a plan,
  // seconds is the demo's measured time.
  bool Play(int frames, double& seconds);
  void LoadGlDriver();
  void RenderFrames(int count, double (*frameMs)(const sim::FramePlan&, long long));
  double FrameRate() const;
  void CreateGameWindow();
  void PumpFor(DWORD ms);
  [[noreturn]] void Quit();
  void WriteSavedConfig();

  std::string base_;  // q4base\ beside the executable
  std::string fault_;
  std::string recordPath_;
  sim::Cvars cvars_;
  sim::Console console_;
  sim::FramePlan plan_;
  dx::win32::ScopedModule glDriver_;
  HWND window_ = nullptr;
  bool cvarsRecorded_ = false;
  bool resultWritten_ = false;
  bool closeRequested_ = false;
};

Game* theGame = nullptr;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      if (theGame) theGame->CloseRequested();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(hwnd, &paint);
      RECT client;
      ::GetClientRect(hwnd, &client);
      ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, RGB(200, 160, 60));
      char text[] = "Quake 4 (simulated game): playing the demo";
      ::DrawTextA(dc, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      ::EndPaint(hwnd, &paint);
      return 0;
    }
    default:
      return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

void Game::Record(const std::string& line) {
  if (recordPath_.empty()) return;
  if (std::FILE* file = std::fopen(recordPath_.c_str(), "ab")) {
    std::fputs(line.c_str(), file);
    std::fputs("\r\n", file);
    std::fclose(file);
  }
}

void Game::RecordCvars() {
  if (cvarsRecorded_) return;
  cvarsRecorded_ = true;
  for (const std::string& name : cvars_.Order()) Record("cvar " + name + "=" + cvars_.Get(name));
}

void Game::CreateGameWindow() {
  const std::string mode = Env("DEXTREL_SIM_WINDOW");
  if (sim::SameText(mode, "none")) return;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassA(&windowClass);
  window_ = ::CreateWindowExA(0, kWindowClass, "Quake 4", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, 0, 320,
                              240, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window_) return;
  if (sim::SameText(mode, "startup")) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoA(&startup);
    ::ShowWindow(window_, (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWNORMAL);
  } else {
    // The game's window shows itself; the first ShowWindow may be bent by the start-up record.
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::ShowWindow(window_, SW_SHOWNORMAL);
  }
  ::UpdateWindow(window_);
  PumpFor(0);
}

void Game::PumpFor(DWORD ms) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= ms || closeRequested_) return;
    if (window_) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    } else {
      ::Sleep(ms - elapsed);
    }
  }
}

void Game::LoadGlDriver() {
  const std::string driver = cvars_.Get("r_glDriver");
  if (driver.empty()) return;
  glDriver_.reset(::LoadLibraryA(driver.c_str()));
  if (glDriver_) return;
  // Fatal in the engine: no window, no demo, no saved configuration.
  console_.Print("GLimp_Init() could not load r_glDriver");
  Record("result=none (r_glDriver)");
  Record("exit=1");
  ::ExitProcess(1);
}

// Frames ending at planned times from now on, each with SwapBuffers. The deadlines add up,
// so a frame that the system delayed shortens the next and the total stays as planned.
void Game::RenderFrames(int count, double (*frameMs)(const sim::FramePlan&, long long)) {
  LARGE_INTEGER frequency, start, now;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  std::optional<dx::win32::ScopedWindowDc> windowDc;
  if (window_) windowDc.emplace(window_);
  const HDC dc = windowDc ? windowDc->get() : nullptr;
  double due = 0;
  for (long long i = 0; i < count && !closeRequested_; ++i) {
    due += frameMs(plan_, i) * static_cast<double>(frequency.QuadPart) / 1000.0;
    // Asleep for all but the last 2 ms: a process that spins the whole time gives a busy
    // machine's scheduler every reason to run others at its deadline.
    ::QueryPerformanceCounter(&now);
    const double ahead = (due - static_cast<double>(now.QuadPart - start.QuadPart)) * 1000.0 /
                         static_cast<double>(frequency.QuadPart);
    if (ahead > 3) ::Sleep(static_cast<DWORD>(ahead - 2));
    do {
      ::QueryPerformanceCounter(&now);
    } while (static_cast<double>(now.QuadPart - start.QuadPart) < due);
    // Without an OpenGL context the call fails; the engine never looks at its answer.
    ::SwapBuffers(dc);
    if (window_) {
      MSG message;
      while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
      }
    }
  }
}

bool Game::Play(int frames, double& seconds) {
  if (fault_ == "crash") {
    Record("result=none (crash)");
    Crash();
  }
  if (fault_ == "hang") ::Sleep(EnvMs("DEXTREL_SIM_HANG_MS", 60000));
  // Without a plan the loading frames take no time, so the game stays as quick as before.
  const bool planned = !plan_.Empty();
  RenderFrames(plan_.loadingFrames, planned ? +[](const sim::FramePlan& plan, long long) { return plan.loadingMs; }
                                            : +[](const sim::FramePlan&, long long) { return 0.0; });
  if (!planned) {
    PumpFor(EnvMs("DEXTREL_SIM_PLAY_MS", 300));
    return !closeRequested_;
  }
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  RenderFrames(frames, [](const sim::FramePlan& plan, long long i) { return plan.DemoFrameMs(i); });
  ::QueryPerformanceCounter(&end);
  seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  return !closeRequested_;
}

double Game::FrameRate() const {
  const std::string fixed = Env("DEXTREL_SIM_FPS");
  if (!fixed.empty()) return std::strtod(fixed.c_str(), nullptr);
  const std::string seedText = Env("DEXTREL_SIM_SEED");
  const std::uint32_t seed = seedText.empty()
                                 ? static_cast<std::uint32_t>(::GetTickCount() ^ (::GetCurrentProcessId() << 16))
                                 : static_cast<std::uint32_t>(std::strtoul(seedText.c_str(), nullptr, 10));
  return sim::ModelFrameRate(sim::ResolutionOf(cvars_), cvars_, seed);
}

bool Game::OpenDemo(const std::string& name, std::string& shownName, int& frames) {
  std::string file = name;
  if (file.find('.') == std::string::npos) file += ".demo";
  shownName = "demos/" + file;
  Record("demo=" + file);
  RecordCvars();
  console_.Print("----- Initializing Demo -----");
  std::string data;
  if (!FileExists(base_ + "Demos\\" + file) || !ReadFile(base_ + "Demos\\" + file, data)) {
    console_.Print("couldn't open " + shownName);
    Record("result=none (no demo)");
    return false;
  }
  if (data.empty()) {
    console_.Print("WARNING: " + shownName + " is not a demo of this version");
    Record("result=none (empty demo)");
    return false;
  }
  frames = 2133;
  for (const std::string& line : dx::SplitLines(data)) {
    const auto words = sim::SplitWords(line);
    if (words.size() == 2 && words[0] == "frames") frames = std::max(1, std::atoi(words[1].c_str()));
  }
  const std::string forced = Env("DEXTREL_SIM_FRAMES");
  if (!forced.empty()) frames = std::max(1, std::atoi(forced.c_str()));
  console_.Print("loading " + shownName);
  console_.Print("map: game/mp/q4dm1");
  console_.Print("--------- Map Initialization ---------");
  console_.Print("Map: mp/q4dm1");
  console_.Print("----- Map Initialization Complete -----");
  return true;
}

void Game::PlayTimedDemo(const std::string& name, bool quitAfter) {
  std::string shown;
  int frames = 0;
  double seconds = 0;
  if (OpenDemo(name, shown, frames) && Play(frames, seconds)) {
    const double fps = plan_.Empty() ? FrameRate() : frames / seconds;
    if (plan_.Empty()) seconds = frames / fps;
    if (fault_ == "noresult") {
      console_.Print("demo playback stopped");
      Record("result=none (noresult)");
    } else {
      const std::string line =
          std::to_string(frames) + " frames rendered in " + sim::Fixed1(seconds) + " seconds = " + sim::Fixed1(fps) + " fps";
      console_.Print(line);
      Record("result=" + line);
      resultWritten_ = true;
    }
  }
  if (quitAfter || closeRequested_) Quit();
}

void Game::PlayNetDemo(const std::string& name) {
  std::string shown;
  int frames = 0;
  if (!OpenDemo(name, shown, frames)) return;
  double seconds = 0;
  if (!Play(frames, seconds)) Quit();
  const double fps = plan_.Empty() ? FrameRate() : frames / seconds;
  if (fault_ == "noresult") {
    console_.Print("net demo playback stopped");
    Record("result=none (noresult)");
    return;
  }
  const std::string line = "timeNetDemo: " + std::to_string(frames) + " frames in " + sim::Fixed1(frames / fps) +
                           " seconds, " + sim::Fixed1(1000.0 / fps) + " ms: " + sim::Fixed1(fps) + " fps";
  console_.Print(line);
  console_.Print("stopped demo playback of '" + shown + "'");
  Record("result=" + line);
  resultWritten_ = true;
}

void Game::ExecFile(const std::string& name, bool quietWhenMissing) {
  std::string data;
  if (!FileExists(base_ + name) || !ReadFile(base_ + name, data)) {
    if (!quietWhenMissing) console_.Print("couldn't exec " + name);
    return;
  }
  console_.Print("execing " + name);
  Record("exec=" + name);
  for (const std::string& line : dx::SplitLines(data)) {
    const auto words = sim::SplitWords(line);
    if (!words.empty()) Execute(words);
  }
}

void Game::Execute(const std::vector<std::string>& words) {
  const std::string& command = words[0];
  auto rest = [&](std::size_t from) {
    std::string text;
    for (std::size_t i = from; i < words.size(); ++i) text += (i > from ? " " : "") + words[i];
    return text;
  };
  if (sim::SameText(command, "set") || sim::SameText(command, "seta") || sim::SameText(command, "sets") ||
      sim::SameText(command, "setu")) {
    if (words.size() >= 3) cvars_.Set(words[1], rest(2), sim::SameText(command, "seta"));
  } else if (sim::SameText(command, "exec")) {
    if (words.size() >= 2) ExecFile(words[1], false);
  } else if (sim::SameText(command, "timedemo") || sim::SameText(command, "timedemoquit")) {
    if (words.size() >= 2) PlayTimedDemo(words[1], sim::SameText(command, "timedemoquit"));
  } else if (sim::SameText(command, "playnettimedemo")) {
    if (words.size() >= 2) PlayNetDemo(words[1]);
  } else if (sim::SameText(command, "wait")) {
    // Waits frames in the engine; the demo has already ended here.
  } else if (sim::SameText(command, "condump")) {
    if (words.size() >= 2) {
      std::string file = words[1];
      if (file.find('.') == std::string::npos) file += ".txt";
      console_.Print("Dumped console text to " + file + ".");
      console_.Dump(base_ + file);
    }
  } else if (sim::SameText(command, "exit") || sim::SameText(command, "quit")) {
    Quit();
  } else if (sim::SameText(command, "bind") || sim::SameText(command, "unbindall") || sim::SameText(command, "echo")) {
    if (sim::SameText(command, "echo")) console_.Print(rest(1));
  } else if (cvars_.Find(command) || words.size() == 2) {
    // "name value" sets a variable, as the console allows.
    if (words.size() >= 2) cvars_.Set(command, rest(1), false);
  } else {
    console_.Print("Unknown command '" + command + "'");
  }
}

void Game::WriteSavedConfig() {
  std::string text = "// generated by quake4 (simulated game), do not modify\n";
  for (const std::string& name : cvars_.Order()) {
    const sim::Cvar* cvar = cvars_.Find(name);
    if (cvar && cvar->archived) text += "seta " + name + " \"" + cvar->value + "\"\n";
  }
  if (std::FILE* file = std::fopen((base_ + "Quake4Config.cfg").c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  }
}

void Game::Quit() {
  RecordCvars();
  console_.Print("--------- Game Map Shutdown ----------");
  console_.Print("Shutting down OpenGL subsystem");
  console_.Print("...shutting down QGL");
  WriteSavedConfig();
  if (!resultWritten_) Record("result=none");
  Record("exit=0");
  if (window_) ::DestroyWindow(window_);
  glDriver_.reset();
  ::ExitProcess(0);
}

int Game::Run() {
  char exe[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string folder = exe;
  folder.erase(folder.find_last_of('\\') + 1);
  base_ = folder + "q4base\\";
  fault_ = Env("DEXTREL_SIM_FAULT");
  recordPath_ = Env("DEXTREL_SIM_RECORD");
  std::string planText;
  const std::string planPath = Env("DEXTREL_SIM_FRAME_PLAN");
  if (!planPath.empty() && ReadFile(planPath, planText)) plan_ = sim::ParseFramePlan(planText);

  const std::string commandLine = ::GetCommandLineA();
  char current[MAX_PATH] = {};
  ::GetCurrentDirectoryA(sizeof current, current);
  Record("commandline=" + commandLine);
  Record(std::string("folder=") + current);
  if (fault_ == "crash-early") Crash();

  const auto commands = sim::CommandsOf(sim::ArgumentsOf(commandLine, exe));
  // Variables on the command line count from the start, so logFile decides the log.
  for (const auto& words : commands) {
    if (words.size() >= 3 && (sim::SameText(words[0], "set") || sim::SameText(words[0], "seta")))
      cvars_.Set(words[1], words[2], sim::SameText(words[0], "seta"));
  }
  const double logFile = cvars_.Number("logFile", 0);
  if ((logFile == 1 || logFile == 2) && fault_ != "nolog") console_.OpenLog(base_ + "qconsole.log");

  console_.Print("Quake 4 1.4.2 win-x86 (Dextrel simulated game)");
  console_.Print("log file 'qconsole.log' opened on " + std::string(__DATE__));
  console_.Print("------ Initializing File System ------");
  console_.Print("Current search path:");
  console_.Print(folder + "q4base");
  console_.Print("file system initialized.");
  console_.Print("--------------------------------------");
  console_.Print("----- Initializing Decls -----");
  console_.Print("------------------------------");
  ExecFile("Quake4Config.cfg", true);
  ExecFile("autoexec.cfg", false);
  const sim::Resolution resolution = sim::ResolutionOf(cvars_);
  console_.Print("----- R_InitOpenGL -----");
  console_.Print("Initializing OpenGL subsystem");
  LoadGlDriver();
  console_.Print("...registered window class");
  console_.Print("...created window @ 0,0 (" + std::to_string(resolution.width) + "x" +
                 std::to_string(resolution.height) + ")");
  console_.Print("OpenGL vendor: Simulated");
  console_.Print("OpenGL renderer: Simulated OpenGL renderer");
  console_.Print("r_aspectRatio " + cvars_.Get("r_aspectRatio") + ", r_multiSamples " + cvars_.Get("r_multiSamples") +
                 ", image_anisotropy " + cvars_.Get("image_anisotropy"));
  console_.Print("--------- Game Initialization ---------");
  console_.Print("gamename: q4mp");
  console_.Print("-------------------------------------");
  CreateGameWindow();

  for (const auto& words : commands) {
    if (!words.empty()) Execute(words);
  }
  // With nothing that ends it, the game sits at its menu; here it leaves after a while.
  PumpFor(EnvMs("DEXTREL_SIM_PLAY_MS", 300));
  Quit();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Game game;
  theGame = &game;
  return game.Run();
}
