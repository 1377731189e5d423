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

namespace {

// Whoever holds the file open usually lets go within moments; 10 tries 50 ms apart.
constexpr int kTries = 10;
constexpr DWORD kPauseMs = 50;

bool Transient(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// How many names the file has; 0 when it is not there or cannot be asked.
DWORD LinkCount(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION info{};
    const DWORD links = GetFileInformationByHandle(h, &info) != FALSE ? info.nNumberOfLinks : 0;
    (void)CloseHandle(h);
    return links;
}

// Whether the file may be removed from its place now: no other program holds it open without
// delete sharing (otherwise GetLastError tells why not).
bool Releasable(const std::wstring& path) {
    HANDLE h =
        CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    (void)CloseHandle(h);
    return true;
}

// Writes the whole of `source` over `target` in place and deletes `source`: the other names of a
// file with several hard links see the new contents.
bool WriteInto(const std::wstring& source, const std::wstring& target) {
    HANDLE in = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return false;
    HANDLE out = INVALID_HANDLE_VALUE;
    for (int attempt = 1;; ++attempt) {
        out = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                          nullptr);
        if (out != INVALID_HANDLE_VALUE || !Transient(GetLastError()) || attempt == kTries)
            break;
        Sleep(kPauseMs);
    }
    bool ok = out != INVALID_HANDLE_VALUE;
    char buffer[16384];
    while (ok) {
        DWORD read = 0, written = 0;
        if (ReadFile(in, buffer, sizeof buffer, &read, nullptr) == FALSE) {
            ok = false;
            break;
        }
        if (read == 0)
            break;
        ok = WriteFile(out, buffer, read, &written, nullptr) != FALSE && written == read;
    }
    if (out != INVALID_HANDLE_VALUE) {
        ok = ok && SetEndOfFile(out) != FALSE && FlushFileBuffers(out) != FALSE;
        (void)CloseHandle(out);
    }
    (void)CloseHandle(in);
    return ok && DeleteFileW(source.c_str()) != FALSE;
}

} // namespace

bool MoveIntoPlace(const std::string& from, const std::string& to) {
    const std::wstring source = Widen(from), target = Widen(to);
    const DWORD links = LinkCount(target);
    if (links > 1)
        return WriteInto(source, target);
    // What the user may have set on the file. ReplaceFileW hands it on; not every implementation
    // of it does (Wine), so it is set again where it went missing.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD oldAttributes =
        links == 0 ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(target.c_str());
    for (int attempt = 1;; ++attempt) {
        bool done;
        if (links == 0) {
            done = ::MoveFileExW(source.c_str(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
        } else if (!Releasable(target)) {
            // Asked first: Wine's ReplaceFileW leaves a file of its own behind at every refusal.
            done = false;
        } else {
            done = ::ReplaceFileW(target.c_str(), source.c_str(), nullptr,
                                  REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != FALSE;
            // The old file is gone already, the new one still under its temporary name: it is
            // only moved into the free place.
            if (!done && GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT)
                done = ::MoveFileExW(source.c_str(), target.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
        }
        if (done) {
            if (oldAttributes != INVALID_FILE_ATTRIBUTES) {
                const DWORD now = GetFileAttributesW(target.c_str());
                if (now != INVALID_FILE_ATTRIBUTES && (now & kKept) != (oldAttributes & kKept))
                    (void)SetFileAttributesW(target.c_str(),
                                             (now & ~kKept) | (oldAttributes & kKept));
            }
            return true;
        }
        if (!Transient(GetLastError()) || attempt == kTries)
            return false;
        Sleep(kPauseMs);
    }
}

bool IsReadOnlyFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::string SaveTarget(const std::string& path) {
    const std::wstring name = Widen(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return path;
    HANDLE h = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return path;
    std::wstring final(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(h, final.data(), static_cast<DWORD>(final.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length >= final.size()) {
        final.resize(length + 1);
        length = GetFinalPathNameByHandleW(h, final.data(), static_cast<DWORD>(final.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }
    (void)CloseHandle(h);
    if (length == 0 || length >= final.size())
        return path;
    final.resize(length);
    // The system answers in the \\?\ form; the save's temporary name is made beside it as a path
    // of the ordinary form.
    if (final.rfind(L"\\\\?\\UNC\\", 0) == 0)
        final = L"\\" + final.substr(7);
    else if (final.rfind(L"\\\\?\\", 0) == 0)
        final = final.substr(4);
    return Narrow(final);
}

bool RemoveFile(const std::string& path) {
    return ::DeleteFileW(Widen(path).c_str()) != FALSE;
}

} // namespace toolkit

#endif
