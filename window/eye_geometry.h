#pragma once
// Where the eyes sit in the head's picture, in its pixels, and how they are painted: the
// window's timer, the program that draws the picture, and the tests take them from here.

#include <cstdint>

constexpr int leftEyeX = 39;
constexpr int rightEyeX = 143;
constexpr int eyeY = 162;
constexpr float eyeRadius = 12;
constexpr float pupilRadius = 7;
constexpr double pupilOffset = 5; // from the eye's centre towards the cursor
constexpr std::uint32_t eyeColor = 0x80FF80; // light green, 0x00BBGGRR
constexpr std::uint32_t pupilColor = 0;
