#include "toolkit/PathCheck.h"

#include "toolkit/Text.h"

#include <memory>
#include <utility>

namespace toolkit {

bool PathAbsent(const std::wstring& path, bool folder) {
    if (path.size() >= 3 && path[1] == L':') {
        const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
        switch (GetDriveTypeW(root)) {
        case DRIVE_NO_ROOT_DIR:
            return true; // the drive letter is gone (a stick pulled, a letter changed)
        case DRIVE_REMOTE:
            return false; // a network share: not looked into, as no network path is
        default:
            break;
        }
    }
    std::wstring name = path;
    if (name.size() >= MAX_PATH) {
        // Past the old length limit a path is reached only in its \\?\ form, which takes no
        // relative steps: made whole first.
        std::wstring full(GetFullPathNameW(name.c_str(), 0, nullptr, nullptr), L'\0');
        full.resize(
            GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
        name = L"\\\\?\\" + full;
    }
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return folder && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY: // a drive without its disc
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
    case ERROR_BAD_PATHNAME:
        return true;
    default:
        return false; // no access, a sharing violation...: it may well be there
    }
}

std::vector<TPathAnswers::Answer> TPathAnswers::Take() {
    std::vector<Answer> taken;
    EnterCriticalSection(&lock_);
    taken.swap(waiting_);
    told_ = false;
    LeaveCriticalSection(&lock_);
    return taken;
}

bool TPathAnswers::Add(Answer answer) {
    bool tell = false;
    EnterCriticalSection(&lock_);
    try {
        waiting_.push_back(answer);
        tell = !told_;
        told_ = true;
    } catch (...) {
        // Out of memory: these answers stay unknown.
    }
    LeaveCriticalSection(&lock_);
    return tell;
}

namespace {

struct TWork {
    HWND Window;
    UINT Message;
    WPARAM Generation;
    TPathProbe Probe;
    TPathAnswersHold Answers;
    struct Query {
        std::size_t Index;
        std::wstring Path;
        bool Folder;
    };
    std::vector<Query> Queries;
};

DWORD WINAPI Work(void* param) {
    const std::unique_ptr<TWork> work(static_cast<TWork*>(param));
    // A drive without its disc must not ask the user to insert one.
    (void)SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
    try {
        // Each answer goes into the box as it comes; a message goes only when the window has
        // taken everything before. Answers that come while it is busy wait for one take.
        for (const TWork::Query& q : work->Queries)
            if (work->Answers->Add({q.Index, work->Probe(q.Path, q.Folder)}))
                (void)PostMessageW(work->Window, work->Message, work->Generation, 0);
    } catch (...) {
        // Out of memory: the answers not given stay unknown.
    }
    return 0;
}

} // namespace

TPathAnswersHold CheckPathsAsync(HWND window, UINT message, WPARAM generation,
                                 const std::vector<TPathQuery>& queries, TPathProbe probe) {
    TPathAnswersHold answers(new TPathAnswers);
    // One thread per drive letter; whatever has none shares one more.
    std::unique_ptr<TWork> byDrive[27];
    for (std::size_t i = 0; i < queries.size(); ++i) {
        std::wstring path = Widen(queries[i].Path);
        const wchar_t letter = path.size() >= 2 && path[1] == L':' ? (path[0] | 0x20) : L'\0';
        auto& work = byDrive[letter >= L'a' && letter <= L'z' ? letter - L'a' : 26];
        if (!work)
            work.reset(new TWork{
                window, message, generation, probe, TPathAnswersHold(answers.operator->()), {}});
        work->Queries.push_back({i, std::move(path), queries[i].Folder});
    }
    for (auto& work : byDrive) {
        if (!work)
            continue;
        // A small stack: the work is a loop of system calls.
        HANDLE thread = CreateThread(nullptr, 64 * 1024, &Work, work.get(),
                                     STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (!thread)
            continue;
        (void)work.release(); // the thread's now
        (void)CloseHandle(thread);
    }
    return answers;
}

} // namespace toolkit
