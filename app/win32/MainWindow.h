#pragma once
// The main window: the borderless 508 x 323 window over its art, with the side bar,
// the six pages bound to TForm1's control models, the busy panel and the run button.
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/MainForm.h"
#include "app/win32/SideBar.h"
#include "app/win32/view/ControlViews.h"
#include "platform/win32/ui/ViewContainer.h"
#include "extras/win32/CustomResolutionDialog.h"
#include "extras/win32/NewsWindow.h"
#include "extras/win32/UpdaterSupport.h"
#include "extras/win32/UpdaterWindows.h"
#include "platform/win32/CngSignatureVerifier.h"
#include "platform/win32/Pictures.h"
#include "platform/win32/Win32Shell.h"

namespace dx::win32 {

class MainWindow : public ViewContainer, public IMainFormHost {
 public:
  static constexpr int kClientWidth = 508;
  static constexpr int kClientHeight = 323;

  MainWindow(platform::Platform& platform, Win32Shell& shell);
  ~MainWindow() override;

  // Creates the window hidden, runs the form's start-up and builds the pages.
  bool Create();
  // Shows it centred on the desktop.
  void Show(int showCommand);
  TForm1& form() { return *form_; }
  // For the message loop: Escape while the busy panel shows is the panel's Cancel.
  bool TranslateProgramKey(const MSG& msg);
  // A benchmark nobody watches: activations do not bring up the news window.
  void SkipNewsCheck() { skipNewsCheck_ = true; }
  // A benchmark nobody watches: a close request (WM_CLOSE, a session that ends) goes to
  // handler instead of the question; sessionEnding asks for all of it before returning.
  void InterceptCloseRequests(std::function<void(bool sessionEnding)> handler) { closeRequest_ = std::move(handler); }

  // IMainFormHost
  std::string ExecutablePath() override;
  std::optional<std::string> FileVersion() override;
  void CreateCustomResolutionWindow(TForm3& model) override;
  void CreateNewsWindow() override;
  void ShowNewsWindow() override;
  void ShowCustomResolutionModal() override;
  void EndProgram() override;
  void MinimiseProgram() override;
  void StartWindowMove() override;
  void RepaintNow(const controls::TControl& control) override;
  IUpdaterUi& UpdaterUi() override { return updaterUi_; }
  IProgramStarter& ProgramStarter() override { return starter_; }
  std::string UpgradeHelperBytes() override;
  UpdateTrust MakerTrust() override;
  void CloseMainWindow() override;
  std::unique_ptr<IHostTimer> StartTimer(std::uint32_t milliseconds, std::function<void()> onElapsed) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PaintBackground(HDC dc) override;

 private:
  void BuildFrame();
  void BuildPage0(PageWindow& page);
  void BuildPage1(PageWindow& page);
  void BuildPage2(PageWindow& page);
  void BuildPage3(PageWindow& page);
  void BuildPage4(PageWindow& page);
  void BuildPage5(PageWindow& page);
  void SideBarClick(int group, int item);
  void ShowActivePage();
  template <typename View, typename Model, typename... Args>
  View& Add(ViewContainer& container, Model& model, int id, Args&&... args);
  void Name(HWND window, int id, const controls::TControl* model = nullptr);

  platform::Platform& platform_;
  Win32Shell& shell_;
  // Before the form: its update component uses them until it is gone.
  ProtectedStarter starter_;
  CngSignatureVerifier verifier_;
  UpdaterWindows updaterUi_;
  // Before the form, whose timers take themselves out of it when they go.
  std::map<UINT_PTR, std::function<void()>> timers_;
  UINT_PTR lastTimerId_ = 0;
  std::unique_ptr<TForm1> form_;
  Picture art_, exitGlyph_, minimiseGlyph_, runUp_, runDown_, logo_;
  Picture browseIcon_, openIcon_, updateIcon_;
  std::unique_ptr<SideBar> sideBar_;
  std::vector<std::unique_ptr<PageWindow>> pages_;
  std::unique_ptr<PageWindow> panel_;
  std::unique_ptr<CustomResolutionDialog> customResolution_;
  std::unique_ptr<NewsWindow> news_;
  std::map<const controls::TControl*, HWND> windowsOf_;
  std::vector<std::unique_ptr<Subscription>> subscriptions_;
  std::vector<CheckGroupView*> checkGroups_;
  bool ending_ = false;
  bool skipNewsCheck_ = false;
  std::function<void(bool)> closeRequest_;
};

}  // namespace dx::win32
