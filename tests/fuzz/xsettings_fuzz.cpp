// Any bytes as the XSETTINGS list of a desktop, which any client may write: read without
// reading past them, and a list that reads gives the same with more bytes after it.

#include <cassert>
#include <cstdint>
#include <vector>

#include "xsettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto integers = XSettingsIntegers({data, size});
    if (integers) {
        std::vector<unsigned char> longer(data, data + size);
        longer.resize(size + 4, 0xff);
        assert(XSettingsIntegers(longer) == integers && "bytes after the list changed what it says");
    }
    return 0;
}
