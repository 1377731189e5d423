// Looking for files and folders off the interface thread. A drive that does not answer (a disc
// spinning up, a dead network mapping) can keep a file-system call waiting for minutes; no window
// may wait with it, and neither may the program's exit.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
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

// Answers of one look, filled by the workers and taken by the window. Windows keeps at most
// 10,000 posted messages in a thread's queue and drops the rest, so a message per path would lose
// answers of a large list: the workers post only when the box goes from empty to holding some,
// and the window takes everything gathered by then.
class TPathAnswers {
public:
    struct Answer {
        std::size_t Index; // the query's place in the list asked about
        bool Absent;
    };
    TPathAnswers() { InitializeCriticalSection(&lock_); }
    ~TPathAnswers() { DeleteCriticalSection(&lock_); }
    TPathAnswers(const TPathAnswers&) = delete;
    TPathAnswers& operator=(const TPathAnswers&) = delete;

    // Everything answered since the last take; the next answer posts a message again.
    std::vector<Answer> Take();
    // Adds one answer; true when the window must be told (nothing was waiting).
    bool Add(Answer answer);

    // Shared by the window and each worker: the last to let go deletes it.
    void Hold() { (void)InterlockedIncrement(&holders_); }
    void Release() {
        if (InterlockedDecrement(&holders_) == 0)
            delete this;
    }

private:
    CRITICAL_SECTION lock_;
    std::vector<Answer> waiting_;
    bool told_ = false;
    LONG holders_ = 0;
};

// A hold on a box of answers, as the window keeps the current look's.
class TPathAnswersHold {
public:
    TPathAnswersHold() = default;
    explicit TPathAnswersHold(TPathAnswers* answers) : answers_(answers) {
        if (answers_)
            answers_->Hold();
    }
    ~TPathAnswersHold() {
        if (answers_)
            answers_->Release();
    }
    TPathAnswersHold(TPathAnswersHold&& other) noexcept : answers_(other.answers_) {
        other.answers_ = nullptr;
    }
    TPathAnswersHold& operator=(TPathAnswersHold&& other) noexcept {
        std::swap(answers_, other.answers_);
        return *this;
    }
    TPathAnswers* operator->() const { return answers_; }
    explicit operator bool() const { return answers_ != nullptr; }

private:
    TPathAnswers* answers_ = nullptr;
};

// Asks about each query off this thread; the answers gather in the returned box, and `message`
// is posted to `window` (wParam `generation`) whenever answers wait there that the window was not
// told of. Queries on one drive are asked in turn on a thread of their own, so a drive that hangs
// holds back only its own answers. The threads are never waited for: each owns a copy of its
// queries and shares the box, and a message for a window that has gone is dropped by the system.
// Nothing is asked on a thread that cannot be started.
TPathAnswersHold CheckPathsAsync(HWND window, UINT message, WPARAM generation,
                                 const std::vector<TPathQuery>& queries,
                                 TPathProbe probe = &PathAbsent);

} // namespace toolkit
