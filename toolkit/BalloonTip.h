// A balloon tip pointing at a control: the edit box's own balloon (EM_SHOWBALLOONTIP) is missing
// from some systems' edit controls (Wine's among them), so the balloon is a tooltip control of
// ours, tracked at the control. It shows the same on every system and hides by itself.
#pragma once

#include <windows.h>

#include <string>

namespace toolkit {

class TBalloonTip {
public:
    TBalloonTip() = default;
    ~TBalloonTip();
    TBalloonTip(const TBalloonTip&) = delete;
    TBalloonTip& operator=(const TBalloonTip&) = delete;

    // Shows `text` under `title`, with the icon `icon` (TTI_INFO, TTI_WARNING...), in a balloon
    // whose stem points at the bottom of `control`, and replaces whatever this tip showed. The
    // lines are broken to at most `maxWidth` pixels. The balloon goes after `timeoutMs`, or by
    // Hide. Every control it is shown at must belong to the same top-level window.
    void Show(HWND control, const std::string& title, const std::string& text, int icon,
              int maxWidth, unsigned timeoutMs = 10000);
    void Hide();
    // The control the balloon points at while it shows; null otherwise.
    HWND Control() const { return control_; }
    HWND Handle() const { return tip_; }
    // The text the tooltip control holds.
    std::string Text() const;

private:
    static void CALLBACK TimerProc(HWND hwnd, UINT, UINT_PTR, DWORD);
    // The tooltip in the program's current look.
    void FollowLook();
    HWND tip_ = nullptr;
    bool dark_ = false; // the tooltip was made dark
    HWND control_ = nullptr;
};

} // namespace toolkit
