#include "common/Numbers.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>

#include "common/Text.h"

namespace dx {
namespace {

TEST(Numbers, ReadsWithTheUsersSeparatorOnly) {
  EXPECT_DOUBLE_EQ(*TryReadDecimal("61.5", '.'), 61.5);
  EXPECT_DOUBLE_EQ(*TryReadDecimal("61,5", ','), 61.5);
  EXPECT_DOUBLE_EQ(*TryReadDecimal(" -3 ", '.'), -3.0);
  EXPECT_DOUBLE_EQ(*TryReadDecimal("1.5E2", '.'), 150.0);
  EXPECT_DOUBLE_EQ(*TryReadDecimal("7.", '.'), 7.0);
  EXPECT_DOUBLE_EQ(*TryReadDecimal(".25", '.'), 0.25);
  EXPECT_FALSE(TryReadDecimal("61.5", ','));   // the other separator fails
  EXPECT_FALSE(TryReadDecimal("61,5", '.'));
  EXPECT_FALSE(TryReadDecimal("1.234,5", ','));  // no thousands separators
  EXPECT_FALSE(TryReadDecimal("1,234", '.'));
  EXPECT_FALSE(TryReadDecimal("", '.'));
  EXPECT_FALSE(TryReadDecimal(".", '.'));
  EXPECT_FALSE(TryReadDecimal("61.5 fps", '.'));
  EXPECT_FALSE(TryReadDecimal("1e", '.'));
  EXPECT_FALSE(TryReadDecimal("1e999", '.'));
  // Either separator where the text may have come back with the user's.
  EXPECT_DOUBLE_EQ(*TryReadDecimalPointOrComma("61.5"), 61.5);
  EXPECT_DOUBLE_EQ(*TryReadDecimalPointOrComma("61,5"), 61.5);
  EXPECT_FALSE(TryReadDecimalPointOrComma("1.234,5"));
}

TEST(Numbers, RoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(61.5), 62);
  EXPECT_EQ(RoundHalfEven(62.5), 62);
  EXPECT_EQ(RoundHalfEven(1234.5), 1234);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(61.51), 62);
  EXPECT_EQ(RoundHalfEven(62.49), 62);
  EXPECT_EQ(RoundHalfEven(1e300), INT64_MAX);
  EXPECT_EQ(RoundHalfEven(-1e300), INT64_MIN);
  EXPECT_EQ(RoundHalfEven(std::nan("")), INT64_MIN);
  EXPECT_EQ(RoundHalfEven(0.49999999999999994), 0);  // adding a half would round up
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(4503599627370497.0), 4503599627370497);  // above 2^52 every double is whole
  // Whatever rounding mode a library left behind.
  const int saved = std::fegetround();
  for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    std::fesetround(mode);
    const std::int64_t up = RoundHalfEven(61.5), down = RoundHalfEven(62.5), negative = RoundHalfEven(-1.5);
    const std::int64_t near = RoundHalfEven(62.49);
    std::fesetround(saved);
    EXPECT_EQ(up, 62) << mode;
    EXPECT_EQ(down, 62) << mode;
    EXPECT_EQ(negative, -2) << mode;
    EXPECT_EQ(near, 62) << mode;
  }
}

TEST(Numbers, FormatsWithTheUsersSeparator) {
  EXPECT_EQ(FormatFixed(512.0, 2, '.'), "512.00");
  EXPECT_EQ(FormatFixed(2.0, 1, ','), "2,0");
  EXPECT_EQ(FormatFixed(3.25, 0, ','), "3");
  EXPECT_EQ(FormatFixed(1.5, 1, '.'), "1.5");
}

TEST(Text, HelpersKeepTheCodePagesBytes) {
  EXPECT_EQ(ToLowerAscii("Quake4Config.CFG\xD7"), "quake4config.cfg\xD7");
  EXPECT_TRUE(EqualsNoCase("C:\\Program Files\\DEXTREL.exe", "c:\\program files\\dextrel.EXE"));
  EXPECT_EQ(ReplaceAll("03.11.2006 14:05:09", ".", "_"), "03_11_2006 14:05:09");
  EXPECT_EQ(Trim("  \t 1.3 \r\n"), "1.3");
  int n = 0;
  EXPECT_TRUE(TryStrToInt("8080", n));
  EXPECT_EQ(n, 8080);
  EXPECT_FALSE(TryStrToInt("80a", n));
  EXPECT_FALSE(TryStrToInt("99999999999", n));
  EXPECT_FALSE(TryStrToInt("", n));
}

}  // namespace
}  // namespace dx
