// The primary screen, as the program asks for it: in twips.

#include <X11/Xatom.h>

#include <algorithm>

#include "app_services.h"
#include "display.h"
#include "monitors.h"
#include "native_form.h"

namespace {

// Items [first, first + count) of a root window's CARDINAL property; fewer where it has fewer.
std::vector<long> RootCardinals(Display* display, const char* property, long first, long count)
{
    Atom type;
    int format;
    unsigned long items = 0, remaining;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(display, DefaultRootWindow(display), AtomNamed(property), first, count, False,
                           XA_CARDINAL, &type, &format, &items, &remaining, &data) == Success &&
        data && format == 32) {
        auto* cardinals = reinterpret_cast<long*>(data); // Xlib hands 32-bit items over as longs
        values.assign(cardinals, cardinals + items);
    }
    if (data)
        XFree(data);
    return values;
}

} // namespace

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
    std::vector<long> desktop = RootCardinals(display, "_NET_CURRENT_DESKTOP", 0, 1);
    long index = desktop.empty() ? 0 : std::clamp(desktop[0], 0L, 1L << 20); // no desktop lies beyond
    std::vector<long> area = RootCardinals(display, "_NET_WORKAREA", index * 4, 4);
    if (area.size() < 4)
        return 0;
    long left = std::max<long>(area[0], primary.x), right = std::min<long>(area[0] + area[2], primary.x + primary.width);
    long top = std::max<long>(area[1], primary.y), bottom = std::min<long>(area[1] + area[3], primary.y + primary.height);
    if (left >= right || top >= bottom)
        return 0; // none of it on the primary monitor
    return static_cast<float>((top - primary.y) * NativeTwipsPerPixel());
}

} // namespace TheScreen
