// The screen's DPI, and with it the scale between logical pixels and the screen's own.

#include "device_pixels.h"

#include <X11/Xresource.h>

#include <cstdlib>

#include "display.h"
#include "native_form.h"

// 1440 / DPI, the DPI from the resource Xft.dpi where set, else 96.
double NativeTwipsPerPixel()
{
    static double twipsPerPixel = [] {
        double dpi = 96;
        if (const char* resources = XResourceManagerString(TheDisplay())) {
            XrmInitialize();
            XrmDatabase database = XrmGetStringDatabase(resources);
            char* type = nullptr;
            XrmValue value;
            if (database && XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
                double parsed = std::strtod(value.addr, nullptr);
                if (PlausibleDpi(parsed))
                    dpi = parsed;
            }
            if (database)
                XrmDestroyDatabase(database);
        }
        return 1440.0 / dpi;
    }();
    return twipsPerPixel;
}

const PixelScale& ScreenScale()
{
    static const PixelScale scale{twipsPerLogicalPixel / NativeTwipsPerPixel()};
    return scale;
}
