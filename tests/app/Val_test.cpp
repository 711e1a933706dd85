// Stored texts read as numbers, in every locale.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <locale>

#include "Val.h"
#include "runtime_error.h"

namespace {

// A locale whose decimal separator is a comma must not change how numbers read.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        const char* german = "German_Germany.1252";
#else
        const char* german = "de_DE.UTF-8";
#endif
        ASSERT_NE(std::setlocale(LC_ALL, german), nullptr) << "the locale " << german << " is not installed";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CommaLocale, StoredTextsReadAsTheirLeadingNumber)
{
    EXPECT_EQ(Val(L"4500"), 4500);
    EXPECT_EQ(Val(L"-300"), -300);
    EXPECT_EQ(Val(L"4500px"), 4500);
    EXPECT_EQ(Val(L"45 00"), 4500);
    EXPECT_EQ(Val(L"4,5"), 4);
    EXPECT_EQ(Val(L"4.5E2"), 450);
    EXPECT_EQ(Val(L"abc"), 0);
    EXPECT_EQ(Val(L""), 0);
}

TEST_F(CommaLocale, SignsBlanksAndFractions)
{
    EXPECT_EQ(Val(L"+17"), 17);
    EXPECT_EQ(Val(L" - 1 2 "), -12);
    EXPECT_EQ(Val(L"\t4\n5"), 45);
    EXPECT_EQ(Val(L"2.5"), 2.5);
    EXPECT_EQ(Val(L".5"), 0.5);
    EXPECT_EQ(Val(L"-.25x"), -0.25);
    EXPECT_EQ(Val(L"7."), 7);
    EXPECT_EQ(Val(L"--5"), 0);
    EXPECT_EQ(Val(L"+"), 0);
    EXPECT_EQ(Val(L"."), 0);
    EXPECT_EQ(Val(L"x12"), 0);
    EXPECT_EQ(Val(L"12\r"), 12); // a carriage return ends the number
}

TEST_F(CommaLocale, Exponents)
{
    EXPECT_EQ(Val(L"1e3"), 1000);
    EXPECT_EQ(Val(L"1E+3"), 1000);
    EXPECT_EQ(Val(L"15e-1"), 1.5);
    EXPECT_EQ(Val(L"1e"), 1);     // an exponent without digits is not part of the number
    EXPECT_EQ(Val(L"1e+"), 1);
    EXPECT_EQ(Val(L"2 e 2"), 200);
    EXPECT_EQ(Val(L"1e-400"), 0); // too small to hold
    EXPECT_EQ(Val(L"0.0000e999"), 0);
    EXPECT_THROW(Val(L"1e400"), RuntimeError);
    EXPECT_THROW(Val(L"-9e99999999999999999999"), RuntimeError);
}

TEST_F(CommaLocale, WrittenNumbersReadBackAsTheSameValue)
{
    EXPECT_EQ(NumberText(4500), L"4500");
    EXPECT_EQ(NumberText(-300), L"-300");
    EXPECT_EQ(NumberText(0), L"0");
    EXPECT_EQ(NumberText(100000), L"100000"); // digits, as Windows writes them, not "1e+05"
    EXPECT_EQ(NumberText(-491520), L"-491520");
    for (float value : {4500.0f, -15.0f, 3927.2727f, 1e-3f, 7.038531e-26f, 3.4e38f, 123456789.0f, -32768 * 15.0f}) {
        std::wstring text = NumberText(value);
        EXPECT_EQ(static_cast<float>(Val(text)), value) << std::string(text.begin(), text.end());
        EXPECT_EQ(text.find(L','), std::wstring::npos);
    }
}

} // namespace
