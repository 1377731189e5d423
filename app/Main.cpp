// The program's entry: the application object, the command window (which makes the database
// editor) and the configuration window, all hidden; then the message loop. The editor and the
// configuration window make their controls only when they are first shown.
#include "app/Tarnwick.h"
#include "forms/Config.h"
#include "gen/Gen_func.h"
#include "toolkit/Application.h"
#include "toolkit/StartupTrace.h"
#include "toolkit/SystemDll.h"
#include "toolkit/Text.h"
#include "toolkit/Win32System.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

// The program's own folder becomes the current folder, so that an entry without a start-in
// folder starts in the same place whether the launcher came from Explorer, a shortcut or the Run
// key at logon. Done here rather than in the command window's creation, so that a window made
// in-process by a test leaves that process's folder alone.
void EnterOwnFolder(toolkit::System& system) {
    const std::string folder = ExtractFolder(system.ModuleFileName());
    if (!folder.empty())
        (void)SetCurrentDirectoryW(toolkit::Widen(folder).c_str());
}

} // namespace

// What the program does when an exception escapes everything: end at once. The library's own
// handler would first describe the exception on the console, which a windowed program does not
// have, and it would bring the whole C++ name demangler into the exe for that.
#ifdef __GLIBCXX__
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
#endif

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    TARNWICK_STARTUP_MARK("WinMain (the loader, the imported DLLs, the C++ run-time)");
    toolkit::RestrictDllSearch();
    toolkit::Win32System system;
    EnterOwnFolder(system);
    toolkit::Application application(system);
    try {
        application.Initialize();
        application.SetTitle("Tarnwick");
        TARNWICK_STARTUP_MARK("application window");
        application.CreateForm<TTarnwick>();
        application.CreateForm<TF_Config>();
        TARNWICK_STARTUP_MARK("configuration window");
        application.ShowMainForm = false;
        TARNWICK_STARTUP_WRITE();
        application.Run();
        // However the loop ended: the history of this run outlives it.
        toolkit::Guard([] {
            if (Tarnwick)
                Tarnwick->SaveHistory();
        });
    } catch (...) {
        toolkit::ReportCurrentException();
    }
    return 0;
}
