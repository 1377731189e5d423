// Win32 side of the file operations. Empty in the native build.
#ifdef _WIN32

#include "toolkit/FileReplace.h"

#include "toolkit/Text.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace toolkit {

namespace {

// A C stream over a handle of our own opening; the stream owns the handle from then on.
std::FILE* StreamOver(HANDLE h, int flags, const char* mode) {
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), flags | _O_BINARY);
    if (fd < 0) {
        (void)CloseHandle(h);
        return nullptr;
    }
    std::FILE* f = ::_fdopen(fd, mode);
    if (f == nullptr)
        (void)::_close(fd);
    return f;
}

} // namespace

std::FILE* OpenForReading(const std::string& path, bool& missing) {
    // Unlike the C library's fopen, deleting is shared too: another program may delete the file
    // or rename it away meanwhile. It still cannot put another file in its place while this
    // handle is open (a rename onto an open file is refused whatever the handle shares): such a
    // save waits in MoveIntoPlace's tries until the read, a matter of moments, is done.
    HANDLE h = CreateFileW(
        Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return nullptr;
    }
    missing = false;
    return StreamOver(h, _O_RDONLY, "rb");
}

std::FILE* CreateNewFile(const std::string& path, bool& exists) {
    // No security attributes: the handle is not inherited by the programs the launcher starts.
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        return nullptr;
    }
    exists = false;
    return StreamOver(h, _O_WRONLY, "wb");
}

bool CommitFile(std::FILE* f) {
    return std::fflush(f) == 0 && ::_commit(::_fileno(f)) == 0;
}

bool MoveIntoPlace(const std::string& from, const std::string& to) {
    const std::wstring source = Widen(from), target = Widen(to);
    // Whoever holds the file open usually lets go within moments; 10 tries 50 ms apart.
    constexpr int kTries = 10;
    constexpr DWORD kPauseMs = 50;
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(source.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE)
            return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == kTries)
            return false;
        Sleep(kPauseMs);
    }
}

bool RemoveFile(const std::string& path) {
    return ::DeleteFileW(Widen(path).c_str()) != FALSE;
}

} // namespace toolkit

#endif
