#include "extras/NewsWindow.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "tests/doubles/MemoryFileSystem.h"

namespace dx {
namespace {

const char kFolder[] = "C:\\Program Files\\Tamberlin\\Dextrel\\";
const char kOfflineFile[] = "C:\\Program Files\\Tamberlin\\Dextrel\\offlinenews.html";

class RecordingView : public INewsView {
 public:
  void Navigate(const std::string& target) override { targets.push_back(target); }
  std::vector<std::string> targets;
};

// Answers in turn; an empty answer stands for a system without the test.
class ScriptedOnlineTest : public IOnlineTest {
 public:
  std::optional<bool> IsOffline() override {
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<bool>> answers;
};

struct NewsFixture : ::testing::Test {
  test::MemoryFileSystem files;
  ScriptedOnlineTest onlineTest;
  RecordingView view;
  TForm5 form{files, onlineTest, view, [] { return std::string(kFolder); }};
};

TEST_F(NewsFixture, OnlineAsksForTheNewsPageAtEveryShowing) {
  files.AddFile(kOfflineFile, "<p>old</p>");
  onlineTest.answers = {false, false};
  form.FormShow();
  form.FormShow();
  ASSERT_EQ(view.targets.size(), 2u);
  EXPECT_EQ(view.targets[0], "http://www.dextrel.org/benchmarks/news.html");
  EXPECT_EQ(view.targets[1], view.targets[0]);
  EXPECT_TRUE(form.Online());
}

TEST_F(NewsFixture, OfflineShowsTheShippedFileOrKeepsWhatWasShown) {
  onlineTest.answers = {true, true};
  form.FormShow();  // no file yet: nothing loaded
  EXPECT_TRUE(view.targets.empty());
  files.AddFile(kOfflineFile, "<p>news</p>");
  form.FormShow();
  EXPECT_EQ(view.targets, std::vector<std::string>{kOfflineFile});
}

TEST_F(NewsFixture, WithoutAnOnlineTestTheLastAnswerHolds) {
  files.AddFile(kOfflineFile, "<p>news</p>");
  form.FormShow();  // never tested: offline
  EXPECT_FALSE(form.Online());
  onlineTest.answers = {false, std::nullopt};
  form.FormShow();
  form.FormShow();  // the test is gone again: still online
  EXPECT_EQ(view.targets, (std::vector<std::string>{kOfflineFile, NewsPageUrl(), NewsPageUrl()}));
}

TEST_F(NewsFixture, OnlyTheMakersPagesShowInsideOtherWebPagesOpenOutsideAndAFailedNewsPageGivesWay) {
  const std::vector<std::pair<std::string, NewsNavigation>> routes = {
      {NewsPageUrl(), NewsNavigation::Show},
      {"HTTPS://WWW.Dextrel.ORG.:443/benchmarks/old.html#top", NewsNavigation::Show},
      {"http://www.dextrel.org:80", NewsNavigation::Show},
      {"http://www.dextrel.org\\@evil.example/", NewsNavigation::Show},  // the browser's slash: a path on ours
      {"about:blank", NewsNavigation::Show},
      {kOfflineFile, NewsNavigation::Show},
      {"file:///C:/Program%20Files/Tamberlin/dextrel/OFFLINENEWS.html#a", NewsNavigation::Show},
      {"http://www.dextrel.org@evil.example/news.html", NewsNavigation::OpenOutside},
      {"http://www.dextrel.org:8080/news.html", NewsNavigation::OpenOutside},
      {"http://www.dextrel.org.evil.example/", NewsNavigation::OpenOutside},
      {"http://dextrel.org.example/?www.dextrel.org", NewsNavigation::OpenOutside},
      {"https://www.tweakguides.com/Quake4_1.html", NewsNavigation::OpenOutside},
      {"file:///C:/Program%20Files/Tamberlin/Dextrel/setup.exe", NewsNavigation::Refuse},
      {"C:\\Users\\Public\\offlinenews.html", NewsNavigation::Refuse},
      {"file://attacker/share/offlinenews.html", NewsNavigation::Refuse},
      {"javascript:alert(1)", NewsNavigation::Refuse},
      {"res://ieframe.dll/dnserror.htm#http://www.dextrel.org/", NewsNavigation::Refuse},
      {"ms-settings:privacy", NewsNavigation::Refuse},
      {"http:www.dextrel.org", NewsNavigation::Refuse},
      {"http:///news.html", NewsNavigation::Refuse},
  };
  for (const auto& [url, route] : routes) {
    EXPECT_EQ(form.Route(url), route) << url;
    const bool webAddress = url.size() > 4 && (url[0] == 'h' || url[0] == 'H');
    EXPECT_EQ(IsOnMakerHost(url), route == NewsNavigation::Show && webAddress) << url;
  }

  // The news page that cannot be fetched gives way to the shipped page; another page
  // does not, and without the file nothing changes.
  EXPECT_FALSE(form.PageFailed(NewsPageUrl()));
  files.AddFile(kOfflineFile, "<p>news</p>");
  EXPECT_FALSE(form.PageFailed("http://elsewhere.example/news.html"));
  EXPECT_TRUE(view.targets.empty());
  EXPECT_TRUE(form.PageFailed(NewsPageUrl()));
  EXPECT_EQ(view.targets, std::vector<std::string>{kOfflineFile});
}

TEST(PlainTextOfHtml, KeepsTheReadableTextOfAPage) {
  const std::string page =
      "<!DOCTYPE html><html><head><title>Dextrel news</title>"
      "<style>body { color: #fff; }</style><script>if (a < b) go();</script></head>"
      "<body><!-- a > b --><h1>Version   1.5</h1>\r\n<p>Fish &amp; chips &lt;3&gt; caf&#233; &#x41;&nbsp;B</p>"
      "<ul><li>one</li><li>two</li></ul>Tail &bogus; &#99999999;</body></html>";
  EXPECT_EQ(PlainTextOfHtml(page),
            "Dextrel news\nVersion 1.5\nFish & chips <3> caf\xE9 A B\none\ntwo\nTail &bogus; &#99999999;");
}

TEST(PlainTextOfHtml, CutPagesEndWithoutRunningOver) {
  EXPECT_EQ(PlainTextOfHtml("text <b"), "text");
  EXPECT_EQ(PlainTextOfHtml("<script>never closed"), "");
  EXPECT_EQ(PlainTextOfHtml("a<!-- open"), "a");
  EXPECT_EQ(PlainTextOfHtml("&#0; &#300;x"), "? ?x");
  EXPECT_EQ(PlainTextOfHtml(""), "");
}

}  // namespace
}  // namespace dx
