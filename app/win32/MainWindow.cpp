#include "app/win32/MainWindow.h"

#include "common/win32/ControlIds.h"
#include "common/win32/ResourceIds.h"
#include "platform/win32/Messages.h"
#include "platform/win32/ui/Palette.h"
#include "extras/HelpLinks.h"
#include "extras/MakerUpdateKey.h"
#include "extras/UpdateSignature.h"
#include "platform/win32/UnexpectedError.h"
#include "platform/win32/VersionInfo.h"
#include "platform/win32/ui/Controls.h"
#include "platform/win32/ui/PlainViews.h"

namespace dx::win32 {
namespace {

constexpr const char* kRightsNotice =
    "Dextrel \xA9 2026 Tamberlin. All rights reserved.\r\n"
    "Quake 4 \xA9 id Software, Inc. and Raven Software.\r\n"
    "Quake is a registered trademark of id Software, Inc.\r\n"
    "Pictures made for Dextrel by Tamberlin.";

}  // namespace

MainWindow::MainWindow(platform::Platform& platform, Win32Shell& shell)
    : platform_(platform), shell_(shell), form_(std::make_unique<TForm1>(platform, *this)) {}

MainWindow::~MainWindow() {
  // The views watch the form's controls: they go first.
  ReleaseViews();
  subscriptions_.clear();
  customResolution_.reset();
  news_.reset();
}

template <typename View, typename Model, typename... Args>
View& MainWindow::Add(ViewContainer& container, Model& model, int id, Args&&... args) {
  auto view = std::make_unique<View>(container, model, std::forward<Args>(args)...);
  View& added = *view;
  Adopt(std::move(view));
  Name(added.hwnd(), id, &model);
  return added;
}

void MainWindow::Name(HWND window, int id, const controls::TControl* model) {
  if (!window) return;
  ::SetWindowLongPtrA(window, GWLP_ID, id);
  if (model) windowsOf_[model] = window;
}

bool MainWindow::Create() {
  art_ = LoadPicture(IDB_WINDOW);
  exitGlyph_ = LoadPicture(IDB_EXIT);
  minimiseGlyph_ = LoadPicture(IDB_MINIMIZE);
  runUp_ = LoadPicture(IDB_RUN_UP);
  runDown_ = LoadPicture(IDB_RUN_DOWN);
  logo_ = LoadPicture(IDB_LOGO);
  browseIcon_ = LoadPicture(IDB_ICON_BROWSE);
  openIcon_ = LoadPicture(IDB_ICON_OPEN);
  updateIcon_ = LoadPicture(IDB_ICON_UPDATE);

  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - kClientWidth) / 2;
  const int y = work.top + (work.bottom - work.top - kClientHeight) / 2;
  ClassOptions cls{"TForm1"};
  cls.icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
  if (!CreateWindowFor(cls, WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, "Dextrel",
                       WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU, x, y, kClientWidth, kClientHeight,
                       nullptr)) {
    return false;
  }
  shell_.SetOwner(hwnd());
  updaterUi_.SetOwner(hwnd());
  BuildFrame();
  // Start-up steps of the form: folders, lists, page, registry, version, settings, the
  // hidden windows. A failing settings load is reported; the window still opens.
  RunGuarded([this] { form_->FormCreate(); });
  updaterUi_.Attach(form_->Updater.get());
  ShowActivePage();
  return true;
}

void MainWindow::Show(int showCommand) {
  ::ShowWindow(hwnd(), showCommand == SW_SHOWMINNOACTIVE || showCommand == SW_SHOWMINIMIZED ? showCommand : SW_SHOW);
  ::UpdateWindow(hwnd());
}

