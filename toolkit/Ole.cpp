#include "toolkit/Ole.h"

#include "toolkit/SystemDll.h"

#include <windows.h>
#include <ole2.h>

namespace toolkit {

bool EnsureOle() {
    // Per thread, as COM's apartments are. Tried once: a thread already in the multithreaded
    // apartment stays there, and the calls work in it as well.
    thread_local const bool initialised =
        SUCCEEDED(SystemFunction<decltype(OleInitialize)>("ole32.dll", "OleInitialize")(nullptr));
    return initialised;
}

} // namespace toolkit
