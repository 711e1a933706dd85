// What the system itself reads of lookout.exe, as Explorer shows it, and of its running window:
//   exe_probe EXE RESULTS
// RESULTS gets a line each: "icon W H", the first icon group's image at its own size (Explorer's
// icon); "version FILE PRODUCT" from the fixed part, "translation LANGUAGE CODEPAGE" and
// "FileVersion TEXT", "ProductVersion TEXT" in that language (Properties, Details); and while a
// lookout window runs, "awareness N" (its DPI awareness, 2 per monitor) and a line "region LEFT
// TOP RIGHT BOTTOM" for each rectangle of its window region, in device pixels.

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const char* text)
{
    std::wstring wide(MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), static_cast<int>(wide.size()));
    wide.pop_back();
    return wide;
}

std::string Narrow(const wchar_t* text)
{
    std::string narrow(WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), static_cast<int>(narrow.size()), nullptr, nullptr);
    narrow.pop_back();
    return narrow;
}

std::string Dotted(DWORD high, DWORD low)
{
    return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." + std::to_string(HIWORD(low)) + "." +
           std::to_string(LOWORD(low));
}

BOOL CALLBACK FirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found)
{
    *reinterpret_cast<LPWSTR*>(found) = name;
    return FALSE;
}

void WriteIcon(const std::wstring& exe, std::ofstream& out)
{
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    LPWSTR first = nullptr;
    if (!module)
        return;
    EnumResourceNamesW(module, RT_GROUP_ICON, FirstName, reinterpret_cast<LONG_PTR>(&first));
    // Without a size asked, the image at its own size.
    HICON icon = first ? static_cast<HICON>(LoadImageW(module, first, IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR)) : nullptr;
    ICONINFO info{};
    BITMAP colour{};
    if (icon && GetIconInfo(icon, &info) && GetObjectW(info.hbmColor, sizeof colour, &colour))
        out << "icon " << colour.bmWidth << ' ' << colour.bmHeight << '\n';
    if (icon)
        DestroyIcon(icon);
    FreeLibrary(module);
}

void WriteVersion(const std::wstring& exe, std::ofstream& out)
{
    std::vector<char> block(GetFileVersionInfoSizeW(exe.c_str(), nullptr));
    if (block.empty() || !GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
        return;
    void* value = nullptr;
    UINT size = 0;
    if (VerQueryValueW(block.data(), L"\\", &value, &size) && size >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* fixed = static_cast<VS_FIXEDFILEINFO*>(value);
        out << "version " << Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS) << ' '
            << Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS) << '\n';
    }
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &size) || size < 4)
        return;
    const auto* translation = static_cast<WORD*>(value);
    char language[16];
    std::snprintf(language, sizeof language, "%04x%04x", translation[0], translation[1]);
    out << "translation " << std::string(language, 4) << ' ' << translation[1] << '\n';
    for (const wchar_t* name : {L"FileVersion", L"ProductVersion"}) {
        std::wstring path = L"\\StringFileInfo\\" + Wide(language) + L"\\" + name;
        if (VerQueryValueW(block.data(), path.c_str(), &value, &size))
            out << Narrow(name) << ' ' << Narrow(static_cast<wchar_t*>(value)) << '\n';
    }
}

void WriteWindow(HWND window, std::ofstream& out)
{
    out << "awareness " << GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(window)) << '\n';
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(window, region) != ERROR) {
        std::vector<RECT> buffer(GetRegionData(region, 0, nullptr) / sizeof(RECT) + 1);
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        if (GetRegionData(region, static_cast<DWORD>(buffer.size() * sizeof(RECT)), data)) {
            const auto* rects = reinterpret_cast<RECT*>(data->Buffer);
            for (DWORD i = 0; i < data->rdh.nCount; ++i)
                out << "region " << rects[i].left << ' ' << rects[i].top << ' ' << rects[i].right << ' '
                    << rects[i].bottom << '\n';
        }
    }
    DeleteObject(region);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const std::wstring exe = Wide(argv[1]);
    std::ofstream out(argv[2], std::ios::binary);
    WriteIcon(exe, out);
    WriteVersion(exe, out);
    if (HWND window = FindWindowW(L"Lookout", nullptr))
        WriteWindow(window, out);
    return out.good() ? 0 : 1;
}
