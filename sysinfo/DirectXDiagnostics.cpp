#include "sysinfo/DirectXDiagnostics.h"

#include <utility>

#include "common/Errors.h"
#include "common/Text.h"
#include "platform/Paths.h"

namespace dx {
namespace {

// The text a line gives: what follows its first "=", or else all but its first character.
std::string TakenText(const std::string& line) {
  const auto equals = line.find('=');
  if (equals != std::string::npos) return line.substr(equals + 1);
  return line.empty() ? std::string() : line.substr(1);
}

std::string WithoutLeadingBlanks(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  return text.substr(i);
}

bool ContainsNoCase(std::string_view text, std::string_view marker) {
  return ToLowerAscii(text).find(ToLowerAscii(marker)) != std::string::npos;
}

// The first line is taken as it is; the lines after it lose their leading blanks. On
// success the lines before the one found are removed and its text is returned.
std::optional<std::string> FindMarker(LineList& lines, std::string_view marker) {
  for (std::size_t i = 0; i < lines.Count(); ++i) {
    std::string text = TakenText(lines[i]);
    if (i > 0) text = WithoutLeadingBlanks(text);
    if (ContainsNoCase(text, marker)) {
      lines.DeleteFirst(i);
      return text;
    }
  }
  return std::nullopt;
}

std::string Cut(const std::string& text, std::size_t count) {
  return text.size() > count ? text.substr(count) : std::string();
}

void EraseFirst(std::string& text, char c) {
  const auto at = text.find(c);
  if (at != std::string::npos) text.erase(at, 1);
}

std::optional<std::string> FindValue(LineList& lines, std::string_view marker, std::size_t cut) {
  auto text = FindMarker(lines, marker);
  if (!text) return std::nullopt;
  return Cut(*text, cut);
}

std::string QuotedWhenBlank(const std::string& path) {
  return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

std::string ValueOr(const std::optional<std::string>& value) { return value ? *value : kIndeterminable; }

}  // namespace

DiagnosticValues ParseDiagnosticReport(LineList& lines) {
  DiagnosticValues values;
  values.GraphicsCard = FindValue(lines, "Card name:", 10);
  values.VideoMemory = FindValue(lines, "Display Memory:", 15);
  values.DriverVersion = FindValue(lines, "Driver Version:", 15);
  values.SoundSystem = FindValue(lines, "Description:", 11);
  if (values.SoundSystem) {
    EraseFirst(*values.SoundSystem, ':');
    EraseFirst(*values.SoundSystem, ' ');
  }
  return values;
}

std::string DiagnosticCommandLine(const std::string& systemFolder, const std::string& programDir) {
  // Quoted only when a blank would split the path; the tool reads its arguments by the
  // system's usual rules.
  return QuotedWhenBlank(systemFolder + "\\dxdiag.exe") + " /whql:on /t " +
         QuotedWhenBlank(programDir + kDiagnosticReportName);
}

TDirectXDiagnostics::TDirectXDiagnostics(platform::Platform platform, SharedRegistry& registry,
                                         TJvCreateProcess& dxrun, std::string programDir,
                                         LineList& diagnosticLines, SystemInfoRecord& systemInfo,
                                         std::function<void()> startBenchmark, std::string settingsKey)
    : platform_(platform),
      registry_(registry),
      dxrun_(dxrun),
      programDir_(std::move(programDir)),
      diagnosticLines_(diagnosticLines),
      systemInfo_(systemInfo),
      startBenchmark_(std::move(startBenchmark)),
      settingsKey_(std::move(settingsKey)) {
  dxrun_.OnTerminate = [this](TJvCreateProcess& sender, std::uint32_t exitCode) { dxrunTerminate(sender, exitCode); };
}

TDirectXDiagnostics::~TDirectXDiagnostics() { dxrun_.OnTerminate = nullptr; }

void TDirectXDiagnostics::StartDiagnostics() {
  // Its termination will start the benchmark; a second start would do it twice.
  if (dxrun_.State() == TJvProcessState::Waiting) return;

  const std::string system = ExcludeTrailingBackslashes(platform_.processes.SystemFolder());

  const std::string tool = system + "\\dxdiag.exe";
  if (platform_.files.FileExists(tool)) {
    dxrun_.ApplicationName = tool;
    dxrun_.CommandLine = DiagnosticCommandLine(system, programDir_);
    dxrun_.CurrentDirectory = system;
    try {
      dxrun_.Run();
      return;
    } catch (const Error&) {
      // A tool that cannot be started counts as a missing one: the benchmark still runs.
    }
  }
  systemInfo_.VideoMemory = kIndeterminable;
  systemInfo_.DriverVersion = kIndeterminable;
  systemInfo_.SoundSystem = kIndeterminable;
  startBenchmark_();
}

bool TDirectXDiagnostics::EndOverdue() {
  if (!dxrun_.Terminate()) return false;
  systemInfo_.GraphicsCard = kIndeterminable;
  systemInfo_.VideoMemory = kIndeterminable;
  systemInfo_.DriverVersion = kIndeterminable;
  systemInfo_.SoundSystem = kIndeterminable;
  // A half-written report is nobody's.
  if (platform_.files.FileExists(ReportPath())) platform_.files.RemoveFile(ReportPath());
  startBenchmark_();
  return true;
}

void TDirectXDiagnostics::dxrunTerminate(TJvCreateProcess& /*sender*/, std::uint32_t /*exitCode*/) {
  platform_.ui.Sleep(1000);

  const std::string report = ReportPath();
  bool loaded = false;
  if (platform_.files.FileExists(report)) {
    try {
      diagnosticLines_.LoadFromFile(platform_.files, report);
      loaded = true;
    } catch (const Error&) {
      // Unreadable counts as absent.
    }
  }

  if (!loaded) {
    systemInfo_.GraphicsCard = kIndeterminable;
    systemInfo_.VideoMemory = kIndeterminable;
    systemInfo_.DriverVersion = kIndeterminable;
    systemInfo_.SoundSystem = kIndeterminable;
  } else {
    const bool keyOpen = registry_.OpenKey(settingsKey_, false);
    const DiagnosticValues values = ParseDiagnosticReport(diagnosticLines_);
    systemInfo_.GraphicsCard = ValueOr(values.GraphicsCard);
    systemInfo_.VideoMemory = ValueOr(values.VideoMemory);
    CacheValue(keyOpen, settings::kDisplayMemory, values.VideoMemory);
    systemInfo_.DriverVersion = ValueOr(values.DriverVersion);
    CacheValue(keyOpen, settings::kDriverVersion, values.DriverVersion);
    systemInfo_.SoundSystem = ValueOr(values.SoundSystem);
    CacheValue(keyOpen, settings::kSound, values.SoundSystem);
  }
  if (platform_.files.FileExists(report)) platform_.files.RemoveFile(report);
  startBenchmark_();
}

void TDirectXDiagnostics::CacheValue(bool keyOpen, const char* name, const std::optional<std::string>& value) {
  // Only values the report gave are cached; without the key the values in memory serve.
  if (!keyOpen || !value || value->empty()) return;
  try {
    registry_.WriteString(name, *value);
  } catch (const Error&) {
    // An unwritten cache only means the tool runs again at the next benchmark.
  }
}

bool TDirectXDiagnostics::ClearDiagnosticCache() {
  if (!registry_.KeyExists(settingsKey_)) return true;
  if (!registry_.OpenKey(settingsKey_, false)) return false;
  bool cleared = true;
  for (const char* name : {settings::kDisplayMemory, settings::kDriverVersion, settings::kSound}) {
    try {
      registry_.WriteString(name, "");
    } catch (const Error&) {
      cleared = false;
    }
  }
  return cleared;
}

}  // namespace dx
