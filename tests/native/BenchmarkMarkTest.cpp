#include <gtest/gtest.h>

#include "gameprep/BenchmarkMark.h"

namespace dx {
namespace {

TEST(BenchmarkMark, EverySpellingOfOneFolderGivesOneNameAndOthersAnother) {
  const std::string name = BenchmarkMarkName("C:\\Games\\Quake 4\\");
  EXPECT_EQ(name, "Dextrel.Benchmark.C:/GAMES/QUAKE 4");
  for (const char* spelling : {"c:\\games\\quake 4", "C:/Games//Quake 4/", "C:\\Games\\.\\Quake 4\\\\"}) {
    EXPECT_EQ(BenchmarkMarkName(spelling), name) << spelling;
  }
  EXPECT_NE(BenchmarkMarkName("D:\\Games\\Quake 4\\"), name);
  EXPECT_EQ(BenchmarkMarkName("C:\\Spiele\\\xE9t\xE9\\"), BenchmarkMarkName("C:\\SPIELE\\\xC9T\xC9"));
  EXPECT_EQ(NormalisedFolder("\\\\server\\share\\Quake 4\\"), "\\\\SERVER\\SHARE\\QUAKE 4");

  // A kernel object's name holds no backslash and stays short; a long path is hashed.
  const std::string deep = "C:\\" + std::string(300, 'a') + "\\Quake 4\\";
  const std::string hashed = BenchmarkMarkName(deep);
  EXPECT_EQ(hashed.find('\\'), std::string::npos);
  EXPECT_LT(hashed.size(), 64u);
  EXPECT_EQ(BenchmarkMarkName(deep + "\\"), hashed);
  EXPECT_NE(BenchmarkMarkName("C:\\" + std::string(300, 'b') + "\\Quake 4\\"), hashed);
}

}  // namespace
}  // namespace dx
