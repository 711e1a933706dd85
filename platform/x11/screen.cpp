// The primary screen, as the program asks for it: in twips.

#include <X11/Xatom.h>

#include <algorithm>

#include "app_services.h"
#include "display.h"
#include "monitors.h"
#include "native_form.h"
#include "window_queries.h"

namespace TheScreen {

float Width()
{
    return static_cast<float>(PrimaryMonitor().width * NativeTwipsPerPixel());
}

// The desktop publishes one work area per virtual desktop, over the whole screen
// (_NET_WORKAREA: x, y, width, height each); the current desktop's, where it meets the
// primary monitor, tells where a panel at its top ends.
float WorkAreaTop()
{
    Display* display = TheDisplay();
    const MonitorArea& primary = PrimaryMonitor();
    const Window root = DefaultRootWindow(display);
    auto desktop = Property32(display, root, AtomNamed("_NET_CURRENT_DESKTOP"), XA_CARDINAL, 0, 1);
    long index = desktop.empty() ? 0 : static_cast<long>(std::min(desktop[0], 1ul << 20)); // no desktop lies beyond
    std::vector<long> area;
    for (unsigned long item : Property32(display, root, AtomNamed("_NET_WORKAREA"), XA_CARDINAL, index * 4, 4))
        area.push_back(static_cast<long>(item)); // signed: a panel's area may start left of the screen
    if (area.size() < 4)
        return 0;
    long left = std::max<long>(area[0], primary.x), right = std::min<long>(area[0] + area[2], primary.x + primary.width);
    long top = std::max<long>(area[1], primary.y), bottom = std::min<long>(area[1] + area[3], primary.y + primary.height);
    if (left >= right || top >= bottom)
        return 0; // none of it on the primary monitor
    return static_cast<float>((top - primary.y) * NativeTwipsPerPixel());
}

} // namespace TheScreen
