// The platform-independent half of the form runtime: properties, scale mode, twips.

#include <string>

#include "app_services.h"
#include "dpi_scale.h"
#include "native_form.h"
#include "runtime_error.h"

Timer::Timer(Form& owner, std::chrono::milliseconds interval, std::function<void()> onTimer)
    : interval_(interval), onTimer_(std::move(onTimer))
{
    if (owner.timer_)
        throw RuntimeError("a form has one timer");
    owner.timer_ = this;
}

Form::Form(FormDesign design)
    : design_(std::move(design)),
      scaleMode_(design_.scaleMode)
{
}

Form::~Form() = default;

NativeForm& Form::Load()
{
    if (!native_) {
        native_ = CreateNativeForm(*this, design_);
        Form_Load();
    }
    return *native_;
}

double Form::UnitsPerPixel() const
{
    if (scaleMode_ == vbPixels)
        return 1.0;
    return twipsPerLogicalPixel;
}

HWND Form::hWnd() { return NativeHandle(Load()); }

std::intptr_t Form::PictureHandle()
{
    Load();
    return design_.picture ? reinterpret_cast<std::intptr_t>(&*design_.picture) : 0;
}

int Form::ScaleMode()
{
    Load();
    return scaleMode_;
}

void Form::ScaleMode(int mode)
{
    Load();
    if (mode != vbTwips && mode != vbPixels)
        throw RuntimeError("scale mode is neither twips nor pixels: " + std::to_string(mode));
    scaleMode_ = mode;
}

bool Form::AutoRedraw()
{
    Load();
    return true;
}

void Form::AutoRedraw(bool on)
{
    Load();
    if (!on)
        throw RuntimeError("this window draws into its kept image only: AutoRedraw stays on");
}

float Form::ScaleWidth()
{
    Load();
    return static_cast<float>(design_.clientWidth * UnitsPerPixel());
}

float Form::ScaleHeight()
{
    Load();
    return static_cast<float>(design_.clientHeight * UnitsPerPixel());
}

COLORREF Form::Point(float x, float y)
{
    NativeForm& native = Load();
    int px = NearestPixel(x / UnitsPerPixel());
    int py = NearestPixel(y / UnitsPerPixel());
    if (px < 0 || py < 0 || px >= design_.clientWidth || py >= design_.clientHeight)
        return static_cast<COLORREF>(-1); // outside the drawing area, as the form reports it
    return NativePixel(native, px, py);
}

void Form::FillColor(COLORREF color)
{
    Load();
    fillColor_ = color;
}

void Form::Circle(float x, float y, float radius, COLORREF color)
{
    NativeForm& native = Load();
    if (design_.fillStyle != vbFSSolid)
        throw RuntimeError("circles are drawn filled only, and this form's fill style is not solid");
    double perPixel = UnitsPerPixel();
    NativeCircle(native, x / perPixel, y / perPixel, radius / perPixel, color, fillColor_);
}

float Form::Top()
{
    return static_cast<float>(NativePosition(Load()).y * NativeTwipsPerPixel());
}

void Form::Top(float twips)
{
    NativeForm& native = Load();
    NativeMove(native, NativePosition(native).x, NearestPixel(twips / NativeTwipsPerPixel()));
}

float Form::Left()
{
    return static_cast<float>(NativePosition(Load()).x * NativeTwipsPerPixel());
}

void Form::Left(float twips)
{
    NativeForm& native = Load();
    NativeMove(native, NearestPixel(twips / NativeTwipsPerPixel()), NativePosition(native).y);
}

float Form::Width()
{
    Load();
    return static_cast<float>(design_.clientWidth * twipsPerLogicalPixel);
}

void Form::Show() { NativeShow(Load()); }

void Form::RaiseMouseDown(int button, int shift, int xPixels, int yPixels)
{
    double perPixel = UnitsPerPixel();
    Form_MouseDown(button, shift, static_cast<float>(xPixels * perPixel), static_cast<float>(yPixels * perPixel));
}
