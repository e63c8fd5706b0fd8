#pragma once
// TForm5's behaviour: on every showing, an online test decides between the maker's news
// page and the news file shipped in the program's folder.
#include <functional>
#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace dx {

// "http://" + the maker's host + the news page's path.
std::string NewsPageUrl();

// What the news window does with a page it is asked to go to.
enum class NewsNavigation {
  Show,         // a page of the maker's host, the shipped offline page, the blank page
  OpenOutside,  // another web page: it opens in the user's own browser
  Refuse,       // anything else (other schemes, other files): it goes nowhere
};

// Whether url is a web address (http or https) on the maker's host. Anything that could
// make a reader take a page for the maker's that is not (credentials before the host, a
// port of its own) counts as elsewhere.
bool IsOnMakerHost(const std::string& url);

// Where the news goes: the browser control, or whatever stands in for it.
class INewsView {
 public:
  virtual ~INewsView() = default;
  // A URL or a file path; a failure of the navigation itself is raised.
  virtual void Navigate(const std::string& target) = 0;
};

// The system's offline test; nothing when the system has none.
class IOnlineTest {
 public:
  virtual ~IOnlineTest() = default;
  virtual std::optional<bool> IsOffline() = 0;
};

class TForm5 {
 public:
  TForm5(platform::IFileSystem& files, IOnlineTest& onlineTest, INewsView& view,
         std::function<std::string()> programDir)
      : files_(files), onlineTest_(onlineTest), view_(view), programDir_(std::move(programDir)) {}

  // Runs on every showing of the window.
  void FormShow();
  // Starts false; a showing without an online test keeps the last answer.
  bool Online() const { return online_; }
  // What becomes of a navigation to url (as the browser names it) inside the window.
  NewsNavigation Route(const std::string& url) const;
  // The page at url could not be fetched. The maker's page gives way to the shipped
  // offline page, when there is one; true when it does.
  bool PageFailed(const std::string& url);

 private:
  std::string OfflinePage() const;

  platform::IFileSystem& files_;
  IOnlineTest& onlineTest_;
  INewsView& view_;
  std::function<std::string()> programDir_;
  bool online_ = false;
};

// The readable text of an HTML page, for a window that cannot show the page itself:
// no tags, scripts or styles, entities decoded, blocks on lines of their own.
std::string PlainTextOfHtml(const std::string& html);

}  // namespace dx