void MainWindow::BuildFrame() {
  // The exit and minimise glyphs.
  HWND exitButton = ui::CreatePictureButton(hwnd(), IDC_Image2, 478, 3, 19, 16);
  ui::AddTooltip(exitButton, "Exit");
  Route(exitButton, Adopt(std::make_unique<PictureButtonView>(exitGlyph_, [this] { form_->Image2Click(); })));
  HWND minimiseButton = ui::CreatePictureButton(hwnd(), IDC_Image3, 458, 5, 22, 15);
  ui::AddTooltip(minimiseButton, "Minimize");
  Route(minimiseButton, Adopt(std::make_unique<PictureButtonView>(minimiseGlyph_, [this] { form_->Image3Click(); })));

  Add<ButtonView>(*this, form_->BenchButton, IDC_BenchButton, Bounds{24, 272, 108, 32}, &runUp_, &runDown_,
                  std::string("Run benchmark"), true);
  Add<LabelView>(*this, form_->WaitingLabel, IDC_WaitingLabel, Bounds{175, 56, 325, 26}, palette::kText, nullptr, true);

  sideBar_ = std::make_unique<SideBar>(
      std::vector<SideBar::Group>{
          {"Options", true, {"Paths & information", "Resolution &  Runs", "Demos & Quality", "Add. settings"}},
          {"Help", false, {"Benchmark help", "Update benchmark", "Q4 Tweakguide", "Homepage", "About..."}}},
      [this](int group, int item) { SideBarClick(group, item); });
  sideBar_->Create(hwnd(), 18, 88, 120, 177);
  Name(sideBar_->hwnd(), IDC_RzGroupBar1);

  for (int i = 0; i < 6; ++i) {
    auto page = std::make_unique<PageWindow>();
    page->Create(hwnd(), 175, 86, 325, 235, false);
    Name(page->hwnd(), IDC_Page0 + i);
    pages_.push_back(std::move(page));
  }
  BuildPage0(*pages_[0]);
  BuildPage1(*pages_[1]);
  BuildPage2(*pages_[2]);
  BuildPage3(*pages_[3]);
  BuildPage4(*pages_[4]);
  BuildPage5(*pages_[5]);
  subscriptions_.push_back(
      std::make_unique<Subscription>(form_->PageControl, [this](const controls::TControl&) { ShowActivePage(); }));

  // The busy panel covers the page area while a benchmark runs.
  panel_ = std::make_unique<PageWindow>();
  panel_->Create(hwnd(), 174, 80, 331, 241, false, palette::kPage, "TPanel");
  Name(panel_->hwnd(), IDC_Panel1, &form_->Panel1);
  Add<LabelView>(*panel_, form_->Label3, IDC_Label3, Bounds{64, 88, 260, 18}, palette::kText, ui::FontOfHeight(16, true));
  Add<LabelView>(*panel_, form_->Label2, IDC_Label2, Bounds{64, 120, 260, 13}, palette::kText);
  Add<LabelView>(*panel_, form_->RunsLabel, IDC_RunsLabel, Bounds{64, 144, 260, 13}, palette::kText);
  Add<ButtonView>(*panel_, form_->CancelButton, IDC_CancelBenchmark, Bounds{64, 180, 75, 23});
  subscriptions_.push_back(std::make_unique<Subscription>(form_->Panel1, [this](const controls::TControl&) {
    if (form_->Panel1.Visible()) {
      ::SetWindowPos(panel_->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    } else {
      ::ShowWindow(panel_->hwnd(), SW_HIDE);
    }
  }));

  // The hidden scratch box.
  HWND memo = ui::CreateControl("EDIT", "", ES_MULTILINE, 464, 32, 33, 25, hwnd(), IDC_Memo1);
  (void)memo;

  for (CheckGroupView* group : checkGroups_) group->WatchMouseLeave();
}

void MainWindow::BuildPage0(PageWindow& page) {
  page.AddText({5, 14, "Quake4 path", palette::kText});
  Add<EditView>(page, form_->Q4PathEdit, IDC_Q4PathEdit, Bounds{5, 30, 276, 21}, EditView::Look::ReadOnlyPath);
  Add<ButtonView>(page, form_->RzToolButton2, IDC_RzToolButton2, Bounds{281, 30, 21, 21}, &browseIcon_, nullptr,
                  std::string("Browse..."), true);
  page.AddText({5, 80, "Results folder", palette::kText});
  Add<ButtonView>(page, form_->OpenResFolder, IDC_OpenResFolder, Bounds{220, 75, 60, 21}, &openIcon_, nullptr,
                  std::string("Open results folder"), false);
  Add<ButtonView>(page, form_->HistoryButton, IDC_HistoryButton, Bounds{154, 75, 62, 21}, nullptr, nullptr,
                  std::string("Results history"), true);
  Add<EditView>(page, form_->ResEdit, IDC_ResEdit, Bounds{5, 96, 276, 21}, EditView::Look::ReadOnlyPath);
  Add<ButtonView>(page, form_->RzToolButton1, IDC_RzToolButton1, Bounds{281, 96, 21, 21}, &browseIcon_, nullptr,
                  std::string("Browse..."), true);
  page.AddText({5, 144, "Benchmark notes (50 chars at most!)", palette::kText});
  Add<EditView>(page, form_->NoteEdit, IDC_NoteEdit, Bounds{5, 160, 300, 21}, EditView::Look::Field);
}

void MainWindow::BuildPage1(PageWindow& page) {
  auto& res = Add<CheckGroupView>(page, form_->res, IDC_resGroup, Bounds{0, 0, 313, 121}, 4);
  for (std::size_t i = 0; i < res.items().size(); ++i) Name(res.items()[i], IDC_res + static_cast<int>(i));
  PageWindow& inside = res.area();
  Add<CheckBoxView>(inside, form_->cusresbox, IDC_cusresbox, Bounds{25, 90, 106, 17}, palette::kText);
  Add<EditView>(inside, form_->CusWidth, IDC_CusWidth, Bounds{136, 87, 41, 21}, EditView::Look::SizeField);
  inside.AddText({181, 90, std::string(1, '\xD7'), palette::kText});
  Add<EditView>(inside, form_->CusHeight, IDC_CusHeight, Bounds{192, 87, 41, 21}, EditView::Look::SizeField);
  Add<ButtonView>(inside, form_->CusPossibilities, IDC_CusPossibilities, Bounds{240, 87, 65, 20});
  checkGroups_.push_back(&res);

  auto& aspect = Add<RadioGroupView>(page, form_->AspectBox, IDC_AspectBox, Bounds{17, 124, 281, 45}, 2);
  for (std::size_t i = 0; i < aspect.items().size(); ++i) Name(aspect.items()[i], IDC_AspectBox + static_cast<int>(i));
  page.AddFrame({{71, 175, 71 + 183, 175 + 53}, " Number of times to run the demo ", palette::kText, palette::kText});
  Add<ComboView>(page, form_->RunNumberBox, IDC_RunNumberBox, Bounds{71 + 20, 175 + 21, 145, 21});
}

void MainWindow::BuildPage2(PageWindow& page) {
  auto& demo = Add<RadioGroupView>(page, form_->demo, IDC_demo, Bounds{17, 0, 281, 89}, 2);
  for (std::size_t i = 0; i < demo.items().size(); ++i) Name(demo.items()[i], IDC_demo + static_cast<int>(i));
  Add<EditView>(page, form_->DemoEdit, IDC_DemoEdit, Bounds{17 + 8, 57, 241, 21}, EditView::Look::ReadOnlyPath);
  Add<ButtonView>(page, form_->DemoEditButton, IDC_DemoEditButton, Bounds{17 + 248, 56, 22, 22}, &browseIcon_, nullptr,
                  std::string(), true);
  auto& quality =
      Add<RadioGroupView>(page, form_->QualityModeBox, IDC_QualityModeBox, Bounds{17, 110, 281, 107}, 2);
  for (std::size_t i = 0; i < quality.items().size(); ++i) {
    Name(quality.items()[i], IDC_QualityModeBox + static_cast<int>(i));
  }
  Add<LabelView>(page, form_->Label7, IDC_Label7, Bounds{17 + 16, 110 + 64, 257, 39}, palette::kText, nullptr, true);
}

void MainWindow::BuildPage3(PageWindow& page) {
  page.AddFrame({{4, 8, 4 + 292, 8 + 137}, " Proxy Settings ", palette::kText, palette::kText});
  page.AddText({4 + 6, 8 + 28, "Proxy Server", palette::kText});
  page.AddText({4 + 155, 8 + 28, "Proxy Port", palette::kText});
  page.AddText({4 + 6, 8 + 76, "Username", palette::kText});
  page.AddText({4 + 155, 8 + 76, "Password", palette::kText});
  Add<EditView>(page, form_->ProxyServerEdit, IDC_ProxyServerEdit, Bounds{4 + 6, 8 + 43, 133, 21}, EditView::Look::Field);
  Add<EditView>(page, form_->ProxyPortEdit, IDC_ProxyPortEdit, Bounds{4 + 155, 8 + 43, 133, 21}, EditView::Look::Field);
  Add<EditView>(page, form_->ProxyUsernameEdit, IDC_ProxyUsernameEdit, Bounds{4 + 6, 8 + 91, 133, 21},
                EditView::Look::Field);
  Add<EditView>(page, form_->ProxyPassEdit, IDC_ProxyPassEdit, Bounds{4 + 155, 8 + 91, 133, 21}, EditView::Look::Field);
  Add<CheckBoxView>(page, form_->UseProxyBox, IDC_UseProxyBox, Bounds{11, 152, 153, 17}, palette::kText);
  Add<ButtonView>(page, form_->RzToolButton3, IDC_RzToolButton3, Bounds{87, 190, 126, 21}, &updateIcon_, nullptr,
                  std::string(), true);
}

void MainWindow::BuildPage4(PageWindow& page) {
  HWND logo = ui::CreateControl("STATIC", "", WS_VISIBLE | SS_BITMAP, 83, 10, 159, 75, page.hwnd(), IDC_Image5);
  ::SendMessageA(logo, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_.get()));
  Add<LabelView>(page, form_->Label6, IDC_Label6, Bounds{136, 96, 180, 13}, palette::kText);
  HWND about = ui::CreateControl("STATIC", kRightsNotice, WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 26, 144, 273, 57,
                                 page.hwnd(), IDC_AboutMemo);
  // Fixed texts of a page: white on black.
  page.Route(about, Adopt(std::make_unique<ColourView>(palette::kText, palette::kPage)));
  page.Route(logo, Adopt(std::make_unique<ColourView>(palette::kText, palette::kPage)));
}

