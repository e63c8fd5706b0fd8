#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "common/HexText.h"
#include "common/Sha256.h"
#include "tests/doubles/MemoryFileSystem.h"
#include "upgrade_helper/UpgradeHelper.h"

namespace dx::upgrade {
namespace {

// Files by path (no case distinction), listed in the order they were added; a clock
// that moves one millisecond per wait turn.
class FakeHelperSystem : public IHelperSystem {
 public:
  struct Entry {
    std::string path, data;
    std::uint32_t attributes = 0x80;
  };
  std::vector<Entry> entries;
  std::vector<std::string> started;  // "program|arguments"
  std::vector<std::string> errors;
  std::vector<std::string> lockedPaths;
  std::map<std::string, int> freeAfterTurns;  // path -> turns until it opens
  int turns = 0;
  std::uint32_t ticks = 0;
  std::vector<bool> priorities;

  void Add(const std::string& path, const std::string& data) { entries.push_back({path, data}); }
  Entry* Find(const std::string& path) {
    for (auto& e : entries) {
      if (test::WildcardMatch(e.path, path) && e.path.size() == path.size()) return &e;
    }
    return nullptr;
  }
  std::string Contents(const std::string& path) {
    Entry* e = Find(path);
    return e ? e->data : "<missing>";
  }

  bool FileExists(const std::string& path) override { return Find(path) != nullptr; }
  std::string FoundName(const std::string& path) override {
    Entry* e = Find(path);
    return e ? e->path.substr(e->path.find_last_of('\\') + 1) : std::string();
  }
  // Held files are read and renamed by their entry, so a path that changes meanwhile cannot
  // redirect them; swapWhileHeld replaces a file's bytes after it was held.
  class Held : public IHeldFile {
   public:
    Held(FakeHelperSystem& system, std::string path) : system_(system), path_(std::move(path)) {}
    std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
      Entry* e = system_.Find(path_);
      if (!e) return std::nullopt;
      const std::size_t n = std::min(size, e->data.size() - offset_);
      std::copy_n(e->data.data() + offset_, n, buffer);
      offset_ += n;
      return n;
    }
    bool RenameTo(const std::string& to) override {
      Entry* e = system_.Find(path_);
      if (!e || system_.Find(to)) return false;
      e->path = to;
      system_.renamed.push_back(to);
      return true;
    }

   private:
    FakeHelperSystem& system_;
    std::string path_;
    std::size_t offset_ = 0;
  };
  std::vector<std::string> renamed;
  std::unique_ptr<IHeldFile> Hold(const std::string& path) override {
    if (!Find(path)) return nullptr;
    return std::make_unique<Held>(*this, path);
  }
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    Entry* e = Find(path);
    if (e) e->attributes = attributes;
    return e != nullptr;
  }
  bool RemoveFile(const std::string& path) override {
    for (auto it = entries.begin(); it != entries.end(); ++it) {
      if (Find(path) == &*it) {
        entries.erase(it);
        return true;
      }
    }
    return false;
  }
  bool CanOpenExclusively(const std::string& path) override {
    for (const auto& locked : lockedPaths) {
      if (locked == path) return false;
    }
    auto it = freeAfterTurns.find(path);
    return it == freeAfterTurns.end() || turns >= it->second;
  }
  void WaitTurn() override {
    ++turns;
    ++ticks;
  }
  void SetLowPriority(bool low) override { priorities.push_back(low); }
  std::uint32_t TickCount() override { return ticks; }
  bool StartProgram(const std::string& program, const std::string& arguments) override {
    started.push_back(program + "|" + arguments);
    return true;
  }
  bool setupRunsToItsEnd = true;
  bool RunProtected(const std::string& fileName, const std::string& bytes, const std::string& arguments,
                    std::uint32_t) override {
    started.push_back("protected " + fileName + "|" + bytes + "|" + arguments);
    return setupRunsToItsEnd;
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }
};

