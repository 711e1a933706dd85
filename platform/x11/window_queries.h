#pragma once
// What the X server holds of a window: the windows directly inside it and its properties.

#include <X11/Xlib.h>

#include <vector>

// Bottom of the stack first; none where the window has gone.
inline std::vector<Window> Children(Display* display, Window window)
{
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return {};
    std::vector<Window> list(children, children + count);
    if (children)
        XFree(children);
    return list;
}

// The items of a property in 32-bit format (atoms, cardinals, windows), up to 32 of them;
// none where the window lacks it or it has another type or format.
inline std::vector<unsigned long> Property32(Display* display, Window window, Atom property, Atom type = AnyPropertyType,
                                             long first = 0, long length = 32)
{
    Atom actualType;
    int format;
    unsigned long count = 0, remaining;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display, window, property, first, length, False, type, &actualType, &format, &count, &remaining,
                           &data) == Success && data && format == 32) {
        auto* values = reinterpret_cast<unsigned long*>(data); // Xlib hands 32-bit items over as longs
        items.assign(values, values + count);
    }
    if (data)
        XFree(data);
    return items;
}
