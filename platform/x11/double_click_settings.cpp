// The desktop's double-click settings, read from the owner of the selection _XSETTINGS_S<screen>.

#include "double_click_settings.h"

#include <algorithm>
#include <optional>
#include <string>

#include "device_pixels.h"
#include "display.h"
#include "xsettings.h"

namespace {

struct {
    std::optional<DoubleClickLimits> limits; // none until asked for, and after a change
    Window manager = None;                   // the selection's owner when last read
    Atom selection = None;
    Atom announcement = None;                // MANAGER
} settings;

// What the manager publishes now, over Windows' defaults (their box scaled to the screen). A
// distance is how far from the first press the second may be, in pixels: half of Windows' box.
DoubleClickLimits ReadLimits(Display* display)
{
    DoubleClickLimits limits;
    limits.width = ScreenScale().ToDevice(limits.width);
    limits.height = ScreenScale().ToDevice(limits.height);
    // A new manager says so on the root window; select that before asking who it is now.
    SelectRootEvents(display, StructureNotifyMask);
    settings.selection = AtomNamed(("_XSETTINGS_S" + std::to_string(DefaultScreen(display))).c_str());
    settings.announcement = AtomNamed("MANAGER");
    settings.manager = XGetSelectionOwner(display, settings.selection);
    if (settings.manager == None)
        return limits;
    unsigned char* data = nullptr;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    // The manager may be gone by now: its errors are passed over, and a new one will announce itself.
    RequestsAboutOthersWindows([&] {
        XSelectInput(display, settings.manager, PropertyChangeMask | StructureNotifyMask);
        Atom property = AtomNamed("_XSETTINGS_SETTINGS");
        if (XGetWindowProperty(display, settings.manager, property, 0, 1 << 18, False, property, &type, &format,
                               &items, &after, &data) != Success)
            data = nullptr;
    });
    if (!data)
        return limits;
    std::optional<std::map<std::string, std::int32_t>> integers;
    if (format == 8 && after == 0)
        integers = XSettingsIntegers({data, items});
    XFree(data);
    if (!integers)
        return limits;
    if (auto time = integers->find("Net/DoubleClickTime"); time != integers->end() && time->second > 0)
        limits.time = static_cast<std::uint32_t>(time->second);
    if (auto distance = integers->find("Net/DoubleClickDistance");
        distance != integers->end() && distance->second >= 0)
        limits.width = limits.height = 2 * std::min(distance->second, 65535); // beyond any screen
    return limits;
}

} // namespace

DoubleClickLimits DesktopDoubleClickLimits()
{
    if (!settings.limits)
        settings.limits = ReadLimits(TheDisplay());
    return *settings.limits;
}

bool TakeDoubleClickSettingsEvent(const XEvent& event)
{
    bool changed = false;
    if (event.type == ClientMessage && settings.selection != None)
        changed = event.xclient.message_type == settings.announcement && event.xclient.format == 32 &&
                  static_cast<Atom>(event.xclient.data.l[1]) == settings.selection;
    else if (settings.manager != None && event.xany.window == settings.manager)
        changed = event.type == PropertyNotify || event.type == DestroyNotify;
    if (changed)
        settings.limits.reset();
    return changed || (settings.manager != None && event.xany.window == settings.manager);
}
