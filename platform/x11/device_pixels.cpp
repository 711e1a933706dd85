// Logical pixels and the screen's own, at the one DPI of the X screen.

#include "device_pixels.h"

#include "native_form.h"

namespace {

const PixelScale& ScreenScale()
{
    static const PixelScale scale{twipsPerLogicalPixel / NativeTwipsPerPixel()};
    return scale;
}

} // namespace

double DeviceScale() { return ScreenScale().factor; }

int ToDevice(int logical) { return ScreenScale().ToDevice(logical); }

int ToLogical(int device) { return ScreenScale().ToLogical(device); }

int ToLogicalEdge(int device) { return ScreenScale().ToLogicalEdge(device); }
