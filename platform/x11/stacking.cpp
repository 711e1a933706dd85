// Staying above ordinary windows without a window manager's help.

#include "stacking.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "display.h"
#include "top_levels.h"
#include "window_queries.h"
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
    if (depth == 0)
        return 0;
    std::vector<Window> children = Children(display, window);
    Window client = 0;
    for (auto i = children.rbegin(); i != children.rend() && !client; ++i) // the top one first
        client = ClientIn(display, *i, depth - 1);
    return client;
}

bool KeptAbove(Display* display, Window client)
{
    for (Atom state : Property32(display, client, AtomNamed("_NET_WM_STATE"), XA_ATOM))
        if (state == AtomNamed("_NET_WM_STATE_ABOVE"))
            return true;
    const char* aboveTypes[] = {"_NET_WM_WINDOW_TYPE_DOCK",          "_NET_WM_WINDOW_TYPE_NOTIFICATION",
                                "_NET_WM_WINDOW_TYPE_TOOLTIP",       "_NET_WM_WINDOW_TYPE_POPUP_MENU",
                                "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", "_NET_WM_WINDOW_TYPE_COMBO",
                                "_NET_WM_WINDOW_TYPE_DND"};
    for (Atom type : Property32(display, client, AtomNamed("_NET_WM_WINDOW_TYPE"), XA_ATOM))
        for (const char* name : aboveTypes)
            if (type == AtomNamed(name))
                return true;
    return false;
}

// A shown window that covers ours and that a topmost window belongs above, as the server has it.
bool IsOrdinaryCover(Display* display, Window window, const NativeForm& native)
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, window, &a) || a.map_state != IsViewable || a.c_class != InputOutput ||
        a.override_redirect || !MeetsWindow(native, a.x, a.y, a.width + 2 * a.border_width, a.height + 2 * a.border_width))
        return false;
    Window client = ClientIn(display, window, 3);
    return !KeptAbove(display, client ? client : window); // no client inside: no manager, it is its own
}

// The windows that may cover ours, top first, as the copy of the top-level windows has them.
std::vector<Window> MayCover(const NativeForm& native, bool mayStepDown)
{
    std::vector<Window> windows;
    const std::vector<TopLevel>& stack = TopLevels();
    for (auto i = stack.rbegin(); i != stack.rend() && (mayStepDown || i->window != native.window); ++i)
        if (i->mapped && !i->overrideRedirect && i->window != native.window && !FormOfWindow(i->window) &&
            MeetsWindow(native, i->x, i->y, i->width, i->height))
            windows.push_back(i->window);
    return windows;
}

// What the last look saw: the same windows over the head, unless a rival's time is up,
// need no new look.
struct {
    std::vector<Window> mayCover;
    Clock::time_point at;
} lastLook;

} // namespace

void WatchStacking(Display* display) { WatchTopLevels(display); }

bool TakeStackingEvent(const XEvent& event) { return TakeTopLevelEvent(event); }

std::optional<std::chrono::steady_clock::time_point> NextLookAt()
{
    if (rival.yieldUntil > lastLook.at)
        return rival.yieldUntil;
    return std::nullopt;
}

void KeepAbove(Display* display, NativeForm& native, bool mayStepDown)
{
    std::vector<Window> mayCover = MayCover(native, mayStepDown);
    Clock::time_point now = Clock::now();
    bool yieldEnded = rival.yieldUntil > lastLook.at && rival.yieldUntil <= now;
    if (!mayStepDown && !yieldEnded && mayCover == lastLook.mayCover)
        return;
    lastLook = {mayCover, now};
    // Every window looked at here is another client's, and may go away at any time.
    RequestsAboutOthersWindows([&] {
        Window ordinary = 0;
        for (auto i = mayCover.begin(); i != mayCover.end() && !ordinary; ++i)
            if (!YieldedTo(*i) && IsOrdinaryCover(display, *i, native))
                ordinary = *i;
        if (!ordinary || !MayRestackAbove(ordinary))
            return;
        XWindowChanges changes{};
        changes.sibling = ordinary;
        changes.stack_mode = Above;
        XConfigureWindow(display, native.window, CWSibling | CWStackMode, &changes);
        // What was looked at is gone with the step: a window raised over the head again in the
        // same batch as the step's own notification is a new look, though the list is the same.
        lastLook.mayCover.clear();
    });
}
