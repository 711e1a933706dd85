// The program's file, other running copies and the end, on Linux.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app_services.h"
#include "path_text.h"
#include "program_file.h"
#include "runtime_error.h"

namespace {

std::string LockFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info;
    if (runtime && *runtime == '/' && stat(runtime, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid())
        return runtime;
    return "/tmp";
}

} // namespace

namespace App {

std::wstring Path()
{
    return FromAnsi(FolderOf(ProgramFile(), "/"));
}

std::wstring EXEName()
{
    return FromAnsi(NameWithoutExtension(ProgramFile(), "/"));
}

// One lock per user and per program file; the system lets go of it when the
// process ends in any way, so a crashed or killed copy never blocks the next.
bool PrevInstance()
{
    static int lock = -1;
    if (lock >= 0)
        return false; // this process holds it
    char name[64];
    std::snprintf(name, sizeof name, "/lookout-%u-%016llx.lock", static_cast<unsigned>(getuid()),
                  static_cast<unsigned long long>(Fnv1a(ProgramFile())));
    int fd = open((LockFolder() + name).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false; // no way to tell: let this copy run
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return true;
    }
    lock = fd;
    return false;
}

} // namespace App

void End()
{
    std::quick_exit(0); // runs what must be undone in other programs (the KWin script), and nothing else
}
