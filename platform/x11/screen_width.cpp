// The primary screen's width, as the program asks for it: in twips.

#include "app_services.h"
#include "monitors.h"
#include "native_form.h"

namespace TheScreen {

float Width()
{
    return static_cast<float>(PrimaryMonitor().width * NativeTwipsPerPixel());
}

} // namespace TheScreen
