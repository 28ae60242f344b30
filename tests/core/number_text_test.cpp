// Numbers in the text of options and saved views: what a float or int cannot hold, and what is
// not only a number, is refused; blanks around a number are not part of it.
#include "core/number_text.h"

#include <gtest/gtest.h>

TEST(NumberText, OnlyWholeFiniteNumbersInRangeAreTaken)
{
    float f = 7.0f;
    EXPECT_TRUE(parseNumber(" 2.5\t", f));
    EXPECT_FLOAT_EQ(f, 2.5f);
    for (const char* bad : {"", "  ", "1e39", "-1e39", "nan", "inf", "2.5x", "2,5", "0x"}) {
        f = 7.0f;
        EXPECT_FALSE(parseNumber(bad, f)) << bad;
    }
    int i = 7;
    EXPECT_TRUE(parseWholeNumber("-2147483647", i));
    EXPECT_EQ(i, -2147483647);
    for (const char* bad : {"2147483648", "99999999999999999999", "3.0", "3 4", ""}) {
        EXPECT_FALSE(parseWholeNumber(bad, i)) << bad;
    }
}

TEST(NumberText, AListHasExactlyItsCountOfNumbersInRange)
{
    float v[3] = {};
    EXPECT_TRUE(parseNumberList("1, 0.5 ,0", 3, 0.0f, 1.0f, v));
    EXPECT_FLOAT_EQ(v[1], 0.5f);
    for (const char* bad : {"1,0.5", "1,0.5,0,1", "1,,0", "1,0.5,2", "1,0.5,", ",1,0.5"}) {
        EXPECT_FALSE(parseNumberList(bad, 3, 0.0f, 1.0f, v)) << bad;
    }
}
