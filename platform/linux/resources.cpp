// The pictures the executable carries, embedded at build time.

#include <span>
#include <string>
#include <string_view>

#include "resource_ids.h"
#include "resources.h"
#include "runtime_error.h"

std::span<const std::uint8_t> EmbeddedResource(std::string_view name);

Picture LoadResPicture(int id)
{
    if (id != IDB_LOOKOUT)
        throw RuntimeError("no picture resource " + std::to_string(id));
    return DecodeBmpFile(EmbeddedResource("lookout_bmp"));
}

Picture LoadResIcon(int id, std::vector<bool>& transparent)
{
    if (id != IDI_LOOKOUT)
        throw RuntimeError("no icon resource " + std::to_string(id));
    return DecodeIcon(EmbeddedResource("lookout_ico"), transparent);
}
