// The settings keeper's looks for in-process tests: waiting for a look's answer, and a stamp query
// that hangs like a drive that does not answer until the test lets it go.
#pragma once

#include "app/SettingsKeeper.h"
#include "support/E2e.h"

#include <windows.h>

#include <string>

namespace testing_support {

// Pumps messages until the keeper's look, if any, has been answered and taken up.
inline bool AwaitSettingsLook(int ms = 5000) {
    return e2e::WaitFor([] { return SettingsKeeper == nullptr || !SettingsKeeper->Looking(); }, ms);
}

// While alive, every stamp query of the keeper waits until Release (or the end of this object,
// or 10 seconds): a drive that does not answer. Queries on the thread that made this pass at once
// unless `hangHereToo`, so that the test's own saves go on.
class HangingDrive {
public:
    explicit HangingDrive(bool hangHereToo = false) {
        hangHere_ = hangHereToo;
        returned_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        gate_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        entered_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        owner_ = GetCurrentThreadId();
        previous_ = TSettingsKeeper::StampOf;
        TSettingsKeeper::StampOf = &Stamp;
    }
    ~HangingDrive() {
        Release();
        TSettingsKeeper::StampOf = previous_;
    }
    HangingDrive(const HangingDrive&) = delete;
    HangingDrive& operator=(const HangingDrive&) = delete;

    // Whether a query has begun and is waiting now.
    bool Waiting() const { return WaitForSingleObject(entered_, 0) == WAIT_OBJECT_0; }
    // Whether a query that waited has returned.
    bool Returned() const { return WaitForSingleObject(returned_, 0) == WAIT_OBJECT_0; }
    void Release() { (void)SetEvent(gate_); }

private:
    static toolkit::TFileStamp Stamp(const std::string& path) {
        if (GetCurrentThreadId() == owner_ && !hangHere_)
            return toolkit::FileStampOf(path);
        (void)SetEvent(entered_);
        (void)WaitForSingleObject(gate_, 10000);
        (void)SetEvent(returned_);
        return toolkit::FileStampOf(path);
    }
    static inline HANDLE gate_ = nullptr, entered_ = nullptr, returned_ = nullptr;
    static inline DWORD owner_ = 0;
    static inline bool hangHere_ = false;
    toolkit::TFileStamp (*previous_)(const std::string&) = nullptr;
};

} // namespace testing_support
