// Val and the single-to-text conversion: what one run writes, the next reads.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>

#include "platform/runtime/conversions.h"
#include "tests/temp_folder.h"

using platform::SingleToText;
using platform::Val;

namespace {

TEST(Val, TakesTheLeadingNumber) {
    struct Case { const char* text; double value; };
    const Case cases[] = {
        {"1440", 1440}, {"-300", -300}, {"  42", 42}, {"\t 7abc", 7}, {"12.5", 12.5},
        {"12,5", 12}, {"1440 twips", 1440}, {"abc", 0}, {"", 0}, {"-", 0}, {".5", 0.5},
        {"+8", 8}, {"3e2", 300}, {"3e", 3}, {"3e+", 3}, {"1.2.3", 1.2}, {"- 5", 0},
        {"0x10", 0}, {"1e-400", 0},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(Val(c.text), c.value) << '"' << c.text << '"';
    // Beyond the double range in either direction, however it is written.
    const std::string zeros(400, '0');
    struct Extreme { std::string text; double value; };
    const Extreme extremes[] = {
        {"0." + zeros + "1", 0}, {"-0." + zeros + "1", 0}, {zeros + "1", 1}, {"1" + zeros + "e-400", 1},
        {"1" + zeros, HUGE_VAL}, {"1e400", HUGE_VAL}, {"0.1e99999999999999999999", HUGE_VAL},
        {"-1" + zeros, -HUGE_VAL},
    };
    for (const Extreme& e : extremes) EXPECT_EQ(Val(e.text), e.value) << e.text.substr(0, 20);
}

TEST(SingleToText, WritesDigitsWithAPointAndNoBlank) {
    struct Case { float value; const char* text; };
    const Case cases[] = {
        {1440, "1440"}, {-300, "-300"}, {0, "0"}, {-0.0F, "0"}, {1440.5F, "1440.5"},
        {16777216, "16777216"}, {1e10F, "10000000000"}, {-0.25F, "-0.25"},
    };
    for (const Case& c : cases) EXPECT_EQ(SingleToText(c.value), c.text) << c.value;
}

TEST(SingleToText, ReadsBackThroughVal) {
    for (const float value : {0.0F, 1.0F, -15.0F, 1440.0F, 28785.0F, -1e6F, 0.1F, 123456.7F, 3.4e38F})
        EXPECT_EQ(static_cast<float>(Val(SingleToText(value))), value) << value;
}

#ifndef _WIN32
TEST(Conversions, KeepAPointWhateverTheLocalesSeparator) {
    // A locale that writes 12,5: built here, since few machines install one.
    test::TempFolder folder;
    const std::string make = "localedef -i de_DE -f UTF-8 " + folder.File("de_DE.UTF-8") + " >/dev/null 2>&1";
    ::setenv("LOCPATH", folder.Path().c_str(), 1);
    if (std::system(make.c_str()) != 0 || std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "no de_DE locale can be made here (localedef and the locales package are needed)";
    EXPECT_DOUBLE_EQ(Val("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(Val("12,5"), 12);
    EXPECT_EQ(SingleToText(1440.5F), "1440.5");
    EXPECT_EQ(SingleToText(-0.25F), "-0.25");
    std::setlocale(LC_NUMERIC, "C");
    ::unsetenv("LOCPATH");
}
#endif

}  // namespace
