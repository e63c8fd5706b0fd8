#pragma once
// The benchmark's journal in the game's base folder: every file a benchmark has put aside
// there under a back-up name, every file it has written, the program that did it and the
// game it started last. Written before each of those steps (temp-then-rename), so that
// whatever ends the program, the next start knows exactly what to put back and touches
// nothing else; removed once everything it names is back.
#include <optional>
#include <string>
#include <vector>

#include "platform/Processes.h"

namespace dx {

namespace platform {
class IFileSystem;
}

inline constexpr const char* kJournalName = "Dextrel-journal.txt";
inline constexpr const char* kGameStillRunning =
    "A benchmark's game is still running. Its files will be put back when it ends.";

// A file of the base folder set aside under a back-up name. Moved: the name was empty
// from then on; copied: the file stayed for the game, which rewrites it when it ends.
struct JournalAside {
  std::string name;
  std::string backup;
  bool copied = false;
  bool operator==(const JournalAside& other) const = default;
};

struct JournalEntries {
  std::string program;  // the path of the copy that wrote it
  std::vector<JournalAside> asides;
  std::vector<std::string> written;  // names below the base folder ("Demos\VKRdemo.demo")
  std::optional<platform::ProcessIdentity> game;
  // Nothing out any more: the journal can go.
  bool Empty() const { return asides.empty() && written.empty(); }
  bool operator==(const JournalEntries& other) const = default;
};

std::string FormatJournal(const JournalEntries& entries);
// Nothing for a text that is not a journal, or names a file a benchmark never touches:
// the program acts as administrator on the names of a file in a folder users may write.
std::optional<JournalEntries> ParseJournal(const std::string& text);

struct RestoreStep {
  enum class Kind {
    MoveBack,       // the back-up over the name, unless the name holds a file of the user's
    KeepRewrite,    // the name's current file, when it differs from the back-up, to a free back-up name
    Remove,         // a file the benchmark wrote
  };
  Kind kind;
  std::string name;
  std::string backup;  // MoveBack and KeepRewrite
  bool operator==(const RestoreStep& other) const = default;
};

// The steps that put back the files named by only (all when empty), back-ups first. A file
// written over a name that was put aside is replaced by its back-up rather than removed.
// keepRewrites: the game may have rewritten a copied file after the benchmark (it ended
// unwatched), so that rewrite is kept too.
std::vector<RestoreStep> RestorePlan(const JournalEntries& entries, bool keepRewrites,
                                     const std::vector<std::string>& only = {});

// The journal of one game folder as this copy of the program keeps it: on disk, what it
// holds in memory, or between two runs also the console log just removed.
class BenchmarkJournal {
 public:
  explicit BenchmarkJournal(platform::IFileSystem& files) : files_(files) {}

  enum class Found { None, Loaded, Unreadable };
  // The journal a copy that ended left in the folder; it becomes this copy's.
  Found Load(const std::string& gameBasePath);
  // Starts one for this copy unless it has one; throws dx::Error when it cannot be written,
  // before anything in the folder has been touched.
  void Begin(const std::string& gameBasePath);
  // Each step is written before it is taken; throws dx::Error when it cannot be.
  void NoteAside(const std::string& name, const std::string& backup, bool copied);
  void NoteWritten(const std::string& name);
  void NoteGame(const platform::ProcessIdentity& game);
  // name is back (or gone): forgotten, and the journal removed once nothing is out. Never
  // throws: a restore goes on whether or not the journal can be rewritten.
  void Forget(const std::string& name);
  // A file every run writes anew, removed after a run: forgotten on disk only with the next
  // write, which the next run's note of the same file then makes needless, or on closing.
  // Meanwhile the journal on disk names a file that is gone, whose removal is no step.
  void ForgetRunFile(const std::string& name);
  // Removes a journal that names nothing any more; one that still does gets any forgetting
  // that waited.
  void CloseIfEmpty();

  // Written into every journal this copy begins.
  std::string ProgramPath;

  // This copy has files of the folder out.
  bool Open() const { return open_; }
  const JournalEntries& Entries() const { return entries_; }
  const std::string& BasePath() const { return basePath_; }
  bool Names(const std::string& name) const;

 private:
  // Forgotten in memory; true when name was there.
  bool Drop(const std::string& name);
  void Save();
  void SaveIfPossible();
  // Save after a change that is undone when it cannot be written.
  template <typename Undo>
  void SaveOrUndo(Undo undo);
  platform::IFileSystem& files_;
  std::string basePath_;
  JournalEntries entries_;
  JournalEntries onDisk_;  // as last written or read
  bool open_ = false;
};

}  // namespace dx
