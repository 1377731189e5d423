// POSIX side of the file operations (the native build). Empty on Windows.
#ifndef _WIN32

#include "toolkit/FileReplace.h"

#include <cerrno>
#include <cstdlib>
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

namespace {

// Writes the whole of `from` over `to` in place and removes `from`: the other names of a file
// with several hard links see the new contents.
bool WriteInto(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = ::open(to.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    bool ok = out >= 0;
    char buffer[16384];
    while (ok) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = ::write(out, buffer, static_cast<std::size_t>(n)) == n;
    }
    ok = ok && ::fsync(out) == 0;
    if (out >= 0)
        ok = ::close(out) == 0 && ok;
    (void)::close(in);
    return ok && ::unlink(from.c_str()) == 0;
}

} // namespace

bool MoveIntoPlace(const std::string& from, const std::string& to) {
    struct stat old {};
    if (::stat(to.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        if (old.st_nlink > 1)
            return WriteInto(from, to);
        // The new file takes the access bits of the one it replaces.
        (void)::chmod(from.c_str(), old.st_mode & 07777);
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0;
}

std::string SaveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return path; // a dangling link: the save fails or makes its target, as the system decides
    std::string target(resolved);
    std::free(resolved);
    return target;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

} // namespace toolkit

#endif
