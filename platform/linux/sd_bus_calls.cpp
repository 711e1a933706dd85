// Loading libsystemd's sd-bus calls by name.

#include "sd_bus_calls.h"

#include <dlfcn.h>

const SdBus* LoadSdBus()
{
    static const SdBus* loaded = [] () -> const SdBus* {
        void* library = dlopen("libsystemd.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return nullptr;
        static SdBus calls;
        bool complete = true;
#define LOOKOUT_SD_BUS_LOAD(name)                                                     \
    calls.name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name)); \
    complete = complete && calls.name;
        LOOKOUT_SD_BUS_CALLS(LOOKOUT_SD_BUS_LOAD)
#undef LOOKOUT_SD_BUS_LOAD
        return complete ? &calls : nullptr;
    }();
    return loaded;
}
