// Looking for files and folders off the interface thread. A drive that does not answer (a disc
// spinning up, a dead network mapping) can keep a file-system call waiting for minutes; no window
// may wait with it, and neither may the program's exit.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace toolkit {

struct TPathQuery {
    std::string Path;
    bool Folder = false; // true: only a folder counts as there
    bool operator==(const TPathQuery&) const = default;
};

// Whether the path is known to be absent: false when it is there and whenever that cannot be
// told (no access, a drive letter mapped to a network share). Called on a worker thread.
using TPathProbe = bool (*)(const std::wstring& path, bool folder);
bool PathAbsent(const std::wstring& path, bool folder);

// Posts `message` to `window` once per query as its answer comes: wParam `generation`, lParam the
// query's index and whether it is absent (QueryIndex, QueryAbsent). Queries on one drive are
// asked in turn on a thread of their own, so a drive that hangs holds back only its own answers.
// The threads are never waited for: each owns a copy of its queries, and an answer for a window
// that has gone is dropped by the system. Nothing is posted for a thread that cannot be started.
void CheckPathsAsync(HWND window, UINT message, WPARAM generation,
                     const std::vector<TPathQuery>& queries, TPathProbe probe = &PathAbsent);

constexpr std::size_t QueryIndex(LPARAM answer) {
    return static_cast<std::size_t>(answer) >> 1;
}
constexpr bool QueryAbsent(LPARAM answer) {
    return (answer & 1) != 0;
}

} // namespace toolkit
