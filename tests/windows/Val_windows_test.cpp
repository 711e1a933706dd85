// Stored texts read as numbers on Windows, under a German locale whose decimal
// separator is a comma: the C and C++ runtime's number conversions must not follow it.

#include <gtest/gtest.h>

#include <clocale>

#include "Val.h"
#include "runtime_error.h"

namespace {

class GermanLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(std::setlocale(LC_ALL, "German_Germany.1252"), nullptr) << "no German locale";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(GermanLocale, StoredTextsReadWithThePeriodAsSeparator)
{
    EXPECT_EQ(Val(L"4500"), 4500);
    EXPECT_EQ(Val(L" - 3 00"), -300);
    EXPECT_EQ(Val(L"2.5"), 2.5);
    EXPECT_EQ(Val(L"-.25x"), -0.25);
    EXPECT_EQ(Val(L"4,5"), 4);
    EXPECT_EQ(Val(L"15e-1"), 1.5);
    EXPECT_EQ(Val(L"4.5E2"), 450);
    EXPECT_EQ(Val(L"12\r"), 12);
    EXPECT_EQ(Val(L"abc"), 0);
}

TEST_F(GermanLocale, NumbersBeyondADoubleAreZeroOrAnOverflow)
{
    EXPECT_EQ(Val(L"1e-400"), 0);
    EXPECT_EQ(Val(L"0.0000e999"), 0);
    EXPECT_THROW(Val(L"1e400"), RuntimeError);
    EXPECT_THROW(Val(L"-9e99999999999999999999"), RuntimeError);
}

TEST_F(GermanLocale, WrittenNumbersReadBackAsTheSameValue)
{
    for (float value : {4500.0f, -15.0f, 3927.2727f, 1e-3f, 123456789.0f, -32768 * 15.0f}) {
        std::wstring text = NumberText(value);
        EXPECT_EQ(static_cast<float>(Val(text)), value) << std::string(text.begin(), text.end());
        EXPECT_EQ(text.find(L','), std::wstring::npos);
    }
    EXPECT_EQ(NumberText(-300), L"-300");
}

} // namespace
