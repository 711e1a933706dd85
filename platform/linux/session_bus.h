#pragma once
// The user's session bus, connected only where something uses it, and read by the one
// event loop: no thread, no loop of its own.

#include "sd_bus_calls.h"

// The connection, made and added to the event loop at the first call; null where there is
// no session bus or no libsystemd. It stays null once lost.
sd_bus* TheSessionBus();
// The sd-bus calls; only once TheSessionBus() has answered a connection.
const SdBus& Sd();
