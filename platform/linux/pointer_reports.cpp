// Serving org.lookout.Pointer on the session bus.

#include "pointer_reports.h"

#include <cstdint>

#include "session_bus.h"

namespace {

bool ReadMoved(sd_bus_message* message, LogicalPointer& pointer)
{
    const SdBus& sd = Sd();
    if (sd.sd_bus_message_has_signature(message, "dddd"))
        return sd.sd_bus_message_read(message, "dddd", &pointer.x, &pointer.y, &pointer.width, &pointer.height) >= 0;
    std::int32_t x, y, width, height;
    if (!sd.sd_bus_message_has_signature(message, "iiii") ||
        sd.sd_bus_message_read(message, "iiii", &x, &y, &width, &height) < 0)
        return false;
    pointer = {double(x), double(y), double(width), double(height)};
    return true;
}

int OnCall(sd_bus_message* message, void* reports, sd_bus_error*)
{
    const SdBus& sd = Sd();
    auto& self = *static_cast<PointerReports*>(reports);
    if (sd.sd_bus_message_is_method_call(message, pointerInterface, "Moved")) {
        LogicalPointer pointer;
        if (!ReadMoved(message, pointer))
            return 0; // sd-bus answers that no such call is known
        self.Moved(pointer);
    } else if (sd.sd_bus_message_is_method_call(message, pointerInterface, "Stopped")) {
        self.Stopped();
    } else {
        return 0;
    }
    return sd.sd_bus_reply_method_return(message, ""); // nothing is sent to a caller who wants no reply
}

} // namespace

bool PointerReports::Serve()
{
    sd_bus* bus = TheSessionBus();
    return bus && Sd().sd_bus_add_object(bus, nullptr, pointerObjectPath, OnCall, this) >= 0 &&
           Sd().sd_bus_request_name(bus, pointerBusName, 0) >= 0;
}

bool PointerReports::Active() const { return active_ && TheSessionBus(); }

RootPoint PointerReports::Latest(RootSize root) const { return OnRoot(latest_, root).value_or(RootPoint{}); }

void PointerReports::Moved(const LogicalPointer& pointer)
{
    latest_ = pointer;
    active_ = OnRoot(pointer, {1, 1}).has_value(); // a report without a screen tells nothing
    ++reports_;
}

PointerReports* ServedReports()
{
    static PointerReports reports;
    static bool served = reports.Serve();
    return served ? &reports : nullptr;
}
