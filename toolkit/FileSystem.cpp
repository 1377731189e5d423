#include "toolkit/FileSystem.h"

#include "toolkit/Text.h"

#include <windows.h>

#include <string>

namespace toolkit {

namespace {

std::uint64_t Join(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

} // namespace

TFileStamp FileStampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    TFileStamp stamp;
    if (GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) == FALSE)
        return stamp;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        // The query answers for a symbolic link itself; the file it leads to is what changes.
        HANDLE h = CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return stamp;
        BY_HANDLE_FILE_INFORMATION info{};
        const bool known = GetFileInformationByHandle(h, &info) != FALSE;
        (void)CloseHandle(h);
        if (!known)
            return stamp;
        data.ftLastWriteTime = info.ftLastWriteTime;
        data.ftCreationTime = info.ftCreationTime;
        data.nFileSizeHigh = info.nFileSizeHigh;
        data.nFileSizeLow = info.nFileSizeLow;
    }
    stamp.Exists = true;
    stamp.Written = Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    stamp.Created = Join(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime);
    stamp.Size = Join(data.nFileSizeHigh, data.nFileSizeLow);
    return stamp;
}

bool CanCreateFileIn(const std::string& folder) {
    // A name of our own that nobody else uses, made only if it is free (CREATE_NEW), so that no
    // file of anybody's is touched. The system removes it when the handle closes, also when a
    // scanner holds it or the folder refuses deletes: nothing stays behind, and a delete refused
    // says nothing about whether files can be made.
    // Numbers through std::to_string: std::to_wstring formats with the wide printf, whose
    // formatter would add 25 KB to the exe.
    const std::string base = folder + "Tar" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(GetTickCount());
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::wstring name = Widen(base + "-" + std::to_string(attempt) + ".tmp");
        if (name.size() >= MAX_PATH)
            return false;
        HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            (void)CloseHandle(h);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

} // namespace toolkit