void MainWindow::BuildPage5(PageWindow& page) {
  page.AddFrame({{8, 0, 8 + 299, 73}, " Filters ", palette::kSilver, palette::kText});
  page.AddText({8 + 33, 20, "Filtering mode", palette::kText});
  page.AddText({8 + 170, 20, "Antialiasing mode", palette::kText});
  Add<ComboView>(page, form_->AFBox, IDC_AFBox, Bounds{8 + 33, 34, 104, 21});
  Add<ComboView>(page, form_->AABox, IDC_AABox, Bounds{8 + 170, 34, 103, 21});
  page.AddFrame({{8, 88, 8 + 299, 88 + 49}, " Symmetric Multiprocessing-based acceleration ", palette::kSilver,
                 palette::kText});
  Add<CheckBoxView>(page, form_->SMPBox, IDC_SMPBox, Bounds{8 + 107, 88 + 24, 85, 17}, palette::kSilver);
  page.AddFrame({{8, 152, 8 + 299, 152 + 57}, " Force Ambient Light ", palette::kSilver, palette::kText});
  Add<CheckBoxView>(page, form_->AmbientLightBox, IDC_AmbientLightBox, Bounds{8 + 30, 152 + 24, 126, 17},
                    palette::kSilver);
  page.AddText({8 + 184, 152 + 25, "Value:", palette::kText});
  Add<ComboView>(page, form_->ALValues, IDC_ALValues, Bounds{8 + 217, 152 + 22, 56, 21});
  Add<CheckBoxView>(page, form_->FrameTimesBox, IDC_FrameTimesBox, Bounds{8 + 30, 152 + 57 + 8, 160, 17},
                    palette::kSilver);
}

