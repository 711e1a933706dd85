#pragma once
// The letter case of ASCII letters alone, so that the user's locale never changes what matches.

template <class Char>
constexpr Char UpperAscii(Char c)
{
    return c >= Char('a') && c <= Char('z') ? static_cast<Char>(c - Char('a') + Char('A')) : c;
}

template <class Char>
constexpr Char LowerAscii(Char c)
{
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}
