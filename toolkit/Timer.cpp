#include "toolkit/Timer.h"

#include "toolkit/Errors.h"
#include "toolkit/HiddenWindow.h"

namespace toolkit {

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
    enabled_ = false;
    if (running_)
        (void)KillTimer(handle_, kTimerId);
    DeallocateHWnd(handle_);
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned milliseconds) {
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (running_)
        (void)KillTimer(handle_, kTimerId);
    running_ = false;
    if (interval_ != 0 && enabled_ && onTimer_) {
        // The window the ticks arrive through is made when a tick is first wanted: most timers
        // of a run never tick, and each window costs start-up time.
        if (handle_ == nullptr) {
            handle_ = AllocateHWnd([this](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
                if (msg == WM_TIMER && wParam == kTimerId) {
                    // A copy: the handler may replace itself or end the timer.
                    if (TNotifyEvent handler = onTimer_)
                        handler(this);
                    return 0;
                }
                return DefWindowProcW(handle_, msg, wParam, lParam);
            });
        }
        if (SetTimer(handle_, kTimerId, interval_, nullptr) == 0)
            throw EOutOfResources("No timer is available");
        running_ = true;
    }
}

} // namespace toolkit