void MainWindow::SideBarClick(int group, int item) {
  if (group == 0) {
    switch (item) {
      case 0: form_->RzGroup1Items0Click(); break;
      case 1: form_->RzGroup1Items1Click(); break;
      case 2: form_->RzGroup1Items2Click(); break;
      case 3: form_->RzGroup1Items3Click(); break;
      default: break;
    }
    return;
  }
  switch (item) {
    case 0: OpenHelpFile(platform_.files, platform_.shell, form_->ProgramDir); break;
    case 1: form_->RzGroup3Items1Click(); break;
    case 2: OpenTweakGuide(platform_.shell); break;
    case 3: OpenHomePage(platform_.shell); break;
    case 4: form_->RzGroup3Items4Click(); break;
    default: break;
  }
}

void MainWindow::ShowActivePage() {
  const int active = form_->PageControl.ActivePageIndex();
  for (int i = 0; i < static_cast<int>(pages_.size()); ++i) {
    ::ShowWindow(pages_[i]->hwnd(), i == active ? SW_SHOWNA : SW_HIDE);
  }
}

void MainWindow::PaintBackground(HDC dc) {
  if (art_) {
    DrawPicture(dc, art_, 0, 0);
  } else {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    ::FillRect(dc, &client, palette::Brush(palette::kPage));
  }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        // After the activation itself: the news window must not steal it half-way.
        ::PostMessageA(hwnd(), messages::kAfterActivation, 0, 0);
      }
      break;
    case messages::kAfterActivation:
      if (!skipNewsCheck_) form_->FormActivate();
      return 0;
    case WM_LBUTTONDOWN:
      form_->Image1MouseDown(MouseButton::Left);
      return 0;
    case WM_RBUTTONDOWN:
      form_->Image1MouseDown(MouseButton::Right);
      return 0;
    case WM_MBUTTONDOWN:
      form_->Image1MouseDown(MouseButton::Middle);
      return 0;
    case WM_QUERYENDSESSION:
      if (!closeRequest_) break;
      RunGuarded([this] { closeRequest_(false); });
      return TRUE;
    case WM_ENDSESSION:
      if (!closeRequest_ || !wParam) break;
      RunGuarded([this] { closeRequest_(true); });
      return 0;
    case WM_CLOSE: {
      if (closeRequest_) {
        RunGuarded([this] { closeRequest_(false); });
        return 0;
      }
      bool canClose = true;
      form_->FormCloseQuery(canClose);
      if (!canClose) return 0;
      ending_ = true;
      RunGuarded([this] { form_->FormClose(); });
      ::DestroyWindow(hwnd());
      return 0;
    }
    case WM_TIMER: {
      const auto found = timers_.find(wParam);
      if (found == timers_.end()) return 0;
      ::KillTimer(hwnd(), wParam);
      const auto elapsed = std::move(found->second);
      timers_.erase(found);
      elapsed();
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ViewContainer::HandleMessage(message, wParam, lParam);
}

