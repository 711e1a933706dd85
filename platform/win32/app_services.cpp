// The program's file, other running copies, the primary screen and the end, on Windows.

#include <cstdint>
#include <string>

#include "app_services.h"
#include "dpi_scale.h"
#include "native_form.h"
#include "program_file.h"
#include "runtime_error.h"
#include "winapi.h"

namespace {

// The program file's full path.
std::wstring ProgramFile()
{
    static const std::wstring file = [] {
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (length == 0)
                throw RuntimeError("cannot find the program file");
            if (length < path.size()) {
                path.resize(length);
                return path;
            }
            path.resize(path.size() * 2); // cut short: try again with room to spare
        }
    }();
    return file;
}

// One name for the program file however it was started: long names, one letter case.
std::wstring ProgramFileKey()
{
    std::wstring file = ProgramFile();
    std::wstring longName(file.size() + MAX_PATH, L'\0');
    DWORD length = GetLongPathNameW(file.c_str(), longName.data(), static_cast<DWORD>(longName.size()));
    if (length > 0 && length < longName.size())
        file.assign(longName, 0, length);
    CharUpperBuffW(file.data(), static_cast<DWORD>(file.size()));
    return file;
}

std::wstring Hex(std::uint64_t value)
{
    std::wstring digits(16, L'0');
    for (int i = 15; i >= 0; --i, value >>= 4)
        digits[i] = L"0123456789abcdef"[value & 0xF];
    return digits;
}

} // namespace

namespace App {

std::wstring Path()
{
    return FolderOf(ProgramFile(), L"\\/");
}

std::wstring EXEName()
{
    return NameWithoutExtension(ProgramFile(), L"\\/");
}

// One mutex per session and per program file, held until the process ends in any way,
// so a crashed or killed copy never blocks the next.
bool PrevInstance()
{
    static HANDLE mutex = nullptr;
    if (mutex)
        return false; // this process holds it
    std::wstring name = L"Local\\lookout-" + Hex(Fnv1a(ProgramFileKey()));
    HANDLE handle = CreateMutexW(nullptr, FALSE, name.c_str());
    DWORD error = GetLastError();
    if (!handle)
        return error == ERROR_ACCESS_DENIED; // held by a copy running with other rights
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(handle);
        return true;
    }
    mutex = handle;
    return false;
}

} // namespace App

namespace TheScreen {

float Width() { return static_cast<float>(GetSystemMetrics(SM_CXSCREEN) * NativeTwipsPerPixel()); }

// The primary monitor's work area, in its device pixels as the process is DPI aware; the
// monitor's own top is 0.
float WorkAreaTop()
{
    RECT area{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
        return 0;
    return static_cast<float>(area.top * NativeTwipsPerPixel());
}

} // namespace TheScreen

void End()
{
    ExitProcess(0);
}
