#pragma once
// sd-bus, from libsystemd loaded at the first use of the session bus: linked in, it and
// the five libraries it needs would cost every X11 session about 800 kB of resident memory.

#include <systemd/sd-bus.h>

#define LOOKOUT_SD_BUS_CALLS(call)                                                                              \
    call(sd_bus_open_user) call(sd_bus_flush_close_unref) call(sd_bus_get_fd) call(sd_bus_get_events)           \
        call(sd_bus_get_timeout) call(sd_bus_process) call(sd_bus_request_name) call(sd_bus_add_object)         \
            call(sd_bus_message_is_method_call) call(sd_bus_message_has_signature) call(sd_bus_message_read)    \
                call(sd_bus_reply_method_return) call(sd_bus_call_method) call(sd_bus_call_method_async)        \
                    call(sd_bus_message_unref) call(sd_bus_error_free)

struct SdBus {
#define LOOKOUT_SD_BUS_MEMBER(name) decltype(&::name) name;
    LOOKOUT_SD_BUS_CALLS(LOOKOUT_SD_BUS_MEMBER)
#undef LOOKOUT_SD_BUS_MEMBER
};

// The calls, loaded at the first call; null where libsystemd cannot be loaded.
const SdBus* LoadSdBus();
