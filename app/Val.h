#pragma once
// Stored texts as numbers, and numbers as texts that read back the same.

#include <string>

// The number at the start of a text: blanks, tabs and line feeds anywhere are
// dropped; then a sign, digits, a period and digits, an exponent (E or e, a sign,
// digits). Reading stops at the first character that cannot continue the number;
// a text without a number gives 0. The period is the separator in every locale.
double Val(const std::wstring& text);

// The shortest decimal text that reads back by Val as the same single-precision value.
std::wstring NumberText(float value);