TEST(UpgradeHelperArgumentsTest, EveryValueIsReadBackExactlyAndAnythingElseEndsTheRun) {
  const std::string digest = Sha256Hex("x");
  const std::string path = "C:\\Games\\C++\\My Bench +1\\prog.exe";
  HelperArguments a = ParseArguments({"/sha256=" + digest + ":" + ToHexText("my file+1.dat.uTMP"), "/program=" + ToHexText(path),
                                      "/restart=" + ToHexText("/afterupgrade +x"), "/setup=1"});
  ASSERT_TRUE(a.valid);
  ASSERT_EQ(a.files.size(), 1u);
  EXPECT_EQ(a.files[0].name, "my file+1.dat.uTMP");
  EXPECT_EQ(a.files[0].digest, digest);
  EXPECT_EQ(a.programPath, path);
  EXPECT_EQ(a.folder, "C:\\Games\\C++\\My Bench +1\\");
  EXPECT_EQ(a.restartArguments, "/afterupgrade +x");
  EXPECT_TRUE(a.externalSetup);

  a = ParseArguments({"/program=" + ToHexText("C:\\B\\p.exe"), "/restart=", "/setup=0"});
  ASSERT_TRUE(a.valid);
  EXPECT_TRUE(a.files.empty());
  EXPECT_EQ(a.restartArguments, "");
  EXPECT_FALSE(a.externalSetup);

  // A malformed argument, or the old way of writing them, is no run at all.
  const std::string program = "/program=" + ToHexText("C:\\B\\p.exe");
  const std::vector<std::vector<std::string>> refused = {
      {},
      {"C:\\B\\p.exe", "+/afterupgrade0"},
      {program, "+/afterupgrade0"},
      {"/program=" + ToHexText("p.exe")},
      {"/program=" + ToHexText("C:\\B\\p.exe").substr(1)},
      {"/program=" + std::string("433A5C")},
      {program, "/program=" + ToHexText("C:\\C\\q.exe")},
      {program, "/setup=2"},
      {"/sha256=" + digest + ":" + ToHexText("..\\p.exe.uTMP"), program},
      {"/sha256=" + digest + ":" + ToHexText("p.exe"), program},
      {"/sha256=ABC:" + ToHexText("q.uTMP"), program},
      {"/sha256=" + digest + ":my.dat.uTMP", program}};
  for (const auto& arguments : refused) {
    EXPECT_FALSE(ParseArguments(arguments).valid) << (arguments.empty() ? "" : arguments.back());
  }
}

class UpgradeHelperTest : public ::testing::Test {
 protected:
  // A file the program downloaded and handed over with its digest.
  void Download(const std::string& path, const std::string& data) {
    system.Add(path, data);
    handedOver.push_back("/sha256=" + Sha256Hex(data) + ":" + ToHexText(path.substr(path.find_last_of('\\') + 1)));
  }
  void Run(const std::string& programPath, bool externalSetup = false) {
    std::vector<std::string> args = handedOver;
    args.push_back("/program=" + ToHexText(programPath));
    args.push_back("/restart=" + ToHexText("/afterupgrade"));
    args.push_back(externalSetup ? "/setup=1" : "/setup=0");
    const HelperArguments parsed = ParseArguments(args);
    ASSERT_TRUE(parsed.valid);
    RunUpgrade(parsed, system, {50, 80});
  }
  FakeHelperSystem system;
  std::vector<std::string> handedOver;
};

TEST_F(UpgradeHelperTest, DownloadedFilesReplaceTheirTargetsAndTheProgramStartsAgain) {
  system.Add("C:\\Bench\\Prog.exe", "old program");
  system.Add("C:\\Bench\\data.pak", "old data");
  Download("C:\\Bench\\prog.exe.uTMP", "new program");
  Download("C:\\Bench\\data.pak.uTMP", "new data");
  system.Add("C:\\Bench\\notes.txt", "kept");
  Run("C:\\Bench\\prog.exe");
  EXPECT_EQ(system.Contents("C:\\Bench\\prog.exe"), "new program");
  EXPECT_EQ(system.FoundName("C:\\Bench\\prog.exe"), "prog.exe");
  EXPECT_EQ(system.Contents("C:\\Bench\\data.pak"), "new data");
  EXPECT_EQ(system.Contents("C:\\Bench\\notes.txt"), "kept");
  EXPECT_FALSE(system.FileExists("C:\\Bench\\prog.exe.uTMP"));
  EXPECT_EQ(system.Find("C:\\Bench\\data.pak")->attributes, 0x20u);
  EXPECT_EQ(system.started, std::vector<std::string>{"C:\\Bench\\prog.exe|/afterupgrade"});
  EXPECT_EQ(system.priorities, (std::vector<bool>{true, false}));
  EXPECT_TRUE(system.errors.empty());
}

