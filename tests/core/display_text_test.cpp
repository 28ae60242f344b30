// Names as the viewer shows them: escapes that keep a name on its line, and shortening that
// keeps whole UTF-8 characters and the extension.
#include "core/display_text.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayText, ControlCharactersAreWrittenOutAndNothingElseChanges)
{
    EXPECT_EQ(escapeControlCharacters("plain name.dat"), "plain name.dat");
    EXPECT_EQ(escapeControlCharacters("a\nb\rc\td"), "a\\nb\\rc\\td");
    EXPECT_EQ(escapeControlCharacters(std::string("\x1b[31m\x7f\x01", 7)), "\\x1b[31m\\x7f\\x01");
    EXPECT_EQ(escapeControlCharacters(std::string("nul\0end", 7)), "nul\\x00end");
    EXPECT_EQ(escapeControlCharacters("h\xc3\xb6he \xe2\x82\xac.csv"), "h\xc3\xb6he \xe2\x82\xac.csv")
        << "UTF-8 letters are not control characters";
    EXPECT_EQ(escapeControlCharacters("back\\slash"), "back\\slash");
}

TEST(DisplayText, LongTextsLoseTheirMiddleAndKeepTheirEnds)
{
    EXPECT_EQ(shortenWithEllipsis("short.dat", 40), "short.dat");
    const std::string forty(40, 'x');
    EXPECT_EQ(shortenWithEllipsis(forty, 40), forty) << "exactly the limit stays";

    const std::string name = "measurement_of_the_long_afternoon_run_number_0042.csv";
    const std::string shortened = shortenWithEllipsis(name, 20);
    EXPECT_EQ(shortened.size(), 20u);
    EXPECT_EQ(shortened, "measur...er_0042.csv");

    // Characters, not bytes: two-byte letters count once and are never cut in half.
    std::string umlauts;
    for (int k = 0; k < 30; ++k) {
        umlauts += "\xc3\xa4";  // a-umlaut
    }
    const std::string cut = shortenWithEllipsis(umlauts + ".txt", 12);
    EXPECT_EQ(cut, "\xc3\xa4\xc3\xa4\xc3\xa4...\xc3\xa4\xc3\xa4.txt");

    EXPECT_EQ(shortenWithEllipsis("abcdef", 3), "...");
    EXPECT_EQ(shortenWithEllipsis("abcdef", 0), "");
}

}  // namespace
