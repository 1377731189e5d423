#include "toolkit/FileSystem.h"

#include "toolkit/Text.h"

#include <windows.h>
#include <shlobj.h>

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
    stamp.Exists = true;
    stamp.Written = Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    stamp.Created = Join(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime);
    stamp.Size = Join(data.nFileSizeHigh, data.nFileSizeLow);
    return stamp;
}

bool CanCreateFileIn(const std::string& folder) {
    // A name nobody else uses, so that no file of anybody's is touched; the system removes the
    // file when its one handle closes, even if this process dies first.
    const std::string stem = folder + "Tarnwick-" + std::to_string(GetCurrentProcessId()) + "-";
    const DWORD start = GetTickCount();
    for (DWORD i = 0; i < 8; ++i) {
        const HANDLE h = CreateFileW(Widen(stem + std::to_string(start + i) + ".tmp").c_str(),
                                     GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            (void)CloseHandle(h);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

std::string RoamingAppDataFolder() {
    wchar_t path[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    std::string folder = Narrow(path);
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

} // namespace toolkit
