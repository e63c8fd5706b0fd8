#include "app/SettingsStore.h"

#include "common/Base64.h"
#include "app/MainForm.h"
#include "common/Text.h"
#include "gameprep/GameInterface.h"

namespace dx {
namespace {

// "1" to "5": the number; anything else 0.
int RunNumberOf(const std::string& text) {
  int value = 0;
  if (text.size() != 1 || !TryStrToInt(text, value) || value < 1 || value > 5) return 0;
  return value;
}

// A single decimal digit from 0 to last; anything else -1.
int IndexOf(const std::string& text, int last) {
  if (text.size() != 1 || text[0] < '0' || text[0] > '0' + last) return -1;
  return text[0] - '0';
}

void LoadDisplayModes(TForm1& form) {
  platform::DisplayMode mode;
  for (std::uint32_t index = 0; form.Platform().display.GetMode(index, mode); ++index) {
    std::string text = IntToStr(mode.width) + " x " + IntToStr(mode.height);
    if (form.DisplayModeList.IndexOf(text) < 0) form.DisplayModeList.Add(std::move(text));
  }
}

void LoadResolutions(TForm1& form, const std::string& modes) {
  for (std::size_t i = 0; i < settings::kResolutionValues.size(); ++i) {
    if (Contains(modes, settings::kResolutionModeTexts[i])) {
      form.res.SetItemChecked(i, form.SharedRegistry.ReadString(settings::kResolutionValues[i]) == "1");
    } else {
      form.res.SetItemEnabled(i, false);
      form.res.SetItemChecked(i, false);
    }
  }
}

// A size edited in the registry by hand reaches the game's command line: only digits
// may pass, however the text happens to match the mode list.
bool IsSizeText(const std::string& text) {
  int value = 0;
  return text.empty() ||
         (text.find_first_not_of("0123456789") == std::string::npos && TryStrToInt(text, value) && value > 0);
}

void LoadCustomResolution(TForm1& form, const std::string& modes) {
  auto& reg = form.SharedRegistry;
  const std::string width = reg.ReadString(settings::kCusW);
  const std::string height = reg.ReadString(settings::kCusH);
  if (width == "0" || height == "0") return;
  if (!IsSizeText(width) || !IsSizeText(height) || !Contains(modes, width + " x " + height)) {
    reg.WriteString(settings::kCusW, "0");
    reg.WriteString(settings::kCusH, "0");
    return;
  }
  form.CusWidth.SetText(width);
  form.CusHeight.SetText(height);
  const bool selected =
      reg.ReadString(settings::kCusRes) == "1" && !form.CusWidth.Text().empty() && !form.CusHeight.Text().empty();
  form.cusresbox.SetChecked(selected);
  form.CusWidth.SetEnabled(selected);
  form.CusHeight.SetEnabled(selected);
  form.CusPossibilities.SetEnabled(selected);
}

void LoadTickBox(controls::TCheckBox& box, const std::string& value) {
  if (value == "0") box.SetChecked(false);
  else if (value == "1") box.SetChecked(true);
}

void LoadDemo(TForm1& form) {
  auto& reg = form.SharedRegistry;
  const std::string choice = reg.ReadString(settings::kDemo);
  if (choice == "1") {
    form.demo.SetItemIndex(0);
  } else if (choice == "2") {
    form.demo.SetItemIndex(1);
    const std::string name = reg.ReadString(settings::kDemoname);
    if (!name.empty() && form.Platform().files.FileExists(name)) {
      form.DemoEdit.SetText(name);
    } else {
      form.DemoEdit.SetText("");
      form.demo.SetItemIndex(0);
      // The built-in demo's handler has opened the settings key again.
      reg.WriteString(settings::kDemoname, "");
    }
  }
}

void LoadResultsFolder(TForm1& form) {
  auto& reg = form.SharedRegistry;
  form.ResEdit.SetText(reg.ReadString(settings::kResultPath));
  if (!form.Platform().files.FolderExists(form.ResEdit.Text())) form.ResEdit.SetText("");
  if (form.ResEdit.Text().empty()) {
    form.ResEdit.SetText(form.ProgramDir + settings::kDefaultResultsFolder);
    reg.WriteString(settings::kResultPath, form.ResEdit.Text());
  }
  form.ResultsPath = form.ResEdit.Text();
}

}  // namespace

void StoreSetting(SharedRegistry& registry, const std::string& name, const std::string& value) {
  registry.OpenKey(settings::kSettingsKey, false);
  registry.WriteString(name, value);
}

std::string GamePathFromInstallation(const std::string& version, const std::string& installPath,
                                     const std::string& installLog) {
  if (version == game::kInstallPathVersion) return installPath + "\\";
  if (installLog.size() <= game::kInstallLogNameLength) return {};
  return installLog.substr(0, installLog.size() - game::kInstallLogNameLength);
}

std::string FolderChoiceText(const std::string& chosen) {
  return chosen.size() <= 3 ? chosen : chosen + "\\";
}

bool DetectGameAndLoad(TForm1& form) {
  auto& reg = form.SharedRegistry;
  if (!reg.OpenKey(game::kGameKey, false) || !reg.ValueExists(game::kVersionValue)) return false;
  LoadSettings(form);
  return true;
}

void LoadSettings(TForm1& form) {
  auto& reg = form.SharedRegistry;

  // Game detection.
  const std::string version = reg.ReadString(game::kVersionValue);
  const std::string gamePath = version == game::kInstallPathVersion
                                   ? GamePathFromInstallation(version, reg.ReadString(game::kInstallPathValue), {})
                                   : GamePathFromInstallation(version, {}, reg.ReadString(game::kInstallLogValue));
  form.Q4PathEdit.SetText(gamePath);
  form.SetGameFolder(gamePath);
  reg.CloseKey();

  if (!reg.OpenKey(settings::kSettingsKeyRelative, false)) return;
  reg.WriteString(settings::kPath, form.GamePath);
  form.UpdaterOwnVersion = form.VersionString;

  // The display's modes are needed only here; the list is emptied even when a value
  // in between cannot be read.
  try {
    LoadDisplayModes(form);
    const std::string modes = form.DisplayModeList.Text();
    LoadResolutions(form, modes);
    LoadCustomResolution(form, modes);
  } catch (...) {
    form.DisplayModeList.Clear();
    throw;
  }
  form.DisplayModeList.Clear();

  if (const int runs = RunNumberOf(reg.ReadString(settings::kRunNumber)); runs > 0) {
    form.RunNumberBox.SetItemIndex(runs - 1);
  }
  if (const int aspect = IndexOf(reg.ReadString(settings::kAspectRatio), 1); aspect >= 0) {
    form.AspectBox.SetItemIndex(aspect);
  }
  LoadTickBox(form.SMPBox, reg.ReadString(settings::kSmp));
  LoadTickBox(form.AmbientLightBox, reg.ReadString(settings::kForceAmbientLight));
  LoadTickBox(form.FrameTimesBox, reg.ReadString(settings::kFrameTimes));
  if (reg.ValueExists(settings::kAmbientLightV)) {
    const std::string level = reg.ReadString(settings::kAmbientLightV);
    int found = -1;
    for (std::size_t i = 0; i < form.ALValues.Items().size(); ++i) {
      if (form.ALValues.Items()[i] == level) found = static_cast<int>(i);
    }
    form.ALValues.SetItemIndex(found);
  }
  LoadDemo(form);
  if (const int quality = IndexOf(reg.ReadString(settings::kQuality), 3); quality >= 0) {
    form.QualityModeBox.SetItemIndex(quality);
  }
  LoadResultsFolder(form);
  if (const int af = IndexOf(reg.ReadString(settings::kAFLevel), 5); af >= 0) form.AFBox.SetItemIndex(af);
  if (const int aa = IndexOf(reg.ReadString(settings::kAALevel), 5); aa >= 0) form.AABox.SetItemIndex(aa);
  form.NoteEdit.SetText(reg.ReadString(settings::kNote));
  form.UseProxyBox.SetChecked(reg.ReadString(settings::kUseProxy) == "1");
  form.ProxyServerEdit.SetText(reg.ReadString(settings::kProxyServer));
  form.ProxyPortEdit.SetText(reg.ReadString(settings::kProxyPort));
  form.ProxyUsernameEdit.SetText(reg.ReadString(settings::kProxyUsername));
  if (const std::string password = reg.ReadString(settings::kProxyPassword); !password.empty()) {
    form.ProxyPassEdit.SetText(Base64Decode(password));
  }
  const bool proxy = form.UseProxyBox.Checked();
  form.ProxyServerEdit.SetEnabled(proxy);
  form.ProxyPortEdit.SetEnabled(proxy);
  form.ProxyUsernameEdit.SetEnabled(proxy);
  form.ProxyPassEdit.SetEnabled(proxy);
}

}  // namespace dx
