#include "app/MainForm.h"

#include "common/Base64.h"
#include "app/SettingsStore.h"
#include "common/FirstError.h"
#include "common/Text.h"
#include "extras/SelfUpdater.h"
#include "gameprep/GameInterface.h"

namespace dx {
namespace {

const std::string kSign(1, kTimes);

std::vector<std::string> ResolutionItems() {
  return {"640 " + kSign + " 480",   "800 " + kSign + " 600",   "1024 " + kSign + " 768",
          "1280 " + kSign + " 1024", "1600 " + kSign + " 1200", "2048 " + kSign + " 1536",
          "1280 " + kSign + " 768",  "1920 " + kSign + " 1080", "1920 " + kSign + " 1200"};
}

constexpr const char* kQualityDescriptions[] = {
    "This mode is designed for a graphics card with 64MB of Video RAM.",
    "This mode is designed for a graphics card with 128MB of Video RAM.",
    "This mode is designed for a graphics card with 256MB of Video RAM.",
    "This mode is the highest possible for Quake 4 and was originally designed for a graphics card with 512MB "
    "of Video RAM.",
};

}  // namespace

const char* QualityDescription(int index) {
  return kQualityDescriptions[index >= 0 && index <= 2 ? index : 3];
}

TForm1::TForm1(platform::Platform& platform, IMainFormHost& host)
    : res("res", " Resolution ", ResolutionItems()),
      AspectBox("AspectBox", " Aspect Ratio ", {"Standard [ 4:3 ]", "Widescreen [ 16:9 ]"}),
      RunNumberBox("RunNumberBox", {"1", "2", "3", "4", "5"}),
      demo("demo", " Choose a demo ", {"Tamberlin demo", "User defined demo"}),
      QualityModeBox("QualityModeBox", " Quality  ",
                     {"Low Quality", "Medium Quality", "High  Quality", "Ultra Quality"}),
      AFBox("AFBox", {"None", "Anisotropic 2" + kSign, "Anisotropic 4" + kSign, "Anisotropic 8" + kSign,
                      "Anisotropic 16" + kSign, "From System"}),
      AABox("AABox", {"None", "2" + kSign, "4" + kSign, "8" + kSign, "16" + kSign, "From System"}),
      ALValues("ALValues", {"0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1.0"}),
      SharedRegistry(platform.registry),
      platform_(platform),
      host_(host),
      benchmark_(platform, SharedRegistry, *this) {
  Panel1.SetVisible(false);
  Q4PathEdit.SetReadOnly(true);
  ResEdit.SetReadOnly(true);
  NoteEdit.SetMaxLength(50);
  for (auto* field : {&CusWidth, &CusHeight}) {
    field->SetReadOnly(true);
    field->SetEnabled(false);
  }
  CusPossibilities.SetEnabled(false);
  DemoEdit.SetReadOnly(true);
  DemoEdit.SetEnabled(false);
  DemoEditButton.SetEnabled(false);
  Label7.SetCaption(QualityDescription(3));
  ProxyPassEdit.SetPasswordChar('*');
  WireHandlers();
}

void TForm1::WireHandlers() {
  BenchButton.OnClick = [this] { BenchButtonClick(); };
  CancelButton.OnClick = [this] { CancelButtonClick(); };
  benchmark_.Game().OnTerminate = [this](TJvCreateProcess& sender, std::uint32_t exitCode) {
    cpTerminate(sender, exitCode);
  };
  RzToolButton2.OnClick = [this] { RzToolButton2Click(); };
  RzToolButton1.OnClick = [this] { RzToolButton1Click(); };
  RzToolButton3.OnClick = [this] { RzToolButton3Click(); };
  OpenResFolder.OnClick = [this] { OpenResFolderClick(); };
  HistoryButton.OnClick = [this] { HistoryButtonClick(); };
  NoteEdit.OnChange = [this] { NoteEditChange(); };
  res.OnMouseLeave = [this] { resMouseLeave(); };
  cusresbox.OnClick = [this] { cusresboxClick(); };
  cusresbox.OnMouseLeave = [this] { cusresboxMouseLeave(); };
  CusPossibilities.OnClick = [this] { CusPossibilitiesClick(); };
  AspectBox.OnChanging = [this] { AspectBoxChanging(); };
  RunNumberBox.OnChange = [this] { RunNumberBoxChange(); };
  demo.OnChanging = [this] { demoChanging(); };
  DemoEditButton.OnClick = [this] { DemoEditButtonClick(); };
  QualityModeBox.OnChanging = [this] { QualityModeBoxChanging(); };
  UseProxyBox.OnClick = [this] { UseProxyBoxClick(); };
  UseProxyBox.OnMouseLeave = [this] { UseProxyBoxMouseLeave(); };
  ProxyServerEdit.OnChange = [this] { ProxyServerEditChange(); };
  ProxyPortEdit.OnChange = [this] { ProxyPortEditChange(); };
  ProxyUsernameEdit.OnChange = [this] { ProxyUsernameEditChange(); };
  ProxyPassEdit.OnChange = [this] { ProxyPassEditChange(); };
  AFBox.OnChange = [this] { AFBoxChange(); };
  AABox.OnChange = [this] { AABoxChange(); };
  SMPBox.OnMouseLeave = [this] { SMPBoxMouseLeave(); };
  AmbientLightBox.OnMouseLeave = [this] { AmbientLightBoxMouseLeave(); };
  FrameTimesBox.OnMouseLeave = [this] { FrameTimesBoxMouseLeave(); };
  ALValues.OnChange = [this] { ALValuesChange(); };
}

// ---- Start-up

void TForm1::FormCreate() {
  GroupCaptionColour = kGroupCaptionColour;
  ProgramDir = ExtractFilePath(host_.ExecutablePath());
  benchmark_.SetProgram(host_.ExecutablePath(), ProgramDir);
  // The session's diagnostic hand-over took the tool's exit over; the window hands it back.
  benchmark_.DiagnosticTool().OnTerminate = [this](TJvCreateProcess& sender, std::uint32_t exitCode) {
    dxrunTerminate(sender, exitCode);
  };
  CreateUpdater();
  DisplayModeList.Clear();
  PageControl.SetActivePageIndex(kPageStart);
  SharedRegistry.CloseKey();
  const auto version = host_.FileVersion();
  VersionString = version && !version->empty() ? *version : "Value Not Available";
  Label6.SetCaption("v" + VersionString);

  WaitingLabel.SetVisible(false);

  FirstError failed;
  failed.Run([&] { DetectGameAndLoad(*this); });
  // A failure here must not keep the hidden windows from being made either.
  failed.Run([&] { benchmark_.RecoverGameFolder(GamePath); });
  // The version resource alone: the settings key may be missing or written by anyone
  // with a copy of an older release.
  Updater->VersionNumber = VersionString;

  Form3 = std::make_unique<TForm3>(platform_.display, SharedRegistry,
                                   [this](const std::string& width, const std::string& height) {
                                     CusWidth.SetText(width);
                                     CusHeight.SetText(height);
                                   });
  host_.CreateCustomResolutionWindow(*Form3);
  host_.CreateNewsWindow();
  failed.RethrowIfAny();
}

void TForm1::FormActivate() {
  SharedRegistry.OpenKey(settings::kSettingsKey, false);
  if (SharedRegistry.ReadString(settings::kNews) != "0") return;
  SharedRegistry.WriteString(settings::kNews, "1");
  host_.ShowNewsWindow();
}

void TForm1::Image1MouseDown(MouseButton button) {
  if (button == MouseButton::Left) host_.StartWindowMove();
}

void TForm1::Image3Click() { host_.MinimiseProgram(); }

// ---- Leaving

void TForm1::ClearSessionSettings() {
  if (!SharedRegistry.KeyExists(settings::kSettingsKey)) return;
  SharedRegistry.OpenKey(settings::kSettingsKey, false);
  SharedRegistry.WriteString(settings::kDisplayMemory, "");
  SharedRegistry.WriteString(settings::kDriverVersion, "");
  SharedRegistry.WriteString(settings::kSound, "");
  SharedRegistry.WriteString(settings::kNews, "0");
}

void TForm1::Image2Click() {
  // Leaving during a benchmark asks first; on yes the game is closed and what was
  // measured saved before anything of the exit runs.
  if (!benchmark_.ConfirmStop()) return;
  // Neither a files step nor a registry that refuses the values may keep the program from ending.
  FirstError failed;
  failed.Run([&] { benchmark_.CloseGameFolder(); });
  failed.Run([&] { ClearSessionSettings(); });
  if (Updater) Updater->ApplicationTerminating();
  host_.EndProgram();
  failed.RethrowIfAny();
}

void TForm1::FormCloseQuery(bool& canClose) {
  if (!benchmark_.ConfirmStop()) {
    canClose = false;
    return;
  }
  benchmark_.TidyAtCloseQuery();
  canClose = true;
}

void TForm1::FormClose() {
  FirstError failed;
  failed.Run([&] { benchmark_.CloseGameFolder(); });
  if (Updater) Updater->ApplicationTerminating();
  failed.Run([&] { ClearSessionSettings(); });
  SharedRegistry.CloseKey();
  DisplayModeList.Clear();
  failed.RethrowIfAny();
}

// ---- Option pages

void TForm1::Store(const std::string& name, const std::string& value) { StoreSetting(SharedRegistry, name, value); }

void TForm1::StoreIfNotEmpty(const std::string& name, const controls::TEdit& edit) {
  if (!edit.Text().empty()) Store(name, edit.Text());
}

void TForm1::SetGameFolder(const std::string& gamePath) {
  GamePath = gamePath;
  GameBasePath = gamePath + game::kBaseFolder;
  GameDemoPath = gamePath + game::kDemoFolder;
}

void TForm1::RzToolButton2Click() {
  const auto chosen = platform_.shell.BrowseForFolder("Browse for Quake 4 folder...", false);
  if (!chosen) return;
  const std::string text = FolderChoiceText(*chosen);
  Q4PathEdit.SetText(text);
  Store(settings::kPath, text);
  SetGameFolder(text);
}

void TForm1::RzToolButton1Click() {
  const auto chosen = platform_.shell.BrowseForFolder("Browse for results folder...", true);
  if (!chosen) return;
  const std::string text = FolderChoiceText(*chosen);
  ResEdit.SetText(text);
  Store(settings::kResultPath, text);
  ResultsPath = text;
}

void TForm1::OpenResFolderClick() {
  const std::string& folder = ResEdit.Text();
  if (folder.empty()) return;
  if (platform_.files.FolderExists(folder)) {
    platform_.shell.Open(folder, platform::ShowMode::Normal);
  } else {
    platform_.shell.ShowMessage("The results directory not exist.", kMessageCaption, platform::MessageButtons::Ok,
                                platform::MessageIcon::None);
  }
}

void TForm1::NoteEditChange() { StoreIfNotEmpty(settings::kNote, NoteEdit); }

void TForm1::resMouseLeave() {
  SharedRegistry.OpenKey(settings::kSettingsKey, false);
  for (std::size_t i = 0; i < settings::kResolutionValues.size(); ++i) {
    SharedRegistry.WriteString(settings::kResolutionValues[i], res.ItemChecked(i) ? "1" : "0");
  }
}

void TForm1::cusresboxClick() {
  const bool on = cusresbox.Checked();
  CusWidth.SetEnabled(on);
  CusHeight.SetEnabled(on);
  CusPossibilities.SetEnabled(on);
}

void TForm1::cusresboxMouseLeave() {
  const bool selected = cusresbox.Checked() && !CusWidth.Text().empty() && !CusHeight.Text().empty();
  Store(settings::kCusRes, selected ? "1" : "0");
}

void TForm1::CusPossibilitiesClick() { host_.ShowCustomResolutionModal(); }

void TForm1::AspectBoxChanging() {
  if (AspectBox.ItemIndex() == 0) Store(settings::kAspectRatio, "0");
  else if (AspectBox.ItemIndex() == 1) Store(settings::kAspectRatio, "1");
}

void TForm1::RunNumberBoxChange() {
  const int index = RunNumberBox.ItemIndex();
  if (index < 0 || index > 4) return;
  Store(settings::kRunNumber, RunNumberBox.Items()[static_cast<std::size_t>(index)]);
  RunCount = index + 1;
}

void TForm1::demoChanging() {
  if (demo.ItemIndex() == 0) {
    DemoEdit.SetEnabled(false);
    DemoEditButton.SetEnabled(false);
    Store(settings::kDemo, "1");
  } else if (demo.ItemIndex() == 1) {
    DemoEdit.SetEnabled(true);
    DemoEditButton.SetEnabled(true);
    Store(settings::kDemo, "2");
  }
}

void TForm1::DemoEditButtonClick() {
  const auto chosen = platform_.shell.OpenFile("Browse for Quake 4 demo files...",
                                               "Quake 4 demo files (*.demo, *.netdemo)|*.demo;*.netdemo");
  if (!chosen) return;
  DemoEdit.SetText(*chosen);
  Store(settings::kDemoname, *chosen);
}

void TForm1::QualityModeBoxChanging() {
  const int index = QualityModeBox.ItemIndex();
  if (index < 0 || index > 3) return;
  Label7.SetCaption(QualityDescription(index));
  Store(settings::kQuality, IntToStr(index));
}

void TForm1::UseProxyBoxClick() {
  const bool on = UseProxyBox.Checked();
  for (auto* field : {&ProxyServerEdit, &ProxyPortEdit, &ProxyUsernameEdit, &ProxyPassEdit}) field->SetEnabled(on);
}

void TForm1::UseProxyBoxMouseLeave() { Store(settings::kUseProxy, UseProxyBox.Checked() ? "1" : "0"); }

void TForm1::ProxyServerEditChange() { StoreIfNotEmpty(settings::kProxyServer, ProxyServerEdit); }
void TForm1::ProxyPortEditChange() { StoreIfNotEmpty(settings::kProxyPort, ProxyPortEdit); }
void TForm1::ProxyUsernameEditChange() { StoreIfNotEmpty(settings::kProxyUsername, ProxyUsernameEdit); }

void TForm1::ProxyPassEditChange() {
  if (!ProxyPassEdit.Text().empty()) Store(settings::kProxyPassword, Base64Encode(ProxyPassEdit.Text()));
}

void TForm1::AFBoxChange() {
  if (const int index = AFBox.ItemIndex(); index >= 0 && index <= 5) Store(settings::kAFLevel, IntToStr(index));
}

void TForm1::AABoxChange() {
  if (const int index = AABox.ItemIndex(); index >= 0 && index <= 5) Store(settings::kAALevel, IntToStr(index));
}

void TForm1::SMPBoxMouseLeave() { Store(settings::kSmp, SMPBox.Checked() ? "1" : "0"); }

void TForm1::FrameTimesBoxMouseLeave() { Store(settings::kFrameTimes, FrameTimesBox.Checked() ? "1" : "0"); }

void TForm1::AmbientLightBoxMouseLeave() {
  Store(settings::kForceAmbientLight, AmbientLightBox.Checked() ? "1" : "0");
}

void TForm1::ALValuesChange() { Store(settings::kAmbientLightV, ALValues.Text()); }

}  // namespace dx
