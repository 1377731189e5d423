// The launcher as the entry sequence builds it (the command window, which makes the database
// editor, then the configuration window), in-process, without a settings file, in a folder of
// its own; the recorder stands in for the system. Gone again with everything it held. The hidden
// windows' controls are made at once unless `makeControls` is false.
#pragma once

#include "support/LauncherWindows.h"
#include "support/Recorder.h"
#include "toolkit/Application.h"

#include <windows.h>

#include <memory>
#include <string>

namespace testing_support {

class InProcessLauncher {
public:
    explicit InProcessLauncher(const std::string& tag, bool makeControls = true) {
        char temp[MAX_PATH] = "";
        (void)GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + tag + std::to_string(GetCurrentProcessId());
        (void)CreateDirectoryA(folder_.c_str(), nullptr);
        recorder_.ModulePath = folder_ + "\\Tarnwick.exe";
        app_ = std::make_unique<toolkit::Application>(recorder_);
        app_->Initialize();
        app_->SetTitle("Tarnwick");
        CreateLauncherWindows(*app_, makeControls);
    }
    ~InProcessLauncher() {
        app_.reset();
        // The command window's hot key atom outlives the process; later tests start without it.
        while (const ATOM atom = GlobalFindAtomA("TARNWICK"))
            if (GlobalDeleteAtom(atom) != 0)
                break;
        (void)RemoveDirectoryA(folder_.c_str());
    }
    InProcessLauncher(const InProcessLauncher&) = delete;
    InProcessLauncher& operator=(const InProcessLauncher&) = delete;

    Recorder& System() { return recorder_; }

private:
    std::string folder_;
    Recorder recorder_;
    std::unique_ptr<toolkit::Application> app_;
};

} // namespace testing_support
