// POSIX side of the file operations (the native build). Empty on Windows.
#ifndef _WIN32

#include "toolkit/FileReplace.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace toolkit {

std::FILE* OpenForReading(const std::string& path, bool& missing) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    missing = f == nullptr && errno == ENOENT;
    return f;
}

std::FILE* CreateNewFile(const std::string& path, bool& exists) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    exists = fd < 0 && errno == EEXIST;
    if (fd < 0)
        return nullptr;
    std::FILE* f = ::fdopen(fd, "wb");
    if (f == nullptr)
        (void)::close(fd);
    return f;
}

bool CommitFile(std::FILE* f) {
    return std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
}

bool MoveIntoPlace(const std::string& from, const std::string& to) {
    // The new file takes the access bits of the one it replaces.
    struct stat old {};
    if (::stat(to.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        (void)::chmod(from.c_str(), old.st_mode & 07777);
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

} // namespace toolkit

#endif
