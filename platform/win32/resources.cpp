// The pictures the executable carries, from its resources.

#include <cstdint>
#include <span>

#include "resources.h"
#include "runtime_error.h"
#include "winapi.h"

namespace {

std::span<const std::uint8_t> ResourceBytes(LPCWSTR name, LPCWSTR type)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, name, type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        throw RuntimeError("resource missing from the program file");
    return {static_cast<const std::uint8_t*>(bytes), SizeofResource(module, found)};
}

} // namespace

Picture LoadResPicture(int id)
{
    return DecodeDib(ResourceBytes(MAKEINTRESOURCEW(id), RT_BITMAP));
}

// The icon's image in the size the system shows icons at, with its transparent pixels.
Picture LoadResIcon(int id, std::vector<bool>& transparent)
{
    auto group = ResourceBytes(MAKEINTRESOURCEW(id), RT_GROUP_ICON);
    int imageId = LookupIconIdFromDirectoryEx(const_cast<PBYTE>(group.data()), TRUE, 0, 0, LR_DEFAULTCOLOR);
    if (imageId == 0)
        throw RuntimeError("no icon image in the program file");
    return DecodeDib(ResourceBytes(MAKEINTRESOURCEW(imageId), RT_ICON), &transparent);
}
