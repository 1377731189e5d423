// Win32 side of the file operations. Empty in the native build.
#ifdef _WIN32

#include "toolkit/FileReplace.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace toolkit {

std::FILE* OpenForReading(const std::string& path, bool& missing) {
    // The C library's fopen shares reading and writing but not deleting, and a save by rename
    // is a delete of the old file.
    HANDLE h = CreateFileA(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return nullptr;
    }
    missing = false;
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        (void)CloseHandle(h);
        return nullptr;
    }
    std::FILE* f = ::_fdopen(fd, "rb");
    if (f == nullptr)
        (void)::_close(fd);
    return f;
}

std::FILE* CreateNewFile(const std::string& path) {
    const int fd = ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                           _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* f = ::_fdopen(fd, "wb");
    if (f == nullptr)
        (void)::_close(fd);
    return f;
}

bool CommitFile(std::FILE* f) {
    return std::fflush(f) == 0 && ::_commit(::_fileno(f)) == 0;
}

bool MoveIntoPlace(const std::string& from, const std::string& to) {
    // Whoever holds the file open usually lets go within moments; 10 tries 50 ms apart.
    constexpr int kTries = 10;
    constexpr DWORD kPauseMs = 50;
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExA(from.c_str(), to.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE)
            return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == kTries)
            return false;
        Sleep(kPauseMs);
    }
}

} // namespace toolkit

#endif
