#pragma once
// The program counts in logical pixels of 1/96 inch; a screen has DPI / 96 pixels of its
// own to each of them. Every coordinate that crosses between the two, on either system,
// goes through these rules, so the window, its picture, its region and its circles agree.

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "runtime_error.h"

constexpr double twipsPerLogicalPixel = 15; // 1440 twips an inch, 96 logical pixels

// The nearest whole pixel of a coordinate (halfway goes to even): rounded once, so circles
// are round at every DPI and pupils move a pixel at a time. Raises where it can name no pixel.
inline int NearestPixel(double value)
{
    double pixel = std::rint(value);
    if (!std::isfinite(pixel) || pixel < INT_MIN || pixel > INT_MAX)
        throw RuntimeError("coordinate out of range: " + std::to_string(value));
    return static_cast<int>(pixel);
}

// A DPI a screen may have; beyond it, a setting gone wrong, and 96 is taken instead.
constexpr bool PlausibleDpi(double dpi) { return dpi >= 24 && dpi <= 1440; }

struct PixelScale {
    double factor = 1; // device pixels per logical pixel

    // The device edge of a logical edge, round(x * factor). Sizes, places and rectangles
    // all use it, so a rectangle of logical pixels covers exactly the device pixels showing them.
    // At a factor of 1 the two kinds of pixel are one: the shaping reads every pixel through here.
    int ToDevice(int logical) const { return factor == 1 ? logical : ClampToInt(Edge(logical)); }

    // The logical pixel that a device pixel shows: the largest x with ToDevice(x) <= device.
    // A picture shown through it stays crisp at whole factors and meets its scaled region exactly.
    int ToLogical(int device) const
    {
        if (factor == 1)
            return device;
        // A guess from the division, then put right against the edges themselves.
        auto logical = static_cast<long long>(std::floor(device / factor));
        while (Edge(logical + 1) <= device)
            ++logical;
        while (Edge(logical) > device)
            --logical;
        return ClampToInt(logical);
    }

    // The logical edge nearest a device edge, for a window's place: a place between two
    // logical edges is stored half a logical pixel off at most.
    int ToLogicalEdge(int device) const { return ClampToInt(std::llround(device / factor)); }

    // A circle's centre or radius, in device pixels.
    int ToDeviceCoordinate(double logical) const { return NearestPixel(logical * factor); }

private:
    long long Edge(long long logical) const
    {
        return static_cast<long long>(std::floor(static_cast<double>(logical) * factor + 0.5));
    }
    static int ClampToInt(long long value) { return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX)); }
};
