// Mapping a logical position onto the X11 root window.

#include "root_mapping.h"

#include <algorithm>
#include <cmath>

namespace {

// The root pixel that holds the logical position, kept on the root.
int Scaled(double position, double logicalSize, int rootSize)
{
    double scaled = std::floor(position * rootSize / logicalSize);
    return static_cast<int>(std::clamp(scaled, 0.0, static_cast<double>(rootSize - 1)));
}

} // namespace

std::optional<RootPoint> OnRoot(const LogicalPointer& pointer, RootSize root)
{
    bool sane = std::isfinite(pointer.x) && std::isfinite(pointer.y) && std::isfinite(pointer.width) &&
                std::isfinite(pointer.height) && pointer.width >= 1 && pointer.height >= 1 && root.width > 0 &&
                root.height > 0;
    if (!sane)
        return std::nullopt;
    return RootPoint{Scaled(pointer.x, pointer.width, root.width), Scaled(pointer.y, pointer.height, root.height)};
}
