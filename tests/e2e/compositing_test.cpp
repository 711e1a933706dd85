// Where a compositor draws the screen (a compositing manager owns _NET_WM_CM_S0) the window has
// alpha: clear outside the outline, for compositors that show a window's whole rectangle, and
// opaque inside, with every pixel as without a compositor; without one, the default visual. A
// Wayland session's X server is Xwayland, whose compositor draws the screen, by the session's word.

#include <gtest/gtest.h>

#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include "running_lookout.h"

using namespace std::chrono_literals;

namespace {

enum class Compositor { none, xcompmgr, waylandSession };

// What a compositor that ignores the shape would take: the window's whole rectangle, alpha and
// colours, read with the shape taken off; and the outline the window had.
struct WindowContents {
    int depth = 0;
    std::vector<unsigned long> pixels; // row after row, as the window's visual holds them
    unsigned long colourMask = 0;      // the visual's red, green and blue bits
    Region outline = nullptr;
};

WindowContents ReadWholeWindow(Display* display, Window window)
{
    WindowContents contents;
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    contents.depth = attributes.depth;
    contents.colourMask = attributes.visual->red_mask | attributes.visual->green_mask | attributes.visual->blue_mask;
    int count = 0, ordering = 0;
    XRectangle* shape = XShapeGetRectangles(display, window, ShapeBounding, &count, &ordering);
    contents.outline = XCreateRegion();
    for (int i = 0; i < count; ++i)
        XUnionRectWithRegion(&shape[i], contents.outline, contents.outline);
    XFree(shape);
    // Unshaped, the server fills the window from its background: the program's kept image.
    XShapeCombineMask(display, window, ShapeBounding, 0, 0, None, ShapeSet);
    XSync(display, False);
    XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    for (int y = 0; image && y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x)
            contents.pixels.push_back(XGetPixel(image, x, y));
    if (image)
        XDestroyImage(image);
    return contents;
}

TEST(Compositing, TheHeadIsClearOutsideItsOutlineAndOpaqueInsideWithTheSamePixelsWhereACompositorDraws)
{
    std::vector<unsigned long> withoutCompositor; // the colours inside the outline, as the program draws them today
    // A Wayland session without a compositor of its own: a window with alpha that the X server draws itself.
    for (Compositor compositor : {Compositor::none, Compositor::xcompmgr, Compositor::waylandSession}) {
        SCOPED_TRACE(compositor == Compositor::none       ? "no compositor"
                     : compositor == Compositor::xcompmgr ? "xcompmgr"
                                                          : "a Wayland session");
        VirtualScreen screen(1024, 768);
        Display* display = screen.Connection();
        pid_t manager = -1;
        if (compositor == Compositor::xcompmgr) {
            manager = Spawn({"xcompmgr"}, {"DISPLAY=" + screen.Name()});
            ASSERT_TRUE(Eventually([&] {
                return XGetSelectionOwner(display, XInternAtom(display, "_NET_WM_CM_S0", False)) != None;
            })) << "xcompmgr never started";
        }
        XSync(display, False);
        screen.MovePointer(10, 10); // the same pupils in every run
        TempFolder folder;
        {
            std::vector<std::string> session;
            if (compositor == Compositor::waylandSession)
                session = {"env", "XDG_SESSION_TYPE=wayland"};
            RunningLookout lookout(screen, InstallLookout(folder.Path()), true, session);
            // On the screen, cut out as ever: the desktop around the head (xcompmgr paints its own).
            // Without a compositor the desktops' test shows it.
            const unsigned desktop = screen.ScreenPixel(5, 700);
            if (compositor != Compositor::none)
                ExpectCutToOutline(screen, lookout, 1, [&](unsigned pixel, int, int) { return pixel == desktop; });

            WindowContents window = ReadWholeWindow(display, lookout.TheWindow());
            ASSERT_EQ(window.pixels.size(), 184u * 280u);
            EXPECT_EQ(window.depth, compositor == Compositor::none ? DefaultDepth(display, 0) : 32);
            const unsigned long alpha = window.depth == 32 ? 0xFFFFFFFFul & ~window.colourMask : 0;
            std::vector<unsigned long> inside;
            int notOpaque = 0, notClear = 0;
            for (int y = 0; y < 280; ++y)
                for (int x = 0; x < 184; ++x) {
                    unsigned long pixel = window.pixels[y * 184 + x];
                    if (XPointInRegion(window.outline, x, y)) {
                        inside.push_back(pixel & window.colourMask);
                        notOpaque += (pixel & alpha) != alpha;
                    } else {
                        notClear += (pixel & alpha) != 0;
                    }
                }
            XDestroyRegion(window.outline);
            if (compositor == Compositor::none) { // the colours as the program draws them without alpha
                withoutCompositor = inside;
                continue;
            }
            EXPECT_EQ(notOpaque, 0) << "pixels inside the outline not opaque";
            EXPECT_EQ(notClear, 0) << "pixels outside the outline not clear";
            EXPECT_TRUE(inside == withoutCompositor) << "the colours inside the outline differ";
        }
        StopGroup(manager);
    }
}

} // namespace