TEST_F(UpgradeHelperTest, AFileNotHandedOverOrChangedSinceItsCheckIsNeverInstalled) {
  system.Add("C:\\Bench\\prog.exe", "old program");
  system.Add("C:\\Bench\\data.pak", "old data");
  Download("C:\\Bench\\data.pak.uTMP", "new data");
  Download("C:\\Bench\\readme.txt.uTMP", "readme");
  system.Find("C:\\Bench\\readme.txt.uTMP")->data = "swapped after the program's check";
  system.Add("C:\\Bench\\other.exe.uTMP", "put into the folder meanwhile");
  system.Add("C:\\Bench\\lib.dll.uTMP", "handed over without a proper digest");
  handedOver.push_back("/sha256=" + std::string(64, 'a') + ":" + ToHexText("lib.dll.uTMP"));
  Run("C:\\Bench\\prog.exe");
  EXPECT_EQ(system.Contents("C:\\Bench\\data.pak"), "new data");
  EXPECT_EQ(system.Contents("C:\\Bench\\prog.exe"), "old program");
  EXPECT_FALSE(system.FileExists("C:\\Bench\\readme.txt"));
  EXPECT_FALSE(system.FileExists("C:\\Bench\\readme.txt.uTMP"));
  EXPECT_FALSE(system.FileExists("C:\\Bench\\lib.dll"));
  EXPECT_TRUE(system.FileExists("C:\\Bench\\other.exe.uTMP"));
  EXPECT_EQ(system.renamed, std::vector<std::string>{"C:\\Bench\\data.pak"});
  EXPECT_EQ(system.started, std::vector<std::string>{"C:\\Bench\\prog.exe|/afterupgrade"});
}

TEST_F(UpgradeHelperTest, OnlyADownloadOfTheProgramsOwnNameReplacesItAndOtherExesKeepTheirNames) {
  system.Add("C:\\Program Files\\Bench\\prog.exe", "old");
  Download("C:\\Program Files\\Bench\\newprog.exe.uTMP", "new program");
  Download("C:\\Program Files\\Bench\\tool.exe.uTMP", "tool");
  Download("C:\\Program Files\\Bench\\SETUP.EXE.uTMP", "capitals");
  Run("C:\\Program Files\\Bench\\prog.exe");
  EXPECT_EQ(system.Contents("C:\\Program Files\\Bench\\prog.exe"), "old");
  EXPECT_EQ(system.Contents("C:\\Program Files\\Bench\\newprog.exe"), "new program");
  EXPECT_EQ(system.Contents("C:\\Program Files\\Bench\\tool.exe"), "tool");
  EXPECT_EQ(system.Contents("C:\\Program Files\\Bench\\SETUP.EXE"), "capitals");
  EXPECT_EQ(system.started, std::vector<std::string>{"C:\\Program Files\\Bench\\prog.exe|/afterupgrade"});
}

TEST_F(UpgradeHelperTest, AnExeInCapitalsIsNeverTakenAsTheProgram) {
  system.Add("C:\\Bench\\prog.exe", "old");
  Download("C:\\Bench\\NEW.EXE.uTMP", "capitals");
  Run("C:\\Bench\\prog.exe");
  EXPECT_EQ(system.Contents("C:\\Bench\\prog.exe"), "old");
  EXPECT_EQ(system.Contents("C:\\Bench\\NEW.EXE"), "capitals");
}

TEST_F(UpgradeHelperTest, AProgramPathWithoutAFileNameInstallsADownloadedExeUnderItsOwnName) {
  Download("C:\\Bench\\new.exe.uTMP", "new program");
  Download("C:\\Bench\\data.pak.uTMP", "data");
  Run("C:\\Bench\\");
  EXPECT_EQ(system.Contents("C:\\Bench\\new.exe"), "new program");
  EXPECT_EQ(system.Contents("C:\\Bench\\data.pak"), "data");
  EXPECT_FALSE(system.FileExists("C:\\Bench\\"));
  EXPECT_EQ(system.entries.size(), 2u);
}

