#pragma once
// The pointer as the desktop reports it: lookout owns the bus name org.lookout.Pointer and
// serves, at /org/lookout/Pointer, interface org.lookout.Pointer:
//   Moved(x, y, width, height)  the pointer and the size of the whole logical screen, counted
//                               from its top-left corner, in the compositor's logical pixels;
//                               "iiii" or "dddd" (a KWin script's numbers come as doubles)
//   Stopped()                   no more reports until the next Moved (an extension switched off)
// A desktop's reporter calls the owner of that name, so its reports reach lookout and no one else.

#include "pointer_source.h"

constexpr const char* pointerBusName = "org.lookout.Pointer";
constexpr const char* pointerObjectPath = "/org/lookout/Pointer";
constexpr const char* pointerInterface = "org.lookout.Pointer";

class PointerReports final : public PointerSource {
public:
    // Serves the object and takes the name on the session bus; false where it cannot.
    bool Serve();

    bool Active() const override;
    unsigned long Reports() const override { return reports_; }
    RootPoint Latest(RootSize root) const override;

    // For the bus's calls.
    void Moved(const LogicalPointer& pointer);
    void Stopped() { active_ = false; }

private:
    bool active_ = false;
    unsigned long reports_ = 0;
    LogicalPointer latest_;
};

// The reports, served at the first call; null where the session bus or the name cannot be had.
PointerReports* ServedReports();
