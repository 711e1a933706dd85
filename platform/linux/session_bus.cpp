// The session bus as one of the event loop's sources.

#include "session_bus.h"

#include <chrono>
#include <cstdint>
#include <poll.h>

#include "loop_source.h"

namespace {

class SessionBus final : public LoopSource {
public:
    explicit SessionBus(sd_bus* bus) : bus_(bus) {}
    sd_bus* Bus() const { return bus_; }

    LoopWait Wait() override
    {
        LoopWait wait;
        if (!bus_)
            return wait;
        wait.fd = Sd().sd_bus_get_fd(bus_);
        int events = Sd().sd_bus_get_events(bus_);
        wait.events = static_cast<short>(events < 0 ? POLLIN : events);
        std::uint64_t due = 0;
        if (Sd().sd_bus_get_timeout(bus_, &due) >= 0 && due != UINT64_MAX)
            wait.due = std::chrono::steady_clock::time_point(std::chrono::microseconds(due)); // CLOCK_MONOTONIC
        return wait;
    }

    bool Read() override
    {
        bool any = false;
        int processed;
        while (bus_ && (processed = Sd().sd_bus_process(bus_, nullptr)) != 0) {
            if (processed < 0) // the bus is gone (the session ends): go on without it
                bus_ = Sd().sd_bus_flush_close_unref(bus_);
            any = true;
        }
        return any;
    }

private:
    sd_bus* bus_;
};

} // namespace

sd_bus* TheSessionBus()
{
    static SessionBus* session = [] () -> SessionBus* {
        sd_bus* bus = nullptr;
        if (!LoadSdBus() || Sd().sd_bus_open_user(&bus) < 0)
            return nullptr;
        static SessionBus connected(bus);
        AddLoopSource(connected);
        return &connected;
    }();
    return session ? session->Bus() : nullptr;
}

const SdBus& Sd() { return *LoadSdBus(); }
