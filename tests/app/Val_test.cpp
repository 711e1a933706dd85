// Stored texts read as numbers and numbers written as texts, under a locale whose decimal
// separator is a comma, which must change neither.

#include <gtest/gtest.h>

#include <clocale>

#include "Val.h"
#include "runtime_error.h"

namespace {

TEST(Numbers, TextsReadAsTheirLeadingNumberAndWrittenAsPlainDigitsThatReadBack)
{
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "the locale de_DE.UTF-8 is not installed";
    const std::pair<const wchar_t*, double> cases[] = {
        {L"4500px", 4500}, {L" - 4 5\t0\n0 ", -4500}, {L"4,5", 4}, {L"-.25x", -0.25}, {L"7.", 7},  {L"--5", 0},
        {L"abc", 0},       {L"12\r", 12},             {L"2 e 2", 200}, {L"1e+", 1},   {L"1e-400", 0}, {L"0.0000e999", 0}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(Val(text), value) << testing::PrintToString(std::wstring(text));
    EXPECT_THROW(Val(L"1e400"), RuntimeError);
    EXPECT_THROW(Val(L"-9e99999999999999999999"), RuntimeError);

    EXPECT_EQ(NumberText(100000), L"100000"); // as Windows writes a coordinate, not "1e+05"
    for (float value : {3927.2727f, 7.038531e-26f, 3.4e38f}) {
        std::wstring text = NumberText(value);
        EXPECT_EQ(static_cast<float>(Val(text)), value) << testing::PrintToString(text);
        EXPECT_EQ(text.find_first_not_of(L"-0123456789."), std::wstring::npos) << testing::PrintToString(text);
    }
    std::setlocale(LC_ALL, "C");
}

} // namespace
