#pragma once
// The compositor's logical pixels on the X11 root window. Xwayland's root covers the
// compositor's logical screen, at the same size, or larger by a scale where the
// compositor lets X11 programs draw at full resolution (KWin's XwaylandClientsScale,
// mutter's xwayland-native-scaling): comparing the two sizes gives the mapping.

#include <optional>

struct RootPoint {
    int x = 0;
    int y = 0;
    bool operator==(const RootPoint&) const = default;
};

struct RootSize {
    int width = 0;
    int height = 0;
};

// The pointer and the size of the whole logical screen (the box around every monitor),
// both counted from that screen's top-left corner, as the compositor reports them.
struct LogicalPointer {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// The root pixel under the pointer; none for a report that gives no screen.
std::optional<RootPoint> OnRoot(const LogicalPointer& pointer, RootSize root);
