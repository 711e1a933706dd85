#pragma once
// The form runtime: a window with a picture, a kept image, circles, pixel reads,
// a position in twips, a timer, and mouse events, as the program's form uses them.
// Each platform supplies the native half (NativeForm) in its own folder.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "picture.h"
#include "winapi.h"

constexpr int vbTwips = 1;
constexpr int vbPixels = 3;
constexpr int vbFSSolid = 0;
constexpr int vbFSTransparent = 1;

constexpr int vbLeftButton = 1;
constexpr int vbRightButton = 2;
constexpr int vbMiddleButton = 4;
constexpr int vbShiftMask = 1;
constexpr int vbCtrlMask = 2;
constexpr int vbAltMask = 4;

// The fixed properties a form is designed with.
struct FormDesign {
    std::wstring caption;
    std::wstring className;
    int clientWidth = 0;  // pixels
    int clientHeight = 0; // pixels
    std::optional<::Picture> picture;
    std::optional<::Picture> icon;
    std::vector<bool> iconTransparent;
    int scaleMode = vbTwips;
    int fillStyle = vbFSTransparent; // circles are drawn filled only: a form that draws them is solid
};

struct NativeForm;
class Form;

// The native half of a form; each platform supplies it.
struct NativeFormDeleter {
    void operator()(NativeForm* native) const;
};
using NativeFormPtr = std::unique_ptr<NativeForm, NativeFormDeleter>;

// A timer control: calls its handler every interval from the event loop,
// from the moment its form's window is created. A form has one.
class Timer {
public:
    Timer(Form& owner, std::chrono::milliseconds interval, std::function<void()> onTimer);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    std::chrono::milliseconds Interval() const { return interval_; }
    bool Ticking() const { return interval_.count() > 0; } // an interval of 0 switches a timer off
    void Fire() const { onTimer_(); }

private:
    std::chrono::milliseconds interval_;
    std::function<void()> onTimer_;
};

class Form {
public:
    explicit Form(FormDesign design);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Every property access creates the window first if it does not exist yet,
    // and Form_Load runs before the access completes.
    HWND hWnd();
    std::intptr_t PictureHandle(); // 0 when the form has no picture

    int ScaleMode();
    void ScaleMode(int mode);
    // The window always draws into its kept image and reads from it, which it shows again
    // wherever it was covered: AutoRedraw is on, and turning it off is refused.
    bool AutoRedraw();
    void AutoRedraw(bool on);
    float ScaleWidth();
    float ScaleHeight();

    COLORREF Point(float x, float y);
    void FillColor(COLORREF color);
    void Circle(float x, float y, float radius, COLORREF color);

    float Top();
    void Top(float twips);
    float Left();
    void Left(float twips);
    float Width();

    void Show();

    // Events, called by the platform on the user-interface thread.
    virtual void Form_Load() {}
    virtual void Form_MouseDown(int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/) {}
    virtual void Form_DblClick() {}

    // Raises Form_MouseDown with the position converted to the scale mode.
    void RaiseMouseDown(int button, int shift, int xPixels, int yPixels);

    Timer* TheTimer() const { return timer_; } // null for a form without one

private:
    friend class Timer;
    NativeForm& Load();
    double UnitsPerPixel() const;

    FormDesign design_;
    Timer* timer_ = nullptr;
    NativeFormPtr native_;
    int scaleMode_;
    COLORREF fillColor_ = 0;
};
