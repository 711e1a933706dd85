// The top-level windows as the root's notifications tell them.

#include "top_levels.h"

#include <algorithm>

#include "display.h"
#include "window_queries.h"

namespace {

struct {
    bool watched = false;
    unsigned long since = 0; // notifications older than the tree read are in it already
    std::vector<TopLevel> windows;
} copy;

auto Find(Window window)
{
    return std::find_if(copy.windows.begin(), copy.windows.end(),
                        [&](const TopLevel& w) { return w.window == window; });
}

// From the server, for a window whose size no notification tells (one reparented to the root).
bool Read(Display* display, Window window, TopLevel& top)
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, window, &a))
        return false;
    top = {window, a.x, a.y, a.width + 2 * a.border_width, a.height + 2 * a.border_width,
           a.map_state != IsUnmapped, a.override_redirect != False};
    return true;
}

// Moves a window to just above another (0: to the bottom).
void Restack(Window window, Window below)
{
    auto it = Find(window);
    if (it == copy.windows.end())
        return;
    TopLevel moved = *it;
    copy.windows.erase(it);
    auto under = below ? Find(below) : copy.windows.end();
    copy.windows.insert(below && under != copy.windows.end() ? under + 1 : copy.windows.begin(), moved);
}

void Place(const XConfigureEvent& e)
{
    auto it = Find(e.window);
    if (it != copy.windows.end()) {
        it->x = e.x;
        it->y = e.y;
        it->width = e.width + 2 * e.border_width;
        it->height = e.height + 2 * e.border_width;
        it->overrideRedirect = e.override_redirect != False;
    }
}

void SetMapped(Window window, bool mapped)
{
    auto it = Find(window);
    if (it != copy.windows.end())
        it->mapped = mapped;
}

} // namespace

void WatchTopLevels(Display* display)
{
    if (copy.watched)
        return;
    copy.watched = true;
    Window root = DefaultRootWindow(display);
    SelectRootEvents(display, SubstructureNotifyMask);
    copy.since = NextRequest(display);
    RequestsAboutOthersWindows([&] {
        for (Window window : Children(display, root)) {
            TopLevel top;
            if (Read(display, window, top))
                copy.windows.push_back(top);
        }
    });
}

bool TakeTopLevelEvent(const XEvent& event)
{
    Display* display = event.xany.display;
    if (!copy.watched || event.xany.window != DefaultRootWindow(display))
        return false;
    if (event.xany.serial < copy.since)
        return true;
    switch (event.type) {
    case CreateNotify: {
        const XCreateWindowEvent& e = event.xcreatewindow;
        if (Find(e.window) == copy.windows.end()) // a new window is on top
            copy.windows.push_back({e.window, e.x, e.y, e.width + 2 * e.border_width, e.height + 2 * e.border_width,
                                    false, e.override_redirect != False});
        break;
    }
    case DestroyNotify:
        std::erase_if(copy.windows, [&](const TopLevel& w) { return w.window == event.xdestroywindow.window; });
        break;
    case MapNotify:
        SetMapped(event.xmap.window, true);
        break;
    case UnmapNotify:
        SetMapped(event.xunmap.window, false);
        break;
    case ConfigureNotify:
        Place(event.xconfigure);
        Restack(event.xconfigure.window, event.xconfigure.above);
        break;
    case GravityNotify:
        if (auto it = Find(event.xgravity.window); it != copy.windows.end()) {
            it->x = event.xgravity.x;
            it->y = event.xgravity.y;
        }
        break;
    case CirculateNotify: {
        const XCirculateEvent& e = event.xcirculate;
        auto it = Find(e.window);
        if (it == copy.windows.end())
            break;
        TopLevel moved = *it;
        copy.windows.erase(it);
        copy.windows.insert(e.place == PlaceOnTop ? copy.windows.end() : copy.windows.begin(), moved);
        break;
    }
    case ReparentNotify: {
        const XReparentEvent& e = event.xreparent;
        std::erase_if(copy.windows, [&](const TopLevel& w) { return w.window == e.window; });
        TopLevel top;
        bool read = false;
        if (e.parent == e.event) // back to the root, on top; it may be gone again already
            RequestsAboutOthersWindows([&] { read = Read(display, e.window, top); });
        if (read)
            copy.windows.push_back(top);
        break;
    }
    default:
        break;
    }
    return true;
}

const std::vector<TopLevel>& TopLevels() { return copy.windows; }
