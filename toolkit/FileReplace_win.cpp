// Win32 side of the file operations. Empty in the native build.
#ifdef _WIN32

#include "toolkit/FileReplace.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace toolkit {

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
    return ::MoveFileExA(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

} // namespace toolkit

#endif
