#pragma once
// A main window on the doubles: an installed game, a settings key, a display.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/MainForm.h"
#include "tests/doubles/FakeMainFormHost.h"
#include "tests/doubles/FakePlatform.h"

namespace dx::test {

inline constexpr const char* kSettingsPath = "SOFTWARE\\Tamberlin\\Dextrel";
inline constexpr const char* kGameKeyPath = "SOFTWARE\\id\\Quake 4";
inline constexpr const char* kGameFolder = "C:\\Games\\Quake 4\\";
inline constexpr const char* kBase = "C:\\Games\\Quake 4\\q4base\\";
inline constexpr const char* kDemos = "C:\\Games\\Quake 4\\q4base\\Demos\\";
inline constexpr const char* kProgramFolder = "C:\\Program Files\\Dextrel\\";

class FormFixture : public ::testing::Test {
 protected:
  FakePlatform fake;
  platform::Platform view = fake.View();
  FakeMainFormHost host;
  std::unique_ptr<TForm1> form;

  FormFixture() {
    for (auto [w, h] : {std::pair{640u, 480u}, {800u, 600u}, {1024u, 768u}, {1280u, 1024u}, {1280u, 768u},
                        {1600u, 1200u}, {1920u, 1080u}, {1920u, 1200u}, {2048u, 1536u}}) {
      fake.display.AddMode(w, h);
    }
  }

  // A game of a later patch, which records its install log ("install.log", 11 characters).
  void InstallGame() {
    fake.registry.SetString(kGameKeyPath, "Version", "1.4.2");
    fake.registry.SetString(kGameKeyPath, "InstallLog", std::string(kGameFolder) + "install.log");
    fake.files.AddFolder(kDemos);
    fake.files.AddFile(std::string(kProgramFolder) + "Demos\\VKRdemo.demo", "built-in demo");
  }
  void Set(const std::string& name, const std::string& value) { fake.registry.SetString(kSettingsPath, name, value); }
  std::string Stored(const std::string& name) const { return fake.registry.Get(kSettingsPath, name); }

  TForm1& Start() {
    form = std::make_unique<TForm1>(view, host);
    form->FormCreate();
    return *form;
  }
  // The window's close box: the close query, then the close.
  void CloseWindow() {
    bool canClose = false;
    form->FormCloseQuery(canClose);
    form->FormClose();
  }
  // Either way out: the exit button, or the window's close.
  void Leave(bool byExitButton) {
    if (byExitButton) {
      form->Image2Click();
    } else {
      CloseWindow();
    }
  }
  // A started program with the game and the settings key, nothing stored yet.
  TForm1& StartInstalled() {
    InstallGame();
    fake.registry.AddKey(kSettingsPath);
    return Start();
  }
};

}  // namespace dx::test
