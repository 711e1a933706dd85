// GetPrivateProfileStringA and WritePrivateProfileStringA over a settings file
// of our own. profile_text.cpp deals with the text; this file with the file:
// reading it whole and replacing it whole, so a failed write never tears it.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "path_text.h"
#include "program_file.h"
#include "profile_text.h"
#include "winapi.h"

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { Close(); }

    int Get() const { return fd_; }

    // Reports the error close() gives, which may be a write-back that failed.
    bool Close()
    {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || close(fd) == 0;
    }

private:
    int fd_;
};

std::optional<std::string> ReadWholeFile(const std::string& path)
{
    // stat first, so that a FIFO or a device is never opened at all.
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0 || fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;

    std::string text;
    text.reserve(static_cast<std::size_t>(info.st_size));
    std::vector<char> chunk(1 << 16);
    for (;;) {
        ssize_t count = read(file.Get(), chunk.data(), chunk.size());
        if (count == 0)
            return text;
        if (count > 0)
            text.append(chunk.data(), static_cast<std::size_t>(count));
        else if (errno != EINTR)
            return std::nullopt;
    }
}

std::string DirectoryOf(const std::string& path)
{
    std::string folder = FolderOf(path, "/");
    return folder.empty() ? "." : folder;
}

std::optional<std::string> ReadLink(const std::string& path)
{
    std::vector<char> target(4096);
    ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<std::size_t>(length) == target.size())
        return std::nullopt;
    return std::string(target.data(), static_cast<std::size_t>(length));
}

// The file a write must replace: symbolic links are followed to their final
// target, so a link stays a link. A dangling link gives the path it points to,
// and the file is made there if its folder exists.
std::optional<std::string> ResolveLinks(std::string path)
{
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::optional<std::string> target = ReadLink(path);
        if (!target || target->empty())
            return std::nullopt;
        path = target->front() == '/' ? *target : DirectoryOf(path) + "/" + *target;
    }
    return std::nullopt; // a loop of links
}

// Root passes every access check, but a file or folder without any write bit
// was made read-only on purpose and stays so for root too.
bool Writable(const std::string& path, const struct stat& info)
{
    return (info.st_mode & 0222) != 0 && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// Makes ".<name>.XXXXXX" beside `target`. Unlike mkstemp it takes a mode, so a
// new settings file gets what open() with 0666 gives: the umask and any
// default ACL of the folder apply.
int CreateTemporary(const std::string& target, mode_t mode, std::string& path)
{
    static constexpr std::string_view letters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::size_t slash = target.rfind('/');
    std::string prefix = slash == std::string::npos
                             ? "." + target + "."
                             : target.substr(0, slash + 1) + "." + target.substr(slash + 1) + ".";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = prefix;
        for (int i = 0; i < 6; ++i)
            path += letters[random() % letters.size()];
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        ssize_t count = write(fd, text.data(), text.size());
        if (count > 0)
            text.remove_prefix(static_cast<std::size_t>(count));
        else if (count == 0 || errno != EINTR)
            return false;
    }
    return true;
}

// The replacement keeps the original's permissions, and its owner when root
// writes a user's file. Where the owner can't be kept the file is written all
// the same: a group-writable file is the group's to change.
bool KeepAttributes(int fd, const struct stat& original)
{
    struct stat info;
    if (fstat(fd, &info) == 0 && (info.st_uid != original.st_uid || info.st_gid != original.st_gid))
        static_cast<void>(fchown(fd, original.st_uid, original.st_gid) == 0);
    return fchmod(fd, original.st_mode & 07777) == 0;
}

// Writes `text` to a temporary file in the same folder and renames it over
// `target`, so readers see the old file or the new one, never a part of it.
bool ReplaceFile(const std::string& target, std::string_view text, const struct stat* original)
{
    std::string folder = DirectoryOf(target);
    struct stat folderInfo;
    if (stat(folder.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode) ||
        !Writable(folder, folderInfo))
        return false;

    std::string temporary;
    Descriptor file(CreateTemporary(target, original ? 0600 : 0666, temporary));
    if (file.Get() < 0)
        return false;
    bool written = WriteAll(file.Get(), text) && (!original || KeepAttributes(file.Get(), *original)) &&
                   fsync(file.Get()) == 0 && file.Close() &&
                   rename(temporary.c_str(), target.c_str()) == 0;
    if (!written) {
        unlink(temporary.c_str());
        return false;
    }
    // The new file is in place by now; if the folder can't be synced there is
    // nothing to undo, and the write did succeed.
    Descriptor directory(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Get() >= 0)
        fsync(directory.Get());
    return true;
}

bool WriteProfile(const char* section, const char* key, const char* value, const char* fileName)
{
    if (!profile_text::CanStore(section, key, value))
        return false;
    std::optional<std::string> target = ResolveLinks(fileName);
    if (!target || target->ends_with('/'))
        return false;

    struct stat info;
    bool exists = lstat(target->c_str(), &info) == 0;
    if (!exists && errno != ENOENT)
        return false;
    if (exists && (!S_ISREG(info.st_mode) || !Writable(*target, info)))
        return false;
    std::string text;
    if (exists) {
        // A file we can't read would lose its other settings if we replaced it.
        std::optional<std::string> old = ReadWholeFile(*target);
        if (!old)
            return false;
        text = std::move(*old);
    }
    return ReplaceFile(*target, profile_text::SetValue(text, section, key, value), exists ? &info : nullptr);
}

DWORD CopyOut(std::string_view text, LPSTR buffer, DWORD bufferLength)
{
    std::size_t count = std::min<std::size_t>(text.size(), bufferLength - 1);
    std::copy_n(text.data(), count, buffer);
    buffer[count] = '\0';
    return static_cast<DWORD>(count);
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD bufferLength, LPCSTR fileName)
{
    if (!buffer || bufferLength == 0)
        return 0;
    try {
        std::string_view result = defaultValue ? defaultValue : "";
        // Enumerating sections or keys (a null name) is not something the program does.
        std::optional<std::string> text;
        if (section && key && fileName && *fileName)
            text = ReadWholeFile(NativePath(fileName));
        if (text)
            result = profile_text::FindValue(*text, section, key).value_or(result);
        return CopyOut(result, buffer, bufferLength);
    } catch (...) {
        buffer[0] = '\0';
        return 0;
    }
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName)
{
    // Removing a key or a section (a null value or key) is not something the program does.
    if (!section || !key || !value || !fileName || !*fileName)
        return FALSE;
    try {
        return WriteProfile(section, key, value, NativePath(fileName).c_str()) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}
