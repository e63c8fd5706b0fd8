// The update check's side of the main window: the component it owns, the button that
// starts a check and the component's three events.
#include "app/MainForm.h"
#include "common/Errors.h"
#include "common/Text.h"
#include "common/Hosts.h"
#include "common/SettingsNames.h"
#include "extras/SelfUpdater.h"

namespace dx {

// Here, where the component's type is complete.
TForm1::~TForm1() = default;

void TForm1::CreateUpdater() {
  Updater = std::make_unique<TSelfUpdater>(platform_, host_.ProgramStarter(), host_.UpdaterUi(),
                                           host_.ExecutablePath());
  Updater->InfoFileURL = std::string("http://") + kMakerHomePage + kUpdateInfoPath;
  Updater->ShowMessages = mAskUpgrade | mConnLost | mHostUnreachable | mLostFile | mNoUpdateAvailable;
  Updater->RestartParams = "/afterupgrade";
  Updater->HelperBytes = [this] { return host_.UpgradeHelperBytes(); };
  Updater->Trust = host_.MakerTrust();
  Updater->ReadSeenSerial = [this] { return SeenUpdateSerial(); };
  Updater->WriteSeenSerial = [this](std::uint64_t serial) {
    SharedRegistry.OpenKey(settings::kSettingsKey, true);
    SharedRegistry.WriteString(settings::kUpdateSerial, std::to_string(serial));
    SharedRegistry.CloseKey();
  };
  Updater->OnLaterUpgrade = [this] { UpdaterLaterUpgrade(); };
  Updater->OnAborted = [this] { UpdaterAborted(); };
  Updater->OnHostUnreachable = [this](const std::string& url, const std::string& host) {
    UpdaterHostUnreachable(url, host);
  };
  Updater->CloseMainWindow = [this] { host_.CloseMainWindow(); };
}

std::uint64_t TForm1::SeenUpdateSerial() {
  std::string text;
  if (SharedRegistry.OpenKey(settings::kSettingsKey, false)) text = SharedRegistry.ReadString(settings::kUpdateSerial);
  SharedRegistry.CloseKey();
  // Only digits, as written here; anything else was not, and counts as nothing seen.
  std::uint64_t serial = 0;
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
  for (char ch : text) serial = serial * 10 + static_cast<std::uint64_t>(ch - '0');
  return serial;
}

void TForm1::RzToolButton3Click() {
  if (!Updater) return;
  THttpProxySettings& proxy = Updater->Proxy;
  if (UseProxyBox.Checked()) {
    proxy.ProxyServer = ProxyServerEdit.Text();
    int port = 0;
    if (!TryStrToInt(ProxyPortEdit.Text(), port)) {
      throw Error(FormatMessageText("'%s' is not a valid integer value", ProxyPortEdit.Text()));
    }
    proxy.ProxyPort = port;
    proxy.ProxyUsername = ProxyUsernameEdit.Text();
    proxy.ProxyPassword = ProxyPassEdit.Text();
    proxy.AccessType = atUseProxy;
  } else {
    proxy.AccessType = atDirect;
  }
  Updater->CheckUpdate();
}

void TForm1::UpdaterLaterUpgrade() { ShowMessageOk("Update aborted."); }

void TForm1::UpdaterAborted() { ShowMessageOk("Update aborted."); }

void TForm1::UpdaterHostUnreachable(const std::string&, const std::string&) { ShowMessageOk("No internet connection."); }

}  // namespace dx
