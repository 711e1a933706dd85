#pragma once
// The settings a desktop publishes to X clients through XSETTINGS: the bytes of the
// _XSETTINGS_SETTINGS property, which any client may write, read without trusting them.
// The list: a byte-order byte, 3 unused, a serial, a count, then each setting: its type
// (0 integer, 1 string, 2 colour), 1 unused, its name's length (16 bits), the name padded
// to 4 bytes, the serial of its last change, and its value: an integer (32 bits), a string
// (a 32-bit length and the bytes, padded to 4) or a colour (four 16-bit channels).

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

// The integer settings by name (the first where a name repeats); nothing where the bytes
// are not a whole list.
std::optional<std::map<std::string, std::int32_t>> XSettingsIntegers(std::span<const unsigned char> bytes);
