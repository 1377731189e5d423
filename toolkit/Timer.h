// A message-driven timer: its ticks arrive through the message loop, on the UI thread.
#pragma once

#include "toolkit/Component.h"

#include <windows.h>

namespace toolkit {

class TTimer : public TComponent {
public:
    // Enabled, 1000 ms, no tick handler. The platform timer runs only while the timer is enabled,
    // has a period above 0 and a tick handler.
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned milliseconds);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent handler);

    // Whether a platform timer is running now.
    bool Running() const { return running_; }
    // The window its ticks arrive through; none until the timer first runs.
    HWND Handle() const { return handle_; }

private:
    void UpdateTimer();

    bool enabled_ = true;
    unsigned interval_ = 1000;
    TNotifyEvent onTimer_;
    HWND handle_ = nullptr;
    bool running_ = false;
};

} // namespace toolkit
