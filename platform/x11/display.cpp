// The connection to the X server, colours, atoms and fatal errors.

#include "display.h"
#include <X11/Xutil.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "compositor.h"
#include "run_handler.h"
#include "runtime_error.h"

namespace {

Display* display = nullptr;

struct ChannelShift {
    int shift = 0;
    unsigned long max = 255; // the channel's largest value
};

ChannelShift red, green, blue;

ChannelShift ShiftOf(unsigned long mask)
{
    int shift = std::countr_zero(mask);
    return {shift, mask >> shift};
}

WindowVisual windowVisual;

// The visual the window is made with, and its channels.
void ChooseVisual()
{
    int screen = DefaultScreen(display);
    windowVisual = {DefaultVisual(display, screen), DefaultDepth(display, screen), None, 0};
    XVisualInfo argb;
    if (CompositorDrawsScreen(display) && XMatchVisualInfo(display, screen, 32, TrueColor, &argb)) {
        windowVisual.visual = argb.visual;
        windowVisual.depth = 32;
        windowVisual.colormap = XCreateColormap(display, RootWindow(display, screen), argb.visual, AllocNone);
        windowVisual.opaque = 0xFFFFFFFFul & ~(argb.red_mask | argb.green_mask | argb.blue_mask);
    }
    Visual* visual = windowVisual.visual;
    if (visual->c_class != TrueColor)
        throw RuntimeError("the X display has no true-colour visual");
    red = ShiftOf(visual->red_mask);
    green = ShiftOf(visual->green_mask);
    blue = ShiftOf(visual->blue_mask);
}

// 8-bit channel values to the visual's, and back, by arithmetic: visuals have 5 to 10 bits a channel.
// 8 bits a channel, as nearly every screen has, needs no division: the shaping converts every pixel.
unsigned long Scale(unsigned value, ChannelShift channel)
{
    unsigned long scaled = channel.max == 255 ? value : (value * channel.max + 127) / 255;
    return scaled << channel.shift;
}

unsigned Unscale(unsigned long pixel, ChannelShift channel)
{
    unsigned long value = pixel >> channel.shift & channel.max;
    return static_cast<unsigned>(channel.max == 255 ? value : (value * 255 + channel.max / 2) / channel.max);
}

// The requests, by serial number, that are about other clients' windows: [first, end) each,
// and those being made now, from openFrom on (an error may come back within a request).
std::vector<std::pair<unsigned long, unsigned long>> othersRequests;
int openDepth = 0;
unsigned long openFrom = 0;

bool AboutOthersWindow(unsigned long serial)
{
    if (openDepth > 0 && serial >= openFrom)
        return true;
    for (auto [first, end] : othersRequests)
        if (serial >= first && serial < end)
            return true;
    return false;
}

// Another client's window may be gone by the time the server gets a request about it;
// an error on anything else is the program's own failure.
int OnProtocolError(Display* connection, XErrorEvent* error)
{
    if (connection != display || AboutOthersWindow(error->serial))
        return 0;
    char text[160] = "";
    XGetErrorText(connection, error->error_code, text, sizeof text);
    char details[96];
    std::snprintf(details, sizeof details, " (request %d.%d, resource 0x%lx)", error->request_code,
                  error->minor_code, error->resourceid);
    Die(std::string("X error: ") + text + details);
}

int ConnectionLost(Display*)
{
    Die("lost the connection to the X server");
}

} // namespace

void OpenDisplay()
{
    if (display)
        return;
    display = XOpenDisplay(nullptr);
    if (!display) {
        const char* name = std::getenv("DISPLAY");
        throw RuntimeError(std::string("cannot open the X display \"") + (name ? name : "") + "\"");
    }
    ChooseVisual();
    XSetErrorHandler(OnProtocolError);
    XSetIOErrorHandler(ConnectionLost);
}

Display* TheDisplay()
{
    if (!display)
        throw RuntimeError("no connection to the X server");
    return display;
}


const WindowVisual& TheWindowVisual() { return windowVisual; }

unsigned long PixelOf(COLORREF color)
{
    return Scale(color & 0xFF, red) | Scale(color >> 8 & 0xFF, green) | Scale(color >> 16 & 0xFF, blue) |
           windowVisual.opaque;
}

COLORREF ColorOf(unsigned long pixel)
{
    return Unscale(pixel, red) | Unscale(pixel, green) << 8 | Unscale(pixel, blue) << 16;
}

void RequestsAboutOthersWindows(const std::function<void()>& requests)
{
    Display* connection = TheDisplay();
    if (openDepth++ == 0)
        openFrom = NextRequest(connection);
    struct Close {
        Display* connection;
        ~Close()
        {
            if (--openDepth > 0)
                return;
            // Ranges whose errors have all come in (the server answered a later request) go.
            unsigned long answered = LastKnownRequestProcessed(connection);
            std::erase_if(othersRequests, [&](auto range) { return range.second <= answered; });
            othersRequests.emplace_back(openFrom, NextRequest(connection));
        }
    } close{connection};
    requests();
}

Atom AtomNamed(const char* name) { return XInternAtom(TheDisplay(), name, False); }

void SelectRootEvents(Display* display, long mask)
{
    static long selected = 0;
    if ((selected | mask) == selected)
        return;
    selected |= mask;
    XSelectInput(display, DefaultRootWindow(display), selected);
}

void FailInHandler(const std::string& what) { Die("run-time error: " + what); }
