#include "gameprep/BenchmarkJournal.h"

#include <algorithm>

#include "common/Errors.h"
#include "common/LineList.h"
#include "common/Text.h"
#include "gameprep/GameInterface.h"
#include "platform/FileSystem.h"

namespace dx {
namespace {

constexpr const char* kHeading = "Dextrel benchmark journal 1";
constexpr const char* kProgramField = "program";
constexpr const char* kMovedField = "moved";
constexpr const char* kCopiedField = "copied";
constexpr const char* kWrittenField = "written";
constexpr const char* kGameField = "game";

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (char c : line) {
    if (c == '\t') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

bool Digits(const std::string& text) {
  return !text.empty() && text.size() <= 20 && text.find_first_not_of("0123456789") == std::string::npos;
}

// stem + ".cfg" or stem + a number + ".cfg", as the back-ups are named.
bool BackupOf(const std::string& backup, const std::string& stem) {
  const std::string lower = ToLowerAscii(backup);
  const std::string start = ToLowerAscii(stem);
  if (!StartsWith(lower, start) || !EndsWith(lower, ".cfg")) return false;
  const std::string number = lower.substr(start.size(), lower.size() - start.size() - 4);
  return number.empty() || (Digits(number) && number.size() < 6);
}

bool KnownAside(const JournalAside& aside) {
  if (aside.copied) return EqualsNoCase(aside.name, game::kGameConfig) && BackupOf(aside.backup, "Quake4Configold");
  return EqualsNoCase(aside.name, game::kAutoexec) && BackupOf(aside.backup, "autoexec_old");
}

bool KnownWritten(const std::string& name) {
  const std::string demo = std::string("Demos\\") + game::kBuiltinDemo;
  for (const std::string& known : {std::string(game::kAutoexec), std::string(game::kConsoleLog),
                                  std::string(game::kNetDemoScript), std::string(game::kNetDemoDump), demo}) {
    if (EqualsNoCase(name, known)) return true;
  }
  return false;
}

std::optional<std::uint64_t> Number(const std::string& text) {
  if (!Digits(text)) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

bool Selected(const std::vector<std::string>& only, const std::string& name) {
  return only.empty() || std::any_of(only.begin(), only.end(), [&](const std::string& n) { return EqualsNoCase(n, name); });
}

}  // namespace

std::string FormatJournal(const JournalEntries& entries) {
  std::string text = std::string(kHeading) + kCrLf;
  text += std::string(kProgramField) + "\t" + entries.program + kCrLf;
  for (const auto& aside : entries.asides) {
    text += std::string(aside.copied ? kCopiedField : kMovedField) + "\t" + aside.name + "\t" + aside.backup + kCrLf;
  }
  for (const auto& name : entries.written) text += std::string(kWrittenField) + "\t" + name + kCrLf;
  if (entries.game) {
    text += std::string(kGameField) + "\t" + std::to_string(entries.game->id) + "\t" +
            std::to_string(entries.game->startTime) + kCrLf;
  }
  return text;
}

std::optional<JournalEntries> ParseJournal(const std::string& text) {
  const std::vector<std::string> lines = SplitLines(text);
  if (lines.empty() || lines[0] != kHeading) return std::nullopt;
  JournalEntries entries;
  bool programSeen = false;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const auto fields = Fields(lines[i]);
    const std::string& kind = fields[0];
    if (kind == kProgramField && fields.size() == 2 && !programSeen) {
      entries.program = fields[1];
      programSeen = true;
    } else if ((kind == kMovedField || kind == kCopiedField) && fields.size() == 3) {
      JournalAside aside{fields[1], fields[2], kind == kCopiedField};
      if (!KnownAside(aside)) return std::nullopt;
      entries.asides.push_back(aside);
    } else if (kind == kWrittenField && fields.size() == 2) {
      if (!KnownWritten(fields[1])) return std::nullopt;
      entries.written.push_back(fields[1]);
    } else if (kind == kGameField && fields.size() == 3) {
      const auto id = Number(fields[1]);
      const auto started = Number(fields[2]);
      if (!id || *id > UINT32_MAX || !started) return std::nullopt;
      entries.game = platform::ProcessIdentity{static_cast<std::uint32_t>(*id), *started};
    } else {
      return std::nullopt;
    }
  }
  if (!programSeen) return std::nullopt;
  return entries;
}

std::vector<RestoreStep> RestorePlan(const JournalEntries& entries, bool keepRewrites,
                                     const std::vector<std::string>& only) {
  std::vector<RestoreStep> steps;
  for (const auto& aside : entries.asides) {
    if (!Selected(only, aside.name)) continue;
    if (aside.copied && keepRewrites) steps.push_back({RestoreStep::Kind::KeepRewrite, aside.name, aside.backup});
    steps.push_back({RestoreStep::Kind::MoveBack, aside.name, aside.backup});
  }
  for (const auto& name : entries.written) {
    if (!Selected(only, name)) continue;
    const bool replaced = std::any_of(entries.asides.begin(), entries.asides.end(),
                                      [&](const JournalAside& aside) { return EqualsNoCase(aside.name, name); });
    if (!replaced) steps.push_back({RestoreStep::Kind::Remove, name, {}});
  }
  return steps;
}

BenchmarkJournal::Found BenchmarkJournal::Load(const std::string& gameBasePath) {
  const std::string path = gameBasePath + kJournalName;
  if (!files_.FileExists(path)) return Found::None;
  const auto read = files_.ReadFile(path);
  auto parsed = read.ok ? ParseJournal(read.data) : std::nullopt;
  if (!parsed) return Found::Unreadable;
  basePath_ = gameBasePath;
  entries_ = std::move(*parsed);
  onDisk_ = entries_;
  open_ = true;
  return Found::Loaded;
}

void BenchmarkJournal::Begin(const std::string& gameBasePath) {
  if (open_) return;
  // One left by a copy that ended goes on as this one's, so nothing it names is lost.
  if (Load(gameBasePath) == Found::Unreadable) {
    throw Error(FormatMessageText("The benchmark journal \"%s\" cannot be read. %s", gameBasePath + kJournalName,
                                  "Nothing in the game folder was changed."));
  }
  if (open_) return;
  basePath_ = gameBasePath;
  entries_ = {};
  entries_.program = ProgramPath;
  Save();
  open_ = true;
}

bool BenchmarkJournal::Names(const std::string& name) const {
  const auto same = [&](const std::string& n) { return EqualsNoCase(n, name); };
  return std::any_of(entries_.written.begin(), entries_.written.end(), same) ||
         std::any_of(entries_.asides.begin(), entries_.asides.end(),
                     [&](const JournalAside& aside) { return same(aside.name); });
}

template <typename Undo>
void BenchmarkJournal::SaveOrUndo(Undo undo) {
  try {
    Save();
  } catch (...) {
    undo();
    throw;
  }
}

void BenchmarkJournal::NoteAside(const std::string& name, const std::string& backup, bool copied) {
  entries_.asides.push_back({name, backup, copied});
  SaveOrUndo([this] { entries_.asides.pop_back(); });
}

void BenchmarkJournal::NoteWritten(const std::string& name) {
  if (std::none_of(entries_.written.begin(), entries_.written.end(),
                   [&](const std::string& n) { return EqualsNoCase(n, name); })) {
    entries_.written.push_back(name);
    SaveOrUndo([this] { entries_.written.pop_back(); });
  }
}

void BenchmarkJournal::NoteGame(const platform::ProcessIdentity& game) {
  entries_.game = game;
  Save();
}

bool BenchmarkJournal::Drop(const std::string& name) {
  if (!open_ || !Names(name)) return false;
  const auto same = [&](const std::string& n) { return EqualsNoCase(n, name); };
  std::erase_if(entries_.written, same);
  std::erase_if(entries_.asides, [&](const JournalAside& aside) { return same(aside.name); });
  return true;
}

void BenchmarkJournal::Forget(const std::string& name) {
  if (!Drop(name)) return;
  if (entries_.Empty()) {
    CloseIfEmpty();
  } else {
    SaveIfPossible();
  }
}

void BenchmarkJournal::ForgetRunFile(const std::string& name) {
  if (Drop(name) && entries_.Empty()) CloseIfEmpty();
}

void BenchmarkJournal::CloseIfEmpty() {
  if (!open_) return;
  if (!entries_.Empty()) {
    if (!(entries_ == onDisk_)) SaveIfPossible();
    return;
  }
  // The journal goes last, when everything is back.
  const std::string path = basePath_ + kJournalName;
  if (!files_.RemoveFile(path) && files_.FileExists(path)) SaveIfPossible();  // naming nothing, it puts nothing back
  open_ = false;
  entries_ = {};
  onDisk_ = {};
}

// A file already back that the journal on disk still names is harmless: its back-up is
// gone, so the step does nothing the next time.
void BenchmarkJournal::SaveIfPossible() {
  if (files_.WriteFile(basePath_ + kJournalName, FormatJournal(entries_)).ok) onDisk_ = entries_;
}

void BenchmarkJournal::Save() {
  // A run's file noted again while the journal on disk still names it.
  if (open_ && entries_ == onDisk_) return;
  const std::string path = basePath_ + kJournalName;
  const auto written = files_.WriteFile(path, FormatJournal(entries_));
  if (!written.ok) throw Error(FormatMessageText("Cannot create file \"%s\". %s", path, written.errorText));
  onDisk_ = entries_;
}

}  // namespace dx
