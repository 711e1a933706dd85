// Staying above ordinary windows without a window manager's help.

#include "stacking.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "display.h"
#include "x11_form.h"

namespace {

using Clock = std::chrono::steady_clock;

// A window that comes back above the head again and again raises itself whenever it is
// covered: after a few rounds the head lets it be for a while, rather than fight it.
struct {
    Window window = 0;
    int rounds = 0;
    Clock::time_point since;
    Clock::time_point yieldUntil;
} rival;

constexpr int roundsBeforeYielding = 3;
constexpr auto rivalryWindow = std::chrono::seconds(1);
constexpr auto yieldFor = std::chrono::seconds(10);

bool YieldedTo(Window window) { return window == rival.window && Clock::now() < rival.yieldUntil; }

// Counts a restack above the window; false once the head should yield to it.
bool MayRestackAbove(Window window)
{
    Clock::time_point now = Clock::now();
    if (window != rival.window || now - rival.since > rivalryWindow)
        rival = {window, 0, now, {}};
    if (++rival.rounds <= roundsBeforeYielding)
        return true;
    rival.yieldUntil = now + yieldFor;
    return false;
}

std::vector<Atom> AtomList(Display* display, Window window, const char* property)
{
    Atom type;
    int format;
    unsigned long count = 0, remaining;
    unsigned char* data = nullptr;
    std::vector<Atom> atoms;
    if (XGetWindowProperty(display, window, AtomNamed(property), 0, 32, False, XA_ATOM, &type, &format, &count,
                           &remaining, &data) == Success && data && format == 32) {
        auto* values = reinterpret_cast<Atom*>(data);
        atoms.assign(values, values + count);
    }
    if (data)
        XFree(data);
    return atoms;
}

bool HasProperty(Display* display, Window window, Atom property)
{
    int count = 0;
    Atom* properties = XListProperties(display, window, &count);
    bool found = properties && std::find(properties, properties + count, property) != properties + count;
    if (properties)
        XFree(properties);
    return found;
}

// The application's window in a window manager's frame: the first one down the tree
// with WM_STATE, or 0.
Window ClientIn(Display* display, Window window, int depth)
{
    if (HasProperty(display, window, AtomNamed("WM_STATE")))
        return window;
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window client = 0;
    if (depth > 0 && XQueryTree(display, window, &root, &parent, &children, &count))
        for (unsigned i = count; i-- > 0 && !client;)
            client = ClientIn(display, children[i], depth - 1);
    if (children)
        XFree(children);
    return client;
}

bool KeptAbove(Display* display, Window client)
{
    for (Atom state : AtomList(display, client, "_NET_WM_STATE"))
        if (state == AtomNamed("_NET_WM_STATE_ABOVE"))
            return true;
    const char* aboveTypes[] = {"_NET_WM_WINDOW_TYPE_DOCK",          "_NET_WM_WINDOW_TYPE_NOTIFICATION",
                                "_NET_WM_WINDOW_TYPE_TOOLTIP",       "_NET_WM_WINDOW_TYPE_POPUP_MENU",
                                "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", "_NET_WM_WINDOW_TYPE_COMBO",
                                "_NET_WM_WINDOW_TYPE_DND"};
    for (Atom type : AtomList(display, client, "_NET_WM_WINDOW_TYPE"))
        for (const char* name : aboveTypes)
            if (type == AtomNamed(name))
                return true;
    return false;
}

bool Overlaps(const XWindowAttributes& other, const NativeForm& native)
{
    int right = other.x + other.width + 2 * other.border_width;
    int bottom = other.y + other.height + 2 * other.border_width;
    return other.x < native.left + native.width && right > native.left && other.y < native.top + native.height &&
           bottom > native.top;
}

// A shown window that covers ours and that a topmost window belongs above.
bool IsOrdinaryCover(Display* display, Window window, const NativeForm& native)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable ||
        attributes.c_class != InputOutput || attributes.override_redirect || !Overlaps(attributes, native))
        return false;
    Window client = ClientIn(display, window, 3);
    return !KeptAbove(display, client ? client : window); // no client inside: no manager, it is its own
}

} // namespace

void WatchStacking(Display* display)
{
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
}

bool ChangesStacking(const XEvent& event)
{
    if (event.xany.window != DefaultRootWindow(event.xany.display))
        return false;
    return event.type == MapNotify || event.type == ConfigureNotify || event.type == CirculateNotify ||
           event.type == ReparentNotify;
}

void KeepAbove(Display* display, NativeForm& native, bool mayStepDown)
{
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return;
    // Children come bottom to top: look down from the top, until our own window unless
    // it may step down.
    Window ordinary = 0;
    for (unsigned i = count; i-- > 0 && !ordinary && (mayStepDown || children[i] != native.window);)
        if (!FormOfWindow(children[i]) && !YieldedTo(children[i]) && IsOrdinaryCover(display, children[i], native))
            ordinary = children[i];
    if (children)
        XFree(children);
    if (!ordinary || !MayRestackAbove(ordinary))
        return;
    XWindowChanges changes{};
    changes.sibling = ordinary;
    changes.stack_mode = Above;
    XConfigureWindow(display, native.window, CWSibling | CWStackMode, &changes);
}
