#include "common/Url.h"

#include <gtest/gtest.h>

namespace dx {
namespace {

TEST(UrlTest, Splitting) {
  auto parts = SplitUrl("HTTP://host.example");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->scheme, "http");
  EXPECT_EQ(parts->path, "/");
  EXPECT_EQ(parts->port, 80);
  parts = SplitUrl("https://host.example?x=1");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->port, 443);
  EXPECT_EQ(parts->path, "/");
  EXPECT_EQ(parts->extra, "?x=1");
  parts = SplitUrl("http://[::1]:8080/a%20b");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->host, "[::1]");
  EXPECT_EQ(parts->port, 8080);
  EXPECT_EQ(parts->path, "/a%20b");  // the path goes out as written
  EXPECT_FALSE(SplitUrl("http:///path"));
  EXPECT_FALSE(SplitUrl("http://host:0/"));
  EXPECT_FALSE(SplitUrl("http://host:x/"));
  EXPECT_FALSE(SplitUrl("http://" + std::string(257, 'h') + "/"));
  EXPECT_FALSE(SplitUrl("http://host/" + std::string(2048, 'p')));
  EXPECT_TRUE(SplitUrl("http://host/" + std::string(2047, 'p')));
}

}  // namespace
}  // namespace dx
