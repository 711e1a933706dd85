#pragma once
// Where the desktop itself says the pointer is. Under a Wayland compositor the X server
// learns of the pointer only while it is over X11 windows; a program of the desktop's
// (a GNOME Shell extension, a KWin script) tells lookout wherever it is, over the session
// bus, whose connection is one of the event loop's sources.

#include "root_mapping.h"

class PointerSource {
public:
    // The desktop reports every motion now: while no new report comes, the pointer rests.
    virtual bool Active() const = 0;
    // How many reports have come: a count other than at the last look means a motion.
    virtual unsigned long Reports() const = 0;
    // The latest position reported, on an X11 root window of that size.
    virtual RootPoint Latest(RootSize root) const = 0;

protected:
    ~PointerSource() = default;
};

// The session's source, started at the first call on a Wayland session of a desktop that
// has one; null elsewhere, and then the session bus is never touched.
PointerSource* SessionPointerSource();
