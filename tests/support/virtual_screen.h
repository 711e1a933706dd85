#pragma once
// A virtual X server (Xvfb) of the tests' own, on a free display number, with an
// optional window manager; stopped when the object goes.

#include <X11/Xlib.h>

#include <string>
#include <sys/types.h>

class VirtualScreen {
public:
    explicit VirtualScreen(int width = 1024, int height = 768, bool windowManager = false);
    ~VirtualScreen();
    VirtualScreen(const VirtualScreen&) = delete;
    VirtualScreen& operator=(const VirtualScreen&) = delete;

    const std::string& Name() const { return name_; } // ":N"
    Display* Connection() const { return display_; }   // the tests' own connection

    // What the screen shows at a point, as 0x00BBGGRR.
    unsigned ScreenPixel(int x, int y) const;
    // Pointer and buttons through XTest, synchronised with the server.
    void MovePointer(int x, int y) const;
    void Button(unsigned button, bool down) const;
    void Key(const char* keysym, bool down) const;

private:
    std::string name_;
    pid_t server_ = -1;
    pid_t windowManager_ = -1;
    Display* display_ = nullptr;
};

// Installs one virtual screen for the whole test program and points DISPLAY at it.
VirtualScreen& SharedScreen();