TEST_F(UpgradeHelperTest, AnExternalSetupRunsFromAProtectedFolderAndEndsBeforeTheProgramRestarts) {
  system.Add("C:\\Bench\\prog.exe", "old");
  Download("C:\\Bench\\setup.exe.uTMP", "setup");
  Download("C:\\Bench\\readme.txt.uTMP", "readme");
  Run("C:\\Bench\\prog.exe", true);
  // Only the checked bytes run, never the file in the program's folder.
  EXPECT_EQ(system.started, (std::vector<std::string>{"protected setup.exe|setup|/afterupgrade",
                                                      "C:\\Bench\\prog.exe|/afterupgrade"}));
  EXPECT_FALSE(system.FileExists("C:\\Bench\\setup.exe"));
  EXPECT_FALSE(system.FileExists("C:\\Bench\\setup.exe.uTMP"));
  EXPECT_EQ(system.Contents("C:\\Bench\\prog.exe"), "old");
  EXPECT_EQ(system.Contents("C:\\Bench\\readme.txt"), "readme");
  EXPECT_TRUE(system.errors.empty());

  // A setup changed since its check never runs; one that does not end is reported.
  system.started.clear();
  handedOver.clear();
  Download("C:\\Bench\\setup.exe.uTMP", "setup");
  system.Find("C:\\Bench\\setup.exe.uTMP")->data = "swapped";
  Download("C:\\Bench\\other.exe.uTMP", "other setup");
  system.setupRunsToItsEnd = false;
  Run("C:\\Bench\\prog.exe", true);
  EXPECT_EQ(system.started, (std::vector<std::string>{"protected other.exe|other setup|/afterupgrade",
                                                      "C:\\Bench\\prog.exe|/afterupgrade"}));
  EXPECT_FALSE(system.FileExists("C:\\Bench\\setup.exe.uTMP"));
  ASSERT_EQ(system.errors.size(), 1u);
  EXPECT_NE(system.errors[0].find("other.exe"), std::string::npos);
}

TEST_F(UpgradeHelperTest, AnExternalSetupWithoutASetupFileLeavesTheProgramAlone) {
  system.Add("C:\\Bench\\prog.exe", "old");
  Download("C:\\Bench\\data.pak.uTMP", "data");
  Run("C:\\Bench\\prog.exe", true);
  EXPECT_EQ(system.Contents("C:\\Bench\\prog.exe"), "old");
  EXPECT_EQ(system.Contents("C:\\Bench\\data.pak"), "data");
  EXPECT_EQ(system.started, std::vector<std::string>{"C:\\Bench\\prog.exe|/afterupgrade"});
}

TEST_F(UpgradeHelperTest, AProgramThatStaysInUseEndsTheWaitWithAMessageAndNothingReplaced) {
  system.Add("C:\\Bench\\prog.exe", "old");
  Download("C:\\Bench\\prog.exe.uTMP", "new");
  system.lockedPaths.push_back("C:\\Bench\\prog.exe");
  Run("C:\\Bench\\prog.exe");
  ASSERT_EQ(system.errors.size(), 1u);
  EXPECT_NE(system.errors[0].find("C:\\Bench\\prog.exe"), std::string::npos);
  EXPECT_EQ(system.Contents("C:\\Bench\\prog.exe"), "old");
  EXPECT_EQ(system.Contents("C:\\Bench\\prog.exe.uTMP"), "new");
  EXPECT_TRUE(system.started.empty());
  EXPECT_GE(system.ticks, 50u);
  EXPECT_EQ(system.priorities, (std::vector<bool>{true, false}));
}

TEST_F(UpgradeHelperTest, AMissingProgramIsNotWaitedForAndGetsOnlyADownloadOfItsName) {
  Download("C:\\Bench\\other.exe.uTMP", "other");
  Run("C:\\Bench\\prog.exe");
  EXPECT_EQ(system.turns, 0);
  EXPECT_FALSE(system.FileExists("C:\\Bench\\prog.exe"));
  EXPECT_EQ(system.Contents("C:\\Bench\\other.exe"), "other");
  handedOver.clear();
  Download("C:\\Bench\\PROG.exe.uTMP", "new");
  Run("C:\\Bench\\prog.exe");
  EXPECT_EQ(system.Contents("C:\\Bench\\prog.exe"), "new");
}

}  // namespace
}  // namespace dx::upgrade
