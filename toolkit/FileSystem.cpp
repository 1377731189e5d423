#include "toolkit/FileSystem.h"

#include "toolkit/Text.h"

#include <windows.h>

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
    // The system makes the file under a name of its own, so that no file of anybody's is touched.
    // Only its removal proves it was made: Wine names a file it could not make as if it had.
    wchar_t name[MAX_PATH] = L"";
    return GetTempFileNameW(Widen(folder).c_str(), L"Tar", 0, name) != 0 &&
           DeleteFileW(name) != FALSE;
}

} // namespace toolkit
