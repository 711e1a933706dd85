// Whether the server is Xwayland, and whether a compositor draws the screen.

#include "compositor.h"

#include <X11/extensions/Xrandr.h>

#include <string>
#include <string_view>

#include "desktop_session.h"

namespace {

bool HasXwaylandOutputs(Display* display)
{
    int eventBase, errorBase, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor) ||
        major * 100 + minor < 103) // the current resources came with 1.3
        return false;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (!resources)
        return false;
    bool found = false;
    for (int i = 0; i < resources->noutput && !found; ++i)
        if (XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i])) {
            found = std::string_view(output->name, output->nameLen).starts_with("XWAYLAND");
            XRRFreeOutputInfo(output);
        }
    XRRFreeScreenResources(resources);
    return found;
}

} // namespace

bool XwaylandServer(Display* display)
{
    static const bool xwayland = [&] {
        int opcode, event, error;
        // The session's word first: the server's own signs may not be there yet while a
        // compositor still starts (or restarts) it.
        return ThisSession().wayland || XQueryExtension(display, "XWAYLAND", &opcode, &event, &error) ||
               HasXwaylandOutputs(display);
    }();
    return xwayland;
}

bool CompositorDrawsScreen(Display* display)
{
    if (XwaylandServer(display))
        return true;
    std::string selection = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    return XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False)) != None;
}
