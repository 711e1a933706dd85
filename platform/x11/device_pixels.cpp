// Logical pixels and the screen's own.

#include "device_pixels.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "display.h"

namespace {

long long DeviceEdge(long long logical)
{
    return static_cast<long long>(std::floor(static_cast<double>(logical) * DeviceScale() + 0.5));
}

int ClampToInt(long long value) { return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX)); }

} // namespace

double DeviceScale()
{
    static const double scale = twipsPerLogicalPixel / TwipsPerPixel();
    return scale;
}

// At 96 DPI the two kinds of pixel are one: the shaping reads every pixel through here.
int ToDevice(int logical) { return DeviceScale() == 1 ? logical : ClampToInt(DeviceEdge(logical)); }

int ToLogical(int device)
{
    if (DeviceScale() == 1)
        return device;
    // A guess from the division, then put right against the edges themselves.
    auto logical = static_cast<long long>(std::floor(device / DeviceScale()));
    while (DeviceEdge(logical + 1) <= device)
        ++logical;
    while (DeviceEdge(logical) > device)
        --logical;
    return ClampToInt(logical);
}

int ToLogicalEdge(int device) { return ClampToInt(std::llround(device / DeviceScale())); }