bool MainWindow::TranslateProgramKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE || !form_->Panel1.Visible()) return false;
  if (msg.hwnd != hwnd() && !::IsChild(hwnd(), msg.hwnd)) return false;
  RunGuarded([this] { form_->CancelButtonClick(); });
  return true;
}

// --- IMainFormHost

namespace {

class WindowTimer : public IHostTimer {
 public:
  WindowTimer(HWND window, UINT_PTR id, std::map<UINT_PTR, std::function<void()>>& timers)
      : window_(window), id_(id), timers_(timers) {}
  ~WindowTimer() override {
    ::KillTimer(window_, id_);
    timers_.erase(id_);
  }

 private:
  HWND window_;
  UINT_PTR id_;
  std::map<UINT_PTR, std::function<void()>>& timers_;
};

}  // namespace

std::unique_ptr<IHostTimer> MainWindow::StartTimer(std::uint32_t milliseconds, std::function<void()> onElapsed) {
  const UINT_PTR id = ++lastTimerId_;
  const UINT delay = milliseconds > USER_TIMER_MAXIMUM ? USER_TIMER_MAXIMUM : static_cast<UINT>(milliseconds);
  timers_[id] = std::move(onElapsed);
  ::SetTimer(hwnd(), id, delay, nullptr);
  return std::make_unique<WindowTimer>(hwnd(), id, timers_);
}

std::string MainWindow::ExecutablePath() { return OwnExecutablePath(); }

std::optional<std::string> MainWindow::FileVersion() {
  std::string version = FileVersionOf(OwnExecutablePath());
  if (version.empty()) return std::nullopt;
  return version;
}

void MainWindow::CreateCustomResolutionWindow(TForm3& model) {
  customResolution_ = std::make_unique<CustomResolutionDialog>(model);
  customResolution_->Create(hwnd());
}

void MainWindow::CreateNewsWindow() {
  news_ = std::make_unique<NewsWindow>(platform_.files, [this] { return form_ ? form_->ProgramDir : std::string(); });
  if (!news_->Create()) news_.reset();
}

void MainWindow::ShowNewsWindow() {
  if (news_) news_->Show();
}

void MainWindow::ShowCustomResolutionModal() {
  if (customResolution_) customResolution_->ShowModal();
}

void MainWindow::EndProgram() {
  // The exit button's way out: no close query, no close sequence.
  ending_ = true;
  ::DestroyWindow(hwnd());
}

std::string MainWindow::UpgradeHelperBytes() { return LoadUpgradeHelperBytes(); }

UpdateTrust MainWindow::MakerTrust() { return {&verifier_, kMakerUpdatePublicKey}; }

void MainWindow::CloseMainWindow() {
  // Posted: the download window's button that asked for it finishes first.
  ::PostMessageA(hwnd(), WM_CLOSE, 0, 0);
}

void MainWindow::MinimiseProgram() { ::ShowWindow(hwnd(), SW_MINIMIZE); }

void MainWindow::StartWindowMove() {
  ::ReleaseCapture();
  ::SendMessageA(hwnd(), WM_SYSCOMMAND, 0xF012, 0);
}

void MainWindow::RepaintNow(const controls::TControl& control) {
  HWND window = hwnd();
  if (auto it = windowsOf_.find(&control); it != windowsOf_.end()) window = it->second;
  // What changed is invalid already (every view invalidates itself): painting only that
  // keeps a repaint between two runs from redrawing the whole unchanged panel.
  ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

}  // namespace dx::win32
